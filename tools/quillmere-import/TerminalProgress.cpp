#include "TerminalProgress.h"

#ifdef _WIN32
#include <io.h>
#define QUILLMERE_ISATTY(fd) _isatty(fd)
#define QUILLMERE_FILENO(stream) _fileno(stream)
#else
#include <unistd.h>
#define QUILLMERE_ISATTY(fd) isatty(fd)
#define QUILLMERE_FILENO(stream) fileno(stream)
#endif

namespace quillmere::tool {

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream), enabled_(QUILLMERE_ISATTY(QUILLMERE_FILENO(stream)) != 0) {}

void TerminalProgress::Show(const ImportProgress& progress) {
    if (!enabled_) {
        return;
    }
    const auto now = Clock::now();
    if (now - lastDrawn_ < std::chrono::milliseconds(200)) {
        return;
    }
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const auto perSecond =
        seconds > 0 ? static_cast<long long>(static_cast<double>(progress.rowsTotal) / seconds) : 0;
    const std::string line = "File " + std::to_string(progress.fileNumber) + " of " +
                             std::to_string(progress.fileCount) + ": " +
                             std::to_string(progress.rowsInFile) + " rows (" +
                             std::to_string(perSecond) + " rows/s)";
    const size_t padding = drawnWidth_ > line.size() ? drawnWidth_ - line.size() : 0;
    std::fprintf(stream_, "\r%s%*s", line.c_str(), static_cast<int>(padding), "");
    std::fflush(stream_);
    drawnWidth_ = line.size() + padding;
}

void TerminalProgress::Clear() {
    if (!enabled_ || drawnWidth_ == 0) {
        return;
    }
    std::fprintf(stream_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
    std::fflush(stream_);
    drawnWidth_ = 0;
    lastDrawn_ = {};  // redraw at the next report
}

}  // namespace quillmere::tool

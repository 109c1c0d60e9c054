#pragma once
// A progress line on standard error while the import runs on a terminal: file n of N, rows,
// rows per second. Redrawn a few times a second at most, so it never slows the import.
#include <chrono>
#include <cstdio>
#include <string>

#include "import/RunEnvironment.h"

namespace quillmere::tool {

class TerminalProgress {
  public:
    explicit TerminalProgress(std::FILE* stream);

    bool Enabled() const { return enabled_; }
    void Show(const ImportProgress& progress);
    // Removes the line, so other output starts at the left edge.
    void Clear();

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* stream_;
    bool enabled_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastDrawn_{};
    size_t drawnWidth_ = 0;
};

}  // namespace quillmere::tool

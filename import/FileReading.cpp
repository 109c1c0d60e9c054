#include "import/FileReading.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "import/ImportError.h"
#include "import/NamedEncoding.h"
#include "import/TextDecoding.h"

namespace quillmere {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void FailToRead(const std::string& path, int error) {
    throw ImportError("Cannot read the file " + path + ": " +
                      std::generic_category().message(error) + ".");
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string ReadFileBytes(const std::string& path) {
    const auto fsPath = PathFromUtf8(path);
    std::error_code error;
    if (std::filesystem::is_directory(fsPath, error)) {
        FailToRead(path, EISDIR);
    }
    errno = 0;
#ifdef _WIN32
    std::unique_ptr<std::FILE, FileCloser> file(_wfopen(fsPath.c_str(), L"rb"));
#else
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fsPath.c_str(), "rb"));
#endif
    if (!file) {
        FailToRead(path, errno != 0 ? errno : EIO);
    }
    // Read to the end rather than trusting the size (the file may change while it is read),
    // but ask for one byte more than the size at first so a steady file takes one read.
    constexpr size_t kChunk = 1 << 20;
    std::string bytes;
    const auto size = std::filesystem::file_size(fsPath, error);
    size_t want = error ? kChunk : static_cast<size_t>(size) + 1;
    for (;;) {
        const size_t before = bytes.size();
        bytes.resize(before + want);
        const size_t got = std::fread(bytes.data() + before, 1, want, file.get());
        bytes.resize(before + got);
        if (got < want) {
            break;
        }
        want = kChunk;
    }
    if (std::ferror(file.get())) {
        FailToRead(path, errno != 0 ? errno : EIO);
    }
    return bytes;
}

std::string ReadWholeFile(const std::string& path, const std::string& encoding) {
    if (!encoding.empty()) {
        return DecodeNamedEncoding(ReadFileBytes(path), encoding, path);
    }
    return DecodeText(ReadFileBytes(path));
}

}  // namespace quillmere

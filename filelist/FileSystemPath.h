#pragma once
// Paths are UTF-8 text throughout the program (on Linux: the bytes the file system holds). These
// turn them into std::filesystem paths and back without a lossy code-page step on Windows.
#include <filesystem>
#include <string>

namespace quillmere {

inline std::filesystem::path ToFileSystemPath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
#else
    return std::filesystem::path(path);
#endif
}

inline std::string FromFileSystemPath(const std::filesystem::path& path) {
#ifdef _WIN32
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.native();
#endif
}

}  // namespace quillmere

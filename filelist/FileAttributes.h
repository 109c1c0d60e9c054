#pragma once
// Windows file attributes, which decide what the folder scan skips there: a file whose
// attributes are exactly hidden + archive (34), and folders that are exactly directory + hidden +
// system (22), or that plus reparse point (1046), such as the links Windows keeps for old folder
// names ("Documents and Settings"). Exact values, not bits: a hidden file without the archive
// bit (2) is added, and so is one that is also a system file (38).
#ifdef _WIN32
#include <cstdint>
#include <optional>
#include <string>

namespace quillmere {

inline constexpr std::uint32_t kSkippedFileAttributes = 34;
inline constexpr std::uint32_t kSkippedFolderAttributes = 22;
inline constexpr std::uint32_t kSkippedFolderLinkAttributes = 1046;

// The attributes of the file or folder at `path` (UTF-8); none when they cannot be read.
std::optional<std::uint32_t> FileAttributesOf(const std::string& path);

}  // namespace quillmere
#endif

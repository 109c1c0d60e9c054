#pragma once
// Replacing a small file that holds secrets (the settings with the database password): written
// to a temporary file beside it and renamed over the old one, so that a crash never leaves half
// a file, and readable by its owner only.
#include <filesystem>
#include <string>

namespace quillmere {

// Creates the file's folder when missing. Throws std::runtime_error naming the file and the
// step that failed.
void WritePrivateFile(const std::filesystem::path& file, const std::string& text);

}  // namespace quillmere

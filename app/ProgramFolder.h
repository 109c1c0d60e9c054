#pragma once
#include <filesystem>

namespace quillmere {

// The folder that holds the running executable. The program's own files (samples, cursors,
// skin) are found below it.
std::filesystem::path ProgramFolder();

// Tests point the program folder elsewhere; an empty path restores the real one.
void OverrideProgramFolder(const std::filesystem::path& folder);

}  // namespace quillmere

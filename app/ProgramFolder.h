#pragma once
#include <filesystem>

namespace quillmere {

// The folder that holds the running executable. The program's own files (samples, cursors,
// skin) are found below it.
std::filesystem::path ProgramFolder();

// The running program's own file (Linux: /proc/self/exe; Windows: the module's name); empty when
// the system does not tell. The working folder is no stand-in: a shortcut or a shell can start
// the program from anywhere.
std::filesystem::path RunningExecutable();

// Tests point the program folder elsewhere; an empty path restores the real one.
void OverrideProgramFolder(const std::filesystem::path& folder);

}  // namespace quillmere

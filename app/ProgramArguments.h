#pragma once
// The command line's arguments as UTF-8, like every text of ours. On Windows argv holds them in
// the ANSI code page, which loses every character that page lacks, so they are taken from the
// wide command line instead.
#include <string>
#include <vector>

namespace quillmere {

// The arguments after the program's name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace quillmere

#pragma once
// The arguments of quillmere-import.
#include <optional>
#include <string>
#include <vector>

#include "import/ImportOptions.h"

namespace quillmere::tool {

struct CommandLine {
    std::string database;
    std::string password;
    ImportOptions options;
    bool dryRun = false;
    bool help = false;
    std::vector<std::string> files;
};

// The parsed arguments (argv without the program name), or a usage error: the text says what
// is wrong.
struct ParseResult {
    std::optional<CommandLine> commandLine;
    std::string error;
};
ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace quillmere::tool

#pragma once
// Subcommands of the accessdb tool register themselves: one .cpp per subcommand defines a
// static RegisterCommand, so new subcommands are new files.
#include <iosfwd>
#include <string>
#include <vector>

namespace accessdb_tool {

struct Invocation {
    std::vector<std::string> args;   // after the subcommand, options removed
    std::vector<std::string> flags;  // "--all" and other switches the subcommand may accept
    std::string password;
    std::ostream& out;
    std::ostream& err;
    bool HasFlag(const std::string& flag) const;
};

struct Command {
    const char* name;
    const char* usage;               // "FILE [TABLE]"
    const char* summary;             // one line for the help text
    std::vector<std::string> flags;  // switches it accepts, e.g. "--all"
    int (*run)(Invocation&);
};

const std::vector<Command>& Commands();

struct RegisterCommand {
    explicit RegisterCommand(Command command);
};

}  // namespace accessdb_tool

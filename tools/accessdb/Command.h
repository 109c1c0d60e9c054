#pragma once
// Subcommands of the accessdb tool register themselves: one .cpp per subcommand defines a
// static RegisterCommand, so new subcommands are new files.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace accessdb_tool {

struct Invocation {
    std::vector<std::string> args;   // after the subcommand, options removed
    std::vector<std::string> flags;  // "--all" and other switches; valued options as "--name=value"
    std::string password;
    std::ostream& out;
    std::ostream& err;
    bool HasFlag(const std::string& flag) const;
    // The value of an option the command declares as "--name=" (given as --name VALUE or
    // --name=VALUE); empty when it was not given.
    std::optional<std::string> OptionValue(const std::string& name) const;
};

struct Command {
    const char* name;
    const char* usage;               // "FILE [TABLE]"
    const char* summary;             // one line for the help text
    std::vector<std::string> flags;  // switches it accepts, e.g. "--all"; "--format=" takes a value
    int (*run)(Invocation&);
};

const std::vector<Command>& Commands();

struct RegisterCommand {
    explicit RegisterCommand(Command command);
};

}  // namespace accessdb_tool

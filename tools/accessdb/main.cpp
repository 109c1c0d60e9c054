// accessdb: inspect Access database files from the command line.
//   accessdb info FILE | tables [--all] FILE | schema FILE [TABLE] | export FILE TABLE
// Options: --password TEXT. Exit status 0, or 1 with the error on standard error.
#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "accessdb/Error.h"
#include "app/ProgramArguments.h"
#include "tools/accessdb/Command.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace accessdb_tool {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void PrintHelp(std::ostream& os) {
    os << "Usage: accessdb COMMAND [--password TEXT] ARGUMENTS\n\nCommands:\n";
    std::vector<Command> sorted = Commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return std::string(a.name) < b.name; });
    for (const auto& c : sorted) {
        std::string line = std::string(c.name);
        for (const auto& f : c.flags)
            line += " [" + (f.back() == '=' ? f.substr(0, f.size() - 1) + " VALUE" : f) + "]";
        line += std::string(" ") + c.usage;
        os << "  " << line << "\n      " << c.summary << "\n";
    }
}
}  // namespace

bool Invocation::HasFlag(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> Invocation::OptionValue(const std::string& name) const {
    const std::string prefix = name + "=";
    for (const auto& f : flags)
        if (f.rfind(prefix, 0) == 0)
            return f.substr(prefix.size());
    return std::nullopt;
}

const std::vector<Command>& Commands() {
    return Registry();
}

RegisterCommand::RegisterCommand(Command command) {
    Registry().push_back(std::move(command));
}

}  // namespace accessdb_tool

int main(int argc, char** argv) {
    using namespace accessdb_tool;
#ifdef _WIN32
    // The bytes we write are the output: text mode would turn the CSV export's "\r\n" row ends
    // into "\r\r\n" and make every other line end differ from the Linux tool's.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    std::vector<std::string> raw = quillmere::ProgramArguments(argc, argv);
    if (raw.empty() || raw[0] == "--help" || raw[0] == "-h" || raw[0] == "help") {
        PrintHelp(raw.empty() ? std::cerr : std::cout);
        return raw.empty() ? 1 : 0;
    }
    const Command* command = nullptr;
    for (const auto& c : Commands())
        if (raw[0] == c.name)
            command = &c;
    if (!command) {
        std::cerr << "accessdb: unknown command '" << raw[0] << "'\n";
        PrintHelp(std::cerr);
        return 1;
    }
    Invocation inv{{}, {}, {}, std::cout, std::cerr};
    try {
        for (std::size_t i = 1; i < raw.size(); ++i) {
            const std::string& a = raw[i];
            if (a == "--password") {
                if (i + 1 >= raw.size())
                    throw UsageError("--password needs a value");
                inv.password = raw[++i];
            } else if (a.rfind("--password=", 0) == 0) {
                inv.password = a.substr(11);
            } else if (a.size() > 2 && a.rfind("--", 0) == 0 && a.find('=') == std::string::npos &&
                       std::find(command->flags.begin(), command->flags.end(), a + "=") !=
                           command->flags.end()) {
                if (i + 1 >= raw.size())
                    throw UsageError(a + " needs a value");
                inv.flags.push_back(a + "=" + raw[++i]);
            } else if (a.size() > 2 && a.rfind("--", 0) == 0 && a.find('=') != std::string::npos &&
                       std::find(command->flags.begin(), command->flags.end(),
                                 a.substr(0, a.find('=') + 1)) != command->flags.end()) {
                inv.flags.push_back(a);
            } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
                if (std::find(command->flags.begin(), command->flags.end(), a) ==
                    command->flags.end())
                    throw UsageError("unknown option '" + a + "' for " + command->name);
                inv.flags.push_back(a);
            } else {
                inv.args.push_back(a);
            }
        }
        return command->run(inv);
    } catch (const UsageError& e) {
        std::cerr << "accessdb: " << e.what() << "\n";
        return 1;
    } catch (const accessdb::Error& e) {
        std::cout.flush();
        std::cerr << "accessdb: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "accessdb: " << e.what() << "\n";
        return 1;
    }
}

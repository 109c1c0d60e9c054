// help-to-man: writes a program's manual page from its --help text (see HelpToMan.h).
//   help-to-man --program NAME --summary TEXT --version TEXT [--see-also REF]...
//               (--run EXECUTABLE | --help-file FILE) --output FILE
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "packaging/manpage/HelpToMan.h"

namespace {

// The executable's own --help output; empty when it cannot be run or fails.
std::string RunHelp(const std::string& executable) {
    std::string quoted = "'";
    for (char c : executable) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    quoted += "' --help";
    FILE* pipe = ::popen(quoted.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        text.append(buffer, n);
    }
    return ::pclose(pipe) == 0 ? text : std::string();
}

int Usage() {
    std::cerr << "usage: help-to-man --program NAME --summary TEXT --version TEXT "
                 "[--see-also REF]... (--run EXECUTABLE | --help-file FILE) --output FILE\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    quillmere::manpage::PageInfo info;
    std::string run, helpFile, output;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            return Usage();
        }
        const std::string value = argv[++i];
        if (option == "--program") {
            info.program = value;
        } else if (option == "--summary") {
            info.summary = value;
        } else if (option == "--version") {
            info.version = value;
        } else if (option == "--see-also") {
            info.seeAlso.push_back(value);
        } else if (option == "--run") {
            run = value;
        } else if (option == "--help-file") {
            helpFile = value;
        } else if (option == "--output") {
            output = value;
        } else {
            return Usage();
        }
    }
    if (info.program.empty() || output.empty() || run.empty() == helpFile.empty()) {
        return Usage();
    }

    std::string help;
    if (!run.empty()) {
        help = RunHelp(run);
        if (help.empty()) {
            std::cerr << "help-to-man: " << run << " --help printed nothing or failed\n";
            return 1;
        }
    } else {
        std::ifstream in(helpFile, std::ios::binary);
        if (!in) {
            std::cerr << "help-to-man: cannot read " << helpFile << "\n";
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        help = text.str();
    }

    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << quillmere::manpage::HelpToMan(help, info);
    out.close();
    if (!out) {
        std::cerr << "help-to-man: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}

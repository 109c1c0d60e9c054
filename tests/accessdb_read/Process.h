#pragma once
// Running the command-line tools from tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/PortableProcess.h"
#include "support/RunProgram.h"

namespace process {

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Result {
    int exitCode = -1;
    std::string output;  // standard output, or standard error when asked for
};

// Runs a shell command (the Linux checkers' command lines) and collects its standard output (or its
// standard error alone).
inline Result Run(const std::string& command, bool standardError = false) {
    Result r;
    std::string full = standardError ? command + " 2>&1 >/dev/null" : command + " 2>/dev/null";
    FILE* pipe = quillmere::testing::OpenCommandPipe(full);
    if (!pipe)
        return r;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        r.output.append(buf, n);
    r.exitCode = quillmere::testing::ExitCodeOf(quillmere::testing::CloseCommandPipe(pipe));
    return r;
}

// The accessdb tool of this build, or "" when QUILLMERE_BIN_DIR does not hold it.
inline std::string AccessDbTool() {
    return quillmere::testing::BuiltProgram("accessdb").string();
}

}  // namespace process

#pragma once
// Where the shared Access fixtures are, and small helpers the reading tests share.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/PortableProcess.h"

namespace fixtures {

namespace fs = std::filesystem;

// $QUILLMERE_SHARED_DIR/fixtures, or "" when absent (tests then skip).
inline fs::path Dir() {
    const char* shared = std::getenv("QUILLMERE_SHARED_DIR");
    if (!shared)
        return {};
    fs::path dir = fs::path(shared) / "fixtures";
    return fs::is_directory(dir) ? dir : fs::path();
}

#define REQUIRE_FIXTURES()                                                                 \
    do {                                                                                   \
        if (fixtures::Dir().empty())                                                       \
            GTEST_SKIP() << "the shared fixtures folder is absent (QUILLMERE_SHARED_DIR)"; \
    } while (0)

inline std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The password the fixture needs ("" for none).
// The passwords of the fixtures that have one (MANIFEST.md).
inline std::string PasswordFor(const std::string& relative) {
    if (relative.find("db2007-enc.accdb") != std::string::npos)
        return "Test123";
    if (relative.find("with-password") != std::string::npos ||
        relative.find("office-agile") != std::string::npos)
        return "password";
    return "";
}

// A fresh temporary folder for one test.
inline fs::path TempDir(const std::string& name) {
    fs::path dir =
        fs::temp_directory_path() /
        ("quillmere_" + name + "_" + std::to_string(quillmere::testing::CurrentProcessId()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace fixtures

// The program itself, started offscreen with no settings: it shows the database page and keeps
// running until it is closed (here: until the time limit ends it).
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace quillmere {
namespace {

TEST(ProgramStart, AFreshStartShowsAPageAndWaitsForTheUser) {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (bin == nullptr || !std::filesystem::exists(std::string(bin) + "/quillmere")) {
        GTEST_SKIP() << "Skipped: the quillmere program is not built in QUILLMERE_BIN_DIR";
    }
    testing::TempFolder config;
    const std::string command = "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" +
                                config.Path().string() + "' timeout 3 '" + bin +
                                "/quillmere' > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    // 124: still running when the time was up, so no failed check or crash ended it.
    EXPECT_EQ(WEXITSTATUS(status), 124);
    // Nothing is written by merely starting.
    EXPECT_FALSE(std::filesystem::exists(config.Path() / "Vantrell/Quillmere.ini"));
}

}  // namespace
}  // namespace quillmere

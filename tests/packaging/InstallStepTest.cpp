// The installer's per-user step as the wizard's launcher runs it on every start:
// quillmere-install --if-missing records the sample files only when the user has no record that
// still names one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "filelist/SampleFiles.h"
#include "options/IniSettingsStore.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {
using testing::TempFolder;

class InstallStep : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* bin = std::getenv("QUILLMERE_BIN_DIR");
        if (bin == nullptr) {
            GTEST_SKIP() << "Skipped: QUILLMERE_BIN_DIR is not set";
        }
        tool = std::string(bin) + "/quillmere-install";
        sample = program.Write("Samples/first.csv", "a,b\n1,2\n");
    }

    int Run(const std::string& arguments) {
        const std::string command = "XDG_CONFIG_HOME='" + config.Path().string() + "' '" + tool +
                                    "' --program-folder '" + program.Path().string() + "' " +
                                    arguments + " > /dev/null";
        return std::system(command.c_str());
    }

    std::string Record() { return UnscrambleSnapshot(Store().GetSetting("Snapshot", "")); }
    void SetRecord(const std::string& plain) {
        Store().SaveSetting("Snapshot", ScrambleSnapshot(plain));
    }
    IniSettingsStore Store() { return IniSettingsStore(config / "Vantrell/Quillmere.ini"); }

    TempFolder config;
    TempFolder program;
    std::string tool;
    std::string sample;
};

TEST_F(InstallStep, AFirstStartRecordsTheSamples) {
    ASSERT_EQ(Run("--if-missing"), 0);
    EXPECT_EQ(Record(), sample);
}

TEST_F(InstallStep, ARecordNamingAnExistingFileIsKeptEvenFromAnotherProgramFolder) {
    // The user's record may come from another copy of the program (a build folder, say):
    // while its files are there, later starts leave it, and so the user's choice, alone.
    TempFolder other;
    const std::string elsewhere = other.Write("Samples/mine.csv", "x\n");
    SetRecord("/gone/a.csv|" + elsewhere);
    ASSERT_EQ(Run("--if-missing"), 0);
    EXPECT_EQ(Record(), "/gone/a.csv|" + elsewhere);
}

TEST_F(InstallStep, ARecordWhoseFilesAreAllGoneOrThatIsEmptyIsWrittenAfresh) {
    SetRecord("/gone/a.csv|/gone/b.csv");
    ASSERT_EQ(Run("--if-missing"), 0);
    EXPECT_EQ(Record(), sample);

    SetRecord("");
    ASSERT_EQ(Run("--if-missing"), 0);
    EXPECT_EQ(Record(), sample);
}

TEST_F(InstallStep, WithoutTheOptionTheRecordIsAlwaysWritten) {
    TempFolder other;
    SetRecord(other.Write("Samples/mine.csv", "x\n"));
    ASSERT_EQ(Run(""), 0);
    EXPECT_EQ(Record(), sample);
}

TEST_F(InstallStep, AnUnknownOptionIsAUsageError) {
    EXPECT_EQ(WEXITSTATUS(Run("--if-absent")), 2);
    EXPECT_EQ(Record(), "");
}

}  // namespace
}  // namespace quillmere

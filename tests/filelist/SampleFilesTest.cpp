#include <cstdlib>

#include <gtest/gtest.h>

#include "filelist/SampleFiles.h"
#include "options/IniSettingsStore.h"
#include "support/FakePrompts.h"
#include "support/MemorySettings.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {
using testing::FakePrompts;
using testing::MemorySettingsStore;
using testing::TempFolder;

TEST(SnapshotScrambling, UnscramblingFollowsTheKeyAndWrapsAt255) {
    // 'b' (98) - 'a' (97) = 1; 'a' - 'b' = -1 -> 254; equal codes give 0 -> 255.
    EXPECT_EQ(UnscrambleSnapshot("b", "abcdefgh"), "\x01");
    EXPECT_EQ(UnscrambleSnapshot("a", "bbcdefgh"), "\xfe");
    EXPECT_EQ(UnscrambleSnapshot("a", "abcdefgh"), "\xff");
    // The ninth character uses the first key letter again.
    EXPECT_EQ(UnscrambleSnapshot("bbbbbbbbb", "aaaaaaaa"), std::string(9, '\x01'));
}

TEST(SnapshotScrambling, ScramblingIsTheExactInverseForEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(UnscrambleSnapshot(ScrambleSnapshot(all)), all);
    const std::string paths = "/opt/quillmere/bin/Samples/a.csv|/opt/Ünïcode/b.csv";
    EXPECT_NE(ScrambleSnapshot(paths), paths);
    EXPECT_EQ(UnscrambleSnapshot(ScrambleSnapshot(paths)), paths);
}

TEST(SnapshotScrambling, TheInstallersRecordComesBackAsThePathsItNames) {
    // Every code survives the way into the store's text and back (on Windows through the ANSI
    // code page, whose undefined codes must come back too).
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(ToAnsiCodes(FromAnsiCodes(all)), all);
    const std::vector<std::string> paths{"C:\\Quillmere\\Samples\\customers.csv",
                                         "D:\\J\xC3\xBCrgen\\stock.csv"};
    const std::string record = SnapshotRecord(paths);
    EXPECT_EQ(SnapshotPaths(record), paths);
    EXPECT_EQ(SnapshotPaths(SnapshotRecord({})), std::vector<std::string>{""});
}

class SampleLoader : public ::testing::Test {
  protected:
    void SetUp() override {
        a = folder.Write("Samples/a.csv", "x,y\n1,2\n");
        b = folder.Write("Samples/b.csv", "x;y\n");
        store.values["Snapshot"] = SnapshotRecord({a, (folder / "Samples/gone.csv").string(), b});
    }
    int Load() {
        return LoadSampleFiles(
            store, list, prompts,
            [this](const std::string& f) {
                openedFolders.push_back(f);
                return folderOpens;
            },
            (folder / "Samples").string());
    }
    TempFolder folder;
    std::string a, b;
    MemorySettingsStore store;
    FileList list;
    FakePrompts prompts;
    std::vector<std::string> openedFolders;
    bool folderOpens = true;
};

TEST_F(SampleLoader, AddsExistingSamplesOnceAndAsksEveryTime) {
    list.Append(b);
    EXPECT_EQ(Load(), 1);
    EXPECT_EQ(Load(), 0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Entry(1), b);
    EXPECT_EQ(list.Entry(2), a);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, kSampleFolderQuestion);
    EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
    EXPECT_TRUE(openedFolders.empty());  // No
}

TEST_F(SampleLoader, YesOpensTheSamplesFolder) {
    prompts.answers = {MessageAnswer::Yes};
    Load();
    EXPECT_EQ(openedFolders, std::vector<std::string>{(folder / "Samples").string()});
    EXPECT_EQ(prompts.messages.size(), 1u);  // the question only
}

TEST_F(SampleLoader, AFolderTheDesktopCannotOpenIsNamedInANotice) {
    prompts.answers = {MessageAnswer::Yes};
    folderOpens = false;
    Load();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              "The folder could not be opened. The sample files are stored in:\r\r" +
                  (folder / "Samples").string());
    EXPECT_EQ(prompts.messages[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(prompts.messages[1].caption, "");
}

TEST_F(SampleLoader, WithoutTheSettingNothingIsAddedButTheQuestionComes) {
    store.values.clear();
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST(InstallTool, WritesTheScrambledSamplesThatTheLoaderReads) {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (bin == nullptr) {
        GTEST_SKIP() << "QUILLMERE_BIN_DIR is not set";
    }
    TempFolder config;
    TempFolder program;
    const auto first = program.Write("Samples/first.csv", "a,b\n1,2\n");
    const auto second = program.Write("Samples/second.csv", "a;b\n1;2\n");
    program.Write("Samples/notes.txt", "not a sample");
    const std::string command = "XDG_CONFIG_HOME='" + config.Path().string() + "' '" +
                                std::string(bin) + "/quillmere-install' --program-folder '" +
                                program.Path().string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    IniSettingsStore store(config / "Vantrell/Quillmere.ini");
    const std::string stored = store.GetSetting("Snapshot", "");
    EXPECT_EQ(UnscrambleSnapshot(stored), first + "|" + second);

    FileList list;
    FakePrompts prompts;
    EXPECT_EQ(LoadSampleFiles(
                  store, list, prompts, [](const std::string&) { return true; },
                  (program / "Samples").string()),
              2);
    EXPECT_EQ(list.Entry(1), first);
    EXPECT_EQ(list.Entry(2), second);
}

}  // namespace
}  // namespace quillmere

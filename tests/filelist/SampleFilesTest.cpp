#include <cstdlib>

#include <gtest/gtest.h>

#include "filelist/SampleFiles.h"
#include "options/IniSettingsStore.h"
#include "support/FakePrompts.h"
#include "support/MemorySettings.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "textcodec/Utf8.h"

#ifdef _WIN32
#include <windows.h>

#include "options/RegistrySettingsStore.h"
#include "textcodec/WideText.h"
#endif

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
    // Every code survives the settings store's text (on Windows: UTF-8 for the registry).
#ifdef _WIN32
    EXPECT_TRUE(textcodec::IsValidUtf8(FromAnsiCodes(all)));
#endif
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
#ifdef _WIN32
    const std::filesystem::path installTool = std::filesystem::path(bin) / "quillmere-install.exe";
#else
    const std::filesystem::path installTool = std::filesystem::path(bin) / "quillmere-install";
#endif
    TempFolder program;
    program.Write("Samples/first.csv", "a,b\n1,2\n");
    program.Write("Samples/second.csv", "a;b\n1;2\n");
    program.Write("Samples/notes.txt", "not a sample");
    // The paths as the tool lists the folder.
    const std::string first = (program.Path() / "Samples" / "first.csv").string();
    const std::string second = (program.Path() / "Samples" / "second.csv").string();
#ifdef _WIN32
    // The tool writes the user's own registry key: what it held is put back afterwards.
    RegistrySettingsStore store;
    const std::string kAbsent = "\x01 absent";
    const std::string before = store.GetSetting("Snapshot", kAbsent);
    const auto run =
        testing::RunProgram(installTool, {"--program-folder", program.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    const std::string stored = store.GetSetting("Snapshot", "");
    if (before == kAbsent) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER,
                           textcodec::Utf8ToWide(RegistrySettingsStore::kDefaultKey).c_str(),
                           L"Snapshot");
    } else {
        store.SaveSetting("Snapshot", before);
    }
    MemorySettingsStore loaded;
    loaded.SaveSetting("Snapshot", stored);
#else
    TempFolder config;
    const auto run = testing::RunProgram(installTool, {"--program-folder", program.Path().string()},
                                         {{"XDG_CONFIG_HOME", config.Path().string()}});
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    IniSettingsStore loaded(config / "Vantrell/Quillmere.ini");
    const std::string stored = loaded.GetSetting("Snapshot", "");
#endif
    EXPECT_EQ(SnapshotPaths(stored), (std::vector<std::string>{first, second}));

    FileList list;
    FakePrompts prompts;
    EXPECT_EQ(LoadSampleFiles(
                  loaded, list, prompts, [](const std::string&) { return true; },
                  (program / "Samples").string()),
              2);
    EXPECT_EQ(list.Entry(1), first);
    EXPECT_EQ(list.Entry(2), second);
}

}  // namespace
}  // namespace quillmere

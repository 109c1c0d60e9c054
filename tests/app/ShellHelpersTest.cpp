#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "app/ApplicationTitle.h"
#include "app/CursorFile.h"
#include "app/FileExistsByDate.h"
#include "app/PointerRule.h"
#include "app/ProgramFolder.h"
#include "app/TrappedStep.h"
#include "filelist/FileSystemPath.h"
#include "support/FakePrompts.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {
using testing::FakePrompts;
using testing::TempFolder;

class RecordingPointer : public PagePointer {
  public:
    int Get() const override { return value; }
    void Set(int pointer) override {
        value = pointer;
        ++sets;
    }
    int value = kPointerDefault;
    int sets = 0;
};

TEST(FileExistsByDate, FilesAndFoldersWhoseDateCanBeReadArePresent) {
    TempFolder folder;
    const auto file = folder.Write("a.mdb", "x");
    EXPECT_TRUE(FileExistsByDate(file));
    EXPECT_TRUE(FileExistsByDate(folder.Path().string()));
    EXPECT_FALSE(FileExistsByDate((folder / "missing.mdb").string()));
    EXPECT_FALSE(FileExistsByDate(""));
    EXPECT_FALSE(FileExistsByDate(file + "/below-a-file"));
    EXPECT_FALSE(FileExistsByDate(std::string("a\0b", 3)));
    // Paths are UTF-8: a name beyond ASCII (and beyond any one ANSI code page) is found too.
    const std::string name = FromFileSystemPath(folder.Path()) + "/J\xC3\xBCrgen-\xE6\x97\xA5.csv";
    std::ofstream(ToFileSystemPath(name)) << "x";
    EXPECT_TRUE(FileExistsByDate(name));
}

TEST(PointerRule, ButtonsShowTheHandTheBackgroundTheArrowAndOthersLeaveIt) {
    RecordingPointer pointer;
    ApplyPointerRule(pointer, PointerZone::Hand);
    EXPECT_EQ(pointer.value, kPointerCustom);
    ApplyPointerRule(pointer, PointerZone::Unchanged);  // a label after a button: hand stays
    EXPECT_EQ(pointer.value, kPointerCustom);
    ApplyPointerRule(pointer, PointerZone::Arrow);
    EXPECT_EQ(pointer.value, kPointerDefault);
}

TEST(PointerRule, NothingChangesWhileThePageIsBusy) {
    RecordingPointer pointer;
    pointer.value = kPointerBusy;
    for (auto zone : {PointerZone::Hand, PointerZone::Arrow, PointerZone::Unchanged}) {
        ApplyPointerRule(pointer, zone);
    }
    EXPECT_EQ(pointer.value, kPointerBusy);
    EXPECT_EQ(pointer.sets, 0);
    EXPECT_TRUE(IsBusy(pointer));
}

TEST(ApplicationTitle, CutsAtTheLastBlankUntilAtMostFortyCharacters) {
    EXPECT_EQ(MakeApplicationTitle("Quillmere"), "Quillmere");
    EXPECT_EQ(MakeApplicationTitle("Quillmere Pro"), "Quillmere");
    EXPECT_EQ(MakeApplicationTitle("A B C"), "A B");  // one cut is enough when short
    const std::string longName = "Very Long Product Name That Keeps Going And Going Beyond";
    const std::string title = MakeApplicationTitle(longName);
    EXPECT_LE(title.size(), 40u);
    EXPECT_EQ(title, "Very Long Product Name That Keeps Going");
}

TEST(TrappedStep, AnErrorIsReportedWithPageHandlerAndLineAndTheHandlerGoesOn) {
    FakePrompts prompts;
    int after = 0;
    EXPECT_FALSE(RunTrappedStep(prompts, "Form1", "PushButton3_Click", 3,
                                [] { throw std::runtime_error("Not a valid password."); }));
    EXPECT_TRUE(RunTrappedStep(prompts, "Form1", "PushButton3_Click", 4, [&] { ++after; }));
    EXPECT_EQ(after, 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "Not a valid password.\r\nin Korvath2021/08/31.Form1.PushButton3_Click at line "
              "3\r\rPlease email screenshot of this message to support@quillmere.app");
    EXPECT_EQ(prompts.messages[0].caption, "Application Error");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::Ok);
}

std::vector<std::uint8_t> CursorBytes(int type, int count, int hotX, int hotY) {
    std::vector<std::uint8_t> bytes = {
        0, 0, static_cast<std::uint8_t>(type), 0, static_cast<std::uint8_t>(count), 0};
    std::vector<std::uint8_t> entry = {32,
                                       32,
                                       0,
                                       0,
                                       static_cast<std::uint8_t>(hotX),
                                       0,
                                       static_cast<std::uint8_t>(hotY),
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       22,
                                       0,
                                       0,
                                       0};
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    return bytes;
}

TEST(CursorFile, TheHotSpotComesFromTheFirstEntry) {
    const auto header = ReadCursorHeader(CursorBytes(2, 1, 6, 1), "HAND-M.CUR");
    EXPECT_EQ(header.width, 32);
    EXPECT_EQ(header.hotSpotX, 6);
    EXPECT_EQ(header.hotSpotY, 1);
}

TEST(CursorFile, IconsTruncatedFilesAndEmptyDirectoriesAreNoCursor) {
    EXPECT_THROW(ReadCursorHeader(CursorBytes(1, 1, 0, 0), "x.cur"), std::runtime_error);
    EXPECT_THROW(ReadCursorHeader(CursorBytes(2, 0, 0, 0), "x.cur"), std::runtime_error);
    auto shortFile = CursorBytes(2, 1, 0, 0);
    shortFile.resize(10);
    EXPECT_THROW(ReadCursorHeader(shortFile, "x.cur"), std::runtime_error);
    EXPECT_THROW(ReadCursorFile("/nonexistent/HAND-M.CUR"), std::runtime_error);
}

TEST(CursorFile, TheShippedHandCursorIsAValidCursor) {
    const char* source = std::getenv("QUILLMERE_SOURCE_DIR");
    if (source == nullptr) {
        GTEST_SKIP() << "QUILLMERE_SOURCE_DIR is not set";
    }
    const auto header = ReadCursorFile(std::string(source) + "/app/files/HAND-M.CUR");
    EXPECT_EQ(header.width, 32);
    EXPECT_EQ(header.height, 32);
    EXPECT_LT(header.hotSpotX, 32);
    EXPECT_LT(header.hotSpotY, 32);
}

TEST(ProgramFolder, IsTheRunningProgramsFolderWhereverItWasStartedFrom) {
    const auto exe = RunningExecutable();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(exe)) << exe;
    EXPECT_NE(exe.filename().string().find("test_app"), std::string::npos) << exe;

    TempFolder elsewhere;
    const auto started = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.Path());
    const auto folder = ProgramFolder();
    std::filesystem::current_path(started);
    EXPECT_EQ(folder, exe.parent_path());

    OverrideProgramFolder(elsewhere.Path());
    EXPECT_EQ(ProgramFolder(), elsewhere.Path());
    OverrideProgramFolder({});
    EXPECT_EQ(ProgramFolder(), exe.parent_path());
}

}  // namespace
}  // namespace quillmere

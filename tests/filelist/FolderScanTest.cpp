#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TempTree.h"
#include "app/ApplicationError.h"
#include "filelist/FileList.h"
#include "filelist/FolderScan.h"
#include "import/RunEnvironment.h"
#include "support/FakePrompts.h"
#include "support/MemorySettings.h"

namespace quillmere {
namespace {

using ::testing::ElementsAre;
using testing::TempTree;

class ScriptedChooser : public FolderChooser {
  public:
    std::string answer;
    std::vector<std::string> starts;
    std::vector<std::string> prompts;
    std::string ChooseFolder(const std::string& prompt, const std::string& start) override {
        prompts.push_back(prompt);
        starts.push_back(start);
        return answer;
    }
};

class RecordingPointer : public PagePointer {
  public:
    std::vector<int> history;
    int Get() const override { return history.empty() ? kPointerDefault : history.back(); }
    void Set(int pointer) override { history.push_back(pointer); }
};

struct ScanFixture {
    testing::FakePrompts prompts;
    testing::MemorySettingsStore settings;
    ScriptedChooser chooser;
    RecordingPointer pointer;
    FileList files;
    std::vector<std::string> walkErrors;
    FolderScanEnvironment Environment() {
        FolderScanEnvironment env{&prompts, &settings, &chooser, &pointer, &files, {}};
        env.walk.reportError = [this](const std::string& d, int) { walkErrors.push_back(d); };
        return env;
    }
    void Run() {
        auto env = Environment();
        AddAllFilesInFolder(env);
    }
};

TEST(FolderScan, AsksForTheExtensionThenTheFolderAndAddsMatchingFiles) {
    TempTree tree;
    tree.File("data/a.csv");
    tree.File("data/b.txt");
    tree.File("data/deeper/c.CSV");
    ScanFixture scan;
    scan.prompts.inputs = {"csv"};
    scan.chooser.answer = tree.Path("data");
    scan.Run();

    EXPECT_THAT(scan.prompts.inputPrompts,
                ElementsAre("Enter file extension to load:\r\r(* for all files, txt for all txt "
                            "files, doc for all doc files, etc.)"));
    EXPECT_THAT(scan.prompts.inputDefaults, ElementsAre("csv"));  // no stored extension yet
    EXPECT_THAT(scan.chooser.prompts, ElementsAre("Please select folder:"));
    EXPECT_THAT(scan.chooser.starts, ElementsAre(""));
    EXPECT_EQ(scan.settings.values["Extension"], "csv");
    EXPECT_EQ(scan.settings.values["LastFolder"], tree.Path("data"));
    EXPECT_THAT(scan.pointer.history, ElementsAre(kPointerBusy, kPointerDefault));
    ASSERT_EQ(scan.files.Count(), 2);
    EXPECT_EQ(scan.files.Entry(1), tree.Path("data/a.csv"));
    EXPECT_EQ(scan.files.Entry(2), tree.Path("data/deeper/c.CSV"));
    EXPECT_TRUE(scan.prompts.messages.empty());

    // The next run offers the remembered extension and starts at the remembered folder; "*"
    // takes every file, and the same files are appended again.
    scan.prompts.inputs = {"*"};
    scan.Run();
    EXPECT_EQ(scan.prompts.inputDefaults.back(), "csv");
    EXPECT_EQ(scan.chooser.starts.back(), tree.Path("data"));
    EXPECT_EQ(scan.settings.values["Extension"], "*");
    EXPECT_EQ(scan.files.Count(), 5);
    EXPECT_TRUE(scan.files.IsInList(tree.Path("data/b.txt")));
}

TEST(FolderScan, CancellingLeavesTheSettingsAsThePartsBeforeLeftThem) {
    ScanFixture scan;
    scan.settings.values = {{"Extension", "txt"}, {"LastFolder", "/old"}};
    // An empty answer (also Cancel) stops before the folder dialog and saves nothing.
    scan.prompts.inputs = {""};
    scan.Run();
    EXPECT_EQ(scan.prompts.inputDefaults.back(), "txt");
    EXPECT_TRUE(scan.chooser.starts.empty());
    EXPECT_EQ(scan.settings.values["Extension"], "txt");
    EXPECT_TRUE(scan.pointer.history.empty());

    // Cancelling the folder dialog keeps the new extension and the old folder.
    scan.prompts.inputs = {"dat"};
    scan.chooser.answer = "";
    scan.Run();
    EXPECT_EQ(scan.settings.values["Extension"], "dat");
    EXPECT_EQ(scan.settings.values["LastFolder"], "/old");
    EXPECT_TRUE(scan.pointer.history.empty());
    EXPECT_EQ(scan.files.Count(), 0);
}

TEST(FolderScan, AFailingStepIsReportedAndTheCommandGoesOn) {
    TempTree tree;
    tree.File("data/a.csv");
    ScanFixture scan;
    scan.settings.failWrites = true;
    scan.prompts.inputs = {"csv"};
    scan.chooser.answer = tree.Path("data");
    scan.Run();
    // Neither setting can be saved: each failure is shown and the scan still runs.
    const std::string failure = "Cannot save the settings file: permission denied";
    const std::string location = "in Korvath2021/08/31.Form2.PushButton4_Click ";
    ASSERT_EQ(scan.prompts.messages.size(), 2u);
    EXPECT_EQ(scan.prompts.messages[0].text, ApplicationErrorText(failure, location, 3));
    EXPECT_EQ(scan.prompts.messages[1].text, ApplicationErrorText(failure, location, 6));
    EXPECT_EQ(scan.prompts.messages[0].caption, "Application Error");
    EXPECT_EQ(scan.prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(scan.files.Count(), 1);
    EXPECT_THAT(scan.pointer.history, ElementsAre(kPointerBusy, kPointerDefault));
}

TEST(FolderScan, ThePageIsBusyOnlyWhileTheWalkRuns) {
    TempTree tree;
    tree.File("data/a.csv");
    ScanFixture scan;
    scan.prompts.inputs = {"csv"};
    scan.chooser.answer = tree.Path("data");
    auto env = scan.Environment();
    std::vector<int> pointerWhileWalking;
    env.walk.yield = [&] { pointerWhileWalking.push_back(scan.pointer.Get()); };
    AddAllFilesInFolder(env);
    ASSERT_FALSE(pointerWhileWalking.empty());
    for (int pointer : pointerWhileWalking) {
        EXPECT_EQ(pointer, kPointerBusy);
    }
    EXPECT_EQ(scan.pointer.Get(), kPointerDefault);
}

}  // namespace
}  // namespace quillmere

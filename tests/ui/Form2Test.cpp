#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "app/ui/PagePointerQt.h"
#include "app/ui/WindowHelpers.h"
#include "filelist/FileListEntries.h"
#include "filelist/SampleFiles.h"
#include "filelist/ui/FileListView.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::MoveOver;
using testing::PageHarness;

// The files page reached through "Next >" on a database with two tables.
class FilesPage : public ::testing::Test {
  protected:
    Form2& Open() {
        database = h.AddDatabase("shop.mdb", {{"TABLE", "Orders"}, {"TABLE", "Customers"}});
        h.settings.values["Database"] = database;
        EXPECT_TRUE(h.Page1().Load());
        EXPECT_TRUE(h.Page1().HasFilesPage());
        return h.Page2();
    }
    QRadioButton* Option(const char* name) { return h.Find<QRadioButton>(h.Page2(), name); }
    QWidget* Control(const char* name) { return h.Find<QWidget>(h.Page2(), name); }
    std::vector<std::string> Entries() { return testing::Entries(h.Page2().Files()); }
    void ExpectCreateModeEnabling() {
        for (const char* on : {"Option3", "Option4", "Label5", "Text2", "Option5", "Text1",
                               "Frame3", "Frame6", "Text4"}) {
            EXPECT_TRUE(Control(on)->isEnabled()) << on;
        }
        for (const char* off : {"Frame4", "Check2", "Label2", "List1"}) {
            EXPECT_FALSE(Control(off)->isEnabled()) << off;
        }
    }
    void ExpectAppendModeEnabling() {
        for (const char* on : {"Frame4", "Check2", "Label2", "List1", "Option5", "Text1", "Frame3",
                               "Frame6", "Text4", "PushButton8"}) {
            EXPECT_TRUE(Control(on)->isEnabled()) << on;
        }
        for (const char* off : {"Option3", "Option4", "Label5", "Text2"}) {
            EXPECT_FALSE(Control(off)->isEnabled()) << off;
        }
    }
    PageHarness h;
    std::string database;
};

TEST_F(FilesPage, FirstRunShowsTheCreateModeDefaults) {
    Form2& page = Open();
    EXPECT_TRUE(h.prompts.messages.empty());
    EXPECT_EQ(page.windowTitle(), "Quillmere");
    EXPECT_TRUE(Option("Option1")->isChecked());
    EXPECT_TRUE(Option("Option3")->isChecked());
    EXPECT_TRUE(Option("Option11")->isChecked());
    EXPECT_EQ(h.Find<QLineEdit>(page, "Text4")->text(), "|");
    EXPECT_EQ(h.Find<QLineEdit>(page, "Text1")->text(), "NewField[counter]");
    EXPECT_EQ(h.Find<QLineEdit>(page, "Text2")->text(), "NewTable[counter]");
    EXPECT_FALSE(h.Find<QCheckBox>(page, "Check2")->isChecked());
    ExpectCreateModeEnabling();

    // Captions and nesting.
    EXPECT_EQ(h.Find<QGroupBox>(page, "Frame6")->title(), "CSV Delimiter");
    EXPECT_EQ(h.Find<QGroupBox>(page, "Frame2")->title(), "Create / Append Options");
    EXPECT_EQ(Control("Frame3")->parentWidget()->objectName(), "Frame2");
    EXPECT_EQ(Control("Frame4")->parentWidget()->objectName(), "Frame2");
    EXPECT_EQ(Control("List1")->parentWidget()->objectName(), "Frame4");
    EXPECT_EQ(Control("PushButton8")->parentWidget()->objectName(), "Frame4");
    EXPECT_EQ(Control("Text4")->parentWidget()->objectName(), "Frame6");
    EXPECT_EQ(Option("Option4")->text(), "You will specify columns names after clicking 'Start'");
    EXPECT_EQ(h.Find<QCheckBox>(page, "Check2")->text(),
              "Ignore first line in file because it is a header row (title row)");
    EXPECT_EQ(h.Find<QLabel>(page, "Label2")->text(), "Append To This Table:");
    for (const auto& [name, caption] : std::vector<std::pair<const char*, const char*>>{
             {"PushButton1", "Start Importing"},
             {"PushButton2", "Move Up"},
             {"PushButton3", "Add CSV File(s)"},
             {"PushButton4", "Add All File(s) In Folder"},
             {"PushButton5", "< Back"},
             {"PushButton7", "Move Down"},
             {"PushButton8", "?"},
             {"PushButton9", "Clear List"},
             {"PushButton10", "Load Sample/Example Files"}}) {
        EXPECT_EQ(h.Find<QPushButton>(page, name)->text(), caption);
    }
    // The file list: one column "CSV Files", 6500 twips, the tooltip.
    auto& list = page.ListView1();
    EXPECT_EQ(list.columnCount(), 1);
    EXPECT_EQ(list.headerItem()->text(0), "CSV Files");
    EXPECT_EQ(list.columnWidth(0), TwipsToPixels(6500, &page));
    EXPECT_EQ(list.toolTip().toStdString(), kFileListToolTip);
    // The face colour on the page.
    EXPECT_TRUE(page.autoFillBackground());
}

TEST_F(FilesPage, StoredAppendModeRestoresItsEnablingAndEveryValue) {
    h.settings.values = {{"Option1", "False"},      {"Option2", "True"}, {"Option3", "False"},
                         {"Option4", "False"},      {"Option5", "True"}, {"Option11", "False"},
                         {"Option14", "True"},      {"Other", "~"},      {"Text1", "Col[counter]"},
                         {"Text2", "Imp[counter]"}, {"Check2", "1"}};
    Open();
    EXPECT_TRUE(h.prompts.messages.empty());
    EXPECT_TRUE(Option("Option2")->isChecked());
    EXPECT_TRUE(Option("Option5")->isChecked());
    EXPECT_TRUE(Option("Option14")->isChecked());
    EXPECT_EQ(h.Page2().Delimiter(), "\t");
    EXPECT_EQ(h.Page2().Mode(), ImportMode::AppendToTable);
    EXPECT_EQ(h.Page2().Naming(), ColumnNaming::Automatic);
    EXPECT_EQ(h.Page2().FieldNamePattern(), "Col[counter]");
    EXPECT_EQ(h.Page2().TableNamePattern(), "Imp[counter]");
    EXPECT_TRUE(h.Page2().SkipFirstLine());
    EXPECT_EQ(h.Page2().AppendTable(), std::optional<std::string>("Orders"));
    EXPECT_EQ(h.Find<QLineEdit>(h.Page2(), "Text4")->text(), "~");
    ExpectAppendModeEnabling();
    // The restore ran the handlers: the group keys were written back.
    EXPECT_EQ(h.settings.values["Option1"], "False");
    EXPECT_EQ(h.settings.values["Option14"], "True");
    EXPECT_EQ(h.settings.values["Option11"], "False");
}

TEST_F(FilesPage, ConflictingStoredValuesEndWithTheButtonRestoredLast) {
    h.settings.values = {{"Option1", "True"},  {"Option2", "True"},  {"Option3", "True"},
                         {"Option4", "True"},  {"Option11", "True"}, {"Option13", "True"},
                         {"Option15", "False"}};
    Open();
    EXPECT_TRUE(Option("Option2")->isChecked());
    EXPECT_FALSE(Option("Option1")->isChecked());
    ExpectAppendModeEnabling();
    EXPECT_TRUE(Option("Option4")->isChecked());
    EXPECT_FALSE(Option("Option3")->isChecked());
    EXPECT_TRUE(Option("Option13")->isChecked());
    EXPECT_EQ(h.Page2().Delimiter(), ";");
    // After the load at most one key of each group reads "True".
    EXPECT_EQ(h.settings.values["Option1"], "False");
    EXPECT_EQ(h.settings.values["Option11"], "False");
}

TEST_F(FilesPage, StoredFalseForEveryButtonOfAGroupLeavesNoneSelected) {
    h.settings.values = {
        {"Option1", "False"}, {"Option2", "False"}, {"Option3", "0"}, {"Option11", "False"}};
    Open();
    EXPECT_EQ(h.Page2().Mode(), ImportMode::None);
    EXPECT_EQ(h.Page2().Naming(), ColumnNaming::None);
    EXPECT_EQ(h.Page2().Delimiter(), "");
    ExpectCreateModeEnabling();  // the design state stays
}

TEST_F(FilesPage, AStoredValueThatCannotBeConvertedIsReportedAndTheLoadGoesOn) {
    h.settings.values = {
        {"Option3", "yes"}, {"Check2", "x"}, {"Option5", "True"}, {"Text2", "Later[counter]"}};
    Open();
    ASSERT_EQ(h.prompts.messages.size(), 2u);
    for (const auto& message : h.prompts.messages) {
        EXPECT_NE(message.text.find("\r\nin Korvath2021/08/31.Form2.Form_Load at line 6\r\r"),
                  std::string::npos)
            << message.text;
        EXPECT_EQ(message.caption, "Application Error");
    }
    EXPECT_NE(h.prompts.messages[0].text.find("Type mismatch"), std::string::npos);
    EXPECT_FALSE(h.Find<QCheckBox>(h.Page2(), "Check2")->isChecked());
    EXPECT_TRUE(Option("Option5")->isChecked());  // restored after the failing key
    EXPECT_EQ(h.Page2().TableNamePattern(), "Later[counter]");
}

TEST_F(FilesPage, GroupsAreWrittenTogetherOnEveryClick) {
    Open();
    h.settings.writes.clear();
    Option("Option11")->click();  // already selected: still rewrites all five
    ASSERT_EQ(h.settings.writes.size(), 5u);
    EXPECT_EQ(h.settings.writes[0], std::make_pair(std::string("Option11"), std::string("True")));
    EXPECT_EQ(h.settings.writes[4], std::make_pair(std::string("Option15"), std::string("False")));
    Option("Option15")->click();
    EXPECT_EQ(h.settings.values["Option11"], "False");
    EXPECT_EQ(h.settings.values["Option15"], "True");
    EXPECT_EQ(h.Page2().Delimiter(), "|");

    h.settings.writes.clear();
    Option("Option5")->click();
    EXPECT_EQ(h.settings.writes.size(), 3u);
    EXPECT_EQ(h.settings.values["Option5"], "True");
    EXPECT_EQ(h.settings.values["Option3"], "False");

    h.settings.writes.clear();
    Option("Option2")->click();  // Check2 is usable in append mode
    h.Find<QCheckBox>(h.Page2(), "Check2")->click();
    EXPECT_EQ(h.settings.values["Check2"], "1");

    auto* text4 = h.Find<QLineEdit>(h.Page2(), "Text4");
    text4->clear();
    EXPECT_EQ(h.settings.values["Other"], "");
    QTest::keyClicks(text4, "::");
    EXPECT_EQ(h.settings.values["Other"], "::");
    QTest::keyClicks(h.Find<QLineEdit>(h.Page2(), "Text1"), "X");
    EXPECT_EQ(h.settings.values["Text1"], "NewField[counter]X");
}

TEST_F(FilesPage, SwitchingModesAppliesTheRulesAndKeepsTheNamingChoice) {
    Open();
    Option("Option4")->click();
    Option("Option2")->click();
    ExpectAppendModeEnabling();
    EXPECT_EQ(h.settings.values["Option1"], "False");
    EXPECT_EQ(h.settings.values["Option2"], "True");
    Option("Option1")->click();
    ExpectCreateModeEnabling();
    EXPECT_TRUE(Option("Option4")->isChecked());
    EXPECT_EQ(h.settings.values["Option1"], "True");
}

TEST_F(FilesPage, AnEmptyOtherDelimiterIsRefusedWhenTheBoxLosesTheFocus) {
    Form2& page = Open();
    auto* text4 = h.Find<QLineEdit>(page, "Text4");
    text4->clear();
    QFocusEvent lost(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(text4, &lost);
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    EXPECT_EQ(h.prompts.messages[0].text, "You forgot to input a value.");
    EXPECT_EQ(h.prompts.messages[0].caption, "");
    EXPECT_EQ(h.prompts.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(page.focusWidget(), text4);
    // Switching to another window is no loss of focus; a filled box is never refused.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(text4, &away);
    text4->setText(",");
    QApplication::sendEvent(text4, &lost);
    EXPECT_EQ(h.prompts.messages.size(), 1u);
}

TEST_F(FilesPage, TheHelpBoxShowsBothParagraphs) {
    Open().PushButton8_Click();
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    const auto& text = h.prompts.messages[0].text;
    EXPECT_EQ(text.rfind("If you are using the \"Append\" feature, make sure the number of "
                         "columns in the CSV file match the number of columns in the table.\r\r"
                         "Also when appending,",
                         0),
              0u);
    EXPECT_EQ(text.substr(text.size() - 30), "to a Number field in MS Access");
    EXPECT_EQ(h.prompts.messages[0].buttons, MessageButtons::Ok);
}

TEST_F(FilesPage, BackAndNextKeepTheListAndOptionsAndRefillTheTables) {
    Form2& page = Open();
    page.Files().Append("/data/a.csv");
    Option("Option13")->click();
    page.PushButton5_Click();
    EXPECT_TRUE(h.Page1().isVisible());
    EXPECT_FALSE(page.isVisible());
    h.sessions.files[database].schemaRows = {{"TABLE", "Fresh"}};
    h.Page1().PushButton3_Click();
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(Entries(), std::vector<std::string>{"/data/a.csv"});
    EXPECT_TRUE(Option("Option13")->isChecked());
    auto* list1 = h.Find<QListWidget>(page, "List1");
    ASSERT_EQ(list1->count(), 1);
    EXPECT_EQ(list1->item(0)->text(), "Fresh");
}

TEST_F(FilesPage, ClosingEndsTheProgram) {
    Form2& page = Open();
    page.close();
    EXPECT_EQ(h.programEnds, 1);
}

TEST_F(FilesPage, RemoveClearAndMoveOnTheList) {
    Form2& page = Open();
    h.nextCsvChoice = {"/d/1.csv", "/d/2.csv", "/d/3.csv"};
    page.PushButton3_Click();
    h.nextCsvChoice = {};
    page.PushButton3_Click();  // cancelled
    EXPECT_EQ(Entries(), (std::vector<std::string>{"/d/1.csv", "/d/2.csv", "/d/3.csv"}));
    EXPECT_EQ(page.ListView1().topLevelItemCount(), 3);

    // The view's selection is the model's.
    page.ListView1().setCurrentItem(page.ListView1().topLevelItem(1));
    EXPECT_EQ(page.Files().Selected(), 2);
    page.PushButton2_Click();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"/d/2.csv", "/d/1.csv", "/d/3.csv"}));
    EXPECT_EQ(page.ListView1().currentItem()->text(0), "/d/2.csv");
    page.PushButton2_Click();  // already first
    page.Files().Select(3);
    page.PushButton7_Click();  // already last
    EXPECT_EQ(Entries(), (std::vector<std::string>{"/d/2.csv", "/d/1.csv", "/d/3.csv"}));

    QTest::keyClick(&page.ListView1(), Qt::Key_Backspace);
    EXPECT_EQ(page.Files().Count(), 3);
    QTest::keyClick(&page.ListView1(), Qt::Key_Delete);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"/d/2.csv", "/d/1.csv"}));
    page.Files().Select(1);
    QTest::mouseDClick(page.ListView1().viewport(), Qt::LeftButton);
    EXPECT_EQ(page.Files().Count(), 1);
    EXPECT_EQ(page.ListView1().topLevelItemCount(), 1);
    page.PushButton9_Click();
    EXPECT_EQ(page.Files().Count(), 0);
    EXPECT_EQ(page.ListView1().topLevelItemCount(), 0);
}

TEST_F(FilesPage, TheHourglassBlocksRemoveClearAndMove) {
    Form2& page = Open();
    for (const char* path : {"/a.csv", "/b.csv", "/c.csv"}) {
        page.Files().Append(path);
    }
    page.Files().Select(2);
    page.Pointer().Set(kPointerBusy);
    page.PushButton2_Click();
    page.PushButton7_Click();
    page.PushButton9_Click();
    QTest::keyClick(&page.ListView1(), Qt::Key_Delete);
    QTest::mouseDClick(page.ListView1().viewport(), Qt::LeftButton);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"/a.csv", "/b.csv", "/c.csv"}));
    // Adding is not blocked.
    h.nextCsvChoice = {"/d.csv"};
    page.PushButton3_Click();
    EXPECT_EQ(page.Files().Count(), 4);
}

TEST_F(FilesPage, SampleFilesComeFromTheScrambledSnapshot) {
    const auto a = h.folder.Write("Samples/a.csv", "x,y\n");
    const auto b = h.folder.Write("Samples/b.csv", "x;y\n");
    h.settings.values["Snapshot"] = ScrambleSnapshot(a + "|" + b + "|/gone.csv");
    Form2& page = Open();
    h.prompts.answers = {MessageAnswer::Yes};
    page.PushButton10_Click();
    page.PushButton10_Click();
    EXPECT_EQ(Entries(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(h.prompts.messages.size(), 2u);
    EXPECT_EQ(h.openedFolders, std::vector<std::string>{(h.folder / "Samples").string()});
}

TEST_F(FilesPage, PointerRuleOverTheOptionsAndButtons) {
    Form2& page = Open();
    MoveOver(page, Control("PushButton1"));
    EXPECT_EQ(page.Pointer().Get(), kPointerCustom);
    MoveOver(page, Control("Option1"));  // no rule of its own: the hand stays
    MoveOver(page, Control("Check2"));
    EXPECT_EQ(page.Pointer().Get(), kPointerCustom);
    MoveOver(page, Control("Option12"));
    EXPECT_EQ(page.Pointer().Get(), kPointerDefault);
    MoveOver(page, Control("PushButton8"));
    MoveOver(page, Control("Frame6"), QPoint(1, 1));
    EXPECT_EQ(page.Pointer().Get(), kPointerDefault);
    page.Pointer().Set(kPointerBusy);  // an import run or folder scan
    for (const char* name : {"PushButton1", "PushButton9", "Frame2", "List1", "Text4"}) {
        MoveOver(page, Control(name));
        EXPECT_EQ(page.Pointer().Get(), kPointerBusy) << name;
    }
}

TEST_F(FilesPage, TheFolderButtonRunsItsHook) {
    Form2& page = Open();
    page.PushButton4_Click();  // no hook yet: nothing
    int runs = 0;
    page.SetFolderScanHook([&](Form2&) { ++runs; });
    h.Find<QPushButton>(page, "PushButton4")->click();
    EXPECT_EQ(runs, 1);
}

TEST_F(FilesPage, StartImportingHandsThePageToTheRun) {
    Form2& page = Open();
    h.Find<QLineEdit>(h.Page1(), "Text2")->setText("pw");
    page.Files().Append("/a.csv");
    page.Files().Append("/b.csv");
    int runs = 0;
    QString statusDuringRun;
    // A run that checks what it was given, what the page blocks meanwhile and what it shows.
    h.run = [&](RunEnvironment env) {
        ++runs;
        EXPECT_EQ(dynamic_cast<Form2*>(env.options), &page);
        EXPECT_EQ(env.connectionString(), "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                              database + ";JET OLEDB:Database Password=pw");
        EXPECT_EQ(env.files, &page.Files());
        EXPECT_EQ(env.sessions, &h.sessions);
        ASSERT_EQ(env.tables->Count(), 2);
        env.tables->InsertAtTop("NewTable1");
        env.pointer->Set(kPointerBusy);
        EXPECT_TRUE(page.ImportInProgress());
        page.PushButton1_Click();  // a second click while running: ignored
        page.Files().Select(2);
        page.PushButton9_Click();
        page.PushButton2_Click();
        EXPECT_EQ(page.Files().Entry(2), "/b.csv");
        EXPECT_EQ(page.Files().Count(), 2);
        env.progress({2, 2, "/data/b.csv", 1500, 3000});
        statusDuringRun = page.StatusText();
        env.finished(ImportSummary{2, 1, 1500});
        env.pointer->Set(kPointerDefault);
    };
    EXPECT_EQ(page.StatusText(), "");
    h.Find<QPushButton>(page, "PushButton1")->click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(statusDuringRun, "Importing file 2 of 2: b.csv (1500 rows)");
    EXPECT_EQ(page.StatusText().toStdString().rfind("1 file imported, 1500 rows stored, ", 0), 0u);
    EXPECT_FALSE(page.ImportInProgress());
    EXPECT_EQ(h.Find<QListWidget>(page, "List1")->item(0)->text(), "NewTable1");
}

TEST_F(FilesPage, TheRunsYieldLetsEventsInAtMostEveryTenMilliseconds) {
    Form2& page = Open();
    int delivered = 0;
    h.run = [&](RunEnvironment env) {
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
        QTimer::singleShot(0, [&] { ++delivered; });
        env.yield();  // more than 10 ms since the last pass: events run
        EXPECT_EQ(delivered, 1);
        QTimer::singleShot(0, [&] { ++delivered; });
        env.yield();  // right after: no pass
        EXPECT_EQ(delivered, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
        env.yield();
        EXPECT_EQ(delivered, 2);
    };
    page.PushButton1_Click();
}

TEST_F(FilesPage, ImportsTwoFilesThroughTheWindowWithTheRealRun) {
    Form2& page = Open();
    const auto first = h.folder.Write("first.csv", "Name,Qty\nnail,10\nscrew,20\n");
    const auto second = h.folder.Write("second.csv", "Name,Qty\nbolt,5\n");
    ::setenv("XDG_STATE_HOME", (h.folder.Path() / "state").c_str(), 1);
    h.nextCsvChoice = {QString::fromStdString(first), QString::fromStdString(second)};
    page.PushButton3_Click();
    h.Find<QPushButton>(page, "PushButton1")->click();
    EXPECT_EQ(h.prompts.Texts(), std::vector<std::string>{"Done."});
    EXPECT_EQ(h.sessions.executed,
              (std::vector<std::string>{"CREATE TABLE `NewTable1`(`Name` VARCHAR, `Qty` VARCHAR);",
                                        "INSERT INTO `NewTable1` VALUES('nail','10');",
                                        "INSERT INTO `NewTable1` VALUES('screw','20');",
                                        "CREATE TABLE `NewTable2`(`Name` VARCHAR, `Qty` VARCHAR);",
                                        "INSERT INTO `NewTable2` VALUES('bolt','5');"}));
    auto* list1 = h.Find<QListWidget>(page, "List1");
    EXPECT_EQ(list1->item(0)->text(), "NewTable2");
    EXPECT_EQ(list1->item(1)->text(), "NewTable1");
    EXPECT_EQ(page.Pointer().Get(), kPointerDefault);
}

}  // namespace
}  // namespace quillmere

// The files page while an import runs or a folder scan walks: the commands that would disturb
// the work are disabled from its start to its end, whichever way it ends; the list refuses drops
// and drags meanwhile; the options stay live and closing still ends the program.
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>

#include <gtest/gtest.h>

#include "app/ui/PagePointerQt.h"
#include "filelist/ui/FileListView.h"
#include "tests/ui/ListDriver.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::FileUrls;
using testing::ListDriver;
using testing::PageHarness;

constexpr const char* kCommands[] = {"PushButton3", "PushButton4", "PushButton10", "PushButton2",
                                     "PushButton7", "PushButton9", "PushButton5",  "PushButton1"};
constexpr const char* kLiveControls[] = {
    "ListView1", "Frame6",  "Option11", "Option12", "Option13", "Option14",
    "Option15",  "Text4",   "Frame2",   "Option1",  "Option2",  "Frame3",
    "Option3",   "Option4", "Option5",  "Text1",    "Text2"};

// The files page of a database with a table "Orders", shown.
struct OpenPage {
    PageHarness h;
    std::string database;
    Form2* page = nullptr;
    QString folderChoice;  // what the folder dialog returns

    OpenPage() {
        h.context.chooseFolder = [this](QWidget*, const QString&, const QString&) {
            return folderChoice;
        };
        database = h.AddDatabase("shop.mdb", {{"TABLE", "Orders"}});
        h.settings.values["Database"] = database;
        ::setenv("XDG_STATE_HOME", (h.folder.Path() / "state").c_str(), 1);
        EXPECT_TRUE(h.Page1().Load());
        page = &h.Page2();
    }
    QWidget* Control(const char* name) { return h.Find<QWidget>(*page, name); }
    void AddCsv(const char* name, const std::string& text) {
        page->Files().Append(h.folder.Write(name, text));
    }
    void ExpectCommands(bool enabled, const std::string& when) {
        for (const char* name : kCommands) {
            EXPECT_EQ(Control(name)->isEnabled(), enabled) << name << " " << when;
        }
        EXPECT_EQ(page->CommandsLocked(), !enabled) << when;
    }
    // In create mode every one of them is enabled, run or no run.
    void ExpectLiveControls(const std::string& when) {
        for (const char* name : kLiveControls) {
            EXPECT_TRUE(Control(name)->isEnabled()) << name << " " << when;
        }
    }
    // The run the page starts, with a look at the page at its first yield.
    void RunWithFirstYield(std::function<void()> look) {
        h.run = [look = std::move(look)](RunEnvironment environment) {
            auto yield = environment.yield;
            environment.yield = [yield, look, looked = false]() mutable {
                if (!looked) {
                    looked = true;
                    look();
                }
                yield();
            };
            RunImportToEnd(std::move(environment));
        };
    }
};

TEST(FilesPageRunLock, EveryDisturbingCommandIsDisabledWhileTheRunYieldsAndNoneActs) {
    OpenPage p;
    Form2& page = *p.page;
    p.AddCsv("first.csv", "Name,Qty\nnail,10\nscrew,20\n");
    p.AddCsv("second.csv", "Name,Qty\nbolt,5\n");
    const std::vector<std::string> listed = {page.Files().Entry(1), page.Files().Entry(2)};
    page.Files().Select(1);
    page.show();
    p.ExpectCommands(true, "before the run");

    int looks = 0;
    p.RunWithFirstYield([&] {
        ++looks;
        p.ExpectCommands(false, "inside the yield");
        p.ExpectLiveControls("inside the yield");
        EXPECT_EQ(page.Pointer().Get(), kPointerBusy);
        // Clicks on every disabled command change nothing: no sample box, no second run, the
        // page stays, the list is as it was.
        for (const char* name : kCommands) {
            QTest::mouseClick(p.Control(name), Qt::LeftButton);
        }
        QTest::keyClick(&page.ListView1(), Qt::Key_Delete);
        ListDriver list{page.ListView1()};
        std::unique_ptr<QMimeData> dropped(FileUrls({listed[0]}));
        EXPECT_FALSE(list.DragOver(*dropped));
        list.Drop(*dropped);
        list.Press(list.RowCentre(1));
        list.MoveHeld(list.RowCentre(2));
        list.Release(list.RowCentre(2));
        EXPECT_EQ(page.Files().Count(), 2);
        EXPECT_EQ(page.Files().Entry(1), listed[0]);
        EXPECT_EQ(page.Files().Entry(2), listed[1]);
        EXPECT_TRUE(page.isVisible());
        EXPECT_TRUE(p.h.prompts.messages.empty());
        // The options are live: a click is saved at once.
        QTest::mouseClick(p.Control("Option13"), Qt::LeftButton);
        EXPECT_EQ(p.h.settings.values["Option13"], "True");
    });
    QTest::mouseClick(p.Control("PushButton1"), Qt::LeftButton);

    EXPECT_EQ(looks, 1);
    EXPECT_EQ(p.h.prompts.Texts(), std::vector<std::string>{"Done."});
    p.ExpectCommands(true, "after the run");
    p.ExpectLiveControls("after the run");
    // The run took the delimiter at its start: both files were split at commas.
    EXPECT_EQ(p.h.sessions.executed.size(), 5u);
    // Everything acts again once the run is over.
    ListDriver list{page.ListView1()};
    std::unique_ptr<QMimeData> dropped(FileUrls({listed[0]}));
    EXPECT_TRUE(list.DragOver(*dropped));
    QTest::mouseClick(p.Control("PushButton9"), Qt::LeftButton);
    EXPECT_EQ(page.Files().Count(), 0);
}

TEST(FilesPageRunLock, TheCommandsComeBackOnEveryWayARunEnds) {
    struct Ending {
        const char* message;
        std::function<void(OpenPage&)> arrange;
    };
    const Ending endings[] = {
        {"No files added.", [](OpenPage&) {}},
        {"Please select a table.",
         [](OpenPage& p) {
             p.AddCsv("a.csv", "x,y\n1,2\n");
             QTest::mouseClick(p.Control("Option2"), Qt::LeftButton);
             p.h.Find<QListWidget>(*p.page, "List1")->clearSelection();
         }},
        {"Table name already exists.",
         [](OpenPage& p) {
             p.AddCsv("a.csv", "x,y\n1,2\n");
             p.h.Find<QLineEdit>(*p.page, "Text2")->setText("ORDERS");
         }},
        {"Table(s) already exist.",
         [](OpenPage& p) {
             p.AddCsv("a.csv", "x,y\n1,2\n");
             p.AddCsv("b.csv", "x,y\n3,4\n");
             p.h.Find<QLineEdit>(*p.page, "Text2")->setText("Fresh");
         }},
        {"Done.", [](OpenPage& p) { p.AddCsv("a.csv", "x,y\n1,2\n"); }},
        {"the error path",
         [](OpenPage& p) {
             p.AddCsv("a.csv", "x,y\n1,2\n");
             p.page->Files().Append((p.h.folder / "missing.csv").string());
         }},
    };
    for (const auto& ending : endings) {
        OpenPage p;
        ending.arrange(p);
        p.ExpectCommands(true, std::string("before ") + ending.message);
        bool lockedAtTheMessage = false;
        p.h.prompts.onMessage = [&](const std::string&) {
            lockedAtTheMessage = p.page->CommandsLocked();
        };
        p.page->PushButton1_Click();
        ASSERT_EQ(p.h.prompts.messages.size(), 1u) << ending.message;
        if (std::string(ending.message) != "the error path") {
            EXPECT_EQ(p.h.prompts.messages[0].text, ending.message);
        } else {
            EXPECT_NE(p.h.prompts.messages[0].text.find("Please email the log file"),
                      std::string::npos);
        }
        EXPECT_TRUE(lockedAtTheMessage) << ending.message;
        p.ExpectCommands(true, std::string("after ") + ending.message);
        EXPECT_EQ(p.page->Pointer().Get(), kPointerDefault);
    }
}

TEST(FilesPageRunLock, ARunThatThrowsStillGivesTheCommandsBack) {
    OpenPage p;
    p.h.run = [](RunEnvironment) { throw std::runtime_error("The engine went away."); };
    p.page->PushButton1_Click();
    ASSERT_EQ(p.h.prompts.messages.size(), 1u);
    EXPECT_EQ(p.h.prompts.messages[0].caption, "Application Error");
    p.ExpectCommands(true, "after a failed run");
}

TEST(FilesPageRunLock, TheFocusLeavesADisabledButtonForTheListAndComesBack) {
    OpenPage p;
    Form2& page = *p.page;
    p.AddCsv("a.csv", "x,y\n1,2\n");
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    p.Control("PushButton1")->setFocus();
    QWidget* focusedDuringRun = nullptr;
    p.RunWithFirstYield([&] { focusedDuringRun = QApplication::focusWidget(); });
    page.PushButton1_Click();
    EXPECT_EQ(focusedDuringRun, &page.ListView1());
    EXPECT_EQ(QApplication::focusWidget(), p.Control("PushButton1"));
}

TEST(FilesPageRunLock, ClosingThePageDuringTheRunEndsTheProgram) {
    OpenPage p;
    p.AddCsv("a.csv", "x,y\n1,2\n");
    p.page->show();
    p.RunWithFirstYield([&] { p.page->close(); });
    p.page->PushButton1_Click();
    EXPECT_EQ(p.h.programEnds, 1);
}

TEST(FilesPageRunLock, TheFolderScanLocksTheCommandsWhileItWalks) {
    OpenPage p;
    Form2& page = *p.page;
    p.h.folder.Write("tree/one.csv", "x,y\n");
    p.h.folder.Write("tree/sub/two.csv", "x,y\n");
    p.h.prompts.inputs = {"csv"};
    p.folderChoice = QString::fromStdString((p.h.folder / "tree").string());
    std::vector<bool> lockedWhileBusy;
    QObject::connect(&page.Pointer(), &WidgetPointer::pointerChanged, &page, [&](int value) {
        if (value == kPointerBusy) {
            lockedWhileBusy.push_back(page.CommandsLocked() &&
                                      !p.Control("PushButton10")->isEnabled());
        }
    });
    p.ExpectCommands(true, "before the scan");
    QTest::mouseClick(p.Control("PushButton4"), Qt::LeftButton);
    EXPECT_EQ(lockedWhileBusy, std::vector<bool>{true});
    EXPECT_EQ(page.Files().Count(), 2);
    p.ExpectCommands(true, "after the scan");
}

}  // namespace
}  // namespace quillmere

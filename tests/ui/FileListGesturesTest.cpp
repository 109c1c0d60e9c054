#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "app/ProgramFolder.h"
#include "app/ui/PagePointerQt.h"
#include "filelist/FileList.h"
#include "filelist/FileListEntries.h"
#include "filelist/TempTree.h"
#include "filelist/ui/FileListDragReorder.h"
#include "filelist/ui/FileListDrop.h"
#include "filelist/ui/FileListView.h"
#include "filelist/ui/FolderScanQt.h"
#include "filelist/ui/FolderWalkHooksQt.h"
#include "import/RunEnvironment.h"
#include "options/ui/Form2.h"
#include "support/FakePrompts.h"
#include "tests/ui/ListDriver.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {

using ::testing::ElementsAre;
using testing::Entries;
using testing::FileUrls;
using testing::ListDriver;
using testing::TempTree;

// A shown file list of its own with drops and drag reordering attached.
struct ShownList : ListDriver {
    FileList files;
    FileListView listView{files};
    FileListDrop drop;
    FileListDragReorder drag{listView, files, nullptr};
    explicit ShownList(int height = 200, FolderWalkHooks hooks = {})
        : ListDriver{listView}, drop(listView, files, std::move(hooks)) {
        listView.resize(400, height);
        listView.show();
        QApplication::processEvents();
    }
};

TEST(FileListDrop, TakesFilesAndFoldersInTheirOrderAndRefusesText) {
    TempTree tree;
    const std::string file = tree.File("loose.txt");
    tree.File("folder/a.csv");
    tree.File("folder/sub/b.xlsx");
    ShownList list;

    std::unique_ptr<QMimeData> text(new QMimeData);
    text->setText("just some text");
    EXPECT_FALSE(list.DragOver(*text));
    list.Drop(*text);
    EXPECT_EQ(list.files.Count(), 0);

    std::unique_ptr<QMimeData> web(new QMimeData);
    web->setUrls({QUrl("https://example.org/x.csv")});
    EXPECT_FALSE(list.DragOver(*web));

    std::unique_ptr<QMimeData> both(FileUrls({file, tree.Path("folder")}));
    EXPECT_TRUE(list.DragOver(*both));
    // A drop never answers "moved", which would let a file manager delete the dropped files.
    QDragEnterEvent moving(list.RowCentre(1), Qt::CopyAction | Qt::MoveAction, both.get(),
                           Qt::LeftButton, Qt::ShiftModifier);
    moving.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(list.Viewport(), &moving);
    EXPECT_TRUE(moving.isAccepted());
    EXPECT_EQ(moving.dropAction(), Qt::CopyAction);
    list.Drop(*both);
    EXPECT_THAT(Entries(list.files),
                ElementsAre(file, tree.Path("folder/a.csv"), tree.Path("folder/sub/b.xlsx")));
    EXPECT_EQ(list.listView.topLevelItemCount(), 3);

    // Clicking an entry does not switch drops off.
    list.Press(list.RowCentre(1));
    list.Release(list.RowCentre(1));
    EXPECT_TRUE(list.DragOver(*both));
    // A name that is not UTF-8 (Latin-1 bytes) arrives byte for byte.
    const std::string latin1 = tree.File("caf\xE9.csv");
    const std::string odd = tree.File("50% #1 a&b.csv");
    std::unique_ptr<QMimeData> second(FileUrls({tree.Path("folder"), latin1, odd}));
    list.Drop(*second);
    ASSERT_EQ(list.files.Count(), 7);
    EXPECT_EQ(list.files.Entry(6), latin1);
    EXPECT_EQ(list.files.Entry(7), odd);
}

// Reads the real folders but fails on one of them with an input/output error.
class BrokenFolderReader : public DirectoryReader {
  public:
    std::string broken;
    DirectoryListing Read(const std::string& folder) override {
        if (folder != broken) {
            return PlatformDirectoryReader().Read(folder);
        }
        DirectoryListing listing;
        listing.failure = ReadFailure::Other;
        listing.failureText = "Cannot read the folder \"" + folder + "\": Input/output error";
        return listing;
    }
};

TEST(FileListDrop, AFolderThatCannotBeReadIsReportedAndTheDropGoesOn) {
    TempTree tree;
    tree.File("good/a.csv");
    tree.File("bad/b.csv");
    testing::FakePrompts prompts;
    BrokenFolderReader reader;
    reader.broken = tree.Path("bad/");
    FolderWalkHooks hooks = MakeWindowFolderWalkHooks(prompts);
    hooks.reader = &reader;
    ShownList list(200, hooks);
    std::unique_ptr<QMimeData> data(FileUrls({tree.Path("bad"), tree.Path("good")}));
    EXPECT_TRUE(list.DragOver(*data));
    list.Drop(*data);
    EXPECT_THAT(Entries(list.files), ElementsAre(tree.Path("good/a.csv")));
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages[0].caption, "Application Error");
    EXPECT_NE(prompts.messages[0].text.find(
                  "\r\nin Tavisk2021/08/31.AddFolder.GetSubDirectories2016 at line "),
              std::string::npos);
    EXPECT_NE(prompts.messages[0].text.find(tree.Path("bad/")), std::string::npos);
}

TEST(FileListDragReorder, ShowsTheDragCursorFromTheProgramFolderWhenThereIsOne) {
    TempTree tree;
    const char* source = std::getenv("QUILLMERE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::filesystem::copy_file(std::string(source) + "/app/files/drag.ico", tree.Path("drag.ico"));
    OverrideProgramFolder(tree.Root());
    ShownList list;
    list.files.Append("A");
    list.files.Append("B");
    list.Press(list.RowCentre(1));
    EXPECT_EQ(list.Viewport()->cursor().shape(), Qt::BitmapCursor);
    list.MoveHeld(list.RowCentre(2));
    list.Release(list.RowCentre(2));
    EXPECT_FALSE(list.Viewport()->testAttribute(Qt::WA_SetCursor));

    // Without the file the drag works all the same.
    std::filesystem::remove(tree.Path("drag.ico"));
    list.Press(list.RowCentre(1));
    EXPECT_FALSE(list.Viewport()->testAttribute(Qt::WA_SetCursor));
    list.MoveHeld(list.RowCentre(2));
    list.Release(list.RowCentre(2));
    EXPECT_THAT(Entries(list.files), ElementsAre("A", "B"));
    OverrideProgramFolder({});
}

TEST(FileListDragReorder, ReleasingBelowTheLastEntryKeepsTheDraggedPathSelected) {
    ShownList list;
    for (const char* name : {"A", "B", "C"}) {
        list.files.Append(name);
    }
    QApplication::processEvents();
    list.Press(list.RowCentre(1));
    list.MoveHeld(list.RowCentre(2));
    list.MoveHeld(list.RowCentre(3));
    const QPoint below(5, list.RowCentre(3).y() + 60);
    list.MoveHeld(below);
    list.Release(below);
    EXPECT_THAT(Entries(list.files), ElementsAre("B", "C", "A"));
    EXPECT_EQ(list.files.Selected(), 3);
    ASSERT_EQ(list.listView.selectedItems().size(), 1);
    EXPECT_EQ(list.listView.selectedItems()[0]->text(0), "A");
}

TEST(FileListDragReorder, ScrollsOneRowWhenDraggedNearAnEdge) {
    ShownList list(120);
    for (int i = 1; i <= 60; ++i) {
        list.files.Append("entry " + std::to_string(i));
    }
    QApplication::processEvents();
    list.listView.scrollTo(list.listView.model()->index(20, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const QModelIndex top = list.listView.indexAt(QPoint(5, 2));
    ASSERT_TRUE(top.isValid());
    const int topRow = top.row() + 1;
    // Press on the second visible row and move onto the top row: one row up comes into view.
    list.Press(list.RowCentre(topRow + 1));
    list.MoveHeld(QPoint(5, 2));
    EXPECT_EQ(list.files.Entry(topRow), "entry " + std::to_string(topRow + 1));
    EXPECT_EQ(list.listView.indexAt(QPoint(5, 2)).row() + 1, topRow - 1);
    list.Release(QPoint(5, 2));

    // Beyond the list's visible area no row is under the pointer, though rows lie there.
    list.Press(list.RowCentre(topRow + 1));
    const std::vector<std::string> before = Entries(list.files);
    list.MoveHeld(QPoint(5, list.Viewport()->height() + 30));
    list.MoveHeld(QPoint(5, -30));
    EXPECT_EQ(Entries(list.files), before);
    list.Release(QPoint(5, -30));

    // Near the bottom edge: one row down.
    const int bottomY = list.Viewport()->height() - 2;
    const int bottomRow = list.listView.indexAt(QPoint(5, bottomY)).row() + 1;
    ASSERT_GT(bottomRow, 0);
    list.Press(list.RowCentre(bottomRow - 1));
    const std::string dragged = list.files.Entry(bottomRow - 1);
    list.MoveHeld(QPoint(5, bottomY));
    EXPECT_GT(list.listView.indexAt(QPoint(5, bottomY)).row() + 1, bottomRow);
    // The scroll left another row under the pointer: releasing there keeps the dragged path
    // selected, so "Move Up" and "Move Down" go on with the file the user carried.
    list.Release(QPoint(5, bottomY));
    EXPECT_EQ(list.files.Entry(bottomRow), dragged);
    EXPECT_EQ(list.files.Selected(), bottomRow);
    ASSERT_EQ(list.listView.selectedItems().size(), 1);
    EXPECT_EQ(list.listView.selectedItems()[0]->text(0).toStdString(), dragged);
}

// The files page as the program builds it: "Add All File(s) In Folder", drops and drags.
struct FilesPage {
    testing::PageHarness harness;
    std::vector<QString> dialogStarts;
    std::vector<QString> dialogPrompts;
    QString nextFolder;
    FilesPage() {
        harness.context.chooseFolder = [this](QWidget*, const QString& prompt,
                                              const QString& start) {
            dialogPrompts.push_back(prompt);
            dialogStarts.push_back(start);
            return nextFolder;
        };
    }
    Form2& Page() { return harness.Page2(); }
    QPushButton* Button(const char* name) { return harness.Find<QPushButton>(Page(), name); }
};

TEST(FilesPageFolderScan, AddAllFilesInFolderAddsTheTreeAndRemembersTheChoices) {
    TempTree tree;
    tree.File("data/a.csv");
    tree.File("data/notes.txt");
    tree.File("data/deeper/b.csv");
    FilesPage f;
    f.harness.settings.values["LastFolder"] = tree.Root();
    f.harness.prompts.inputs = {"csv"};
    f.nextFolder = QString::fromStdString(tree.Path("data"));
    QTest::mouseClick(f.Button("PushButton4"), Qt::LeftButton);

    EXPECT_EQ(f.Button("PushButton4")->text(), "Add All File(s) In Folder");
    EXPECT_EQ(f.harness.prompts.inputDefaults, std::vector<std::string>{"csv"});
    ASSERT_EQ(f.dialogStarts.size(), 1u);
    EXPECT_EQ(f.dialogStarts[0].toStdString(), tree.Root());
    EXPECT_EQ(f.dialogPrompts[0], "Please select folder:");
    EXPECT_THAT(Entries(f.Page().Files()),
                ElementsAre(tree.Path("data/a.csv"), tree.Path("data/deeper/b.csv")));
    EXPECT_EQ(f.Page().ListView1().topLevelItemCount(), 2);
    EXPECT_EQ(f.harness.settings.values["Extension"], "csv");
    EXPECT_EQ(f.harness.settings.values["LastFolder"], tree.Path("data"));
    EXPECT_EQ(f.Page().Pointer().Get(), kPointerDefault);
    EXPECT_FALSE(f.Page().Busy());
    EXPECT_TRUE(f.harness.prompts.messages.empty());

    // Cancelling the folder dialog adds nothing and keeps the remembered folder.
    f.harness.prompts.inputs = {"*"};
    f.nextFolder.clear();
    QTest::mouseClick(f.Button("PushButton4"), Qt::LeftButton);
    EXPECT_EQ(f.Page().Files().Count(), 2);
    EXPECT_EQ(f.harness.settings.values["Extension"], "*");
    EXPECT_EQ(f.harness.settings.values["LastFolder"], tree.Path("data"));
}

TEST(FilesPageFolderScan, ThePagesListTakesDropsAndDragsAfterAClick) {
    TempTree tree;
    const std::string file = tree.File("one.csv");
    tree.File("folder/two.csv");
    FilesPage f;
    Form2& page = f.Page();
    page.show();
    QApplication::processEvents();
    ListDriver list{page.ListView1()};

    std::unique_ptr<QMimeData> data(FileUrls({file, tree.Path("folder")}));
    ASSERT_TRUE(list.DragOver(*data));
    list.Drop(*data);
    ASSERT_THAT(Entries(page.Files()), ElementsAre(file, tree.Path("folder/two.csv")));

    // Drag the first entry onto the second with the mouse.
    list.Press(list.RowCentre(1));
    list.MoveHeld(list.RowCentre(2));
    list.Release(list.RowCentre(2));
    EXPECT_THAT(Entries(page.Files()), ElementsAre(tree.Path("folder/two.csv"), file));
    EXPECT_EQ(page.Files().Selected(), 2);
    EXPECT_TRUE(page.ListView1().topLevelItem(1)->isSelected());

    // The list still takes drops after the click.
    EXPECT_TRUE(list.DragOver(*data));
}

}  // namespace
}  // namespace quillmere

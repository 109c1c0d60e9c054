// What the pages look like to a new user: long paths keep their file names in view, both pages
// use one font family, message boxes show their whole title.
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <set>

#include <gtest/gtest.h>

#include "app/ApplicationTitle.h"
#include "app/ui/QtPrompts.h"
#include "filelist/ui/FileListView.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::PageHarness;

Form2& OpenFilesPage(PageHarness& h) {
    h.settings.values["Database"] = h.AddDatabase("shop.mdb", {});
    EXPECT_TRUE(h.Page1().Load());
    return h.Page2();
}

TEST(PageLook, ALongPathLosesItsMiddleAndShowsWholeInTheTooltip) {
    PageHarness h;
    Form2& page = OpenFilesPage(h);
    const std::string path =
        "/home/someone/projects/quarterly-reports/2024/regional/"
        "north-east/warehouse-stock-levels/exports/final/stock_tab_march.csv";
    page.Files().Append(path);
    page.Files().Append("/short.csv");
    FileListView& list = page.ListView1();
    EXPECT_EQ(list.textElideMode(), Qt::ElideMiddle);
    const QString whole = QString::fromStdString(path);
    EXPECT_EQ(list.topLevelItem(0)->toolTip(0), whole);
    EXPECT_EQ(list.topLevelItem(1)->toolTip(0), "/short.csv");
    // The path is wider than the column, so the row shows it cut, the file name intact.
    const int room = list.columnWidth(0) - 8;
    ASSERT_GT(list.fontMetrics().horizontalAdvance(whole), room);
    const QString shown = list.fontMetrics().elidedText(whole, Qt::ElideMiddle, room);
    EXPECT_TRUE(shown.startsWith("/home/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("stock_tab_march.csv")) << shown.toStdString();
    // The list's own tooltip stays for the space below the rows.
    EXPECT_EQ(list.toolTip().toStdString(), kFileListToolTip);
}

TEST(PageLook, BothPagesUseTheDatabasePagesFontFamily) {
    PageHarness h;
    Form2& page = OpenFilesPage(h);
    std::set<std::string> families;
    for (QWidget* root : std::initializer_list<QWidget*>{&h.Page1(), &page}) {
        families.insert(QFontInfo(root->font()).family().toStdString());
        for (auto* widget : root->findChildren<QWidget*>()) {
            families.insert(QFontInfo(widget->font()).family().toStdString());
        }
    }
    EXPECT_EQ(families.size(), 1u) << *families.begin() << " / " << *families.rbegin();
    EXPECT_EQ(families,
              std::set<std::string>{
                  QFontInfo(h.Find<QWidget>(h.Page1(), "Text1")->font()).family().toStdString()});
}

TEST(PageLook, MessageAndInputBoxesAreWideEnoughForTheirTitle) {
    SetApplicationTitle("Quillmere CSV Import Helper");
    QtPrompts prompts;
    int boxWidth = 0;
    int needed = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxWidth = box->width();
        needed = TitleRoom(box->windowTitle(), *box);
        box->accept();
    });
    prompts.ShowMessage("Done.", MessageButtons::Ok, MessageIcon::None);
    EXPECT_GT(needed, QFontMetrics(QApplication::font()).horizontalAdvance("Done.") + 100);
    EXPECT_GE(boxWidth, needed);

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        boxWidth = dialog->width();
        needed = TitleRoom(dialog->windowTitle(), *dialog);
        dialog->setTextValue("txt");
        dialog->accept();
    });
    EXPECT_EQ(prompts.AskInput("Extension:", "csv"), "txt");
    EXPECT_GE(boxWidth, needed);
    SetApplicationTitle({});
}

TEST(PageLook, TheSampleFolderIsNamedWhenTheDesktopCannotOpenIt) {
    PageHarness h;
    Form2& page = OpenFilesPage(h);
    h.folderOpens = false;
    h.prompts.answers = {MessageAnswer::Yes};
    page.PushButton10_Click();
    ASSERT_EQ(h.prompts.messages.size(), 2u);
    EXPECT_NE(h.prompts.messages[1].text.find((h.folder / "Samples").string()), std::string::npos);
}

}  // namespace
}  // namespace quillmere

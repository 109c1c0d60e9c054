#include <QFontInfo>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/ui/PagePointerQt.h"
#include "app/ui/WindowHelpers.h"
#include "options/ui/Form2.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::MoveOver;
using testing::PageHarness;

const char* kExpectedErrorTail =
    "\r\rPlease email screenshot of this message to support@quillmere.app";

TEST(Form1, FirstRunShowsEmptyBoxesWithTheDesignOfThePage) {
    PageHarness h;
    Form1& page = h.Page1();
    ASSERT_TRUE(page.Load());
    EXPECT_EQ(page.windowTitle(), "Quillmere");
    auto* text1 = h.Find<QLineEdit>(page, "Text1");
    auto* text2 = h.Find<QLineEdit>(page, "Text2");
    EXPECT_EQ(text1->text(), "");
    EXPECT_EQ(text2->text(), "");
    EXPECT_TRUE(h.prompts.messages.empty());
    EXPECT_FALSE(page.HasFilesPage());
    EXPECT_EQ(h.sessions.created, 1);  // the provider check only
    EXPECT_EQ(h.sessions.opened, 0);

    // Captions, kinds and twips positions (15 twips a pixel at 96 dpi).
    EXPECT_EQ(h.Find<QGroupBox>(page, "Frame1")->title(), "Access Database");
    EXPECT_EQ(h.Find<QLabel>(page, "Label5")->text(), "MDB or ACCDB File:");
    EXPECT_EQ(h.Find<QLabel>(page, "lblPassword")->text(), "Password (if required):");
    EXPECT_EQ(h.Find<QPushButton>(page, "PushButton5")->text(), "...");
    EXPECT_EQ(h.Find<QPushButton>(page, "PushButton1")->text(), "Load Sample/Example Database");
    EXPECT_EQ(h.Find<QPushButton>(page, "PushButton3")->text(), "Next >");
    auto px = [&](int twips) { return TwipsToPixels(twips, &page); };
    EXPECT_EQ(page.size(), QSize(px(8040), px(2085)));
    EXPECT_EQ(h.Find<QGroupBox>(page, "Frame1")->geometry(),
              QRect(px(120), px(120), px(7800), px(1335)));
    EXPECT_EQ(text1->geometry(), QRect(px(2280), px(300), px(4695), px(345)));
    EXPECT_EQ(text1->parentWidget()->objectName(), "Frame1");
    EXPECT_EQ(h.Find<QPushButton>(page, "PushButton3")->geometry(),
              QRect(px(4080), px(1575), px(3840), px(405)));
    EXPECT_EQ(text2->font().family(), "Arial");
    EXPECT_TRUE(text2->font().bold());
    EXPECT_DOUBLE_EQ(text2->font().pointSizeF(), 9.0);
    EXPECT_TRUE(h.Find<QPushButton>(page, "PushButton3")->font().bold());
    EXPECT_LE(h.Find<QPushButton>(page, "PushButton3")->font().pointSizeF(), 11.25);

    // Password characters show as "*".
    EXPECT_EQ(text2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(text2->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, text2),
              '*');

    // Tab order Text1, Next >, Text2, "...", "Load Sample", and Text1 first.
    const char* order[] = {"Text1", "PushButton3", "Text2", "PushButton5", "PushButton1"};
    for (int i = 0; i + 1 < 5; ++i) {
        QWidget* next = h.Find<QWidget>(page, order[i])->nextInFocusChain();
        while ((next->focusPolicy() & Qt::TabFocus) == 0) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next->objectName(), order[i + 1]);
    }
    page.show();
    QApplication::setActiveWindow(&page);
    EXPECT_EQ(page.focusWidget(), text1);
}

TEST(Form1, RestoresTheRememberedBoxesAndSavesEveryKeystroke) {
    PageHarness h;
    h.settings.values["Database"] = (h.folder / "moved-away.mdb").string();
    h.settings.values["Password"] = "pw";
    Form1& page = h.Page1();
    ASSERT_TRUE(page.Load());
    auto* text1 = h.Find<QLineEdit>(page, "Text1");
    EXPECT_EQ(page.DatabasePath(), (h.folder / "moved-away.mdb").string());
    EXPECT_EQ(page.Password(), "pw");
    EXPECT_FALSE(page.HasFilesPage());  // no file there: the page waits

    h.settings.writes.clear();
    text1->clear();
    QTest::keyClicks(text1, "/a.mdb");
    QTest::keyClicks(h.Find<QLineEdit>(page, "Text2"), "xy");
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Database", ""},       {"Database", "/"},    {"Database", "/a"},
        {"Database", "/a."},    {"Database", "/a.m"}, {"Database", "/a.md"},
        {"Database", "/a.mdb"}, {"Password", "pwx"},  {"Password", "pwxy"}};
    EXPECT_EQ(h.settings.writes, expected);
}

TEST(Form1, TheBoxesSelectTheirWholeTextOnFocus) {
    PageHarness h;
    h.settings.values["Password"] = "secret";
    Form1& page = h.Page1();
    page.Load();
    page.show();
    QApplication::setActiveWindow(&page);
    auto* text2 = h.Find<QLineEdit>(page, "Text2");
    text2->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(text2->selectedText().size(), 6);
}

TEST(Form1, NextDoesNothingForAnEmptyOrMissingPath) {
    PageHarness h;
    Form1& page = h.Page1();
    page.Load();
    page.PushButton3_Click();
    h.Find<QLineEdit>(page, "Text1")->setText((h.folder / "nothing.mdb").string().c_str());
    page.PushButton3_Click();
    EXPECT_FALSE(page.HasFilesPage());
    EXPECT_TRUE(h.prompts.messages.empty());
    EXPECT_EQ(h.sessions.opened, 0);
}

TEST(Form1, NextFillsTheTableListInCatalogueOrderAndMovesOn) {
    PageHarness h;
    const auto path = h.AddDatabase("shop.mdb", {{"TABLE", "Orders"},
                                                 {"SYSTEM TABLE", "MSysObjects"},
                                                 {"TABLE", "Customers"},
                                                 {"VIEW", "Big orders"},
                                                 {"TABLE", "Order Lines"}});
    Form1& page = h.Page1();
    page.Load();
    page.show();
    h.Find<QLineEdit>(page, "Text1")->setText(QString::fromStdString(path));
    page.PushButton3_Click();
    ASSERT_TRUE(page.HasFilesPage());
    auto* list1 = h.Find<QListWidget>(h.Page2(), "List1");
    ASSERT_EQ(list1->count(), 3);
    EXPECT_EQ(list1->item(0)->text(), "Orders");
    EXPECT_EQ(list1->item(1)->text(), "Customers");
    EXPECT_EQ(list1->item(2)->text(), "Order Lines");
    EXPECT_EQ(list1->currentRow(), 0);
    EXPECT_TRUE(h.Page2().isVisible());
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(h.sessions.opened, 2);  // read once to check, once to fill
    EXPECT_EQ(h.sessions.closed, 2);
}

TEST(Form1, ADatabaseWithoutUserTablesStillLeadsToTheFilesPage) {
    PageHarness h;
    const auto path = h.AddDatabase("empty.mdb", {{"SYSTEM TABLE", "MSysObjects"}});
    Form1& page = h.Page1();
    page.Load();
    h.Find<QLineEdit>(page, "Text1")->setText(QString::fromStdString(path));
    page.PushButton3_Click();
    ASSERT_TRUE(page.HasFilesPage());
    EXPECT_EQ(h.Find<QListWidget>(h.Page2(), "List1")->count(), 0);
    EXPECT_TRUE(h.Page2().isVisible());
}

TEST(Form1, AWrongPasswordShowsTheApplicationErrorAndThePageStays) {
    PageHarness h;
    const auto path = h.AddDatabase("locked.mdb", {{"TABLE", "T"}}, "right");
    Form1& page = h.Page1();
    page.Load();
    page.show();
    h.Find<QLineEdit>(page, "Text1")->setText(QString::fromStdString(path));
    h.Find<QLineEdit>(page, "Text2")->setText("wrong");
    page.PushButton3_Click();
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    EXPECT_EQ(h.prompts.messages[0].text,
              std::string("Not a valid password.\r\nin Korvath2021/08/31.Form1.PushButton3_Click "
                          "at line 1") +
                  kExpectedErrorTail);
    EXPECT_EQ(h.prompts.messages[0].caption, "Application Error");
    EXPECT_EQ(h.prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(page.HasFilesPage());
    EXPECT_TRUE(page.isVisible());
}

// The first read works; the file goes bad before the second.
class BreakOnSecondCreate : public SessionFactory {
  public:
    explicit BreakOnSecondCreate(testing::FakeSessionFactory& inner) : inner_(inner) {}
    std::unique_ptr<DatabaseSession> Create() override {
        if (++creates == 2) {
            throw DatabaseError(3049, "Cannot open database. It may not be a database.");
        }
        return inner_.Create();
    }
    int creates = 0;

  private:
    testing::FakeSessionFactory& inner_;
};

TEST(Form1, AFailureWhileFillingStillMovesOn) {
    PageHarness h;
    const auto path = h.AddDatabase("flaky.mdb", {{"TABLE", "T"}});
    BreakOnSecondCreate breaking(h.sessions);
    h.context.sessions = &breaking;
    Form1& page = h.Page1();
    page.Load();
    breaking.creates = 0;  // after the provider check
    page.show();
    h.Find<QLineEdit>(page, "Text1")->setText(QString::fromStdString(path));
    page.PushButton3_Click();
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    EXPECT_NE(h.prompts.messages[0].text.find("Form1.PushButton3_Click at line 3"),
              std::string::npos);
    EXPECT_TRUE(page.FilesPage().isVisible());
    EXPECT_FALSE(page.isVisible());
}

TEST(Form1, StartingWithARememberedExistingDatabaseGoesStraightOn) {
    PageHarness h;
    h.settings.values["Database"] = h.AddDatabase("shop.mdb", {{"TABLE", "Orders"}});
    Form1& page = h.Page1();
    ASSERT_TRUE(page.Load());
    ASSERT_TRUE(page.HasFilesPage());
    EXPECT_TRUE(page.FilesPage().isVisible());
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(h.Find<QListWidget>(page.FilesPage(), "List1")->count(), 1);
}

TEST(Form1, ProviderCheckOutcomes) {
    {
        PageHarness h;  // another failure: ends without a message
        h.sessions.createError = DatabaseError(429, "Cannot create the engine");
        EXPECT_FALSE(h.Page1().Load());
        EXPECT_EQ(h.programEnds, 1);
        EXPECT_TRUE(h.prompts.messages.empty());
        EXPECT_FALSE(h.Page1().isVisible());
    }
    {
        PageHarness h;  // missing provider, Yes: both pages, then the end
        h.sessions.createError = DatabaseError(3706, "Provider cannot be found.");
        h.prompts.answers = {MessageAnswer::Yes};
        h.settings.values["Database"] = h.AddDatabase("shop.mdb", {{"TABLE", "Orders"}});
        EXPECT_FALSE(h.Page1().Load());
        EXPECT_EQ(h.programEnds, 1);
        ASSERT_EQ(h.prompts.messages.size(), 1u);
        EXPECT_EQ(h.prompts.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(h.openedAddresses.size(), 2u);
        EXPECT_FALSE(h.Page1().HasFilesPage());  // load step 7 never runs
    }
    {
        PageHarness h;  // missing provider, No: nothing opened
        h.sessions.createError = DatabaseError(3706, "x");
        EXPECT_FALSE(h.Page1().Load());
        EXPECT_TRUE(h.openedAddresses.empty());
        EXPECT_EQ(h.programEnds, 1);
    }
}

TEST(Form1, BrowseAndTheSampleDatabaseChangeOnlyThePath) {
    PageHarness h;
    h.settings.values["Password"] = "kept";
    Form1& page = h.Page1();
    page.Load();
    h.nextDatabaseChoice = "/data/picked.accdb";
    page.PushButton5_Click();
    EXPECT_EQ(page.DatabasePath(), "/data/picked.accdb");
    h.nextDatabaseChoice.clear();  // cancelled
    page.PushButton5_Click();
    EXPECT_EQ(page.DatabasePath(), "/data/picked.accdb");
    page.PushButton1_Click();
    EXPECT_EQ(page.DatabasePath(), (h.folder / "Samples2/sample.mdb").string());
    EXPECT_EQ(h.settings.values["Database"], (h.folder / "Samples2/sample.mdb").string());
    EXPECT_EQ(page.Password(), "kept");
    EXPECT_FALSE(page.HasFilesPage());
}

TEST(Form1, HandCursorStepAndPointerRule) {
    PageHarness h;
    const char* source = std::getenv("QUILLMERE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::filesystem::copy_file(std::string(source) + "/app/files/HAND-M.CUR",
                               h.folder / "HAND-M.CUR");
    Form1& page = h.Page1();
    page.Load();
    EXPECT_TRUE(page.Pointer().HasCustomImage());
    EXPECT_TRUE(h.prompts.messages.empty());

    MoveOver(page, h.Find<QWidget>(page, "PushButton3"));
    EXPECT_EQ(page.Pointer().Get(), kPointerCustom);
    EXPECT_EQ(h.Find<QWidget>(page, "Text1")->cursor().shape(), Qt::BitmapCursor);
    MoveOver(page, h.Find<QWidget>(page, "Label5"));  // labels change nothing
    EXPECT_EQ(page.Pointer().Get(), kPointerCustom);
    MoveOver(page, h.Find<QWidget>(page, "Text2"));
    EXPECT_EQ(page.Pointer().Get(), kPointerDefault);
    MoveOver(page, h.Find<QWidget>(page, "PushButton5"));
    MoveOver(page, nullptr);  // the background
    EXPECT_EQ(page.Pointer().Get(), kPointerDefault);

    page.Pointer().Set(kPointerBusy);
    MoveOver(page, h.Find<QWidget>(page, "PushButton1"));
    MoveOver(page, h.Find<QWidget>(page, "Frame1"));
    EXPECT_EQ(page.Pointer().Get(), kPointerBusy);
    EXPECT_EQ(h.Find<QWidget>(page, "Text1")->cursor().shape(), Qt::WaitCursor);
}

TEST(Form1, ACursorFileThatIsNoCursorIsReportedAndTheLoadGoesOn) {
    PageHarness h;
    h.folder.Write("HAND-M.CUR", "GIF89a not a cursor at all");
    h.settings.values["Password"] = "still restored";
    Form1& page = h.Page1();
    EXPECT_TRUE(page.Load());
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    EXPECT_NE(h.prompts.messages[0].text.find("in Korvath2021/08/31.Form1.Form_Load at line 4"),
              std::string::npos);
    EXPECT_FALSE(page.Pointer().HasCustomImage());
    EXPECT_EQ(page.Password(), "still restored");
    MoveOver(page, h.Find<QWidget>(page, "PushButton3"));
    EXPECT_EQ(page.Pointer().Get(), kPointerCustom);  // the value, shown as the arrow
}

TEST(Form1, TheSkinFileGivesTheFaceColourAndTheStyleSheet) {
    PageHarness h;
    {
        Form1& page = h.Page1();
        page.Load();
        EXPECT_TRUE(page.styleSheet().isEmpty());
        EXPECT_FALSE(page.autoFillBackground());
    }
    h.folder.Write("x/o.cjs", "QPushButton { color: #123456; }");
    Form1 skinned(h.context);
    skinned.Load();
    EXPECT_EQ(skinned.styleSheet(), "QPushButton { color: #123456; }");
    EXPECT_TRUE(skinned.autoFillBackground());
    EXPECT_TRUE(h.Find<QGroupBox>(skinned, "Frame1")->autoFillBackground());
    EXPECT_FALSE(h.Find<QLineEdit>(skinned, "Text1")->autoFillBackground());
}

TEST(Form1, ASettingsWriteThatFailsIsReportedAndTypingGoesOn) {
    PageHarness h;
    Form1& page = h.Page1();
    page.Load();
    h.settings.failWrites = true;
    QTest::keyClicks(h.Find<QLineEdit>(page, "Text1"), "ab");
    ASSERT_EQ(h.prompts.messages.size(), 2u);
    EXPECT_NE(h.prompts.messages[0].text.find("Form1.Text1_Change at line 1"), std::string::npos);
    EXPECT_EQ(page.DatabasePath(), "ab");
}

TEST(Form1, ClosingEndsTheProgram) {
    PageHarness h;
    Form1& page = h.Page1();
    page.Load();
    page.show();
    page.close();
    EXPECT_EQ(h.programEnds, 1);
}

}  // namespace
}  // namespace quillmere

// The pages over our own Access engine and real database files. These skip with a message while
// the engine in this build cannot open (or write) the fixtures.
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "database/ConnectionString.h"
#include "database/TableCatalogue.h"
#include "tests/ui/EngineTableReader.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::PageHarness;
using testing::ReadEngineTable;

// A writable copy of a fixture, or "" (and the reason) when there is none to be had.
std::string CopyFixture(PageHarness& h, const std::string& relative, std::string* reason) {
    const char* shared = std::getenv("QUILLMERE_SHARED_DIR");
    const auto source =
        std::filesystem::path(shared != nullptr ? shared : "") / "fixtures" / relative;
    if (shared == nullptr || !std::filesystem::exists(source)) {
        *reason = "the fixture " + source.string() + " is not there";
        return {};
    }
    const auto copy = h.folder / std::filesystem::path(relative).filename();
    std::filesystem::copy_file(source, copy);
    std::filesystem::permissions(
        copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return copy.string();
}

// Whether the engine of this build opens the file; the reason when it does not.
bool EngineOpens(SessionFactory& engine, const std::string& path, const std::string& password,
                 std::string* reason) {
    try {
        auto session = engine.Create();
        session->Open(BuildConnectionString(path, password));
        session->Close();
        return true;
    } catch (const DatabaseError& e) {
        if (e.Number() == 3706) {
            *reason =
                "the Access engine of this build cannot open databases yet: " + e.Description();
            return false;
        }
        return true;  // any other error is the engine's answer to this file
    }
}

class EnginePages : public ::testing::Test {
  protected:
    void SetUp() override {
        engine = MakeEngineSessionFactory();
        h.context.sessions = engine.get();
    }
    // Types the path and password into the database page and presses "Next >".
    void Next(const std::string& path, const std::string& password) {
        auto& page = h.Page1();
        h.Find<QLineEdit>(page, "Text1")->setText(QString::fromStdString(path));
        h.Find<QLineEdit>(page, "Text2")->setText(QString::fromStdString(password));
        page.PushButton3_Click();
    }
    std::unique_ptr<SessionFactory> engine;
    PageHarness h;
};

TEST_F(EnginePages, NextFillsTheTableListFromARealDatabase) {
    std::string reason;
    const auto path = CopyFixture(h, "jackcess/queryTestV2003.mdb", &reason);
    if (path.empty() || !EngineOpens(*engine, path, "", &reason)) {
        GTEST_SKIP() << "Skipped: " << reason;
    }
    ASSERT_TRUE(h.Page1().Load());
    h.Page1().show();
    Next(path, "");
    ASSERT_TRUE(h.prompts.messages.empty()) << h.prompts.messages[0].text;
    ASSERT_TRUE(h.Page1().HasFilesPage());
    auto* list1 = h.Find<QListWidget>(h.Page2(), "List1");
    // The three tables of the file, in the engine's catalogue order; its queries are no tables.
    const auto catalogue = ListUserTables(*engine, path, "");
    ASSERT_TRUE(catalogue.has_value());
    std::set<std::string> names(catalogue->begin(), catalogue->end());
    EXPECT_EQ(names, (std::set<std::string>{"Table1", "Table2", "Table3"}));
    ASSERT_EQ(list1->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list1->item(i)->text().toStdString(), (*catalogue)[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(list1->currentRow(), 0);
    EXPECT_TRUE(h.Page2().isVisible());
}

TEST_F(EnginePages, AWrongPasswordShowsTheEnginesDescriptionAndThePageStays) {
    std::string reason;
    const auto path = CopyFixture(h, "mdb-reader/V2003_with-password.mdb", &reason);
    if (path.empty() || !EngineOpens(*engine, path, "password", &reason)) {
        GTEST_SKIP() << "Skipped: " << reason;
    }
    ASSERT_TRUE(h.Page1().Load());
    h.Page1().show();
    Next(path, "wrong");
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    const std::string text = h.prompts.messages[0].text;
    EXPECT_NE(text.find("\r\nin Korvath2021/08/31.Form1.PushButton3_Click at line 1\r\r"),
              std::string::npos)
        << text;
    EXPECT_FALSE(h.Page1().HasFilesPage());
    Next(path, "password");
    EXPECT_TRUE(h.Page1().HasFilesPage());
    EXPECT_EQ(h.Find<QListWidget>(h.Page2(), "List1")->item(0)->text(), "Table1");
}

// Whether the engine can write: a table made in a scratch copy.
bool EngineWrites(SessionFactory& engine, const std::string& scratch, std::string* reason) {
    try {
        auto session = engine.Create();
        session->SetMode(kModeReadWrite);
        session->Open(BuildConnectionString(scratch, ""));
        session->Execute("CREATE TABLE `Probe`(`a` VARCHAR);");
        session->Close();
        return true;
    } catch (const DatabaseError& e) {
        *reason = "the Access engine of this build cannot write databases yet: " + e.Description();
        return false;
    }
}

TEST_F(EnginePages, ImportsTwoFilesIntoAnEmptyDatabaseThroughTheWindow) {
    std::string reason;
    const auto path = CopyFixture(h, "jackcess/empty.mdb", &reason);
    std::string scratch;
    if (!path.empty()) {
        scratch = (h.folder / "scratch.mdb").string();
        std::filesystem::copy_file(path, scratch);
    }
    if (path.empty() || !EngineOpens(*engine, path, "", &reason) ||
        !EngineWrites(*engine, scratch, &reason)) {
        GTEST_SKIP() << "Skipped: " << reason;
    }
    ::setenv("XDG_STATE_HOME", (h.folder.Path() / "state").c_str(), 1);
    const auto first = h.folder.Write("parts.csv", "Part,Qty\r\nnail,10\r\nscrew,20\r\n");
    const auto second = h.folder.Write("people.csv", "Name;City\nAnna;O'Brien Town\n");

    ASSERT_TRUE(h.Page1().Load());
    Next(path, "");
    ASSERT_TRUE(h.Page1().HasFilesPage());
    Form2& page = h.Page2();
    EXPECT_EQ(h.Find<QListWidget>(page, "List1")->count(), 0);
    h.nextCsvChoice = {QString::fromStdString(first)};
    page.PushButton3_Click();
    h.Find<QPushButton>(page, "PushButton1")->click();
    // The second file with its own delimiter and table name.
    page.PushButton9_Click();
    h.nextCsvChoice = {QString::fromStdString(second)};
    page.PushButton3_Click();
    h.Find<QRadioButton>(page, "Option13")->click();
    auto* text2 = h.Find<QLineEdit>(page, "Text2");
    text2->setText("People");
    h.Find<QPushButton>(page, "PushButton1")->click();
    EXPECT_EQ(h.prompts.Texts(), (std::vector<std::string>{"Done.", "Done."}));

    EXPECT_EQ(
        ReadEngineTable(*engine, path, "NewTable1"),
        (std::vector<std::vector<std::string>>{{"Part", "Qty"}, {"nail", "10"}, {"screw", "20"}}));
    EXPECT_EQ(ReadEngineTable(*engine, path, "People"),
              (std::vector<std::vector<std::string>>{{"Name", "City"}, {"Anna", "O'Brien Town"}}));
    const auto tables = ListUserTables(*engine, path, "");
    ASSERT_TRUE(tables.has_value());
    EXPECT_EQ(std::set<std::string>(tables->begin(), tables->end()),
              (std::set<std::string>{"NewTable1", "People"}));
}

// An Office-encrypted .accdb: the right password lists its tables, a wrong one shows Access's
// text in the Application Error box and the page stays; an import into it succeeds.
TEST_F(EnginePages, AnEncryptedDatabaseOpensWithItsPasswordAndTakesAnImport) {
    std::string reason;
    const auto path = CopyFixture(h, "mdb-reader/office-agile-4.4.accdb", &reason);
    if (path.empty() || !EngineOpens(*engine, path, "password", &reason)) {
        GTEST_SKIP() << "Skipped: " << reason;
    }
    ::setenv("XDG_STATE_HOME", (h.folder.Path() / "state").c_str(), 1);
    ASSERT_TRUE(h.Page1().Load());
    h.Page1().show();
    Next(path, "Password");
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    EXPECT_EQ(h.prompts.messages[0].caption, "Application Error");
    EXPECT_EQ(
        h.prompts.messages[0].text.rfind(
            "Not a valid password.\r\nin Korvath2021/08/31.Form1.PushButton3_Click at line 1\r\r",
            0),
        0u)
        << h.prompts.messages[0].text;
    EXPECT_FALSE(h.Page1().HasFilesPage());

    Next(path, "password");
    ASSERT_EQ(h.prompts.messages.size(), 1u) << h.prompts.messages.back().text;
    ASSERT_TRUE(h.Page1().HasFilesPage());
    auto* list1 = h.Find<QListWidget>(h.Page2(), "List1");
    ASSERT_EQ(list1->count(), 1);
    EXPECT_EQ(list1->item(0)->text(), "Table1");

    const auto csv = h.folder.Write("secret.csv", "Code,Note\r\nA1,first\r\nB2,second\r\n");
    h.nextCsvChoice = {QString::fromStdString(csv)};
    h.Page2().PushButton3_Click();
    h.Find<QPushButton>(h.Page2(), "PushButton1")->click();
    EXPECT_EQ(h.prompts.Texts().back(), "Done.");
    auto session = engine->Create();
    session->Open(BuildConnectionString(path, "password"));
    auto rows =
        session->OpenRecordset("SELECT * FROM `NewTable1`", kCursorStatic, kLockUnspecified);
    std::vector<std::string> codes;
    for (; !rows->AtEnd(); rows->MoveNext())
        codes.push_back(rows->Value(0));
    session->Close();
    EXPECT_EQ(codes, (std::vector<std::string>{"A1", "B2"}));  // the first line named the columns
}

}  // namespace
}  // namespace quillmere

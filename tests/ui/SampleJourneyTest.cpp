// A new user's first run, end to end over the real engine: the sample database of the program
// folder, the sample files recorded by the installer, "Start Importing", and the tables read back.
// Everything happens in a copy of the program folder; the built one is never changed.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QTreeWidget>

#include "database/TableCatalogue.h"
#include "options/IniSettingsStore.h"
#include "tests/ui/EngineTableReader.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::PageHarness;
using testing::ReadEngineTable;
using Rows = std::vector<std::vector<std::string>>;

class SampleJourney : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* bin = std::getenv("QUILLMERE_BIN_DIR");
        const std::filesystem::path built = bin != nullptr ? bin : "";
        if (bin == nullptr || !std::filesystem::exists(built / "Samples2" / "sample.mdb")) {
            GTEST_SKIP() << "Skipped: the sample database Samples2/sample.mdb was not built in "
                            "QUILLMERE_BIN_DIR (build the sample_database target)";
        }
        if (!std::filesystem::exists(built / "quillmere-install")) {
            GTEST_SKIP() << "Skipped: quillmere-install is not built in QUILLMERE_BIN_DIR";
        }
        // The harness's folder is the program folder: give it the built samples.
        std::filesystem::create_directories(h.folder / "Samples2");
        std::filesystem::copy_file(built / "Samples2" / "sample.mdb",
                                   h.folder / "Samples2" / "sample.mdb");
        std::filesystem::permissions(
            h.folder / "Samples2" / "sample.mdb",
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        std::filesystem::copy(built / "Samples", h.folder / "Samples");
        // The installer's own step records the sample files in a settings file of this test. Only
        // the installer gets that settings folder: the test process keeps its own environment.
        const auto config = h.folder / "config";
        ::setenv("XDG_STATE_HOME", (h.folder / "state").c_str(), 1);
        const std::string command =
            "XDG_CONFIG_HOME='" + config.string() + "' '" + (built / "quillmere-install").string() +
            "' --program-folder '" + h.folder.Path().string() + "' > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        settings = std::make_unique<IniSettingsStore>(config / "Vantrell" / "Quillmere.ini");
        h.context.settings = settings.get();
        engine = MakeEngineSessionFactory();
        h.context.sessions = engine.get();
        database = (h.folder / "Samples2" / "sample.mdb").string();
    }

    // "Load Sample/Example Database", then "Next >".
    void OpenTheSampleDatabase() {
        Form1& page = h.Page1();
        ASSERT_TRUE(page.Load());
        page.show();
        h.Find<QPushButton>(page, "PushButton1")->click();
        ASSERT_EQ(h.Find<QLineEdit>(page, "Text1")->text().toStdString(), database);
        page.PushButton3_Click();
        ASSERT_TRUE(h.prompts.messages.empty()) << h.prompts.messages[0].text;
        ASSERT_TRUE(page.HasFilesPage());
    }

    std::set<std::string> Tables() {
        const auto tables = ListUserTables(*engine, database, "");
        EXPECT_TRUE(tables.has_value());
        return tables ? std::set<std::string>(tables->begin(), tables->end())
                      : std::set<std::string>{};
    }

    PageHarness h;
    std::unique_ptr<IniSettingsStore> settings;
    std::unique_ptr<SessionFactory> engine;
    std::string database;
};

TEST_F(SampleJourney, TheSampleFilesBecomeNewTablesInTheSampleDatabase) {
    OpenTheSampleDatabase();
    Form2& page = h.Page2();
    auto* list1 = h.Find<QListWidget>(page, "List1");
    EXPECT_EQ(list1->count(), 2);  // the sample database's own tables, to append to
    h.Find<QPushButton>(page, "PushButton10")->click();
    // The question about opening the samples folder, answered No.
    ASSERT_EQ(h.prompts.messages.size(), 1u);
    EXPECT_TRUE(h.openedFolders.empty());
    auto* files = h.Find<QTreeWidget>(page, "ListView1");
    ASSERT_EQ(files->topLevelItemCount(), 3);
    std::vector<std::string> listed;
    for (int i = 0; i < files->topLevelItemCount(); ++i) {
        listed.push_back(files->topLevelItem(i)->text(0).toStdString());
    }
    const std::string samples = (h.folder / "Samples").string() + "/";
    EXPECT_EQ(listed,
              (std::vector<std::string>{samples + "customers.csv", samples + "orders_semicolon.csv",
                                        samples + "stock_tab.csv"}));
    h.prompts.messages.clear();

    h.Find<QPushButton>(page, "PushButton1")->click();
    ASSERT_FALSE(h.prompts.messages.empty());
    EXPECT_EQ(h.prompts.messages.back().text, "Done.") << h.prompts.messages[0].text;

    // Three new tables next to the two the sample database came with, its own rows untouched.
    EXPECT_EQ(Tables(),
              (std::set<std::string>{"Customers", "Stock", "NewTable1", "NewTable2", "NewTable3"}));
    EXPECT_EQ(ReadEngineTable(*engine, database, "Stock").size(), 3u);
    const Rows first = ReadEngineTable(*engine, database, "NewTable1");
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[0], (std::vector<std::string>{"CustomerID", "Name", "City", "Country", "Email",
                                                  "Since"}));
    EXPECT_EQ(first[1][0], "C001");
    EXPECT_EQ(first[1][1], "Harwell Bakery");
}

// Append mode into the sample's keyed, typed tables: customers.csv (comma) to Customers, then
// stock_tab.csv (tab) to Stock, each file's first line its header. Dates and numbers arrive as
// the typed values they stand for.
TEST_F(SampleJourney, BothSampleFilesAppendToTheSampleTables) {
    const Rows customersBefore = ReadEngineTable(*engine, database, "Customers");
    const Rows stockBefore = ReadEngineTable(*engine, database, "Stock");
    ASSERT_EQ(customersBefore.size(), 3u);  // header and the two sample rows
    ASSERT_EQ(stockBefore.size(), 3u);
    OpenTheSampleDatabase();
    Form2& page = h.Page2();
    h.Find<QRadioButton>(page, "Option2")->click();
    auto* check2 = h.Find<QCheckBox>(page, "Check2");
    check2->click();  // the files' first lines are their headers
    ASSERT_TRUE(check2->isChecked());
    auto* list1 = h.Find<QListWidget>(page, "List1");
    const auto appendTo = [&](const char* file, const char* delimiterOption, const char* table) {
        page.PushButton9_Click();  // "Clear List"
        h.nextCsvChoice = {QString::fromStdString((h.folder / "Samples" / file).string())};
        page.PushButton3_Click();
        h.Find<QRadioButton>(page, delimiterOption)->click();
        const auto found = list1->findItems(table, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list1->setCurrentItem(found[0]);
        h.prompts.messages.clear();
        h.Find<QPushButton>(page, "PushButton1")->click();
        ASSERT_FALSE(h.prompts.messages.empty());
        EXPECT_EQ(h.prompts.messages.back().text, "Done.") << h.prompts.messages[0].text;
    };
    appendTo("customers.csv", "Option11", "Customers");
    appendTo("stock_tab.csv", "Option14", "Stock");

    const Rows customers = ReadEngineTable(*engine, database, "Customers");
    ASSERT_EQ(customers.size(), customersBefore.size() + 8);
    EXPECT_EQ(Rows(customers.begin(), customers.begin() + 3), customersBefore);
    EXPECT_EQ(customers[3],
              (std::vector<std::string>{"C001", "Harwell Bakery", "Leeds", "United Kingdom",
                                        "orders@harwellbakery.example", "2019-03-14 00:00:00"}));
    const Rows stock = ReadEngineTable(*engine, database, "Stock");
    ASSERT_EQ(stock.size(), stockBefore.size() + 7);
    EXPECT_EQ(Rows(stock.begin(), stock.begin() + 3), stockBefore);
    EXPECT_EQ(stock[3],
              (std::vector<std::string>{"TW-100", "Torque wrench 1/2\"", "North", "14", "5"}));
    EXPECT_EQ(Tables(), (std::set<std::string>{"Customers", "Stock"}));
}

}  // namespace
}  // namespace quillmere

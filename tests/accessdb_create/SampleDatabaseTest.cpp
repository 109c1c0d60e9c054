// The sample database the build writes into the program folder: a clean Jet 4 database whose
// tables have the columns of the sample files, so that both import modes work on it at once.
#include <gtest/gtest.h>

#include "accessdb/Database.h"
#include "accessdb_create/SystemObjectDescription.h"
#include "accessdb_write/WriteSupport.h"

#ifndef _WIN32
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using writetest::ShellQuote;

fs::path SampleDatabase() {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    return bin == nullptr ? fs::path() : fs::path(bin) / "Samples2" / "sample.mdb";
}

// The sample file's column names: its first line cut at the delimiter, quotes removed.
std::vector<std::string> HeaderOf(const fs::path& csv, char delimiter) {
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> names;
    std::string name;
    for (const char c : line + delimiter) {
        if (c == delimiter) {
            names.push_back(name);
            name.clear();
        } else if (c != '"' && c != '\r') {
            name += c;
        }
    }
    return names;
}

std::vector<std::string> ColumnsOf(accessdb::Database& db, const std::string& table) {
    std::vector<std::string> names;
    for (const accessdb::ColumnDef& column : db.Table(table)->columns)
        names.push_back(column.name);
    return names;
}

class SampleDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(SampleDatabase()))
            GTEST_SKIP() << SampleDatabase() << " is not built (target sample_database)";
    }
};

TEST_F(SampleDatabaseTest, IsACleanJet4DatabaseWithTheSampleFilesColumns) {
    writetest::ExpectClean(SampleDatabase().string());
    const auto info = accessdb::ReadDatabaseInfo(SampleDatabase().string());
    EXPECT_EQ(info.formatName, "Jet 4");
    EXPECT_FALSE(info.hasPassword);
    EXPECT_EQ(create_test::Describe(SampleDatabase().string()).accessVersion, "09.50");

    auto db = accessdb::Database::Open(SampleDatabase().string(), "");
    EXPECT_EQ(db->UserTableNames(), (std::vector<std::string>{"Customers", "Stock"}));
    EXPECT_EQ(ColumnsOf(*db, "Customers"), (std::vector<std::string>{"CustomerID", "Name", "City",
                                                                     "Country", "Email", "Since"}));
    EXPECT_EQ(ColumnsOf(*db, "Stock"), (std::vector<std::string>{"SKU", "Description", "Warehouse",
                                                                 "OnHand", "ReorderLevel"}));

    // The sample files, where this checkout has them, name the same columns.
    const fs::path samples = fs::path(std::getenv("QUILLMERE_SOURCE_DIR")) / "app/files/Samples";
    if (fs::exists(samples / "customers.csv")) {
        EXPECT_EQ(HeaderOf(samples / "customers.csv", ','), ColumnsOf(*db, "Customers"));
    }
    if (fs::exists(samples / "stock_tab.csv")) {
        EXPECT_EQ(HeaderOf(samples / "stock_tab.csv", '\t'), ColumnsOf(*db, "Stock"));
    }
}

// Appending a file of the sample's shape and creating a table from it, as a new user would.
TEST_F(SampleDatabaseTest, TakesAnAppendAndANewTable) {
    const fs::path dir = fixtures::TempDir("sample_db");
    const fs::path copy = dir / "sample.mdb";
    fs::copy_file(SampleDatabase(), copy);
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
    const fs::path csv = dir / "customers.csv";
    std::ofstream(csv)
        << "CustomerID,Name,City,Country,Email,Since\nC001,Harwell Bakery,Leeds,United Kingdom,"
           "orders@harwellbakery.example,2019-03-14\n";
    const std::string tool =
        ShellQuote((fs::path(std::getenv("QUILLMERE_BIN_DIR")) / "quillmere-import").string());
    const std::string state = "XDG_STATE_HOME=" + ShellQuote((dir / "state").string()) + " ";
    int status = 0;
    EXPECT_EQ(writetest::RunCapture(state + tool + " --database " + ShellQuote(copy.string()) +
                                        " --append Customers --skip-header " +
                                        ShellQuote(csv.string()) + " </dev/null",
                                    &status),
              "Done.\n");
    EXPECT_EQ(writetest::RunCapture(state + tool + " --database " + ShellQuote(copy.string()) +
                                        " " + ShellQuote(csv.string()) + " </dev/null",
                                    &status),
              "Done.\n");
    writetest::ExpectClean(copy.string());
    EXPECT_EQ(writetest::ReadRows(copy.string(), "Customers").size(), 3u);
    EXPECT_EQ(writetest::ReadRows(copy.string(), "NewTable1").size(), 1u);
    fs::remove_all(dir);
}

}  // namespace
#endif

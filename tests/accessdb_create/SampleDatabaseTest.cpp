// The sample database the build writes into the program folder: a clean Jet 4 database whose
// tables are keyed and typed as people make them in Access, with the columns of the sample
// files, so that a new user's first append works whatever the regional settings and creating
// tables from the same files works too.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "accessdb/Database.h"
#include "accessdb/convert/ColumnValue.h"
#include "accessdb_create/SystemObjectDescription.h"
#include "accessdb_write/WriteSupport.h"
#include "import/CsvSplitter.h"

#ifndef _WIN32
#include <locale.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using accessdb::convert::DateOrder;
using accessdb::convert::NumberDateLocale;
using writetest::ShellQuote;
using Rows = std::vector<std::vector<std::string>>;

fs::path BinDir() {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    return bin == nullptr ? fs::path() : fs::path(bin);
}

fs::path SampleDatabase() {
    return BinDir().empty() ? fs::path() : BinDir() / "Samples2" / "sample.mdb";
}

fs::path SampleFile(const std::string& name) {
    return fs::path(std::getenv("QUILLMERE_SOURCE_DIR")) / "app/files/Samples" / name;
}

// A sample file cut as the import run cuts it: every line's fields, the header first.
Rows LinesOf(const fs::path& csv, const std::string& delimiter) {
    std::ifstream in(csv, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string content = text.str();
    quillmere::CsvSplitter splitter(delimiter);
    Rows lines;
    std::vector<std::string_view> fields;
    for (const std::string_view line : splitter.SplitLines(content, csv.string())) {
        splitter.SplitFields(line, fields);
        if (!fields.empty())
            lines.emplace_back(fields.begin(), fields.end());
    }
    return lines;
}

// The sample files and the tables a new user appends them to.
struct SampleAppend {
    std::string file;
    std::string delimiter;  // as the text
    std::string option;     // as quillmere-import's --delimiter names it
    std::string table;
};
const std::vector<SampleAppend>& SampleAppends() {
    static const std::vector<SampleAppend> appends{{"customers.csv", ",", "comma", "Customers"},
                                                   {"stock_tab.csv", "\t", "tab", "Stock"}};
    return appends;
}

std::vector<std::string> ColumnsOf(const accessdb::TableDef& table) {
    std::vector<std::string> names;
    for (const accessdb::ColumnDef& column : table.columns)
        names.push_back(column.name);
    return names;
}

// "name type" for every column, as `accessdb schema` names the types.
std::vector<std::string> TypedColumnsOf(const accessdb::TableDef& table) {
    std::vector<std::string> out;
    for (const accessdb::ColumnDef& column : table.columns)
        out.push_back(column.name + " " + accessdb::ColumnTypeName(column.type));
    return out;
}

// "name(columns) flags" for every index.
std::vector<std::string> IndexesOf(const accessdb::TableDef& table) {
    std::vector<std::string> out;
    for (const accessdb::LogicalIndex& logical : table.logicalIndexes) {
        const accessdb::RealIndex& real = table.realIndexes.at(logical.realIndex);
        std::string text = logical.name + "(";
        for (const accessdb::ColumnDef* column : table.IndexColumns(real))
            text += column->name + (column == table.IndexColumns(real).back() ? "" : ",");
        text += ")";
        if (logical.IsPrimaryKey())
            text += " primary";
        if (real.Unique())
            text += " unique";
        out.push_back(text);
    }
    return out;
}

class SampleDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(SampleDatabase()))
            GTEST_SKIP() << SampleDatabase() << " is not built (target sample_database)";
    }
};

TEST_F(SampleDatabaseTest, IsACleanJet4DatabaseKeyedAndTypedWithTheSampleFilesColumns) {
    writetest::ExpectClean(SampleDatabase().string());
    const auto info = accessdb::ReadDatabaseInfo(SampleDatabase().string());
    EXPECT_EQ(info.formatName, "Jet 4");
    EXPECT_FALSE(info.hasPassword);
    EXPECT_EQ(create_test::Describe(SampleDatabase().string()).accessVersion, "09.50");

    auto db = accessdb::Database::Open(SampleDatabase().string(), "");
    EXPECT_EQ(db->UserTableNames(), (std::vector<std::string>{"Customers", "Stock"}));
    const accessdb::TableDef& customers = *db->Table("Customers");
    EXPECT_EQ(TypedColumnsOf(customers),
              (std::vector<std::string>{"CustomerID Text", "Name Text", "City Text", "Country Text",
                                        "Email Text", "Since Date/Time"}));
    EXPECT_EQ(IndexesOf(customers),
              (std::vector<std::string>{"PrimaryKey(CustomerID) primary unique"}));
    const accessdb::TableDef& stock = *db->Table("Stock");
    EXPECT_EQ(TypedColumnsOf(stock),
              (std::vector<std::string>{"SKU Text", "Description Text", "Warehouse Text",
                                        "OnHand Long", "ReorderLevel Long"}));
    EXPECT_EQ(IndexesOf(stock),
              (std::vector<std::string>{"PrimaryKey(SKU) primary unique", "Warehouse(Warehouse)"}));

    // The sample files name the same columns in their first lines.
    for (const SampleAppend& sample : SampleAppends()) {
        SCOPED_TRACE(sample.file);
        const Rows lines = LinesOf(SampleFile(sample.file), sample.delimiter);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], ColumnsOf(*db->Table(sample.table)));
    }
}

// Regional settings that read numbers and dates differently: '.' or ',' as the decimal
// separator, ',', '.', a space or an apostrophe as grouping, and all three date orders.
std::vector<std::pair<std::string, NumberDateLocale>> DifferingLocales() {
    auto with = [](std::string decimal, std::string group, DateOrder order) {
        NumberDateLocale locale = NumberDateLocale::English();
        locale.decimalSeparator = std::move(decimal);
        locale.groupSeparator = std::move(group);
        locale.dateOrder = order;
        return locale;
    };
    return {{"English (United States)", NumberDateLocale::English()},
            {"German", with(",", ".", DateOrder::DayMonthYear)},
            {"French", with(",", "\u202f", DateOrder::DayMonthYear)},
            {"Swiss German", with(".", "'", DateOrder::DayMonthYear)},
            {"Swedish", with(",", " ", DateOrder::YearMonthDay)},
            {"Japanese", with(".", ",", DateOrder::YearMonthDay)}};
}

// Every value of the sample files converts into its column, and to the same value under every
// one of those settings: no sample value means one thing in one locale and another elsewhere.
TEST_F(SampleDatabaseTest, EverySampleValueConvertsAlikeWhateverTheRegionalSettings) {
    auto db = accessdb::Database::Open(SampleDatabase().string(), "");
    for (const SampleAppend& sample : SampleAppends()) {
        const accessdb::TableDef& table = *db->Table(sample.table);
        const Rows lines = LinesOf(SampleFile(sample.file), sample.delimiter);
        ASSERT_GT(lines.size(), 1u) << sample.file;
        for (std::size_t line = 1; line < lines.size(); ++line) {
            ASSERT_EQ(lines[line].size(), table.columns.size()) << sample.file << " line " << line;
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                const std::string& text = lines[line][c];
                SCOPED_TRACE(sample.file + " line " + std::to_string(line + 1) + ", column " +
                             table.columns[c].name + ", value '" + text + "'");
                std::string first;
                for (const auto& [name, locale] : DifferingLocales()) {
                    accessdb::Value value;
                    ASSERT_NO_THROW(accessdb::convert::TextToValue(table.name, table.columns[c],
                                                                   text, value, locale))
                        << name;
                    const std::string shown = accessdb::FormatValue(value);
                    if (first.empty())
                        first = shown;
                    EXPECT_EQ(shown, first) << name;
                }
            }
        }
    }
}

// The environment that runs a program under `name`: the installed locale, or one compiled into
// `dir` when localedef and the locale's sources are there; empty when neither works. glibc's
// lasting copy of the locale's names is no leak of ours for the sanitizer build.
std::string LocaleEnvironment(const std::string& name, const fs::path& dir) {
    const fs::path suppressions = fs::path(std::getenv("QUILLMERE_SOURCE_DIR")) /
                                  "tests/accessdb_create/glibc-locale-leaks.supp";
    const std::string leaks =
        "LSAN_OPTIONS=suppressions=" + ShellQuote(suppressions.string()) + " ";
    if (locale_t installed = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
        installed != static_cast<locale_t>(nullptr)) {
        freelocale(installed);
        return leaks + "LC_ALL=" + name + " ";
    }
    const std::string source = name.substr(0, name.find('.'));
    if (!fs::exists("/usr/share/i18n/locales/" + source))
        return {};
    const fs::path compiled = dir / "locales";
    fs::create_directories(compiled);
    const std::string command = "localedef -i " + source + " -f UTF-8 " +
                                ShellQuote((compiled / name).string()) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 || !fs::exists(compiled / name))
        return {};
    return leaks + "LOCPATH=" + ShellQuote(compiled.string()) + " LC_ALL=" + name + " ";
}

// One sample file appended by quillmere-import into `database`, with `environment` in front;
// its output (both streams) and exit status.
std::string RunAppend(const std::string& environment, const fs::path& stateDir,
                      const std::string& database, const SampleAppend& sample, int& status) {
    return writetest::RunImport(
        "--database " + ShellQuote(database) + " --delimiter " + sample.option + " --append " +
            sample.table + " --skip-header " + ShellQuote(SampleFile(sample.file).string()) +
            " </dev/null",
        &status, environment + "XDG_STATE_HOME=" + ShellQuote(stateDir.string()) + " ");
}

// A new user's first appends, end to end: both sample files into the sample database, in the C
// locale and in German (decimal comma, day.month.year). Every row arrives with the same typed
// values, the file passes the structural check and both independent readers read those values.
TEST_F(SampleDatabaseTest, BothSampleAppendsStoreTheSameValuesInEveryLocale) {
    const fs::path dir = fixtures::TempDir("sample_db_locales");
    std::vector<std::pair<std::string, std::string>> locales{{"C", "LC_ALL=C "}};
    if (const std::string german = LocaleEnvironment("de_DE.UTF-8", dir); !german.empty())
        locales.emplace_back("de_DE.UTF-8", german);
    else
        std::cout << "[ SKIPPED  ] de_DE.UTF-8: neither installed nor compilable here\n";

    std::optional<std::map<std::string, Rows>> firstRows;
    for (const auto& [name, environment] : locales) {
        SCOPED_TRACE(name);
        const fs::path copy = dir / name / "sample.mdb";
        fs::create_directories(copy.parent_path());
        fs::copy_file(SampleDatabase(), copy);
        fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
        const std::string path = copy.string();
        for (const SampleAppend& sample : SampleAppends()) {
            int status = 0;
            const std::string output = RunAppend(environment, dir / name, path, sample, status);
            EXPECT_EQ(status, 0) << output;
            const std::size_t dataLines =
                LinesOf(SampleFile(sample.file), sample.delimiter).size() - 1;
            EXPECT_NE(output.find("Done.\n"), std::string::npos) << output;
            EXPECT_NE(output.find(" " + std::to_string(dataLines) + " rows stored"),
                      std::string::npos)
                << output;
        }
        writetest::ExpectClean(path);
        // The Jackcess checker walks every index and finds every row by its key.
        if (const char* checker = std::getenv("QUILLMERE_ACCESSCHECK");
            checker != nullptr && fs::exists(checker)) {
            int status = 0;
            const std::string report = writetest::RunCapture(
                ShellQuote(checker) + " " + ShellQuote(path) + " 2>&1", &status);
            EXPECT_EQ(status, 0) << report;
        }
        std::map<std::string, Rows> rows;
        for (const SampleAppend& sample : SampleAppends()) {
            rows[sample.table] = writetest::ReadRows(path, sample.table);
            const Rows lines = LinesOf(SampleFile(sample.file), sample.delimiter);
            // The database's own two rows, then every data line of the file in order.
            ASSERT_EQ(rows[sample.table].size(), 2 + lines.size() - 1) << sample.table;
            if (writetest::HaveMdbTools()) {
                EXPECT_EQ(writetest::MdbExportRows(path, sample.table).size(),
                          rows[sample.table].size())
                    << "mdb-export, " << sample.table;
            }
            if (writetest::HaveMdbReader()) {
                const auto dump = writetest::MdbReaderTable(path, sample.table);
                EXPECT_EQ(dump["tables"].items.at(0)["rows"].items.size(),
                          rows[sample.table].size())
                    << "mdb-reader, " << sample.table;
            }
        }
        // A few typed values as the file holds them, and as both readers see them.
        EXPECT_EQ(
            rows["Customers"][2],
            (std::vector<std::string>{"C001", "Harwell Bakery", "Leeds", "United Kingdom",
                                      "orders@harwellbakery.example", "2019-03-14 00:00:00"}));
        EXPECT_EQ(rows["Stock"][4], (std::vector<std::string>{"LC-010", "Lens cloth, pack of 10",
                                                              "North", "860", "200"}));
        if (writetest::HaveMdbTools()) {
            EXPECT_EQ(writetest::MdbExportRows(path, "Customers")[2][5], "03/14/19 00:00:00");
            EXPECT_EQ(writetest::MdbExportRows(path, "Stock")[4][3], "860");
        }
        if (writetest::HaveMdbReader()) {
            const auto customers = writetest::MdbReaderTable(path, "Customers");
            EXPECT_EQ(
                customers["tables"].items.at(0)["rows"].items.at(2)["Since"].text.substr(0, 10),
                "2019-03-14");
            const auto stock = writetest::MdbReaderTable(path, "Stock");
            EXPECT_EQ(stock["tables"].items.at(0)["rows"].items.at(4)["OnHand"].Number(), 860);
        }
        if (!firstRows)
            firstRows = rows;
        else
            EXPECT_EQ(rows, *firstRows) << "the appends stored other values in " << name;

        // The same file once more meets the primary key: refused, and nothing of it stored.
        const std::string before = writetest::RunCapture("cksum < " + ShellQuote(path));
        int status = 0;
        const std::string again =
            RunAppend(environment, dir / name, path, SampleAppends()[0], status);
        EXPECT_NE(status, 0);
        EXPECT_NE(again.find("duplicate values in the index, primary key"), std::string::npos)
            << again;
        EXPECT_NE(again.find("customers.csv, line 2"), std::string::npos) << again;
        EXPECT_EQ(writetest::RunCapture("cksum < " + ShellQuote(path)), before);
    }
    fs::remove_all(dir);
}

// The sample import into an Access 97 database made from nothing: `accessdb create --format 97`,
// the sample database's own statements, both sample appends and a new table from the third
// file. Every reader sees the rows, typed as the files hold them, in code page 1252.
TEST(SampleImportIntoAccess97, ANewJet3DatabaseTakesTheSampleDatabaseAndItsAppends) {
    const fs::path accessdbTool = BinDir() / "accessdb";
    if (BinDir().empty() || !fs::exists(accessdbTool) || !fs::exists(BinDir() / "quillmere-import"))
        GTEST_SKIP() << "the tools are not built (run the tests through ctest)";
    const fs::path dir = fixtures::TempDir("sample_97");
    const std::string path = (dir / "sample97.mdb").string();
    int status = 0;
    const std::string made = writetest::RunCapture(
        ShellQuote(accessdbTool.string()) + " create " + ShellQuote(path) + " --format 97 2>&1",
        &status);
    ASSERT_EQ(status, 0) << made;
    EXPECT_EQ(accessdb::ReadDatabaseInfo(path).formatName, "Jet 3");

    std::string statements;
    std::ifstream sql(fs::path(std::getenv("QUILLMERE_SOURCE_DIR")) / "app/sample/sample.sql");
    for (std::string line; std::getline(sql, line);) {
        if (!line.empty() && line.rfind("--", 0) != 0)
            statements += " " + ShellQuote(line);
    }
    const std::string filled = writetest::RunCapture(
        ShellQuote(accessdbTool.string()) + " sql " + ShellQuote(path) + statements + " 2>&1",
        &status);
    ASSERT_EQ(status, 0) << filled;

    for (const SampleAppend& sample : SampleAppends()) {
        const std::string output = RunAppend("LC_ALL=C ", dir, path, sample, status);
        EXPECT_EQ(status, 0) << output;
        EXPECT_NE(output.find("Done.\n"), std::string::npos) << output;
    }
    const std::string created = writetest::RunImport(
        "--database " + ShellQuote(path) + " --delimiter semicolon " +
            ShellQuote(SampleFile("orders_semicolon.csv").string()) + " </dev/null",
        &status, "LC_ALL=C XDG_STATE_HOME=" + ShellQuote(dir.string()) + " ");
    EXPECT_EQ(status, 0) << created;

    writetest::ExpectClean(path);
    std::string summary;
    if (!writetest::AccessCheckTool().empty()) {
        EXPECT_EQ(writetest::AccessCheck(path, "", &summary), 0) << summary;
    }
    const std::map<std::string, std::size_t> expectedRows{
        {"Customers", 2 + LinesOf(SampleFile("customers.csv"), ",").size() - 1},
        {"Stock", 2 + LinesOf(SampleFile("stock_tab.csv"), "\t").size() - 1},
        {"NewTable1", LinesOf(SampleFile("orders_semicolon.csv"), ";").size() - 1}};
    for (const auto& [table, count] : expectedRows) {
        SCOPED_TRACE(table);
        const Rows rows = writetest::ReadRows(path, table);
        EXPECT_EQ(rows.size(), count);
        if (writetest::HaveMdbTools()) {
            EXPECT_EQ(writetest::MdbExportRows(path, table).size(), count);
        }
        if (writetest::HaveMdbReader()) {
            EXPECT_EQ(
                writetest::MdbReaderTable(path, table)["tables"].items.at(0)["rows"].items.size(),
                count);
        }
    }
    // Text in code page 1252 ("Tromsø" from the statements) and typed values from the files.
    const Rows customers = writetest::ReadRows(path, "Customers");
    EXPECT_EQ(customers[1][2], "Troms\u00f8");
    EXPECT_EQ(customers[2],
              (std::vector<std::string>{"C001", "Harwell Bakery", "Leeds", "United Kingdom",
                                        "orders@harwellbakery.example", "2019-03-14 00:00:00"}));
    EXPECT_EQ(
        writetest::ReadRows(path, "Stock")[4],
        (std::vector<std::string>{"LC-010", "Lens cloth, pack of 10", "North", "860", "200"}));
    if (writetest::HaveMdbTools()) {
        EXPECT_EQ(writetest::MdbExportRows(path, "Customers")[1][2], "Troms\u00f8");
        EXPECT_EQ(writetest::MdbExportRows(path, "Customers")[2][5], "03/14/19 00:00:00");
    }
    if (writetest::HaveMdbReader()) {
        const auto dump = writetest::MdbReaderTable(path, "Customers");
        EXPECT_EQ(dump["tables"].items.at(0)["rows"].items.at(1)["City"].text, "Troms\u00f8");
    }
    fs::remove_all(dir);
}

// Creating a table from a sample file, as a new user might first: every column is text, so the
// sample database takes that next to the appends.
TEST_F(SampleDatabaseTest, TakesAnAppendAndANewTable) {
    const fs::path dir = fixtures::TempDir("sample_db");
    const fs::path copy = dir / "sample.mdb";
    fs::copy_file(SampleDatabase(), copy);
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
    const fs::path csv = dir / "customers.csv";
    std::ofstream(csv)
        << "CustomerID,Name,City,Country,Email,Since\nC001,Harwell Bakery,Leeds,United Kingdom,"
           "orders@harwellbakery.example,2019-03-14\n";
    const std::string tool = ShellQuote((BinDir() / "quillmere-import").string());
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
    const Rows created = writetest::ReadRows(copy.string(), "NewTable1");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].back(), "2019-03-14");  // text, as the file holds it
    fs::remove_all(dir);
}

}  // namespace
#endif

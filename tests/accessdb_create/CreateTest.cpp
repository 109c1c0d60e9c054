// New databases of every format take tables and rows through the engine and read back the
// same through our reader, mdbtools and mdb-reader, and pass the structural check; creation
// refuses what it cannot write, without leaving anything behind.
#include <gtest/gtest.h>

#include "accessdb/Database.h"
#include "accessdb/create/NewDatabase.h"
#include "accessdb_write/WriteSupport.h"

namespace {

namespace fs = std::filesystem;
using writetest::ShellQuote;

struct Format {
    const char* name;
    const char* file;
};

const Format kFormats[] = {{"97", "new97.mdb"},       {"2000", "new2000.mdb"},
                           {"2003", "new2003.mdb"},   {"2007", "new2007.accdb"},
                           {"2010", "new2010.accdb"}, {"2016", "new2016.accdb"},
                           {"2019", "new2019.accdb"}};

// Access 97 stores text in code page 1252: its rows keep to the characters that page holds
// (the euro sign and the typographic quotes are its bytes 0x80..0x9F).
const std::vector<std::vector<std::string>>& Rows(const std::string& format = "") {
    static const std::vector<std::vector<std::string>> rows = {
        {"Anna", "1", "short note"},
        {"Ωmega ünïcode 東京", "-42", std::string(5000, 'm')},
        {"O'Brien, \"quoted\"", "2147483647", "<null>"},
    };
    static const std::vector<std::vector<std::string>> westernRows = {
        {"Anna", "1", "short note"},
        {"Ärger über Café – „€ 5“ ÿ", "-42", std::string(5000, 'm') + " Œuvre"},
        {"O'Brien, \"quoted\"", "2147483647", "<null>"},
    };
    return format == "97" ? westernRows : rows;
}

class NewDatabase : public ::testing::TestWithParam<Format> {};

TEST_P(NewDatabase, TakesTablesAndRowsThatEveryReaderReadsBack) {
    const std::vector<std::vector<std::string>>& expected = Rows(GetParam().name);
    const fs::path dir = fixtures::TempDir(std::string("new_") + GetParam().name);
    const std::string path = (dir / GetParam().file).string();
    accessdb::CreateDatabase(path, {*accessdb::ParseNewDatabaseFormat(GetParam().name), ""});
    writetest::ExpectClean(path);
    EXPECT_TRUE(accessdb::Database::Open(path, "")->UserTableNames().empty());

    std::vector<std::string> statements = {
        "CREATE TABLE `People` (`Name` VARCHAR(100), `Number` LONG, `Note` MEMO)"};
    for (const auto& row : expected) {
        statements.push_back("INSERT INTO `People` VALUES (" + writetest::Quote(row[0]) + ", " +
                             row[1] + ", " +
                             (row[2] == "<null>" ? "NULL" : writetest::Quote(row[2])) + ")");
    }
    writetest::Execute(path, statements);
    writetest::ExpectClean(path);
    EXPECT_EQ(accessdb::Database::Open(path, "")->UserTableNames(),
              std::vector<std::string>{"People"});
    EXPECT_EQ(writetest::ReadRows(path, "People"), expected);

    if (writetest::HaveMdbTools()) {
        int status = 0;
        EXPECT_EQ(writetest::RunCapture("mdb-tables -1 " + ShellQuote(path), &status), "People\n");
        EXPECT_EQ(status, 0);
        const std::string schema =
            writetest::RunCapture("mdb-schema " + ShellQuote(path) + " 2>&1", &status);
        EXPECT_EQ(status, 0);
        EXPECT_NE(schema.find("CREATE TABLE [People]"), std::string::npos) << schema;
        const auto exported = writetest::MdbExportRows(path, "People");
        ASSERT_EQ(exported.size(), expected.size());
        for (std::size_t i = 0; i < exported.size(); ++i) {
            EXPECT_EQ(exported[i][0], writetest::AsMdbTools(expected[i][0]));
            EXPECT_EQ(exported[i][1], expected[i][1]);
            EXPECT_EQ(exported[i][2], expected[i][2] == "<null>" ? "" : expected[i][2]);
        }
    }
    if (writetest::HaveMdbReader()) {
        const testjson::Value dump = writetest::MdbReaderTable(path, "People");
        const auto& rows = dump["tables"].items.at(0)["rows"].items;
        ASSERT_EQ(rows.size(), expected.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto text = [](const testjson::Value& v) {
                return v.kind == testjson::Value::Kind::Null ? std::string("<null>") : v.text;
            };
            EXPECT_EQ(text(rows[i]["Name"]), expected[i][0]);
            EXPECT_EQ(text(rows[i]["Number"]), expected[i][1]);
            EXPECT_EQ(text(rows[i]["Note"]), expected[i][2]);
        }
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, NewDatabase, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string("Access") + info.param.name; });

TEST(NewDatabaseDefaults, MdbIsJet4In2003FormatAndAccdbIsAce14) {
    const fs::path dir = fixtures::TempDir("new_defaults");
    accessdb::CreateDatabase((dir / "a.MDB").string(), {});
    accessdb::CreateDatabase((dir / "b.AccDB").string(), {});
    const auto mdb = accessdb::ReadDatabaseInfo((dir / "a.MDB").string());
    const auto accdb = accessdb::ReadDatabaseInfo((dir / "b.AccDB").string());
    EXPECT_EQ(mdb.formatName, "Jet 4");
    EXPECT_EQ(mdb.sortOrderName, "General Legacy");
    EXPECT_EQ(accdb.formatName, "ACE 14");
    EXPECT_EQ(accdb.sortOrderName, "General");
    fs::remove_all(dir);
}

// A Jet 4 password (UTF-16) and an Access 97 one (code page 1252, no date mask) are stored as
// Access stores them: our reader and the header agree on them, and opening needs them, letter
// case included.
TEST(NewDatabasePassword, Jet4PasswordIsStoredAndRequired) {
    const fs::path dir = fixtures::TempDir("new_password");
    const std::vector<std::pair<accessdb::NewDatabaseFormat, std::string>> cases = {
        {accessdb::NewDatabaseFormat::Access2000, "P\u00e4ssword 20 chars!!"},
        {accessdb::NewDatabaseFormat::Access97, "P\u00e4ssw\u00f6rt\u2013\u20ac 20 chars!"}};
    for (const auto& [format, password] : cases) {
        SCOPED_TRACE(password);
        const std::string path =
            (dir /
             (format == accessdb::NewDatabaseFormat::Access97 ? "secret97.mdb" : "secret.mdb"))
                .string();
        accessdb::CreateDatabase(path, {format, password});
        EXPECT_TRUE(accessdb::ReadDatabaseInfo(path).hasPassword);
        EXPECT_NO_THROW(accessdb::Database::Open(path, password));
        for (const std::string& wrong :
             {std::string(), "p" + password.substr(1), password.substr(0, 8)}) {
            try {
                accessdb::Database::Open(path, wrong);
                ADD_FAILURE() << "opened with '" << wrong << "'";
            } catch (const accessdb::Error& e) {
                EXPECT_EQ(e.Kind(), accessdb::ErrorKind::WrongPassword);
            }
        }
    }
    fs::remove_all(dir);
}

// Each refusal names the file, changes nothing that was there and leaves no partial file.
TEST(NewDatabaseRefusals, ExistingFilesWrongFormatsAndLongPasswords) {
    const fs::path dir = fixtures::TempDir("new_refusals");
    const std::string existing = (dir / "mine.mdb").string();
    { std::ofstream(existing) << "not to be overwritten"; }
    struct Case {
        std::string path;
        accessdb::NewDatabaseOptions options;
        accessdb::ErrorKind kind;
    };
    const std::vector<Case> cases = {
        {existing, {}, accessdb::ErrorKind::Constraint},
        {(dir / "x.accdb").string(),
         {accessdb::NewDatabaseFormat::Default, std::string(256, 'p')},
         accessdb::ErrorKind::Constraint},
        {(dir / "x.mdb").string(),
         {accessdb::NewDatabaseFormat::Access2010, ""},
         accessdb::ErrorKind::Constraint},
        {(dir / "x.accdb").string(),
         {accessdb::NewDatabaseFormat::Access2003, ""},
         accessdb::ErrorKind::Constraint},
        {(dir / "no such folder" / "x.mdb").string(), {}, accessdb::ErrorKind::Io},
        {(dir / "x.mdb").string(),
         {accessdb::NewDatabaseFormat::Access2003, std::string(21, 'p')},
         accessdb::ErrorKind::Constraint},
        // Access 97: 20 characters of code page 1252 at most, and only those.
        {(dir / "x.mdb").string(),
         {accessdb::NewDatabaseFormat::Access97, std::string(21, 'p')},
         accessdb::ErrorKind::Constraint},
        {(dir / "x.mdb").string(),
         {accessdb::NewDatabaseFormat::Access97, "\u0141\u00f3d\u017a"},
         accessdb::ErrorKind::Constraint},
        {(dir / "x.accdb").string(),
         {accessdb::NewDatabaseFormat::Access97, ""},
         accessdb::ErrorKind::Constraint},
    };
    for (const Case& c : cases) {
        try {
            accessdb::CreateDatabase(c.path, c.options);
            ADD_FAILURE() << "created " << c.path;
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.Kind(), c.kind) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.path), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(fixtures::ReadText(existing), "not to be overwritten");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"mine.mdb"});
    EXPECT_FALSE(accessdb::ParseNewDatabaseFormat("1997").has_value());
    fs::remove_all(dir);
}

}  // namespace

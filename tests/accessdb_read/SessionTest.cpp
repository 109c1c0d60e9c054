// The DatabaseSession over accessdb: opening by connection string, the tables schema rowset,
// SELECT * recordsets, Close, and the Jet error numbers callers see.
#include <gtest/gtest.h>
#include <algorithm>

#include "Fixtures.h"
#include "accessdb/Database.h"
#include "accessdb/UsageMap.h"
#include "database/ConnectionString.h"
#include "database/DatabaseSession.h"

namespace {

using quillmere::DatabaseError;

std::unique_ptr<quillmere::DatabaseSession> OpenSession(const std::string& relative,
                                                        const std::string& password) {
    auto session = quillmere::MakeEngineSessionFactory()->Create();
    session->Open(
        quillmere::BuildConnectionString((fixtures::Dir() / relative).string(), password));
    return session;
}

long ErrorNumberOfOpen(const std::string& path, const std::string& password,
                       std::string* message = nullptr) {
    auto session = quillmere::MakeEngineSessionFactory()->Create();
    try {
        session->Open(quillmere::BuildConnectionString(path, password));
    } catch (const DatabaseError& e) {
        if (message)
            *message = e.Description();
        EXPECT_EQ(session->State(), 0);
        return e.Number();
    }
    return 0;
}

TEST(AccessDbSession, SchemaRowsetListsTablesByTypeThenName) {
    REQUIRE_FIXTURES();
    auto session = OpenSession("jackcess/queryTestV2003.mdb", "");
    EXPECT_NE(session->State(), 0);
    auto rows = session->OpenTableSchema(quillmere::kSchemaTables);
    std::vector<std::pair<std::string, std::string>> seen;
    for (; !rows->AtEnd(); rows->MoveNext())
        seen.emplace_back(rows->Value("TABLE_TYPE"), rows->Value("TABLE_NAME"));
    rows->Close();
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                               [](const auto& a, const auto& b) { return a.first < b.first; }));
    std::vector<std::string> user;
    for (const auto& [type, name] : seen)
        if (type == "TABLE")
            user.push_back(name);
    EXPECT_EQ(user, (std::vector<std::string>{"Table1", "Table2", "Table3"}));
    EXPECT_NE(std::find(seen.begin(), seen.end(),
                        std::make_pair(std::string("VIEW"), std::string("SelectQuery"))),
              seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(),
                        std::make_pair(std::string("SYSTEM TABLE"), std::string("MSysObjects"))),
              seen.end());
    session->Close();
    EXPECT_EQ(session->State(), 0);
    session->Close();  // closing twice is allowed
}

TEST(AccessDbSession, LinkedTablesAreNotUserTables) {
    REQUIRE_FIXTURES();
    auto session = OpenSession("jackcess/linkerTestV2007.accdb", "");
    auto rows = session->OpenTableSchema(quillmere::kSchemaTables);
    std::vector<std::string> user, links;
    for (; !rows->AtEnd(); rows->MoveNext()) {
        if (rows->Value("TABLE_TYPE") == "TABLE")
            user.push_back(rows->Value("TABLE_NAME"));
        if (rows->Value("TABLE_TYPE") == "LINK")
            links.push_back(rows->Value("TABLE_NAME"));
    }
    EXPECT_EQ(user, std::vector<std::string>{"Table1"});
    EXPECT_EQ(links, std::vector<std::string>{"Table2"});
}

TEST(AccessDbSession, RecordsetGivesFieldsAndRowsAndClosesWithTheSession) {
    REQUIRE_FIXTURES();
    auto session = OpenSession("jackcess/testV1997.mdb", "");
    auto rs = session->OpenRecordset("SELECT * FROM `Table1`", quillmere::kCursorStatic,
                                     quillmere::kLockUnspecified);
    EXPECT_EQ(rs->FieldCount(), 9);
    EXPECT_EQ(rs->FieldName(0), "A");
    EXPECT_EQ(rs->FieldType(0), 202);  // adVarWChar
    EXPECT_EQ(rs->FieldType(4), 3);    // adInteger
    EXPECT_EQ(rs->FieldType(6), 7);    // adDate
    EXPECT_EQ(rs->FieldType(8), 11);   // adBoolean
    ASSERT_FALSE(rs->AtEnd());
    EXPECT_EQ(rs->Value("B"), "b");
    EXPECT_EQ(rs->Value(6), "1981-12-12 00:00:00");
    EXPECT_EQ(rs->Value(7), "0.0000");
    rs->MoveNext();
    EXPECT_EQ(rs->Value(0), "abcdefg");
    EXPECT_EQ(rs->Value(8), "1");
    session->Close();
    EXPECT_TRUE(rs->AtEnd());
    EXPECT_THROW(rs->Value(0), DatabaseError);
}

TEST(AccessDbSession, ErrorsCarryJetNumbersAndNames) {
    REQUIRE_FIXTURES();
    std::string message;
    EXPECT_EQ(ErrorNumberOfOpen("/nonexistent/folder/none.mdb", "", &message), 3024);
    EXPECT_EQ(message, "Could not find file '/nonexistent/folder/none.mdb'.");

    const auto protectedFile = (fixtures::Dir() / "mdb-reader/V2003_with-password.mdb").string();
    EXPECT_EQ(ErrorNumberOfOpen(protectedFile, "", &message), 3031);
    EXPECT_EQ(message, "Not a valid password.");
    EXPECT_EQ(ErrorNumberOfOpen(protectedFile, "Password"), 3031);  // case matters
    EXPECT_EQ(ErrorNumberOfOpen(protectedFile, "password"), 0);

    auto session = OpenSession("jackcess/testV1997.mdb", "");
    try {
        session->OpenRecordset("SELECT * FROM `NoSuchTable`", quillmere::kCursorStatic,
                               quillmere::kLockUnspecified);
        FAIL() << "opened a missing table";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.Number(), 3078);
        EXPECT_EQ(e.Description(),
                  "The Microsoft Access database engine cannot find the input table or query "
                  "'NoSuchTable'. "
                  "Make sure it exists and that its name is spelled correctly.");
    }
    EXPECT_THROW(session->Execute("CREATE TABLE `X` (`a` VARCHAR)"), DatabaseError);
}

// A table whose first row is damaged: opening the recordset fails, naming the file, and the
// session still closes cleanly afterwards.
TEST(AccessDbSession, DamagedRowsFailTheRecordsetNotTheSession) {
    REQUIRE_FIXTURES();
    auto dir = fixtures::TempDir("session_damaged");
    const auto copy = dir / "damaged.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess/testV1997.mdb", copy);
    // The fixture is read-only, and the copy too (Windows keeps the attribute).
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    {
        auto db = accessdb::Database::Open(copy.string(), "");
        auto def = db->Table("Table1");
        auto first = accessdb::UsageMap::Load(db->Pages(), def->ownedMap).Pages().front();
        std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(first) * 2048 + db->format().dataFirstRowOffset);
        f.put(5).put(0);  // row 0 now starts inside the page header
    }
    auto session = quillmere::MakeEngineSessionFactory()->Create();
    session->Open(quillmere::BuildConnectionString(copy.string(), ""));
    try {
        session->OpenRecordset("SELECT * FROM `Table1`", quillmere::kCursorStatic,
                               quillmere::kLockUnspecified);
        FAIL() << "a damaged row was read";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.Number(), 3049);
        EXPECT_NE(e.Description().find(copy.string()), std::string::npos) << e.Description();
    }
    session->Close();
    EXPECT_EQ(session->State(), 0);
    std::filesystem::remove_all(dir);
}

// Office-encrypted .accdb files (Agile with SHA-512/AES-256 and SHA-1/AES-128, RC4 CryptoAPI):
// the right password reads the tables, a wrong or missing one is Access's 3031 and nothing else.
TEST(AccessDbSession, EncryptedDatabasesOpenOnlyWithTheirPassword) {
    REQUIRE_FIXTURES();
    for (const char* relative :
         {"mdb-reader/office-agile-4.4.accdb", "mdb-reader/office-agile-4.2.accdb",
          "jackcess-encrypt/db2007-enc.accdb"}) {
        SCOPED_TRACE(relative);
        const std::string path = (fixtures::Dir() / relative).string();
        const std::string password = fixtures::PasswordFor(relative);
        std::string message;
        for (const std::string& wrong : {std::string(), password + "x", std::string("PASSWORD"),
                                         password.substr(0, password.size() - 1)}) {
            EXPECT_EQ(ErrorNumberOfOpen(path, wrong, &message), 3031) << wrong;
            EXPECT_EQ(message, "Not a valid password.");
        }
        auto session = OpenSession(relative, password);
        auto rows = session->OpenTableSchema(quillmere::kSchemaTables);
        std::vector<std::string> tables;
        for (; !rows->AtEnd(); rows->MoveNext())
            if (rows->Value("TABLE_TYPE") == "TABLE")
                tables.push_back(rows->Value("TABLE_NAME"));
        rows->Close();
        EXPECT_EQ(tables, std::vector<std::string>{"Table1"});
        session->Close();
    }
}

// Access 97 databases take rows like the others; text the code page cannot hold is refused.
TEST(AccessDbSession, Jet3DatabasesOpenForWritingAndTakeRows) {
    REQUIRE_FIXTURES();
    auto dir = fixtures::TempDir("session_jet3");
    const auto copy = dir / "jet3.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess/testV1997.mdb", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    auto session = quillmere::MakeEngineSessionFactory()->Create();
    session->SetMode(quillmere::kModeReadWrite);
    session->Open(quillmere::BuildConnectionString(copy.string(), ""));
    session->Execute("INSERT INTO `Table1` (A, B) VALUES ('caf\xC3\xA9 \xE2\x82\xAC', 'x')");
    try {
        session->Execute(
            "INSERT INTO `Table1` (A, B) VALUES ('\xC5\x81\xC3\xB3"
            "d\xC5\xBA', 'y')");
        FAIL() << "a character outside code page 1252 was stored";
    } catch (const DatabaseError& e) {
        EXPECT_NE(e.Description().find("'A'"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("U+0141"), std::string::npos) << e.Description();
    }
    auto rows = session->OpenRecordset("SELECT * FROM `Table1`", quillmere::kCursorStatic,
                                       quillmere::kLockUnspecified);
    std::vector<std::string> names;
    for (; !rows->AtEnd(); rows->MoveNext())
        names.push_back(rows->Value("A"));
    session->Close();
    EXPECT_EQ(names.size(), 3u);
    EXPECT_NE(std::find(names.begin(), names.end(), "caf\xC3\xA9 \xE2\x82\xAC"), names.end());
    std::filesystem::remove_all(dir);
}

}  // namespace

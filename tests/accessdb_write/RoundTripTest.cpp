// One table with rows written into a copy of every empty fixture, read back by our reader,
// mdb-export and mdb-reader, and checked structurally.
#include <gtest/gtest.h>

#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

std::string Repeat(const std::string& unit, std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i)
        s += unit;
    return s;
}

struct Row {
    std::string name;  // Text(255)
    std::string code;  // Text(10)
    std::string memo;  // Memo; "<null>" for Null
};

std::vector<Row> Rows() {
    return {
        {"Ann", "30", "short memo"},
        {"O'Hara", "", "<null>"},
        {"Привет, мир", "Ωμέγα", Repeat("Кириллица и ελληνικά ", 200)},  // one long-value page
        {"漢字かな交じり", "한국어", Repeat("memo text ", 10000)},  // 100,000 characters, chained
        {"emoji 😀 and 🎉", "😀😀", "😀 in a memo"},
        {"tab\tand \"quotes\"", "x", Repeat("é", 3000)},
        {"", "<null>", ""},
    };
}

}  // namespace

TEST(WriteRoundTrip, OneTableInEveryEmptyFixture) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("roundtrip");
    const bool mdbTools = HaveMdbTools();
    const bool mdbReader = HaveMdbReader();
    for (const std::string& fixture : EmptyFixtures()) {
        SCOPED_TRACE(fixture);
        const std::string path = CopyFixture(fixture, dir);
        std::vector<std::string> statements{
            "CREATE TABLE `Ünïcode tåble`(`Name` VARCHAR, `Code` TEXT(10), [Long text] MEMO);"};
        for (const Row& row : Rows()) {
            auto literal = [](const std::string& v) {
                return v == "<null>" ? std::string("NULL") : Quote(v);
            };
            statements.push_back("INSERT INTO `Ünïcode tåble` VALUES(" + literal(row.name) + "," +
                                 literal(row.code) + "," + literal(row.memo) + ");");
        }
        Execute(path, statements);
        ExpectClean(path);

        const auto ours = ReadRows(path, "Ünïcode tåble");
        ASSERT_EQ(ours.size(), Rows().size());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            EXPECT_EQ(ours[i],
                      (std::vector<std::string>{Rows()[i].name, Rows()[i].code, Rows()[i].memo}))
                << "row " << i;
        }
        if (mdbTools) {
            const auto exported = MdbExportRows(path, "Ünïcode tåble");
            ASSERT_EQ(exported.size(), Rows().size());
            for (std::size_t i = 0; i < exported.size(); ++i) {
                auto expect = [](const std::string& v) {
                    return v == "<null>" ? std::string() : AsMdbTools(v);
                };
                EXPECT_EQ(exported[i],
                          (std::vector<std::string>{expect(Rows()[i].name), expect(Rows()[i].code),
                                                    expect(Rows()[i].memo)}))
                    << "mdb-export row " << i;
            }
        }
        if (mdbReader) {
            const testjson::Value dump = MdbReaderTable(path, "Ünïcode tåble");
            const auto& rows = dump["tables"].items.at(0)["rows"].items;
            ASSERT_EQ(rows.size(), Rows().size());
            for (std::size_t i = 0; i < rows.size(); ++i) {
                auto text = [](const testjson::Value& v) {
                    return v.kind == testjson::Value::Kind::Null ? std::string("<null>") : v.text;
                };
                EXPECT_EQ(text(rows[i]["Name"]), Rows()[i].name) << "mdb-reader row " << i;
                EXPECT_EQ(text(rows[i]["Code"]), Rows()[i].code) << "mdb-reader row " << i;
                EXPECT_EQ(text(rows[i]["Long text"]), Rows()[i].memo) << "mdb-reader row " << i;
            }
        }
    }
    fs::remove_all(dir);
}

// Tables created in Access 97 databases (an Access-made one and one with many tables): names
// and text in Windows-1252, a primary key, memo; read back by every reader, the checkers clean.
// Names or values the code page cannot hold are refused and leave the database as it was.
TEST(WriteRoundTrip, CreateTableInAccess97Databases) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("roundtrip97");
    const std::vector<std::vector<std::string>> rows{
        {"1", "M\xC3\xBCller \xE2\x82\xAC caf\xC3\xA9",
         "Stra\xC3\x9F"
         "e \xC2\xBD \xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"2", "Zo\xC3\xAB", "<null>"},
        {"3", "\xC3\x85ngstr\xC3\xB6m", std::string(3000, 'x')}};
    for (const std::string fixture : {"ucanaccess/size97.mdb", "jackcess/testV1997.mdb"}) {
        SCOPED_TRACE(fixture);
        const std::string path = CopyFixture(fixture, dir);
        std::vector<std::string> statements{
            "CREATE TABLE `Gr\xC3\xB6\xC3\x9F"
            "e`(Id LONG PRIMARY KEY, `N\xC3\xA4me` TEXT(40), Notiz MEMO);"};
        for (const auto& row : rows) {
            statements.push_back(
                "INSERT INTO `Gr\xC3\xB6\xC3\x9F"
                "e` VALUES(" +
                row[0] + "," + Quote(row[1]) + "," +
                (row[2] == "<null>" ? std::string("NULL") : Quote(row[2])) + ");");
        }
        Execute(path, statements);
        ExpectClean(path);
        const std::string table =
            "Gr\xC3\xB6\xC3\x9F"
            "e";
        EXPECT_EQ(ReadRows(path, table), rows);
        if (HaveMdbTools()) {
            const auto exported = MdbExportRows(path, table);
            ASSERT_EQ(exported.size(), rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(exported[i][1], AsMdbTools(rows[i][1])) << "mdb-export row " << i;
                EXPECT_EQ(exported[i][2], rows[i][2] == "<null>" ? "" : AsMdbTools(rows[i][2]));
            }
        }
        if (HaveMdbReader()) {
            const testjson::Value dump = MdbReaderTable(path, table);
            const auto& read = dump["tables"].items.at(0)["rows"].items;
            ASSERT_EQ(read.size(), rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(read[i]["N\xC3\xA4me"].text, rows[i][1]) << "mdb-reader row " << i;
            }
        }
        if (!AccessCheckTool().empty()) {
            std::string summary;
            EXPECT_EQ(AccessCheck(path, "", &summary), 0) << summary;
        }

        // U+03A9 (Greek Omega) is not in Windows-1252: table, column and value refused.
        for (const std::string& statement :
             {std::string("CREATE TABLE `\xCE\xA9`(A TEXT(5));"),
              std::string("CREATE TABLE T2(`\xCE\xA9x` TEXT(5));"),
              "INSERT INTO `" + table + "` VALUES(9, '\xCE\xA9mega', NULL);"}) {
            try {
                Execute(path, {statement});
                ADD_FAILURE() << "stored: " << statement;
            } catch (const accessdb::Error& e) {
                EXPECT_NE(std::string(e.what()).find("U+03A9"), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find("1252"), std::string::npos) << e.what();
            }
        }
        EXPECT_EQ(ReadRows(path, table), rows);
        auto db = accessdb::Database::Open(path, "");
        EXPECT_EQ(db->UserTableNames().size(), fixture == "ucanaccess/size97.mdb" ? 2u : 5u);
    }
    fs::remove_all(dir);
}

// Every column type CREATE TABLE knows, filled with literals of its own kind.
TEST(WriteRoundTrip, EveryColumnTypeWithItsOwnLiterals) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("types");
    for (const std::string fixture : {"jackcess/empty2003.mdb", "jackcess/empty2019.accdb"}) {
        SCOPED_TRACE(fixture);
        const std::string path = CopyFixture(fixture, dir);
        Execute(path,
                {"CREATE TABLE t (id COUNTER, b BYTE, s SHORT, l LONG, f SINGLE, d DOUBLE, "
                 "c CURRENCY, dt DATETIME, y BIT, g GUID, txt TEXT(5))",
                 "INSERT INTO t (b, s, l, f, d, c, dt, y, txt) VALUES (255, -32768, 2147483647, "
                 "1.5, -2.25e10, 922337203685477.5807, 45000.5, 1, 'abc')",
                 "INSERT INTO t (id, b, y) VALUES (10, 0, 0)",
                 "INSERT INTO t (c, l) VALUES (-0.01, NULL)"});
        ExpectClean(path);
        const auto rows = ReadRows(path, "t");
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "255", "-32768", "2147483647", "1.5",
                                                     "-22500000000", "922337203685477.5807",
                                                     "2023-03-15 12:00:00", "1", "<null>", "abc"}));
        EXPECT_EQ(rows[1][0], "10");  // a supplied AutoNumber value is kept and raises the counter
        EXPECT_EQ(rows[1][8], "0");
        EXPECT_EQ(rows[2][0], "11");
        EXPECT_EQ(rows[2][6], "-0.0100");
        EXPECT_EQ(rows[2][3], "<null>");
    }
    fs::remove_all(dir);
}

// Rows appended to tables Access made (no indexes): its data and long-value pages are reused
// where they have room, its rows stay as they were.
TEST(WriteRoundTrip, AppendToTablesAccessMade) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("append");
    const std::string numeric = CopyFixture("jackcess/fixedNumericTestV2000.mdb", dir);
    const std::string memo(3000, 'x');
    Execute(numeric, {"INSERT INTO test (col1) VALUES ('hello from us')",
                      "INSERT INTO test (col1, col2) VALUES ('" + memo + "', NULL)"});
    ExpectClean(numeric);
    auto rows = ReadRows(numeric, "test");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "some data");  // Access's own row
    EXPECT_EQ(rows[1], (std::vector<std::string>{"hello from us", "<null>", "<null>", "<null>",
                                                 "<null>", "<null>", "<null>"}));
    EXPECT_EQ(rows[2][0], memo);

    const std::string queries = CopyFixture("jackcess/queryTestV2003.mdb", dir);
    std::vector<std::string> statements;
    for (int i = 0; i < 300; ++i) {
        statements.push_back("INSERT INTO Table2 VALUES ('" + std::to_string(i) +
                             "', 'zwei', 'drei')");
    }
    Execute(queries, statements);
    ExpectClean(queries);
    EXPECT_EQ(ReadRows(queries, "Table2").size(), 300u);
    if (HaveMdbTools()) {
        EXPECT_EQ(MdbExportRows(queries, "Table2").size(), 300u);
        EXPECT_EQ(MdbExportRows(numeric, "test").size(), 3u);
    }
    if (HaveMdbReader()) {
        EXPECT_EQ(MdbReaderTable(queries, "Table2")["tables"].items.at(0)["rows"].items.size(),
                  300u);
        const auto dump = MdbReaderTable(numeric, "test");
        EXPECT_EQ(dump["tables"].items.at(0)["rows"].items.at(2)["col1"].text, memo);
    }
    fs::remove_all(dir);
}

// A Jet 4 database with RC4 page encoding: pages are encoded again as they are written.
TEST(WriteRoundTrip, JetPageEncodedDatabase) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("encoded");
    const std::string path = CopyFixture("jackcess-encrypt/db-enc.mdb", dir);
    const std::string memo(5000, 'y');
    Execute(path, {"CREATE TABLE t (a VARCHAR, m MEMO)",
                   "INSERT INTO t VALUES ('encoded', '" + memo + "')"});
    ExpectClean(path);
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"encoded", memo}}));
    if (HaveMdbTools()) {
        EXPECT_EQ(MdbExportRows(path, "t"),
                  (std::vector<std::vector<std::string>>{{"encoded", memo}}));
    }
    if (HaveMdbReader()) {
        EXPECT_EQ(MdbReaderTable(path, "t")["tables"].items.at(0)["rows"].items.at(0)["m"].text,
                  memo);
    }
    fs::remove_all(dir);
}

// One row into a table Access made changes only the pages that must change (its data page and
// its definition's row count), and nothing else in the file.
TEST(WriteRoundTrip, OneInsertTouchesOnlyItsPages) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("touch");
    const std::string path = CopyFixture("jackcess/queryTestV2003.mdb", dir);
    Execute(path, {"INSERT INTO Table1 VALUES ('a', 'b', 'c')"});
    const std::string before = fixtures::ReadText(path);
    Execute(path, {"INSERT INTO Table1 VALUES ('d', 'e', 'f')"});
    const std::string after = fixtures::ReadText(path);
    ASSERT_EQ(before.size(), after.size());
    int changedPages = 0;
    std::size_t changedBytes = 0;
    for (std::size_t page = 0; page < before.size() / 4096; ++page) {
        bool changed = false;
        for (std::size_t i = page * 4096; i < (page + 1) * 4096; ++i) {
            if (before[i] != after[i]) {
                changed = true;
                ++changedBytes;
            }
        }
        changedPages += changed ? 1 : 0;
    }
    EXPECT_EQ(changedPages, 2);    // the data page and the definition
    EXPECT_LT(changedBytes, 40u);  // the row (compressed text), its slot, free space, counts
    fs::remove_all(dir);
}

// The engine's typed operations, without SQL: tables from a definition, rows of Values, and
// databases opened to discard their changes (dry runs).
#include "accessdb_write/Values.h"
#include "accessdb_write/WriteSupport.h"

namespace {

using accessdb::ColumnType;
using accessdb::Value;
using writetest::CopyFixture;
using writetest::ReadRows;

accessdb::TableDefinition Orders() {
    accessdb::TableDefinition t;
    t.name = "Orders";
    t.columns = {{"Id", ColumnType::Long, 0, true},
                 {"Customer", ColumnType::Text, 10, false},
                 {"Placed", ColumnType::DateTime, 0, false},
                 {"Amount", ColumnType::Currency, 0, false},
                 {"Notes", ColumnType::Memo, 0, false}};
    return t;
}

std::vector<Value> OrderRow(const std::string& customer, double placed, std::int64_t amount,
                            const std::string& notes) {
    Value memo = writetest::TextValue(notes, ColumnType::Memo);
    memo.null = notes.empty();
    return {Value::Null(ColumnType::Long), writetest::TextValue(customer),
            writetest::DateValue(placed), writetest::CurrencyValue(amount), memo};
}

TEST(TypedEngine, CreatesTablesAndStoresTypedRows) {
    REQUIRE_FIXTURES();
    const auto dir = writetest::TempDir("typed_rows");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        db->CreateTable(Orders());
        accessdb::RowInserter orders = db->Inserter("orders");  // names ignore case
        auto first = OrderRow("Ada", 45000.5, 39000, std::string(3000, 'x'));
        orders.Insert(first);
        EXPECT_EQ(first[0].integer, 1) << "the AutoNumber is handed back";
        auto second = OrderRow("Grace", 45001.25, -10000, "");
        orders.Insert(second);
        EXPECT_EQ(orders.Table().rowCount, 2u);
        db->Close();
    }
    const auto rows = ReadRows(path, "Orders");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1], "Ada");
    EXPECT_EQ(rows[0][2], "2023-03-15 12:00:00");
    EXPECT_EQ(rows[0][3], "3.9000");
    EXPECT_EQ(rows[0][4], std::string(3000, 'x'));
    EXPECT_EQ(rows[1][0], "2");
    EXPECT_EQ(rows[1][3], "-1.0000");
    EXPECT_EQ(rows[1][4], "<null>");
    writetest::ExpectClean(path);
}

TEST(TypedEngine, RefusesRowsThatDoNotFitTheTableAndLeavesTheFileAlone) {
    REQUIRE_FIXTURES();
    const auto dir = writetest::TempDir("typed_refused");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    writetest::Execute(path, {"CREATE TABLE Orders (Id COUNTER, Customer TEXT(10), Placed "
                              "DATETIME, Amount CURRENCY, Notes MEMO)"});
    const std::string before = fixtures::ReadText(path);
    auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
    accessdb::RowInserter orders = db->Inserter("Orders");

    auto wrongType = OrderRow("Ada", 1, 1, "");
    wrongType[3].type = ColumnType::Double;
    try {
        orders.Insert(wrongType);
        FAIL() << "a Double into a Currency column was stored";
    } catch (const accessdb::Error& e) {
        EXPECT_NE(std::string(e.what()).find("'Amount'"), std::string::npos) << e.what();
    }

    auto tooLong = OrderRow("Ada Lovelace", 1, 1, "");
    try {
        orders.Insert(tooLong);
        FAIL() << "12 characters went into a Text(10) column";
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.JetNumber(), 3163);
        EXPECT_NE(std::string(e.what()).find("Ada Lovelace"), std::string::npos) << e.what();
    }

    std::vector<Value> short_row(2, Value::Null(ColumnType::Text));
    EXPECT_THROW(orders.Insert(short_row), accessdb::Error);
    EXPECT_THROW(db->Inserter("NoSuchTable"), accessdb::Error);
    db->Close();
    EXPECT_EQ(fixtures::ReadText(path), before) << "a refused row changed the file";
}

TEST(TypedEngine, ReadOnlyDatabasesRefuseWriting) {
    REQUIRE_FIXTURES();
    const auto dir = writetest::TempDir("typed_readonly");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    auto db = accessdb::Database::Open(path, "");
    try {
        db->CreateTable(Orders());
        FAIL();
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.Kind(), accessdb::ErrorKind::ReadOnly);
        EXPECT_NE(std::string(e.what()).find("Orders"), std::string::npos) << e.what();
    }
}

TEST(TypedEngine, DiscardingDatabaseSeesItsChangesButNeverWritesThem) {
    REQUIRE_FIXTURES();
    for (const std::string& fixture :
         {std::string("jackcess/empty2003.mdb"), std::string("jackcess/empty2019.accdb")}) {
        SCOPED_TRACE(fixture);
        const auto dir = writetest::TempDir("typed_discard");
        const std::string path = CopyFixture(fixture, dir);
        const std::string before = fixtures::ReadText(path);
        {
            auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::Discard);
            db->Execute("CREATE TABLE T (a VARCHAR(20), b MEMO)");
            for (int i = 0; i < 2000; ++i) {
                db->Execute("INSERT INTO T VALUES ('row " + std::to_string(i) + "', '" +
                            std::string(200, 'm') + "')");
            }
            auto names = db->UserTableNames();
            EXPECT_NE(std::find(names.begin(), names.end(), "T"), names.end());
            auto cursor = db->OpenTable("T");
            int rows = 0;
            while (cursor->Next()) {
                ++rows;
            }
            EXPECT_EQ(rows, 2000);
            // A second writer could work meanwhile: a dry run takes no lock file.
            auto other = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            other->Close();
            db->Close();
        }
        EXPECT_EQ(fixtures::ReadText(path), before);
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            EXPECT_EQ(entry.path().string(), path) << "left behind: " << entry.path();
        }
    }
}

}  // namespace

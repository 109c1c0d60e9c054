// The writer checks a table before it first changes it and refuses, naming table and page,
// when `accessdb check` would call it damaged; the file is left exactly as it was, other tables
// can still be written, and reading stays as tolerant as before.
#include <gtest/gtest.h>

#include "accessdb/DataPage.h"
#include "accessdb/UsageMap.h"
#include "accessdb/write/RowEncoder.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

// Overwrites bytes of one page as damage would.
void Damage(const std::string& path, std::uint32_t page, std::size_t offset,
            std::vector<std::uint8_t> bytes) {
    accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
    std::copy(bytes.begin(), bytes.end(), pages.Modify(page)->bytes.begin() + offset);
    pages.Flush();
}

// Where the number of column `index` of a table definition lies on its first page.
std::size_t ColumnNumberOffset(const accessdb::Format& f, const accessdb::TableDef& def,
                               std::size_t index) {
    return f.tdefVariablePart + f.indexCountBlockSize * def.realIndexes.size() +
           f.columnBlockSize * def.columns[index].blockIndex + f.colNumber;
}

// The statement fails with 3049 naming every text in `names`, and the file keeps its bytes.
void ExpectRefused(const std::string& path, const std::string& statement,
                   const std::vector<std::string>& names) {
    SCOPED_TRACE(statement);
    const std::string before = fixtures::ReadText(path);
    try {
        Execute(path, {statement});
        ADD_FAILURE() << "written into a damaged table";
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.JetNumber(), 3049) << e.what();
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("The database '" + path + "' is damaged and was not changed: ", 0),
                  0u)
            << message;
        for (const std::string& name : names)
            EXPECT_NE(message.find(name), std::string::npos) << message << " lacks " << name;
    }
    EXPECT_EQ(fixtures::ReadText(path), before);
}

struct Table {
    std::uint32_t tdef = 0;
    std::uint32_t dataPage = 0;
};

Table Locate(const std::string& path, const std::string& name) {
    auto db = accessdb::Database::Open(path, "");
    Table t;
    t.tdef = db->Table(name)->page;
    auto cursor = db->OpenTable(name);
    if (cursor->Next())
        t.dataPage = cursor->Position().page;
    return t;
}

}  // namespace

TEST(WriteGuard, DamagedTablesAreNotWrittenAndOthersStillAre) {
    REQUIRE_FIXTURES();
    for (const std::string fixture : {"jackcess/empty2003.mdb", "jackcess/empty2016.accdb"}) {
        SCOPED_TRACE(fixture);
        const fs::path dir = TempDir("guard");
        const std::string path = CopyFixture(fixture, dir);
        std::vector<std::string> statements{"CREATE TABLE t (a VARCHAR, b MEMO)",
                                            "CREATE TABLE u (a VARCHAR)"};
        for (int i = 0; i < 40; ++i)
            statements.push_back("INSERT INTO t VALUES ('row " + std::to_string(i) + "', 'm')");
        Execute(path, statements);
        const Table t = Locate(path, "t");
        const std::string page = std::to_string(t.dataPage);

        // Free space that disagrees with the rows of the page the row would go to.
        Damage(path, t.dataPage, 2, {0, 0});
        ExpectRefused(
            path, "INSERT INTO t VALUES ('x', 'y')",
            {"table 't'", "page " + page, "bytes free", "page " + std::to_string(t.tdef)});
        EXPECT_EQ(ReadRows(path, "t").size(), 40u);  // reading is as tolerant as before
        Execute(path, {"INSERT INTO u VALUES ('other tables go on')", "CREATE TABLE v (a TEXT)"});
        Damage(path, t.dataPage, 2, {0xFF, 0x00});
        ExpectRefused(path, "INSERT INTO t VALUES ('x', 'y')", {"table 't'", "bytes free"});

        fs::remove_all(dir);
    }
}

// The heap overflow: the catalog's definition names column 4096, and CREATE TABLE
// encoded the catalog row with a null bit 500 bytes past the row's end (the release build said
// "Done."). Now the check refuses it, and the encoder itself never writes past the row.
TEST(WriteGuard, ColumnNumberBeyondTheDefinitionIsRefused) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("guard_column");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    {
        auto db = accessdb::Database::Open(path, "");
        const accessdb::TableDef& catalog = db->GetCatalog().SystemCatalogDef();
        ASSERT_EQ(catalog.pages.size(), 1u);
        const std::size_t at =
            ColumnNumberOffset(db->format(), catalog, catalog.columns.size() - 1);
        db.reset();
        Damage(path, accessdb::kSystemCatalogPage, at, {0x00, 0x10});
    }
    ExpectRefused(path, "CREATE TABLE t (a VARCHAR)",
                  {"table 'MSysObjects'", "has number 4096", "page 2"});
    EXPECT_NO_THROW(accessdb::Database::Open(path, "")->UserTableNames());

    auto db = accessdb::Database::Open(path, "");
    accessdb::TableDef def = db->GetCatalog().SystemCatalogDef();
    std::vector<accessdb::StoredField> fields(def.columns.size());
    std::vector<std::uint8_t> row;
    try {
        accessdb::EncodeRow(def, db->format(), fields, row);
        ADD_FAILURE() << "encoded a row for column 4096";
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.Kind(), accessdb::ErrorKind::Damaged);
        EXPECT_NE(std::string(e.what()).find("has number 4096, beyond its"), std::string::npos)
            << e.what();
    }
    db.reset();
    fs::remove_all(dir);
}

// Damage the check finds in the indexes and row counts refuses writing too.
TEST(WriteGuard, IndexAndRowCountDamageIsRefused) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("guard_index");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)", "INSERT INTO t VALUES ('one')"});
    const Table t = Locate(path, "t");
    const std::size_t rowCountAt = accessdb::Database::Open(path, "")->format().tdefRowCount;
    Damage(path, t.tdef, rowCountAt, {7});
    ExpectRefused(path, "INSERT INTO t VALUES ('two')", {"table 't'", "says 7 rows"});
    Damage(path, t.tdef, rowCountAt, {1});
    Execute(path, {"INSERT INTO t VALUES ('two')"});

    // The catalog index no longer agrees with its rows: a table's id changed.
    {
        auto db = accessdb::Database::Open(path, "");
        const accessdb::CatalogObject* object = db->GetCatalog().Find("t");
        ASSERT_NE(object, nullptr);
        const accessdb::DataPage page(db->Pages().Read(object->row.page)->View(), db->format());
        const std::size_t at = page.Slot(object->row.row).start + 2;  // Id, the first fixed column
        const std::uint8_t id = db->Pages().Read(object->row.page)->bytes[at];
        const std::uint32_t catalogPage = object->row.page;
        db.reset();
        Damage(path, catalogPage, at, {static_cast<std::uint8_t>(id ^ 1)});
    }
    ExpectRefused(path, "CREATE TABLE w (a VARCHAR)", {"table 'MSysObjects'", "does not match"});
    fs::remove_all(dir);
}

// A page the global usage map calls free while a table still uses it is not handed out again:
// the new table would have overwritten the old one's rows.
TEST(WriteGuard, FreeMarkedPageInUseIsNotReused) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("guard_free");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)", "INSERT INTO t VALUES ('kept')"});
    const Table t = Locate(path, "t");
    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        accessdb::UsageMap global =
            accessdb::UsageMap::Load(pages, accessdb::RowPointer{accessdb::kGlobalUsageMapPage, 0});
        global.Set(pages, t.dataPage, true);
        pages.Flush();
    }
    ExpectRefused(path, "CREATE TABLE w (a VARCHAR)",
                  {"page " + std::to_string(t.dataPage) + " is marked free in the global usage map",
                   "table defined at page " + std::to_string(t.tdef) + " still uses it"});
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"kept"}}));
    fs::remove_all(dir);
}

// A usage map that claims a page past the file's end would hand that page to two owners once
// the file grows into it (the write fuzzer found one in MSysObjects' long-value map): the check
// names it and the writer refuses the table.
TEST(WriteGuard, UsageMapClaimingAPageBeyondTheEndIsRefused) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("guard_beyond");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)", "INSERT INTO t VALUES ('one')"});
    std::uint32_t beyond = 0;
    {
        auto db = accessdb::Database::Open(path, "");
        const accessdb::RowPointer owned = db->Table("t")->ownedMap;
        db.reset();
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        beyond = pages.PageCount() + 2;
        accessdb::UsageMap map = accessdb::UsageMap::Load(pages, owned);
        ASSERT_TRUE(map.Set(pages, beyond, true)) << "the map's window does not reach the end";
        pages.Flush();
    }
    ExpectRefused(path, "INSERT INTO t VALUES ('two')",
                  {"table 't'", "claims page " + std::to_string(beyond), "beyond the end"});
    EXPECT_EQ(ReadRows(path, "t").size(), 1u);
    fs::remove_all(dir);
}

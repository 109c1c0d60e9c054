// The structural validator: clean on what Access made and on what we write, and it finds the
// faults that matter.
#include <gtest/gtest.h>

#include "accessdb/DataPage.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

std::vector<std::string> Findings(const std::string& path) {
    auto db = accessdb::Database::Open(path, "");
    return accessdb::CheckDatabase(*db).findings;
}

bool AnyMentions(const std::vector<std::string>& findings, const std::string& text) {
    for (const std::string& f : findings) {
        if (f.find(text) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

TEST(DatabaseCheck, AccessMadeDatabasesAreClean) {
    REQUIRE_FIXTURES();
    for (const std::string name :
         {"jackcess/empty2003.mdb", "jackcess/empty2019.accdb", "jackcess/indexTestV2003.mdb",
          "jackcess/testUnicodeCompV2003.mdb", "jackcess/compIndexTestV2003.mdb",
          "jackcess/linkerTestV2007.accdb", "mdb-reader/bigint.accdb"}) {
        SCOPED_TRACE(name);
        auto db = accessdb::Database::Open((fixtures::Dir() / name).string(), "");
        const accessdb::CheckReport report = accessdb::CheckDatabase(*db);
        EXPECT_TRUE(report.findings.empty()) << report.findings.front();
        EXPECT_GT(report.indexesCompared, 0u);
    }
}

TEST(DatabaseCheck, FindsDamage) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("check");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    std::vector<std::string> statements{"CREATE TABLE t (a VARCHAR)"};
    for (int i = 0; i < 50; ++i)
        statements.push_back("INSERT INTO t VALUES ('row " + std::to_string(i) + "')");
    Execute(path, statements);
    ASSERT_TRUE(Findings(path).empty());
    std::uint32_t tdef = 0;
    std::uint32_t dataPage = 0;
    {
        auto db = accessdb::Database::Open(path, "");
        auto def = db->Table("t");
        tdef = def->page;
        auto cursor = db->OpenTable("t");
        ASSERT_TRUE(cursor->Next());
        dataPage = cursor->Position().page;
    }
    auto damage = [&](std::uint32_t page, std::size_t offset, std::uint8_t value) {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        const std::uint8_t old = pages.Read(page)->bytes[offset];
        pages.Modify(page)->bytes[offset] = value;
        pages.Flush();
        return old;
    };
    // A stored row count that disagrees with the rows.
    std::uint8_t old = damage(tdef, 16, 49);
    EXPECT_TRUE(AnyMentions(Findings(path), "says 49 rows"));
    damage(tdef, 16, old);
    // Free space that disagrees with the rows on the page.
    old = damage(dataPage, 2, 0);
    EXPECT_TRUE(AnyMentions(Findings(path), "bytes free"));
    damage(dataPage, 2, old);
    // The catalog index no longer agrees with the catalog's rows: a table's id changed.
    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        auto db = accessdb::Database::Open(path, "");
        const accessdb::CatalogObject* object = db->GetCatalog().Find("t");
        ASSERT_NE(object, nullptr);
        const accessdb::DataPage page(pages.Read(object->row.page)->View(), pages.format());
        const accessdb::RowSlot slot = page.Slot(object->row.row);
        pages.Modify(object->row.page)->bytes[slot.start + 2] ^=
            0x01;  // Id, the first fixed column
        pages.Flush();
    }
    EXPECT_TRUE(AnyMentions(Findings(path), "does not match the rows"));
    ASSERT_TRUE(Findings(path).size() >= 1u);
    // The tool says so with its exit status.
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (bin != nullptr && fs::exists(fs::path(bin) / "accessdb")) {
        int status = 0;
        const std::string out = RunCapture(
            ShellQuote((fs::path(bin) / "accessdb").string()) + " check " + ShellQuote(path),
            &status);
        EXPECT_NE(status, 0) << out;
        EXPECT_NE(out.find("FAILED"), std::string::npos) << out;
    }
    fs::remove_all(dir);
}

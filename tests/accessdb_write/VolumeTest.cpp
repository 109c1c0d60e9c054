// Many tables (the catalog's index trees split at several levels) and many rows (data pages,
// usage maps growing from inline to reference form).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "accessdb/index/IndexNodeCache.h"
#include "accessdb/index/IndexTree.h"
#include "accessdb/index/StoredLeaf.h"
#include "accessdb/write/DataPageWriter.h"
#include "accessdb/write/PageAllocator.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {
#ifdef QUILLMERE_SANITIZED
constexpr int kTables = 150;
constexpr int kRows = 10000;
#else
constexpr int kTables = 500;
constexpr int kRows = 100000;
#endif
}  // namespace

TEST(WriteVolume, FiveHundredTables) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("tables");
    // General Legacy (Jet 4) and General (ACE 14) catalogs; long names make the catalog's
    // index entries large, so its trees grow a node level.
    for (const std::string fixture : {"jackcess/empty2003.mdb", "jackcess/empty2016.accdb"}) {
        SCOPED_TRACE(fixture);
        const std::string path = CopyFixture(fixture, dir);
        std::vector<std::string> names;
        std::mt19937 random(7);
        for (int i = 0; i < kTables; ++i) {
            names.push_back("Table " + std::to_string(random() % 100000) + " ñ " +
                            std::to_string(i) + std::string(30, 'x'));
        }
        {
            auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            for (const std::string& name : names) {
                db->Execute("CREATE TABLE `" + name + "`(`a` VARCHAR, `b` MEMO)");
            }
            db->Execute("INSERT INTO `" + names.back() + "` VALUES('last', 'table')");
            db->Close();
        }
        ExpectClean(path);
        auto db = accessdb::Database::Open(path, "");
        std::vector<std::string> listed = db->UserTableNames();
        std::sort(names.begin(), names.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, names);
        if (HaveMdbTools()) {
            const std::string tables = RunCapture("mdb-tables -1 " + ShellQuote(path));
            EXPECT_EQ(static_cast<int>(std::count(tables.begin(), tables.end(), '\n')), kTables);
        }
    }
    fs::remove_all(dir);
}

TEST(WriteVolume, HundredThousandRows) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("rows");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        db->Execute("CREATE TABLE `Big`(`n` VARCHAR, `t` VARCHAR, `m` MEMO)");
        for (int i = 0; i < kRows; ++i) {
            db->Execute("INSERT INTO `Big` VALUES('" + std::to_string(i) + "','row text " +
                        std::to_string(i * 7) + "'," +
                        (i % 1000 == 0 ? "'" + std::string(5000, 'm') + "'" : "NULL") + ")");
        }
        db->Close();
    }
    ExpectClean(path);
    const auto rows = ReadRows(path, "Big");
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
    EXPECT_EQ(rows[12345 % kRows][0], std::to_string(12345 % kRows));
    EXPECT_EQ(rows[kRows - 1][1], "row text " + std::to_string((kRows - 1) * 7));
    EXPECT_EQ(rows[0][2].size(), 5000u);
    if (HaveMdbTools()) {
        EXPECT_EQ(MdbExportRows(path, "Big").size(), static_cast<std::size_t>(kRows));
    }
    fs::remove_all(dir);
}

// A new empty index tree (its root an empty leaf of table 2) in a copy of an empty database.
struct EmptyTree {
    explicit EmptyTree(const std::string& name)
        : dir{TempDir(name)},
          pages(CopyFixture("jackcess/empty2003.mdb", dir.path), accessdb::OpenMode::ReadWrite),
          allocator(pages),
          root(allocator.NewPage()) {
        accessdb::IndexPageContent empty;
        empty.owner = 2;
        accessdb::EncodeIndexPage(empty, root->Mutable(), pages.format());
    }
    accessdb::IndexTree Tree(accessdb::IndexNodeCache* cache = nullptr) {
        return accessdb::IndexTree(
            pages, root->number, 2, [this] { return allocator.NewPage(); }, cache);
    }
    // The leftmost leaf, and how many levels lead to it.
    std::pair<std::uint32_t, int> FirstLeaf() {
        std::uint32_t page = root->number;
        for (int depth = 1;; ++depth) {
            const auto content = accessdb::DecodeIndexPage(*pages.Read(page), pages.format());
            if (content.leaf)
                return {page, depth};
            page = content.entries.empty() ? content.tail : content.entries.front().child;
        }
    }

    // Removed once the database in it is closed (members go in reverse order).
    struct RemovedDir {
        fs::path path;
        ~RemovedDir() { fs::remove_all(path); }
    } dir;
    accessdb::PageFile pages;
    accessdb::PageAllocator allocator;
    accessdb::MutablePageRef root;
};

// The B-tree on its own: thousands of large keys in random order give a tree of three levels
// or more, whose leaves hold every entry in order.
TEST(IndexTree, SplitsAtSeveralLevels) {
    REQUIRE_FIXTURES();
    EmptyTree empty("tree");
    accessdb::IndexTree tree = empty.Tree();

    std::vector<int> order(4000);
    for (int i = 0; i < static_cast<int>(order.size()); ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    auto keyOf = [](int i) {
        accessdb::KeyBytes key;
        accessdb::AppendLongKey(i / 3, true, key);  // duplicates: three rows a key
        key.insert(key.end(), 300, static_cast<std::uint8_t>(i % 251));
        return key;
    };
    for (const int i : order) {
        tree.Insert(keyOf(i), accessdb::RowPointer{static_cast<std::uint32_t>(100 + i), 0}, false);
    }
    const auto entries = tree.Entries();
    ASSERT_EQ(entries.size(), order.size());
    for (std::size_t i = 1; i < entries.size(); ++i) {
        ASSERT_LT(accessdb::CompareEntries(entries[i - 1], entries[i]), 0) << i;
    }
    EXPECT_GE(empty.FirstLeaf().second, 3);
    // A unique tree refuses an equal key and changes nothing.
    const auto again = tree.Insert(keyOf(5), accessdb::RowPointer{99999, 1}, true);
    EXPECT_TRUE(again.duplicateKey);
    EXPECT_EQ(tree.Entries().size(), order.size());
}

// Short keys over a two-letter alphabet (long shared prefixes, many equal keys) in random
// order: most inserts go into the leaf as stored, without decoding it. Every insert's verdict
// (new key, duplicate, refused by a unique index) must match a model, the leaves must hold every
// entry in order, and a stored leaf must read as its decoding does (debug builds also compare
// each page with the page encoded whole).
TEST(IndexTree, InsertsIntoStoredLeavesAsIntoDecodedOnes) {
    REQUIRE_FIXTURES();
    EmptyTree empty("storedleaf");
    accessdb::IndexNodeCache cache;
    accessdb::IndexTree tree = empty.Tree(&cache);
    accessdb::PageFile& pages = empty.pages;

    std::mt19937 random(11);
    std::multiset<accessdb::KeyBytes> model;
    std::size_t refused = 0;
    for (std::uint32_t i = 0; i < 6000; ++i) {
        accessdb::KeyBytes key(1 + random() % 10);
        for (auto& b : key)
            b = static_cast<std::uint8_t>('A' + random() % 2);
        const bool unique = random() % 8 == 0;
        const bool present = model.count(key) > 0;
        const auto result = tree.Insert(
            key, accessdb::RowPointer{1000 + i, static_cast<std::uint8_t>(i % 200)}, unique);
        ASSERT_EQ(result.duplicateKey, present) << i;
        ASSERT_EQ(result.newKey, !present) << i;
        if (unique && present) {
            ++refused;
            continue;
        }
        model.insert(key);
    }
    EXPECT_GT(refused, 0u);
    const auto entries = tree.Entries();
    ASSERT_EQ(entries.size(), model.size());
    auto expected = model.begin();
    for (std::size_t i = 0; i < entries.size(); ++i, ++expected) {
        ASSERT_EQ(entries[i].key, *expected) << i;
        if (i > 0) {
            ASSERT_LT(accessdb::CompareEntries(entries[i - 1], entries[i]), 0) << i;
        }
    }

    // A leaf the engine wrote reads as its decoding; one byte left after the entries (as
    // Access leaves some) makes it a page for the decoding path.
    const std::uint32_t leaf = empty.FirstLeaf().first;
    accessdb::MutablePageRef page = pages.Modify(leaf);
    const auto decoded = accessdb::DecodeIndexPage(*page, pages.format());
    accessdb::StoredLeaf stored;
    ASSERT_TRUE(stored.Read(page->View(), pages.format(), 2));
    ASSERT_EQ(stored.Count(), decoded.entries.size());
    for (std::size_t i = 0; i < decoded.entries.size(); ++i) {
        const auto& e = decoded.entries[i];
        EXPECT_TRUE(stored.KeyEquals(i, e.key.span())) << i;
        EXPECT_EQ(stored.LowerBound(e.key.span(), e.rowPage, e.row), i) << i;
    }
    EXPECT_FALSE(stored.Read(page->View(), pages.format(), 3));  // another table's page
    page->bytes.back() = 1;
    EXPECT_FALSE(stored.Read(page->View(), pages.format(), 2));
}

// 255 columns with 64-character names: the definition spans several pages.
TEST(WriteVolume, WidestTableDefinitionSpansPages) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("wide");
    const std::string path = CopyFixture("jackcess/empty2019.accdb", dir);
    std::string create = "CREATE TABLE `Wide`(";
    std::string insert = "INSERT INTO `Wide` VALUES(";
    std::vector<std::string> expected;
    for (int i = 0; i < 255; ++i) {
        std::string name = "Column " + std::to_string(i) + " ";
        name.resize(64, 'n');
        create += (i ? ", `" : "`") + name + "` VARCHAR(10)";
        expected.push_back("v" + std::to_string(i));
        insert += (i ? ",'" : "'") + expected.back() + "'";
    }
    Execute(path, {create + ")", insert + ")"});
    ExpectClean(path);
    auto db = accessdb::Database::Open(path, "");
    EXPECT_GT(db->Table("Wide")->pages.size(), 5u);
    EXPECT_EQ(ReadRows(path, "Wide"), (std::vector<std::vector<std::string>>{expected}));
    if (HaveMdbTools()) {
        EXPECT_EQ(MdbExportRows(path, "Wide"), (std::vector<std::vector<std::string>>{expected}));
    }
    db.reset();
    fs::remove_all(dir);
}

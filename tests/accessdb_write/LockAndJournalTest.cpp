// The lock file beside a database being written, and the rollback of a statement cut off.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "accessdb/LockFile.h"
#include "accessdb/RollbackJournal.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

TEST(LockFile, NamedAfterTheDatabase) {
    EXPECT_EQ(accessdb::LockFile::PathFor("/d/x.accdb"), "/d/x.laccdb");
    EXPECT_EQ(accessdb::LockFile::PathFor("/d/x.ACCDB"), "/d/x.laccdb");
    EXPECT_EQ(accessdb::LockFile::PathFor("/d/x.mdb"), "/d/x.ldb");
    EXPECT_EQ(accessdb::LockFile::PathFor("/d.e/x"), "/d.e/x.ldb");
}

TEST(LockFile, HeldWhileWritingAndRemovedOnClose) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    const fs::path lock = dir / "empty2003.ldb";
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        EXPECT_TRUE(fs::exists(lock));
        // A second writer finds the database in use.
        try {
            accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            ADD_FAILURE() << "a second writer opened the database";
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.Kind(), accessdb::ErrorKind::InUse);
            EXPECT_EQ(e.JetNumber(), 3045);
            EXPECT_NE(std::string(e.what()).find("already in use"), std::string::npos);
        }
        // Readers are not kept out.
        EXPECT_NO_THROW(accessdb::Database::Open(path, ""));
        db->Close();
    }
    EXPECT_FALSE(fs::exists(lock));
    EXPECT_FALSE(fs::exists(path + "-journal"));
    // A lock file nobody holds (left by a crash) is taken over.
    std::ofstream(lock) << "stale";
    EXPECT_NO_THROW(Execute(path, {"CREATE TABLE t (a VARCHAR)"}));
    EXPECT_FALSE(fs::exists(lock));
    fs::remove_all(dir);
}

namespace {

// Leaves the database as a crash in the middle of writing a group does: the journal written,
// some pages changed and the file grown, the journal never marked done.
void CrashInTheMiddleOfAGroup(const std::string& path) {
    accessdb::LockFile lock(path);
    accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
    accessdb::RollbackJournal journal(path, pages.PageSize());
    journal.Start();
    pages.SetJournal(&journal);
    pages.BeginStatement();
    for (std::uint32_t n : {2u, 5u, 9u}) {
        std::memset(pages.Modify(n)->bytes.data() + 100, 0xEE, 50);  // damage three pages
    }
    pages.Append();  // and grow the file
    pages.EndStatement();
    journal.Write(pages);
    pages.SetJournal(nullptr);
    pages.Flush();  // the "crash": the journal is never marked done
}

}  // namespace

// A group whose journal was written and whose pages only partly reached the file is rolled
// back when the database is next opened, for reading or for writing.
TEST(RollbackJournal, InterruptedStatementIsRolledBack) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("journal");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)", "INSERT INTO t VALUES ('kept')"});
    const std::string before = fixtures::ReadText(path);
    CrashInTheMiddleOfAGroup(path);
    EXPECT_NE(fixtures::ReadText(path), before);
    EXPECT_TRUE(accessdb::RollbackJournal::NeedsRecovery(path));
    auto db = accessdb::Database::Open(path, "");  // reading rolls it back
    EXPECT_EQ(fixtures::ReadText(path), before);
    EXPECT_FALSE(fs::exists(path + "-journal"));
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"kept"}}));
    ExpectClean(path);
    db.reset();
    fs::remove_all(dir);
}

// A healthy database put in the place of one that crashed is not the journal's: the journal is
// not applied, it is kept aside under another name, and the open fails naming both files. The
// next open finds the database as it was put there. Moved in (another inode) or copied over
// the crashed file's bytes (the same inode, other pages); for reading and for writing.
TEST(RollbackJournal, JournalOfAnotherFileIsKeptAsideAndNotApplied) {
    REQUIRE_FIXTURES();
    for (const bool moved : {true, false}) {
        SCOPED_TRACE(moved ? "moved in" : "copied over");
        const fs::path dir = TempDir("journal_swap");
        const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
        Execute(path, {"CREATE TABLE t (a VARCHAR)", "INSERT INTO t VALUES ('crashed')"});
        const fs::path healthy = dir / "healthy.accdb";
        fs::copy_file(path, healthy);
        std::vector<std::string> rows;
        for (int i = 0; i < 500; ++i)
            rows.push_back("INSERT INTO t VALUES ('healthy " + std::to_string(i) + "')");
        Execute(healthy.string(), rows);
        CrashInTheMiddleOfAGroup(path);
        if (moved) {
            fs::rename(healthy, path);
        } else {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << fixtures::ReadText(healthy);
        }
        const std::string swapped = fixtures::ReadText(path);
        const std::string journal = path + "-journal";
        try {
            accessdb::Database::Open(
                path, "", moved ? accessdb::OpenMode::ReadOnly : accessdb::OpenMode::ReadWrite);
            ADD_FAILURE() << "a journal of another file was accepted";
        } catch (const accessdb::Error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("'" + journal + "'"), std::string::npos) << text;
            EXPECT_NE(text.find("'" + path + "'"), std::string::npos) << text;
            EXPECT_NE(text.find(journal + ".unmatched"), std::string::npos) << text;
        }
        EXPECT_EQ(fixtures::ReadText(path), swapped);
        EXPECT_FALSE(fs::exists(journal));
        EXPECT_TRUE(fs::exists(journal + ".unmatched"));
        EXPECT_FALSE(fs::exists(dir / "empty2010.laccdb"));
        EXPECT_EQ(ReadRows(path, "t").size(), 501u);
        ExpectClean(path);
        fs::remove_all(dir);
    }
}

// A journal cut short (no trailer) means the database was not touched: it is ignored.
TEST(RollbackJournal, IncompleteJournalIsIgnored) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("journal_cut");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    const std::string before = fixtures::ReadText(path);
    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        accessdb::RollbackJournal journal(path, pages.PageSize());
        pages.SetJournal(&journal);
        pages.BeginStatement();
        pages.Modify(3);
        journal.Write(pages);
        pages.SetJournal(nullptr);
    }
    const std::string journalPath = path + "-journal";
    fs::resize_file(journalPath, fs::file_size(journalPath) - 10);
    EXPECT_FALSE(accessdb::RollbackJournal::NeedsRecovery(path));
    Execute(path, {"CREATE TABLE t (a VARCHAR)"});
    ExpectClean(path);
    EXPECT_NE(fixtures::ReadText(path), before);
    fs::remove_all(dir);
}

// A statement's savepoint keeps only the parts of a page a change names, or the whole page once
// a change takes all of it; either way a rollback gives back the page as it was before the
// statement, and an ended statement keeps its changes.
TEST(StatementSavepoint, PartsAndWholePagesRollBackToTheStatementsStart) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("savepoint");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        const std::uint32_t page = 2;
        const std::vector<std::uint8_t> original = pages.Read(page)->bytes;
        const accessdb::ByteRange headerAndMiddle[] = {{10, 4}, {100, 8}};
        const accessdb::ByteRange overlapping[] = {{12, 6}};
        const accessdb::ByteRange whole[] = {{0, pages.PageSize()}};

        // Parts saved twice, overlapping: the first images win.
        pages.BeginStatement();
        std::memset(pages.ModifyParts(page, headerAndMiddle)->bytes.data() + 10, 0x11, 4);
        std::memset(pages.ModifyParts(page, overlapping)->bytes.data() + 12, 0x22, 6);
        pages.RollbackStatement();
        EXPECT_EQ(pages.Read(page)->bytes, original);

        // Parts first, then the whole page.
        pages.BeginStatement();
        std::memset(pages.ModifyParts(page, headerAndMiddle)->bytes.data() + 100, 0x33, 8);
        std::memset(pages.Modify(page)->bytes.data(), 0x44, pages.PageSize());
        pages.RollbackStatement();
        EXPECT_EQ(pages.Read(page)->bytes, original);

        // A part as large as the page; then a statement that ends keeps what it wrote.
        pages.BeginStatement();
        std::memset(pages.ModifyParts(page, whole)->bytes.data(), 0x55, pages.PageSize());
        pages.RollbackStatement();
        EXPECT_EQ(pages.Read(page)->bytes, original);
        pages.BeginStatement();
        pages.ModifyParts(page, headerAndMiddle)->bytes[100] = 0x66;
        pages.EndStatement();
        EXPECT_EQ(pages.Read(page)->bytes[100], 0x66);
        EXPECT_EQ(pages.DirtyPageCount(), 1u);

        // A part outside the page is refused before anything changes.
        const accessdb::ByteRange beyond[] = {{pages.PageSize() - 2, 4}};
        pages.BeginStatement();
        EXPECT_THROW(pages.ModifyParts(page, beyond), accessdb::Error);
        pages.RollbackStatement();
        EXPECT_EQ(pages.Read(page)->bytes[100], 0x66);
    }  // closed first: Windows removes no file that is open
    fs::remove_all(dir);
}

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

// A statement whose journal was written and whose pages only partly reached the file is rolled
// back when the database is next opened, for reading or for writing.
TEST(RollbackJournal, InterruptedStatementIsRolledBack) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("journal");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)", "INSERT INTO t VALUES ('kept')"});
    const std::string before = fixtures::ReadText(path);
    {
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
        journal.Write(pages);
        pages.Flush();  // the "crash": the journal is never marked done
        pages.SetJournal(nullptr);
    }
    EXPECT_NE(fixtures::ReadText(path), before);
    EXPECT_TRUE(accessdb::RollbackJournal::NeedsRecovery(path));
    auto db = accessdb::Database::Open(path, "");  // reading rolls it back
    EXPECT_EQ(fixtures::ReadText(path), before);
    EXPECT_FALSE(fs::exists(path + "-journal"));
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"kept"}}));
    ExpectClean(path);
    fs::remove_all(dir);
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

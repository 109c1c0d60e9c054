// Statements grouped on their way to the file: each one all or nothing in memory, the group
// written in a few large writes, a failed statement leaving the file exactly as the good ones
// before it made it, and the size limit of Access files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>

#include "tests/accessdb_write/WriteSupport.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

using namespace writetest;
using namespace std::chrono_literals;

namespace {

std::string Row(int i) {
    return "INSERT INTO `T` VALUES('row " + std::to_string(i) + "', " + std::to_string(i) + ")";
}

// A copy of the fixture with table T (a Text and a Long column).
std::string DatabaseWithTable(const fs::path& dir, const std::string& name) {
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    const std::string target = (dir / name).string();
    fs::rename(path, target);
    Execute(target, {"CREATE TABLE `T`(`a` VARCHAR(20), `n` LONG)"});
    return target;
}

// Groups that only end when asked to (or when the session closes).
void OneGroup(accessdb::Database& db) {
    db.Pages().SetGroupLimits(std::size_t{1} << 30, std::chrono::hours(1));
}

long FailureNumber(accessdb::Database& db, const std::string& statement) {
    try {
        db.Execute(statement);
    } catch (const accessdb::Error& e) {
        return e.JetNumber();
    }
    ADD_FAILURE() << "no error for: " << statement;
    return 0;
}

}  // namespace

// The page cache itself: a rolled-back statement puts back the images of before it, those of
// pages the group had already changed included, and drops the pages it appended.
TEST(GroupCommit, SavepointRestoresThePagesOfBeforeTheStatement) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("savepoint");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    const std::string before = fixtures::ReadText(path);
    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        const std::uint32_t count = pages.PageCount();
        pages.BeginStatement();
        pages.Modify(3)->bytes[200] = 0x11;  // the group's first statement: kept
        pages.Append()->bytes[0] = 0x22;
        pages.EndStatement();
        const auto afterFirst3 = pages.Read(3)->bytes;
        const auto afterFirstAppended = pages.Read(count)->bytes;

        pages.BeginStatement();
        pages.Modify(3)->bytes[300] = 0x33;    // dirty before: back to the first's image
        pages.Modify(4)->bytes[10] = 0x44;     // clean before: back to the file's image
        pages.Modify(count)->bytes[1] = 0x55;  // appended by the group: its image too
        pages.Append();                        // appended now: gone
        pages.RollbackStatement();
        EXPECT_EQ(pages.Read(3)->bytes, afterFirst3);
        EXPECT_EQ(pages.Read(count)->bytes, afterFirstAppended);
        EXPECT_EQ(pages.PageCount(), count + 1);
        EXPECT_EQ(pages.DirtyPageCount(), 2u);  // 3 and the first appended page
        EXPECT_THROW(pages.Read(count + 1), accessdb::Error);
        pages.Flush();
        pages.File().Truncate(static_cast<std::uint64_t>(count) * pages.PageSize());
        pages.BeginStatement();
        pages.Modify(3)->bytes[200] = 0;
        pages.EndStatement();
        pages.Flush();
    }
    EXPECT_EQ(fixtures::ReadText(path), before);
    fs::remove_all(dir);
}

// A statement that fails inside a group: the group's earlier statements are written before the
// error reaches the caller, and the file is byte for byte the one the good statements alone
// make. The session goes on after it.
TEST(GroupCommit, FailedStatementLeavesTheEarlierOnesOfItsGroup) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("group_failure");
    const std::string base = DatabaseWithTable(dir, "base.accdb");
    const std::string failing = (dir / "failing.accdb").string();
    const std::string good = (dir / "good.accdb").string();
    fs::copy_file(base, failing);
    fs::copy_file(base, good);
    {
        auto db = accessdb::Database::Open(good, "", accessdb::OpenMode::ReadWrite);
        for (int i = 0; i < 300; ++i)
            db->Execute(Row(i));
        db->Close();
    }
    const std::string goodBytes = fixtures::ReadText(good);
    {
        auto db = accessdb::Database::Open(failing, "", accessdb::OpenMode::ReadWrite);
        OneGroup(*db);
        for (int i = 0; i < 300; ++i)
            db->Execute(Row(i));
        EXPECT_EQ(fixtures::ReadText(failing), fixtures::ReadText(base)) << "written too early";
        EXPECT_EQ(FailureNumber(*db, "INSERT INTO `T` VALUES('" + std::string(21, 'x') + "', 1)"),
                  3163);
        EXPECT_EQ(fixtures::ReadText(failing), goodBytes);
        EXPECT_EQ(ReadRows(failing, "T").size(), 300u);
        db->Execute(Row(300));
        db->Close();
    }
    const auto rows = ReadRows(failing, "T");
    ASSERT_EQ(rows.size(), 301u);
    EXPECT_EQ(rows[300][0], "row 300");
    ExpectClean(failing);
    fs::remove_all(dir);
}

// A dry run keeps every good statement in memory, also after a failed one.
TEST(GroupCommit, DiscardingSessionKeepsStatementsAroundAFailedOne) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("discard_failure");
    const std::string path = DatabaseWithTable(dir, "dry.accdb");
    const std::string before = fixtures::ReadText(path);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::Discard);
        db->Execute(Row(0));
        db->Execute(Row(1));
        EXPECT_EQ(FailureNumber(*db, "INSERT INTO `T` VALUES('x', 'not a number')"), 3464);
        db->Execute(Row(2));
        EXPECT_EQ(db->Inserter("T").Table().rowCount, 3u);
        auto cursor = db->OpenTable("T");
        int seen = 0;
        while (cursor->Next())
            ++seen;
        EXPECT_EQ(seen, 3);
        db->Close();
    }
    EXPECT_EQ(fixtures::ReadText(path), before);
    fs::remove_all(dir);
}

// Thousands of rows in one group reach the file in a handful of calls, and the bytes written
// (journal included) stay close to what the file gained.
TEST(GroupCommit, GroupGoesOutInFewWrites) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("few_writes");
    const std::string path = DatabaseWithTable(dir, "rows.accdb");
    const auto sizeBefore = fs::file_size(path);
    std::uint64_t calls = 0;
    std::uint64_t bytes = 0;
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        OneGroup(*db);
        for (int i = 0; i < 5000; ++i)
            db->Execute(Row(i));
        db->Close();
        calls = db->Pages().File().WriteCalls();
        bytes = db->Pages().File().BytesWritten();
    }
    const auto grown = fs::file_size(path) - sizeBefore;
    EXPECT_LE(calls, 6u);  // the new pages in one gathered write, a few changed old ones
    EXPECT_LE(bytes, grown + 64 * 1024);
    EXPECT_EQ(ReadRows(path, "T").size(), 5000u);
    ExpectClean(path);
    fs::remove_all(dir);
}

// A group that grows past its byte limit is written early: the changed pages held in memory
// stay bounded.
TEST(GroupCommit, GroupIsBoundedByItsSize) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("bounded");
    const std::string path = DatabaseWithTable(dir, "bounded.accdb");
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        db->Pages().SetGroupLimits(16 * 1024, std::chrono::hours(1));
        std::size_t most = 0;
        for (int i = 0; i < 5000; ++i) {
            db->Execute(Row(i));
            most = std::max(most, db->Pages().DirtyPageCount());
        }
        EXPECT_LE(most * db->Pages().PageSize(), 16u * 1024 + 4 * db->Pages().PageSize());
        EXPECT_GT(db->Pages().File().WriteCalls(), 10u);
        db->Close();
    }
    EXPECT_EQ(ReadRows(path, "T").size(), 5000u);
    ExpectClean(path);
    fs::remove_all(dir);
}

// A file may not grow past the size Access opens (2 GiB; lowered here): the statement that
// would grow it fails with Access's error naming the file, every earlier one stays, and so
// does the next attempt, leaving the file as it was.
TEST(GroupCommit, StatementThatWouldOutgrowTheFileFails) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("size_limit");
    const std::string path = DatabaseWithTable(dir, "full.accdb");
    const auto limit = fs::file_size(path) + 40 * 4096;
    int done = 0;
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        db->Pages().SetSizeLimit(limit);
        try {
            for (; done < 100000; ++done)
                db->Execute(Row(done));
            ADD_FAILURE() << "the file never reached its limit";
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.JetNumber(), 3183);
            EXPECT_NE(std::string(e.what()).find("maximum size of a database (2 GB)"),
                      std::string::npos);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_GT(done, 1000);
        EXPECT_LE(fs::file_size(path), limit);
        const std::string full = fixtures::ReadText(path);
        EXPECT_EQ(FailureNumber(*db, Row(done)), 3183);
        EXPECT_EQ(fixtures::ReadText(path), full);
        db->Close();
    }
    EXPECT_LE(fs::file_size(path), limit);
    EXPECT_EQ(ReadRows(path, "T").size(), static_cast<std::size_t>(done));
    ExpectClean(path);
    fs::remove_all(dir);
}

#ifndef _WIN32
// The program ends without unwinding (a page closed during an import): the exit hook writes
// every statement executed up to that moment.
TEST(GroupCommit, ExitHookWritesTheOpenGroup) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("exit_hook");
    const std::string path = DatabaseWithTable(dir, "exit.accdb");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            OneGroup(*db);
            for (int i = 0; i < 777; ++i)
                db->Execute(Row(i));
            accessdb::CloseDatabasesForExit();
            std::_Exit(0);
        } catch (...) {
            std::_Exit(2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadRows(path, "T").size(), 777u);
    EXPECT_FALSE(fs::exists(path + "-journal"));
    EXPECT_FALSE(fs::exists(dir / "exit.laccdb"));
    ExpectClean(path);
    fs::remove_all(dir);
}
#endif

#ifndef _WIN32
// Groups go to the file on a second thread while the next statements run. When the file
// system refuses one (here: a file size limit), the next commit reports it, counting the
// statements of that group and of the open one as lost, and the file holds exactly the rows
// before them.
TEST(GroupCommit, AGroupThatFailsOnTheWritingThreadLosesOnlyItselfAndTheOpenGroup) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("behind_fails");
    const std::string path = DatabaseWithTable(dir, "behind.accdb");
    const auto limit = static_cast<rlim_t>(fs::file_size(path) + 96 * 1024);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
        long done = 0;
        long lost = -1;
        try {
            auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            db->Pages().SetGroupLimits(16 * 1024, std::chrono::hours(1));
            for (; done < 100000; ++done)
                db->Execute(Row(static_cast<int>(done)));
        } catch (const accessdb::Error& e) {
            const std::string text = e.what();
            const auto at = text.find("before the last ");
            if (at != std::string::npos)
                lost = std::atol(text.c_str() + at + 16);
        }
        const std::string report = std::to_string(done) + " " + std::to_string(lost);
        (void)!::write(pipe[1], report.data(), report.size());
        std::_Exit(0);
    }
    ::close(pipe[1]);
    char buffer[64] = {};
    (void)!::read(pipe[0], buffer, sizeof buffer - 1);
    ::close(pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long done = 0;
    long lost = 0;
    ASSERT_EQ(std::sscanf(buffer, "%ld %ld", &done, &lost), 2) << buffer;
    ASSERT_GT(lost, 0) << "the failure names the statements lost: " << buffer;
    ASSERT_LT(done, 100000);
    // `done` statements returned; the one that failed ran too, then its commit failed.
    const auto rows = ReadRows(path, "T");
    ASSERT_EQ(static_cast<long>(rows.size()), done + 1 - lost);
    for (std::size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(rows[i][0], "row " + std::to_string(i));
    ExpectClean(path);
    fs::remove_all(dir);
}
#endif

#ifndef _WIN32
// The import run meets a full database through its error path: the message names the database
// and the CSV file's line, and the database keeps every row before that line.
TEST(GroupCommit, ImportRunReportsAFullDatabase) {
    REQUIRE_FIXTURES();
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (bin == nullptr)
        GTEST_SKIP() << "QUILLMERE_BIN_DIR is not set (run the tests through ctest)";
    const fs::path dir = TempDir("full_import");
    const fs::path csv = dir / "many.csv";
    {
        std::ofstream out(csv, std::ios::binary);
        out << "a,b\n";
        for (int i = 0; i < 40000; ++i)
            out << "row " << i << ",some text to fill the pages " << i << "\n";
    }
    const fs::path database = dir / "full.accdb";
    const std::string output = RunCapture(
        "QUILLMERE_MAX_DATABASE_BYTES=1048576 " +
        ShellQuote((fs::path(bin) / "quillmere-import").string()) + " --database " +
        ShellQuote(database.string()) + " " + ShellQuote(csv.string()) + " </dev/null 2>&1");
    EXPECT_NE(output.find("maximum size of a database (2 GB)"), std::string::npos) << output;
    EXPECT_NE(output.find(database.string()), std::string::npos) << output;
    EXPECT_NE(output.find(csv.string() + ", line "), std::string::npos) << output;
    EXPECT_LE(fs::file_size(database), 1048576u);
    const auto rows = ReadRows(database.string(), "NewTable1");
    EXPECT_GT(rows.size(), 1000u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i][0], "row " + std::to_string(i));
    }
    ExpectClean(database.string());
    fs::remove_all(dir);
}
#endif

// A statement the SQL layer refuses before it reaches the writer (a syntax error) also finds
// the statements before it written.
TEST(GroupCommit, RefusedStatementFindsTheEarlierOnesWritten) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("group_syntax");
    const std::string path = DatabaseWithTable(dir, "syntax.accdb");
    auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
    OneGroup(*db);
    for (int i = 0; i < 50; ++i)
        db->Execute(Row(i));
    EXPECT_EQ(FailureNumber(*db, "INSERT INTO `T` VALUES('x', 1"), 3134);
    EXPECT_EQ(ReadRows(path, "T").size(), 50u);
    db->Close();
    fs::remove_all(dir);
}

// The row count inserts keep in memory until their group is written: right in the file after
// a duplicate key rolled a row back (its page changed before the index refused it), when an
// index is made over the rows of the open group, and after more rows in the same session.
TEST(GroupCommit, RowCountOfTheOpenGroupSurvivesRollbackAndNewIndex) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("group_row_count");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        OneGroup(*db);
        db->Execute("CREATE TABLE `U`(`k` LONG UNIQUE, `v` VARCHAR(20))");
        for (int i = 0; i < 40; ++i)
            db->Execute("INSERT INTO `U` VALUES(" + std::to_string(i) + ", 'v')");
        EXPECT_EQ(FailureNumber(*db, "INSERT INTO `U` VALUES(7, 'again')"), 3022);
        {
            auto reader = accessdb::Database::Open(path, "");
            EXPECT_EQ(reader->Table("U")->rowCount, 40u);
        }
        for (int i = 40; i < 60; ++i)
            db->Execute("INSERT INTO `U` VALUES(" + std::to_string(i) + ", 'w')");
        db->Execute("CREATE INDEX `ByValue` ON `U` (`v`)");
        for (int i = 60; i < 70; ++i)
            db->Execute("INSERT INTO `U` VALUES(" + std::to_string(i) + ", 'x')");
        EXPECT_EQ(db->Inserter("U").Table().rowCount, 70u);
        db->Close();
    }
    EXPECT_EQ(accessdb::Database::Open(path, "")->Table("U")->rowCount, 70u);
    EXPECT_EQ(ReadRows(path, "U").size(), 70u);
    ExpectClean(path);  // the count against the rows, every index against the rows
    fs::remove_all(dir);
}

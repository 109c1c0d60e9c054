// One writer per database file whatever path names it, and readers that never see a write group
// half done: the locks live on the database file itself.
#include <gtest/gtest.h>

#ifndef _WIN32  // links, bind mounts and forked writers
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "accessdb/DatabaseLock.h"
#include "accessdb/LockFile.h"
#include "tests/accessdb_write/Refusals.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

// Shorter waits for the tests that run them out; restored afterwards.
class ShortLockWaits {
  public:
    ShortLockWaits(int readerMs, int writerMs) : saved_(accessdb::DatabaseLockWaits()) {
        accessdb::DatabaseLockWaits() = {std::chrono::milliseconds(readerMs),
                                         std::chrono::milliseconds(writerMs)};
    }
    ~ShortLockWaits() { accessdb::DatabaseLockWaits() = saved_; }

  private:
    accessdb::LockWaits saved_;
};

std::vector<std::string> FolderListing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Opening `path` for writing fails with "in use" naming `path` as given, and changes nothing:
// neither the database nor its folder (no lock file or journal of its own).
void ExpectSecondWriterRefused(const std::string& path) {
    SCOPED_TRACE(path);
    const fs::path folder = fs::canonical(path).parent_path();
    const std::string bytesBefore = fixtures::ReadText(path);
    const std::vector<std::string> filesBefore = FolderListing(folder);
    ExpectRefused(
        [&] {
            auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            db->Execute("CREATE TABLE intruder (a VARCHAR)");
        },
        3045, "Could not use '" + path + "'; file already in use",
        "a second writer opened the database");
    EXPECT_EQ(fixtures::ReadText(path), bytesBefore);
    EXPECT_EQ(FolderListing(folder), filesBefore);
}

// Runs `work` in a forked process that holds `path` open for writing; `work` gets the database
// and a call that tells this process it is ready. Returns the child's pid once it is ready. The
// child exits 2 when the database fails it, 3 when it cannot report.
template <class Fn>
pid_t ForkWriter(const std::string& path, Fn&& work) {
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        try {
            auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
            work(*db, [&] {
                if (write(ready[1], "r", 1) != 1)
                    _exit(3);
            });
            db->Close();
        } catch (const std::exception& e) {
            fprintf(stderr, "child writer failed: %s\n", e.what());
            _exit(2);
        }
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    if (read(ready[0], &byte, 1) != 1) {
        ADD_FAILURE() << "the child process did not start";
    }
    close(ready[0]);
    return pid;
}

int WaitForChild(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

// The case: while one session writes, a second one through a symbolic link, a hard
// link, a relative path or a path with "." and ".." is refused and writes nothing; the writer
// through a link uses the database's own lock file.
TEST(DatabaseLock, SecondWriterThroughAnyPathIsRefused) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock_paths");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    fs::create_directories(dir / "sub");
    fs::create_symlink(path, dir / "other.mdb");
    fs::create_hard_link(path, dir / "hard.mdb");
    const std::vector<std::string> names{(dir / "other.mdb").string(), (dir / "hard.mdb").string(),
                                         fs::relative(path).string(),
                                         (dir / "sub" / ".." / "." / "empty2003.mdb").string()};
    for (const std::string& writerPath : {path, (dir / "other.mdb").string()}) {
        SCOPED_TRACE("writer through " + writerPath);
        auto writer = accessdb::Database::Open(writerPath, "", accessdb::OpenMode::ReadWrite);
        writer->Execute("CREATE TABLE `t" + std::to_string(writerPath.size()) + "` (a VARCHAR)");
        EXPECT_TRUE(fs::exists(dir / "empty2003.ldb"));
        EXPECT_FALSE(fs::exists(dir / "other.ldb"));
        ExpectSecondWriterRefused(path);
        for (const std::string& name : names)
            ExpectSecondWriterRefused(name);
        writer->Execute("INSERT INTO `t" + std::to_string(writerPath.size()) + "` VALUES ('x')");
        writer->Close();
    }
    EXPECT_FALSE(fs::exists(dir / "empty2003.ldb"));
    ExpectClean(path);
    // Closed, the file takes a writer through any of its names again.
    EXPECT_NO_THROW(
        Execute(names[1], {"INSERT INTO `t" + std::to_string(path.size()) + "` VALUES ('after')"}));
    fs::remove_all(dir);
}

// A lock file another program holds (Access keeps one beside every database it has open): the
// message names the database with its extension, and the lock file.
TEST(DatabaseLock, LockFileHeldElsewhereNamesTheDatabase) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock_ldb");
    const std::string path = CopyFixture("jackcess/empty2016.accdb", dir);
    fs::create_symlink(path, dir / "alias.accdb");
    const accessdb::LockFile access(path);
    for (const std::string& name : {path, (dir / "alias.accdb").string()}) {
        const Refusal refusal =
            RefusalOf([&] { accessdb::Database::Open(name, "", accessdb::OpenMode::ReadWrite); });
        EXPECT_EQ(refusal.number, 3045) << "opened beside a held lock file";
        EXPECT_EQ(refusal.message,
                  "Could not use '" + name +
                      "'; file already in use (another program holds its lock file '" +
                      (dir / "empty2016.laccdb").string() + "').");
    }
    fs::remove_all(dir);
}

// A second mount of the same folder (root only: a bind mount).
TEST(DatabaseLock, SecondWriterThroughABindMountIsRefused) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock_mount");
    const fs::path source = dir / "source";
    const fs::path mountPoint = dir / "mounted";
    fs::create_directories(source);
    fs::create_directories(mountPoint);
    const std::string path = CopyFixture("jackcess/empty2010.accdb", source);
    if (geteuid() != 0 ||
        mount(source.c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        fs::remove_all(dir);
        GTEST_SKIP() << "a bind mount needs root and mount rights here (" << std::strerror(errno)
                     << "); the hard-link case covers the same inode under another name";
    }
    const std::string mounted = (mountPoint / fs::path(path).filename()).string();
    {
        auto writer = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        writer->Execute("CREATE TABLE t (a VARCHAR)");
        ExpectSecondWriterRefused(mounted);
        writer->Close();
    }
    umount(mountPoint.c_str());
    fs::remove_all(dir);
}

TEST(DatabaseLock, WriterInAnotherProcessKeepsThisOneOut) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock_process");
    const std::string path = CopyFixture("jackcess/empty2016.accdb", dir);
    fs::create_symlink(path, dir / "link.accdb");
    int release[2];
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = ForkWriter(path, [&](accessdb::Database& db, auto ready) {
        close(release[1]);
        db.Execute("CREATE TABLE t (a VARCHAR)");
        ready();
        char byte = 0;
        if (read(release[0], &byte, 1) < 0)
            _exit(4);
        db.Execute("INSERT INTO t VALUES ('child')");
    });
    close(release[0]);
    ExpectSecondWriterRefused((dir / "link.accdb").string());
    ExpectSecondWriterRefused(path);
    // Readers are let in between the child's statements.
    EXPECT_NO_THROW(accessdb::Database::Open(path, "")->Close());
    ASSERT_EQ(write(release[1], "g", 1), 1);
    close(release[1]);
    EXPECT_EQ(WaitForChild(child), 0);
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"child"}}));
    fs::remove_all(dir);
}

// A reader opening while a group is written waits for the group; one that waits too long gets
// "in use"; a writer waits for open readers and, when they stay, writes nothing of the
// statement and goes on once they have closed.
TEST(DatabaseLock, ReadersAndTheWriterWaitForEachOther) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock_wait");
    const std::string path = CopyFixture("jackcess/empty2007.accdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)"});
    {
        accessdb::FileHandle other(path, true);
        auto group = std::make_unique<accessdb::WriteGroupLock>(other);
        std::thread finish([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            group.reset();
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NO_THROW(accessdb::Database::Open(path, "")->Close());
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
        finish.join();
    }
    {
        const ShortLockWaits waits(100, 100);
        accessdb::FileHandle other(path, true);
        const accessdb::WriteGroupLock group(other);
        ExpectRefused([&] { accessdb::Database::Open(path, ""); }, 3045,
                      "a writer kept it locked for longer than 0.1 s",
                      "a reader opened in the middle of a group");
    }
    {
        const ShortLockWaits waits(100, 200);
        auto writer = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        auto reader = accessdb::Database::Open(path, "");
        const std::string before = fixtures::ReadText(path);
        ExpectRefused(
            [&] {
                // The statement joins the group in memory; writing the group waits for the reader.
                writer->Execute("INSERT INTO t VALUES ('waited')");
                writer->WritePending();
            },
            3045, "readers kept it open for longer than 0.2 s; nothing was written",
            "a group was written under an open reader");
        EXPECT_EQ(fixtures::ReadText(path), before);
        reader->Close();
        writer->Execute("INSERT INTO t VALUES ('after')");
        writer->Close();
    }
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"after"}}));
    ExpectClean(path);
    fs::remove_all(dir);
}

// `accessdb check` while another process writes: every check sees whole statements only (it
// used to find "definition says 3267 rows, the data pages hold 3264" now and then).
TEST(DatabaseLock, CheckDuringAWriterFindsNoFalseDamage) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("lock_check");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR, b MEMO)"});
    const pid_t child = ForkWriter(path, [&](accessdb::Database& db, auto ready) {
        ready();
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
            const std::string memo = i % 7 == 0 ? std::string(5000, 'm') : "short";
            db.Execute("INSERT INTO t VALUES ('" + std::to_string(i) + "', '" + memo + "')");
        }
    });
    int checks = 0;
    std::uint32_t lastRows = 0;
    int status = -1;
    while (waitpid(child, &status, WNOHANG) == 0) {
        auto db = accessdb::Database::Open(path, "");
        const accessdb::CheckReport report = accessdb::CheckDatabase(*db);
        for (const std::string& finding : report.findings)
            ADD_FAILURE() << "check " << checks << ": " << finding;
        const std::uint32_t rows = db->Table("t")->rowCount;
        EXPECT_GE(rows, lastRows);
        lastRows = rows;
        ++checks;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(checks, 3);
    // The writer was not kept out by the checks that followed one another without a pause.
    EXPECT_GT(ReadRows(path, "t").size(), 2u * static_cast<std::size_t>(checks));
    ExpectClean(path);
    fs::remove_all(dir);
}

#endif

// Access and our writer on one Windows machine: each handle below stands for Access opening the
// database as it does (exclusively: sharing nothing; shared: reading and writing, sharing both),
// and for Access joining the lock file as a user.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "accessdb/LockFile.h"
#include "tests/accessdb_write/WriteSupport.h"
#include "tests/support/RunProgram.h"
#include "textcodec/WideText.h"

using namespace writetest;

namespace {

// A handle as Access takes one; closes on scope exit.
class OtherProgram {
  public:
    OtherProgram(const std::string& path, DWORD access, DWORD share, DWORD disposition)
        : handle_(CreateFileW(textcodec::Utf8ToWide(path).c_str(), access, share, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr)),
          error_(GetLastError()) {}
    ~OtherProgram() {
        if (Opened())
            CloseHandle(handle_);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool Opened() const { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD Error() const { return error_; }
    // Jet's user lock of `slot` (one byte from 0x10000001), without waiting.
    bool LockUser(DWORD slot) {
        OVERLAPPED ov{};
        ov.Offset = 0x10000001 + slot;
        return LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                          &ov) != 0;
    }
    std::string Read(DWORD offset, DWORD size) {
        std::string bytes(size, '\0');
        OVERLAPPED ov{};
        ov.Offset = offset;
        DWORD got = 0;
        ReadFile(handle_, bytes.data(), size, &got, &ov);
        bytes.resize(got);
        return bytes;
    }

  private:
    HANDLE handle_;
    DWORD error_;
};

void ExpectInUse(const std::string& path, accessdb::OpenMode mode, const char* what) {
    SCOPED_TRACE(what);
    try {
        accessdb::Database::Open(path, "", mode);
        ADD_FAILURE() << "opened while another program holds the file";
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.Kind(), accessdb::ErrorKind::InUse) << e.what();
        EXPECT_EQ(e.JetNumber(), 3045);
        EXPECT_NE(std::string(e.what()).find("'" + path + "'; file already in use"),
                  std::string::npos)
            << e.what();
    }
}

std::string Trimmed(std::string text) {
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

// Our accessdb program run as a second process, its output (both streams) in `output`; its
// exit code, or -1 when it could not be started.
int RunAccessDb(const std::vector<std::string>& arguments, std::string& output) {
    const quillmere::testing::ProgramResult run =
        quillmere::testing::RunProgram(quillmere::testing::BuiltProgram("accessdb"), arguments);
    output = run.output + run.errors;
    return run.started ? run.exitCode : -1;
}

// Two processes of ours on one database: while one writes, the other is refused writing with
// Access's "file already in use" and may read; once the writer is gone it writes.
TEST(AccessLockingWindows, ASecondProcessIsKeptFromWritingButReads) {
    REQUIRE_FIXTURES();
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (bin == nullptr || !fs::exists(fs::path(bin) / "accessdb.exe"))
        GTEST_SKIP() << "no accessdb.exe in QUILLMERE_BIN_DIR";
    const fs::path dir = TempDir("two_processes");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    Execute(path, {"CREATE TABLE t (a VARCHAR)"});
    const std::vector<std::string> insert{"sql", path, "INSERT INTO t VALUES ('other')"};
    std::string output;
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        EXPECT_NE(RunAccessDb(insert, output), 0) << output;
        EXPECT_NE(output.find("file already in use"), std::string::npos) << output;
        EXPECT_NE(output.find(path), std::string::npos) << output;
        EXPECT_EQ(RunAccessDb({"tables", path}, output), 0) << output;
        EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "t") << output;
        db->Execute("INSERT INTO t VALUES ('ours')");
        db->Close();
    }
    {
        // Readers share the file both ways.
        auto db = accessdb::Database::Open(path, "");
        EXPECT_EQ(RunAccessDb({"export", path, "t"}, output), 0) << output;
        EXPECT_NE(output.find("ours"), std::string::npos) << output;
    }
    EXPECT_EQ(RunAccessDb(insert, output), 0) << output;
    EXPECT_EQ(ReadRows(path, "t"), (std::vector<std::vector<std::string>>{{"ours"}, {"other"}}));
    fs::remove_all(dir);
}

TEST(AccessLockingWindows, AccessHoldingTheFileKeepsOurWriterOut) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("access_holds");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    {
        // Exclusive: nobody else may even read.
        OtherProgram access(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
        ASSERT_TRUE(access.Opened());
        ExpectInUse(path, accessdb::OpenMode::ReadWrite, "exclusive, writing");
        ExpectInUse(path, accessdb::OpenMode::ReadOnly, "exclusive, reading");
    }
    {
        // Shared, for writing: we may read, not write.
        OtherProgram access(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            OPEN_EXISTING);
        ASSERT_TRUE(access.Opened());
        ExpectInUse(path, accessdb::OpenMode::ReadWrite, "shared, writing");
        EXPECT_NO_THROW(accessdb::Database::Open(path, ""));
    }
    EXPECT_FALSE(fs::exists(dir / "empty2003.ldb"));
    // Gone again, the file is ours to write.
    EXPECT_NO_THROW(Execute(path, {"CREATE TABLE t (a VARCHAR)"}));
    fs::remove_all(dir);
}

TEST(AccessLockingWindows, OurWriterIsAUserAccessSeesAndCannotWriteBeside) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("we_hold");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    const std::string lockPath = (dir / "empty2010.laccdb").string();
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD computerSize = sizeof(computer);
    ASSERT_TRUE(GetComputerNameA(computer, &computerSize));
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        // Access may open the database to read, not to write.
        OtherProgram writer(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            OPEN_EXISTING);
        EXPECT_FALSE(writer.Opened());
        EXPECT_EQ(writer.Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        OtherProgram reader(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        EXPECT_TRUE(reader.Opened());

        // In the lock file we hold the first user's lock and name ourselves in its entry;
        // Access joins as the second user.
        OtherProgram lock(lockPath, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        ASSERT_TRUE(lock.Opened()) << lock.Error();
        EXPECT_FALSE(lock.LockUser(0));
        EXPECT_TRUE(lock.LockUser(1));
        const std::string entry = lock.Read(0, 64);
        ASSERT_EQ(entry.size(), 64u);
        EXPECT_EQ(Trimmed(entry.substr(0, 32)), std::string(computer).substr(0, 31));
        EXPECT_EQ(Trimmed(entry.substr(32)), "Admin");

        db->Execute("CREATE TABLE t (a VARCHAR)");
        db->Close();
        // Access still has the lock file open: it stays for the last user to remove.
        EXPECT_TRUE(fs::exists(lockPath));
    }
    EXPECT_EQ(ReadRows(path, "t").size(), 0u);

    // With Access a user already (in slot 0), our writer takes the next slot.
    {
        OtherProgram access(lockPath, GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
        ASSERT_TRUE(access.Opened());
        ASSERT_TRUE(access.LockUser(0));
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        EXPECT_FALSE(access.LockUser(1));
        EXPECT_EQ(Trimmed(access.Read(64 + 32, 32)), "Admin");
        db->Close();
        EXPECT_TRUE(access.LockUser(1));
    }
    // The last user out removes the lock file.
    Execute(path, {"INSERT INTO t VALUES ('x')"});
    EXPECT_FALSE(fs::exists(lockPath));
    fs::remove_all(dir);
}

}  // namespace

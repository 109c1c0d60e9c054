// Only regular files are databases: a FIFO, a device, a folder or a dangling or looping link
// is refused at once with a message saying what stands there, and a new database is made only
// where nothing stands at all.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>

#include <fstream>

#include "accessdb/create/NewDatabase.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

// Every way in refuses the path with this kind and a message holding `text`.
void ExpectRefused(const std::string& path, accessdb::ErrorKind kind, const std::string& text) {
    SCOPED_TRACE(path);
    const auto check = [&](auto&& open) {
        try {
            open();
            ADD_FAILURE() << "opened";
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.Kind(), kind) << e.what();
            EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
        }
    };
    check([&] { accessdb::ReadDatabaseInfo(path); });
    check([&] { accessdb::Database::Open(path, ""); });
    check([&] { accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite); });
}

}  // namespace

TEST(PathKinds, OnlyRegularFilesOpen) {
    const fs::path dir = TempDir("path_kinds");
    const std::string fifo = (dir / "f.mdb").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Used to block every command for ever (the open waited for a writer to the FIFO).
    ExpectRefused(fifo, accessdb::ErrorKind::NotDatabase,
                  "Cannot use '" + fifo + "': it is a FIFO (named pipe), not a regular file.");
    ExpectRefused("/dev/null", accessdb::ErrorKind::NotDatabase, "it is a character device");
    fs::create_directories(dir / "folder.mdb");
    ExpectRefused((dir / "folder.mdb").string(), accessdb::ErrorKind::NotDatabase,
                  "it is a folder, not a regular file");
    fs::create_symlink(dir / "missing.mdb", dir / "dangling.mdb");
    ExpectRefused(
        (dir / "dangling.mdb").string(), accessdb::ErrorKind::FileNotFound,
        "it is a symbolic link to '" + (dir / "missing.mdb").string() + "', which does not exist");
    fs::create_symlink(dir / "loop2.mdb", dir / "loop1.mdb");
    fs::create_symlink(dir / "loop1.mdb", dir / "loop2.mdb");
    ExpectRefused((dir / "loop1.mdb").string(), accessdb::ErrorKind::FileNotFound,
                  "its symbolic links form a loop");
    fs::remove_all(dir);
}

// The import used to replace a dangling or looping link with a new regular file.
TEST(PathKinds, NewDatabasesAreMadeOnlyWhereNothingStands) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("path_create");
    fs::create_symlink(dir / "elsewhere" / "missing.accdb", dir / "dangling.accdb");
    fs::create_symlink(dir / "loop.mdb", dir / "loop.mdb");
    fs::create_directories(dir / "folder.mdb");
    const std::string existing = CopyFixture("jackcess/empty2003.mdb", dir);
    const std::string existingBytes = fixtures::ReadText(existing);
    for (const std::string name : {"dangling.accdb", "loop.mdb", "folder.mdb", "empty2003.mdb"}) {
        SCOPED_TRACE(name);
        const fs::path path = dir / name;
        const fs::file_type before = fs::symlink_status(path).type();
        try {
            accessdb::CreateDatabase(path.string(), {});
            ADD_FAILURE() << "a database was made over " << name;
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.Kind(), accessdb::ErrorKind::Constraint) << e.what();
            EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
        }
        EXPECT_EQ(fs::symlink_status(path).type(), before);
        EXPECT_FALSE(fs::exists(path.string() + ".creating"));
    }
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    EXPECT_EQ(fixtures::ReadText(existing), existingBytes);
    try {
        accessdb::CreateDatabase((dir / "dangling.accdb").string(), {});
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "A new database is made only where nothing stands, and '" +
                      (dir / "dangling.accdb").string() + "' is a symbolic link to '" +
                      (dir / "elsewhere" / "missing.accdb").string() + "', which does not exist.");
    }
    // Where nothing stands, it is made.
    EXPECT_NO_THROW(accessdb::CreateDatabase((dir / "new.accdb").string(), {}));
    ExpectClean((dir / "new.accdb").string());
    fs::remove_all(dir);
}

// A folder where the journal belongs keeps writers out with a message naming it (it used to say
// "Unrecognized database format"); readers are not troubled by it.
TEST(PathKinds, JournalPathThatIsAFolder) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("path_journal");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    fs::create_directories(path + "-journal");
    try {
        accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        ADD_FAILURE() << "opened for writing without a journal";
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.Kind(), accessdb::ErrorKind::ReadOnly);
        EXPECT_EQ(std::string(e.what()),
                  "The database '" + path + "' cannot be written: its journal path '" + path +
                      "-journal' is a folder, where the journal that keeps writes safe must be a "
                      "file. Move it away.");
    }
    EXPECT_FALSE(fs::exists(dir / "empty2010.laccdb"));
    EXPECT_NO_THROW(accessdb::Database::Open(path, "")->UserTableNames());
    fs::remove_all(dir);
}

#endif

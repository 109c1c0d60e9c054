#pragma once
// The lock file Access keeps beside a database while it is open (".ldb" for .mdb files,
// ".laccdb" for .accdb files). We hold it, locked, for as long as a session writes, so that
// Access and a second writer of ours see the database in use; it is removed on release. A lock
// file that nobody holds any more (left by a crash) is taken over.
#include <string>

namespace accessdb {

class LockFile {
  public:
    // Takes the lock file of the database at `databasePath` (named from its canonical path, so
    // a symbolic link leads to the database's own lock file). Throws Error(InUse) when another
    // program holds it, Error(ReadOnly) when the lock file cannot be created (a read-only folder).
    explicit LockFile(const std::string& databasePath);
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // The lock file's path for a database path: the extension replaced by ".laccdb" for
    // ".accdb" (any letter case) and by ".ldb" otherwise.
    static std::string PathFor(const std::string& databasePath);

    const std::string& Path() const { return path_; }
    // Unlocks and removes the lock file; the destructor does it too.
    void Release();

  private:
    std::string path_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// The database's path with every symbolic link, "." and ".." resolved, so that each name of one
// file leads to the same lock file and journal; the path as given when it cannot be resolved.
std::string CanonicalDatabasePath(const std::string& path);

// Throws Error(ReadOnly) naming the file when the database at `path` cannot be written (a
// read-only file or file system), before anything has been written.
void RequireWritableFile(const std::string& path);

}  // namespace accessdb

#pragma once
// The lock file Access keeps beside a database while it is open (".ldb" for .mdb files,
// ".laccdb" for .accdb files). We hold it, locked, for as long as a session writes, so that
// Access and a second writer of ours see the database in use; it is removed on release. A lock
// file that nobody holds any more (left by a crash) is taken over.
//
// How Access (Jet, ACE) keeps its users apart on Windows, and what we do of it:
// - Exclusive mode opens the database sharing nothing: every other open fails with a sharing
//   violation, which we report as "file already in use" (3045). No lock file is made.
// - Shared mode opens it for reading and writing, sharing both, and joins the lock file: up to
//   255 slots of 64 bytes (computer name, 32 bytes; user-level security name, 32 bytes, "Admin"
//   by default; NUL padded). A user holds an exclusive one-byte lock at 0x10000001 + slot in
//   the lock file for as long as it is connected, takes the first slot it can lock, and writes
//   its entry there. The last user out deletes the lock file (it stays while anyone has it
//   open, and after a crash, with stale entries). Locks within the database file mark pages
//   (page-sized ranges far beyond the end of the file) and never stop a read.
// - We take the lock file as a shared-mode user does (slot lock and entry), so Access lists our
//   writer among its users, and our writing handle shares reading only: while Access has the
//   file open for writing, we cannot open it to write, and while we write, Access cannot open
//   it for writing (only to read). Our readers share as Access does.
// These facts are those of Jet 3.x, published by Microsoft; that Jet 4 and ACE keep the same
// user-lock offsets is assumed, not seen with Access itself.
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
    // Jet's lock file holds at most this many users (64-byte entries, 16320 bytes in all).
    static constexpr unsigned kMaxUsers = 255;
    // Unlocks and removes the lock file; the destructor does it too.
    void Release();

  private:
    std::string path_;
#ifdef _WIN32
    void* handle_ = nullptr;
    int slot_ = -1;  // the user slot whose byte we lock
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

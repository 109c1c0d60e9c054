#pragma once
// A database file opened for positioned reads and writes, on POSIX and Windows.
#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace accessdb {

// A byte range used only for locking, far beyond the end of any database (Jet files stop at
// 2 GiB), so that Windows' mandatory range locks never stand in the way of reading pages.
struct LockRange {
    std::uint64_t offset;
    std::uint64_t length;
};

// Which file a handle has open, whatever path named it: device and inode on POSIX, volume
// serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

class FileHandle {
  public:
    // Opens an existing regular file without blocking: throws FileNotFound when there is none
    // (a dangling or looping symbolic link included), NotDatabase for a folder, FIFO, device or
    // socket, Io when it cannot be opened.
    FileHandle(const std::string& path, bool writable);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    std::uint64_t Size() const;
    // Reads up to bytes.size() bytes at offset; returns how many were read (less at end of file).
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const;
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Writes the pieces one after another from `offset` in as few calls as the system allows
    // (pwritev on POSIX).
    void WriteGathered(std::uint64_t offset, std::span<const std::span<const std::uint8_t>> pieces);
    void Truncate(std::uint64_t size);
    void Sync();
    FileIdentity Identity() const;
    const std::string& Path() const { return path_; }
    bool Writable() const { return writable_; }

    // Byte-range locks held by this handle (an open-file-description lock on Linux, LockFileEx
    // on Windows): they conflict with every other handle, in this process or another, whatever
    // path opened the file, and end when the handle closes. TryLock never waits; an exclusive
    // lock needs a writable handle. A range is locked at most once at a time.
    bool TryLock(LockRange range, bool exclusive);
    void Unlock(LockRange range);

    // What this handle wrote: system write calls and bytes (for the write-path tests).
    std::uint64_t WriteCalls() const { return writeCalls_; }
    std::uint64_t BytesWritten() const { return bytesWritten_; }

  private:
#ifndef _WIN32
    [[noreturn]] void ThrowWriteError() const;
#endif
    std::string path_;
    bool writable_;
    // Counted by whichever thread writes (a group's pages go out on the writing thread).
    std::atomic<std::uint64_t> writeCalls_{0};
    std::atomic<std::uint64_t> bytesWritten_{0};
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

[[noreturn]] void ThrowNotRegularFile(const std::string& path, const std::string& what);

}  // namespace accessdb

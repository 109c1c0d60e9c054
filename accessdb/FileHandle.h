#pragma once
// A database file opened for positioned reads and writes, on POSIX and Windows.
#include <cstdint>
#include <span>
#include <string>

namespace accessdb {

// Which file a handle has open, whatever path named it: device and inode on POSIX, volume
// serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

class FileHandle {
  public:
    // Opens an existing file; throws FileNotFound when there is none, Io when it cannot be opened.
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

    // What this handle wrote: system write calls and bytes (for the write-path tests).
    std::uint64_t WriteCalls() const { return writeCalls_; }
    std::uint64_t BytesWritten() const { return bytesWritten_; }

  private:
#ifndef _WIN32
    [[noreturn]] void ThrowWriteError() const;
#endif
    std::string path_;
    bool writable_;
    std::uint64_t writeCalls_ = 0;
    std::uint64_t bytesWritten_ = 0;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

}  // namespace accessdb

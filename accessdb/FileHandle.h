#pragma once
// A database file opened for positioned reads and writes, on POSIX and Windows.
#include <cstdint>
#include <span>
#include <string>

namespace accessdb {

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
    void Truncate(std::uint64_t size);
    void Sync();
    const std::string& Path() const { return path_; }
    bool Writable() const { return writable_; }

  private:
    std::string path_;
    bool writable_;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

}  // namespace accessdb

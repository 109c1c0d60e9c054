// Positioned file access: pread/pwrite on POSIX, ReadFile/WriteFile with offsets on Windows.
#include "accessdb/FileHandle.h"

#include <cerrno>
#include <cstring>

#include "accessdb/Error.h"

#ifdef _WIN32
#include <windows.h>

#include "textcodec/WideText.h"
#else
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <vector>
#endif

namespace accessdb {

void ThrowNotRegularFile(const std::string& path, const std::string& what) {
    throw Error(ErrorKind::NotDatabase,
                "Cannot use '" + path + "': it is " + what + ", not a regular file.");
}

#ifdef _WIN32

FileHandle::FileHandle(const std::string& path, bool writable) : path_(path), writable_(writable) {
    const DWORD attributes = GetFileAttributesW(textcodec::Utf8ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        ThrowNotRegularFile(path, "a folder");
    const DWORD access = GENERIC_READ | (writable ? GENERIC_WRITE : 0);
    // A writer lets others read but not write: Access (or any program) holding the file open
    // for writing keeps us from writing, and while we write, Access cannot open it for writing
    // either. Readers share both ways, as Access does in shared mode; Access's exclusive mode
    // shares nothing and so keeps every handle of ours out.
    const DWORD share = writable ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileW(textcodec::Utf8ToWide(path).c_str(), access, share, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND)
            throw Error(ErrorKind::FileNotFound, "Could not find file '" + path + "'.");
        if (e == ERROR_SHARING_VIOLATION)
            throw Error(
                ErrorKind::InUse,
                "Could not use '" + path + "'; file already in use (another program has it " +
                    (writable ? "open for writing or exclusively" : "open exclusively") + ").");
        if (e == ERROR_ACCESS_DENIED && writable)
            throw Error(ErrorKind::ReadOnly,
                        "The file '" + path + "' is read-only: access is denied.");
        throw Error(ErrorKind::Io, "Cannot open the file '" + path + "' (Windows error " +
                                       std::to_string(e) + ").");
    }
    // Pipes and devices (\\.\pipe\..., CON, COM1) are no files to keep a database in.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        ThrowNotRegularFile(path, "a pipe or a device");
    }
    handle_ = h;
}
FileHandle::~FileHandle() {
    CloseHandle(static_cast<HANDLE>(handle_));
}
std::uint64_t FileHandle::Size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(static_cast<HANDLE>(handle_), &size))
        throw Error(ErrorKind::Io, "Cannot read the size of '" + path_ + "'.");
    return static_cast<std::uint64_t>(size.QuadPart);
}
std::size_t FileHandle::ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()),
                  &got, &ov)) {
        if (GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        throw Error(ErrorKind::Io, "Cannot read from '" + path_ + "'.");
    }
    return got;
}
void FileHandle::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()),
                   &put, &ov) ||
        put != bytes.size())
        throw Error(ErrorKind::Io, "Cannot write to '" + path_ + "'.");
    ++writeCalls_;
    bytesWritten_ += put;
}
void FileHandle::WriteGathered(std::uint64_t offset,
                               std::span<const std::span<const std::uint8_t>> pieces) {
    // One call per piece: WriteFileGather needs unbuffered, sector-aligned handles.
    for (std::span<const std::uint8_t> piece : pieces) {
        WriteAt(offset, piece);
        offset += piece.size();
    }
}
FileIdentity FileHandle::Identity() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(static_cast<HANDLE>(handle_), &info))
        throw Error(ErrorKind::Io, "Cannot read the identity of '" + path_ + "'.");
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
void FileHandle::Truncate(std::uint64_t size) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(static_cast<HANDLE>(handle_), pos, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(static_cast<HANDLE>(handle_)))
        throw Error(ErrorKind::Io, "Cannot change the size of '" + path_ + "'.");
}
void FileHandle::Sync() {
    if (!FlushFileBuffers(static_cast<HANDLE>(handle_)))
        throw Error(ErrorKind::Io, "Cannot flush '" + path_ + "' to disk.");
}
bool FileHandle::TryLock(LockRange range, bool exclusive) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(range.offset);
    ov.OffsetHigh = static_cast<DWORD>(range.offset >> 32);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(static_cast<HANDLE>(handle_), flags, 0, static_cast<DWORD>(range.length),
                   static_cast<DWORD>(range.length >> 32), &ov))
        return true;
    const DWORD e = GetLastError();
    if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING)
        return false;
    throw Error(ErrorKind::Io,
                "Cannot lock '" + path_ + "' (Windows error " + std::to_string(e) + ").");
}
void FileHandle::Unlock(LockRange range) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(range.offset);
    ov.OffsetHigh = static_cast<DWORD>(range.offset >> 32);
    UnlockFileEx(static_cast<HANDLE>(handle_), 0, static_cast<DWORD>(range.length),
                 static_cast<DWORD>(range.length >> 32), &ov);
}

#else

namespace {

std::string LinkTarget(const std::string& path) {
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    target.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return target;
}

}  // namespace

FileHandle::FileHandle(const std::string& path, bool writable) : path_(path), writable_(writable) {
    // O_NONBLOCK keeps a FIFO from blocking the open until a writer appears; it does nothing to
    // regular files, and anything else is refused below before a byte is read.
    fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        const int e = errno;
        struct stat link {};
        if (e == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            throw Error(ErrorKind::FileNotFound, "Could not find file '" + path +
                                                     "': it is a symbolic link to '" +
                                                     LinkTarget(path) + "', which does not exist.");
        if (e == ENOENT || e == ENOTDIR)
            throw Error(ErrorKind::FileNotFound, "Could not find file '" + path + "'.");
        if (e == ELOOP)
            throw Error(ErrorKind::FileNotFound,
                        "Could not find file '" + path + "': its symbolic links form a loop.");
        if (e == EISDIR)
            ThrowNotRegularFile(path, "a folder");
        if ((e == EACCES || e == EROFS) && writable)
            throw Error(ErrorKind::ReadOnly,
                        "The file '" + path + "' is read-only: " + std::strerror(e) + ".");
        throw Error(ErrorKind::Io,
                    "Cannot open the file '" + path + "': " + std::strerror(e) + ".");
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const mode_t mode = st.st_mode;
        ::close(fd_);
        ThrowNotRegularFile(path, S_ISDIR(mode)    ? "a folder"
                                  : S_ISFIFO(mode) ? "a FIFO (named pipe)"
                                  : S_ISCHR(mode)  ? "a character device"
                                  : S_ISBLK(mode)  ? "a block device"
                                  : S_ISSOCK(mode) ? "a socket"
                                                   : "not a regular file");
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}
FileHandle::~FileHandle() {
    ::close(fd_);
}
std::uint64_t FileHandle::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw Error(ErrorKind::Io, "Cannot read the size of '" + path_ + "'.");
    return static_cast<std::uint64_t>(st.st_size);
}
std::size_t FileHandle::ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done,
                            static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(ErrorKind::Io,
                        "Cannot read from '" + path_ + "': " + std::strerror(errno) + ".");
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}
void FileHandle::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                             static_cast<off_t>(offset + done));
        ++writeCalls_;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowWriteError();
        }
        done += static_cast<std::size_t>(n);
        bytesWritten_ += static_cast<std::size_t>(n);
    }
}
void FileHandle::WriteGathered(std::uint64_t offset,
                               std::span<const std::span<const std::uint8_t>> pieces) {
    const std::size_t maxPieces = static_cast<std::size_t>(IOV_MAX);
    std::vector<iovec> vectors;
    std::size_t next = 0;  // first piece not yet handed to the system
    while (next < pieces.size()) {
        vectors.clear();
        std::size_t total = 0;
        for (std::size_t i = next; i < pieces.size() && vectors.size() < maxPieces; ++i) {
            vectors.push_back(iovec{const_cast<std::uint8_t*>(pieces[i].data()), pieces[i].size()});
            total += pieces[i].size();
        }
        ssize_t n = ::pwritev(fd_, vectors.data(), static_cast<int>(vectors.size()),
                              static_cast<off_t>(offset));
        ++writeCalls_;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowWriteError();
        }
        bytesWritten_ += static_cast<std::size_t>(n);
        std::size_t written = static_cast<std::size_t>(n);
        if (written == total) {
            next += vectors.size();
            offset += total;
            continue;
        }
        // A short write: finish the piece it stopped in, then go on with the rest.
        offset += written;
        while (written >= pieces[next].size()) {
            written -= pieces[next].size();
            ++next;
        }
        WriteAt(offset, pieces[next].subspan(written));
        offset += pieces[next].size() - written;
        ++next;
    }
}
void FileHandle::ThrowWriteError() const {
    throw Error(ErrorKind::Io, "Cannot write to '" + path_ + "': " + std::strerror(errno) + ".");
}
FileIdentity FileHandle::Identity() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw Error(ErrorKind::Io, "Cannot read the identity of '" + path_ + "'.");
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}
void FileHandle::Truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        throw Error(ErrorKind::Io,
                    "Cannot change the size of '" + path_ + "': " + std::strerror(errno) + ".");
}
void FileHandle::Sync() {
    if (::fsync(fd_) != 0)
        throw Error(ErrorKind::Io,
                    "Cannot flush '" + path_ + "' to disk: " + std::strerror(errno) + ".");
}

namespace {
// Open-file-description locks belong to the open file, not to the process: two sessions of one
// process conflict as two processes do, and closing another descriptor of the same file does
// not drop them (both would go wrong with classic POSIX record locks).
bool RangeLock(int fd, LockRange range, short type, const std::string& path) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(range.offset);
    lock.l_len = static_cast<off_t>(range.length);
    lock.l_pid = 0;
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        const int e = errno;
        if (e == EINTR)
            continue;
        if (e == EAGAIN || e == EACCES)
            return false;
        throw Error(ErrorKind::Io, "Cannot lock '" + path + "': " + std::strerror(e) + ".");
    }
    return true;
}
}  // namespace

bool FileHandle::TryLock(LockRange range, bool exclusive) {
    return RangeLock(fd_, range, exclusive ? F_WRLCK : F_RDLCK, path_);
}
void FileHandle::Unlock(LockRange range) {
    RangeLock(fd_, range, F_UNLCK, path_);
}

#endif

}  // namespace accessdb

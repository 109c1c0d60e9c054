#include "accessdb/LockFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "accessdb/Error.h"

#ifdef _WIN32
#include <windows.h>

#include "textcodec/WideText.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace accessdb {

namespace {

// One entry as Access writes it: the computer's name and the user's name, 32 bytes each.
std::string LockEntry() {
    char host[256] = {};
#ifdef _WIN32
    DWORD size = sizeof(host) - 1;
    if (!GetComputerNameA(host, &size)) {
        std::strcpy(host, "localhost");
    }
#else
    if (gethostname(host, sizeof(host) - 1) != 0) {
        std::strcpy(host, "localhost");
    }
#endif
    std::string entry(64, '\0');
    std::memcpy(entry.data(), host, std::min<std::size_t>(std::strlen(host), 31));
    std::memcpy(entry.data() + 32, "Admin", 5);
    return entry;
}

[[noreturn]] void ThrowInUse(const std::string& databasePath, const std::string& lockPath) {
    throw Error(ErrorKind::InUse, "Could not use '" + databasePath +
                                      "'; file already in use (another program holds its lock "
                                      "file '" +
                                      lockPath + "').");
}

}  // namespace

std::string CanonicalDatabasePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical =
        std::filesystem::weakly_canonical(std::u8string(path.begin(), path.end()), error);
    if (error)
        return path;
    const std::u8string text = canonical.u8string();
    return std::string(text.begin(), text.end());
}

std::string LockFile::PathFor(const std::string& databasePath) {
    const std::size_t dot = databasePath.rfind('.');
    const std::size_t slash = databasePath.find_last_of("/\\");
    std::string stem = databasePath;
    std::string extension;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        stem = databasePath.substr(0, dot);
        extension = databasePath.substr(dot + 1);
    }
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return stem + (extension == "accdb" ? ".laccdb" : ".ldb");
}

#ifdef _WIN32

namespace {

// Jet's user locks: one byte per user slot in the lock file, from 0x10000001 on; the slot's
// entry is 64 bytes at slot * 64.
constexpr DWORD kUserLockBase = 0x10000001;

bool LockUserSlot(HANDLE h, DWORD slot) {
    OVERLAPPED ov{};
    ov.Offset = kUserLockBase + slot;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov) != 0;
}

}  // namespace

LockFile::LockFile(const std::string& databasePath)
    : path_(PathFor(CanonicalDatabasePath(databasePath))) {
    const std::wstring wide = textcodec::Utf8ToWide(path_);
    // Shared as Jet shares it, so that Access opening the database while we write joins the
    // same lock file and lists us among its users.
    HANDLE h =
        CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_SHARING_VIOLATION) {
            ThrowInUse(databasePath, path_);
        }
        throw Error(ErrorKind::ReadOnly, "Cannot create the lock file '" + path_ +
                                             "' beside the database (Windows error " +
                                             std::to_string(e) + ").");
    }
    for (DWORD slot = 0; slot < kMaxUsers; ++slot) {
        if (LockUserSlot(h, slot)) {
            const std::string entry = LockEntry();
            OVERLAPPED at{};
            at.Offset = slot * static_cast<DWORD>(entry.size());
            DWORD written = 0;
            // The entry is informative only (Access's list of users); the lock is what counts.
            WriteFile(h, entry.data(), static_cast<DWORD>(entry.size()), &written, &at);
            handle_ = h;
            slot_ = static_cast<int>(slot);
            return;
        }
    }
    CloseHandle(h);
    throw Error(ErrorKind::InUse, "Could not use '" + databasePath + "'; file already in use (" +
                                      std::to_string(kMaxUsers) + " users hold its lock file '" +
                                      path_ + "').");
}

void LockFile::Release() {
    if (handle_ != nullptr) {
        OVERLAPPED ov{};
        ov.Offset = kUserLockBase + static_cast<DWORD>(slot_);
        UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &ov);
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        // The last user out removes the file; while anyone else has it open, Windows refuses.
        DeleteFileW(textcodec::Utf8ToWide(path_).c_str());
    }
}

#else

LockFile::LockFile(const std::string& databasePath)
    : path_(PathFor(CanonicalDatabasePath(databasePath))) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int e = errno;
            if (e == EACCES || e == EROFS || e == EPERM) {
                if (::access(path_.c_str(), F_OK) == 0) {
                    ThrowInUse(databasePath, path_);  // someone else's lock file we may not touch
                }
                throw Error(ErrorKind::ReadOnly, "Cannot create the lock file '" + path_ +
                                                     "' beside the database: " + std::strerror(e) +
                                                     ".");
            }
            throw Error(ErrorKind::Io,
                        "Cannot open the lock file '" + path_ + "': " + std::strerror(e) + ".");
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            ThrowInUse(databasePath, path_);
        }
        // The holder we waited out may have removed the file between our open and our lock:
        // then we locked an orphan and must try again with the file now at the path.
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path_.c_str(), &named) == 0 &&
            opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
            const std::string entry = LockEntry();
            if (::ftruncate(fd, 0) != 0 ||
                ::pwrite(fd, entry.data(), entry.size(), 0) != static_cast<ssize_t>(entry.size())) {
                // The entry is informative only; the lock itself is what counts.
            }
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
    ThrowInUse(databasePath, path_);
}

void LockFile::Release() {
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        ::close(fd_);
        fd_ = -1;
    }
}

#endif

LockFile::~LockFile() {
    Release();
}

void RequireWritableFile(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(textcodec::Utf8ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw Error(ErrorKind::ReadOnly,
                    "The database '" + path + "' is a read-only file and cannot be written.");
    }
#else
    // The mode bits too: access() says yes to root even for a file marked read-only.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0) {
        throw Error(ErrorKind::ReadOnly,
                    "The database '" + path + "' is a read-only file and cannot be written.");
    }
    if (::access(path.c_str(), W_OK) != 0) {
        const int e = errno;
        if (e == ENOENT) {
            throw Error(ErrorKind::FileNotFound, "Could not find file '" + path + "'.");
        }
        throw Error(ErrorKind::ReadOnly, "The database '" + path + "' cannot be written (" +
                                             std::strerror(e) + "): it is read-only.");
    }
#endif
}

}  // namespace accessdb

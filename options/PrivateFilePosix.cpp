// The private file on POSIX systems: mode 0600 from its creation on, fsync before the rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "options/PrivateFile.h"

namespace quillmere {
namespace {

std::string Describe(const std::filesystem::path& file, const char* what) {
    return std::string("Cannot save the settings file ") + file.string() + ": " + what + " (" +
           std::strerror(errno) + ")";
}

void WriteAll(int fd, const std::string& text, const std::filesystem::path& file) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(Describe(file, "write failed"));
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

void WritePrivateFile(const std::filesystem::path& file, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        errno = error.value();
        throw std::runtime_error(Describe(file, "cannot create its folder"));
    }
    const std::string temporary = file.string() + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw std::runtime_error(Describe(file, "cannot create a temporary file"));
    }
    try {
        ::fchmod(fd, 0600);
        WriteAll(fd, text, file);
        if (::fsync(fd) != 0) {
            throw std::runtime_error(Describe(file, "cannot flush it"));
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        throw std::runtime_error(Describe(file, "cannot replace it"));
    }
}

}  // namespace quillmere

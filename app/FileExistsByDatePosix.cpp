#include "app/FileExistsByDate.h"

#include <sys/stat.h>

namespace quillmere {

bool FileExistsByDate(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace quillmere

#include <system_error>

#include "app/ProgramFolder.h"

namespace quillmere {

std::filesystem::path RunningExecutable() {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : exe;
}

}  // namespace quillmere

#include "app/ProgramFolder.h"

#include <system_error>

namespace quillmere {
namespace {
std::filesystem::path& Override() {
    static std::filesystem::path folder;
    return folder;
}
}  // namespace

std::filesystem::path ProgramFolder() {
    if (!Override().empty()) {
        return Override();
    }
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path();
    }
    return exe.parent_path();
}

void OverrideProgramFolder(const std::filesystem::path& folder) {
    Override() = folder;
}

}  // namespace quillmere

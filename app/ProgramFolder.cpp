#include "app/ProgramFolder.h"

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
    auto exe = RunningExecutable();
    if (exe.empty()) {
        return std::filesystem::current_path();
    }
    return exe.parent_path();
}

void OverrideProgramFolder(const std::filesystem::path& folder) {
    Override() = folder;
}

}  // namespace quillmere

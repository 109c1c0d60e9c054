#include <windows.h>

#include <string>

#include "app/ProgramFolder.h"

namespace quillmere {

std::filesystem::path RunningExecutable() {
    // The module name has no length limit worth trusting (long paths): grow until it fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(name.size());
        const DWORD written = GetModuleFileNameW(nullptr, name.data(), size);
        if (written == 0) {
            return {};
        }
        if (written < size) {
            name.resize(written);
            return std::filesystem::path(name);
        }
        name.resize(name.size() * 2);
    }
}

}  // namespace quillmere

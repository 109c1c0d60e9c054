#include <windows.h>

#include "filelist/FileAttributes.h"
#include "textcodec/WideText.h"

namespace quillmere {

std::optional<std::uint32_t> FileAttributesOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(textcodec::Utf8ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(attributes);
}

}  // namespace quillmere

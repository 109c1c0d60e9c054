// Windows: the path is UTF-8, so it goes to the W function; the C library's stat would read it
// in the ANSI code page and miss every file whose name holds a letter beyond ASCII.
#include <windows.h>

#include "app/FileExistsByDate.h"
#include "textcodec/WideText.h"

namespace quillmere {

bool FileExistsByDate(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(textcodec::Utf8ToWide(path).c_str(), GetFileExInfoStandard,
                                &data) != 0;
}

}  // namespace quillmere

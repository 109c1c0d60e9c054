// Elsewhere than Windows the settings file keeps a value's bytes unchanged, so the stored text
// is already the codes that are scrambled.
#include "filelist/SampleFiles.h"

namespace quillmere {

std::string ToAnsiCodes(const std::string& text, bool* lossy) {
    if (lossy != nullptr) {
        *lossy = false;
    }
    return text;
}

std::string FromAnsiCodes(const std::string& codes) {
    return codes;
}

}  // namespace quillmere

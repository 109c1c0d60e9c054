#pragma once
// Comparing words of Access's own vocabulary (keywords, month names, True/False) without regard
// to the letter case of A to Z.
#include <string_view>

namespace accessdb::convert {

// False for two empty words: an empty word is never a keyword.
inline bool EqualsAsciiIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size() || a.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace accessdb::convert

#pragma once
// UTF-8, the program's text: appending a code point, reading one back, checking and converting
// to UTF-16. A sequence counts as UTF-8 only when it is well formed: no stray continuation
// bytes, no truncated, overlong or surrogate forms, nothing beyond U+10FFFF.
#include <cstddef>
#include <string>
#include <string_view>

namespace textcodec {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends one code point in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// The length (1 to 4) of the well-formed sequence at text[i] and its code point, or 0 when
// there is none there (`codePoint` is then undefined). Inline: the import's detection calls it
// for every non-ASCII byte of a file.
inline std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsValidUtf8(std::string_view bytes);

// UTF-8 to UTF-16 code units; each byte that starts no well-formed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

}  // namespace textcodec

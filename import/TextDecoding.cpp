#include "import/TextDecoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillmere {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (char32_t{first} << 8) | second : (char32_t{second} << 8) | first;
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    if (i < bytes.size()) {  // a lone last byte: half a code unit
        AppendUtf8(out, kReplacement);
    }
    return out;
}

// Code points of the bytes 0x80 to 0x9F in Windows-1252; the rest equal their byte value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string DecodeAnsi(std::string_view bytes) {
#ifdef _WIN32
    // The system's ANSI code page, through UTF-16.
    if (bytes.empty()) {
        return {};
    }
    const int wideLength =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return out;
#else
    return Windows1252ToUtf8(bytes);
#endif
}

// The length of the well-formed UTF-8 sequence at p, or 0 when there is none (a stray
// continuation byte, a truncated sequence, an overlong form, a surrogate, beyond U+10FFFF).
int SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char lead = *p;
    if (lead < 0x80) {
        return 1;
    }
    int length;
    char32_t cp;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length) {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// UTF-8 with every malformed byte replaced by U+FFFD, so that the program's text stays UTF-8
// even when a file's mark promises more than its bytes keep.
std::string RepairUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const int length = SequenceLength(p, end);
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            ++p;
        } else {
            out.append(reinterpret_cast<const char*>(p), static_cast<size_t>(length));
            p += length;
        }
    }
    return out;
}

constexpr size_t kUtf16Sample = 4096;

// TextEncoding::Utf16LittleEndianWithoutBom or ...BigEndian... when the zero bytes of the
// first few KiB say UTF-16, else Utf8 (meaning: not UTF-16).
TextEncoding DetectUtf16WithoutBom(std::string_view bytes) {
    const size_t sample = std::min(bytes.size(), kUtf16Sample) & ~size_t{1};
    if (sample < 2 || std::memchr(bytes.data(), 0, sample) == nullptr) {
        return TextEncoding::Utf8;
    }
    size_t zeroEven = 0;
    size_t zeroOdd = 0;
    for (size_t i = 0; i < sample; i += 2) {
        zeroEven += bytes[i] == '\0' ? 1 : 0;
        zeroOdd += bytes[i + 1] == '\0' ? 1 : 0;
    }
    const size_t units = sample / 2;
    // Little endian puts the high byte second (odd offsets); big endian first.
    if (zeroOdd * 8 >= units && zeroEven * 4 <= zeroOdd) {
        return TextEncoding::Utf16LittleEndianWithoutBom;
    }
    if (zeroEven * 8 >= units && zeroOdd * 4 <= zeroEven) {
        return TextEncoding::Utf16BigEndianWithoutBom;
    }
    return TextEncoding::Utf8;
}

char32_t Windows1252CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

// True when text that is not valid UTF-8 still holds more valid multi-byte sequences than
// invalid bytes.
bool MostlyUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    size_t sequences = 0;
    size_t invalid = 0;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = SequenceLength(p, end);
        if (length == 0) {
            ++invalid;
            ++p;
        } else {
            ++sequences;
            p += length;
        }
    }
    return sequences > invalid;
}

// UTF-8, with every byte that starts no valid sequence taken as its Windows-1252 character.
std::string DecodeUtf8WithWindows1252Bytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const int length = SequenceLength(p, end);
        if (length == 0) {
            AppendUtf8(out, Windows1252CodePoint(*p));
            ++p;
        } else {
            out.append(reinterpret_cast<const char*>(p), static_cast<size_t>(length));
            p += length;
        }
    }
    return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Plain ASCII is by far the most common: check eight bytes at a time.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const int length = SequenceLength(p, end);
        if (length == 0) {
            return false;
        }
        p += length;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            AppendUtf8(out, Windows1252CodePoint(byte));
        }
    }
    return out;
}

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        return TextEncoding::Utf8WithBom;
    }
    if (bytes.starts_with(kUtf16LeBom)) {
        return TextEncoding::Utf16LittleEndian;
    }
    if (bytes.starts_with(kUtf16BeBom)) {
        return TextEncoding::Utf16BigEndian;
    }
    // ASCII text in UTF-16 is valid UTF-8 (full of NUL characters), so this test comes first.
    const TextEncoding utf16 = DetectUtf16WithoutBom(bytes);
    if (utf16 != TextEncoding::Utf8) {
        return utf16;
    }
    if (IsValidUtf8(bytes)) {
        return TextEncoding::Utf8;
    }
    return MostlyUtf8(bytes) ? TextEncoding::Utf8WithWindows1252Bytes : TextEncoding::Ansi;
}

std::string DecodeText(std::string bytes) {
    const std::string_view view = bytes;
    switch (DetectEncoding(view)) {
        case TextEncoding::Utf8WithBom: {
            // The mark declares UTF-8: malformed bytes after it are replaced, not re-guessed.
            const auto rest = view.substr(kUtf8Bom.size());
            if (!IsValidUtf8(rest)) {
                return RepairUtf8(rest);
            }
            bytes.erase(0, kUtf8Bom.size());
            return bytes;
        }
        case TextEncoding::Utf16LittleEndian:
            return DecodeUtf16(view.substr(kUtf16LeBom.size()), false);
        case TextEncoding::Utf16BigEndian:
            return DecodeUtf16(view.substr(kUtf16BeBom.size()), true);
        case TextEncoding::Utf16LittleEndianWithoutBom:
            return DecodeUtf16(view, false);
        case TextEncoding::Utf16BigEndianWithoutBom:
            return DecodeUtf16(view, true);
        case TextEncoding::Utf8WithWindows1252Bytes:
            return DecodeUtf8WithWindows1252Bytes(view);
        case TextEncoding::Ansi:
            return DecodeAnsi(view);
        case TextEncoding::Utf8:
            break;
    }
    return bytes;  // already the program's text: no copy
}

}  // namespace quillmere

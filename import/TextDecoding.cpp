#include "import/TextDecoding.h"

#include <algorithm>
#include <cstring>

#include "textcodec/Utf16.h"
#include "textcodec/Utf8.h"
#include "textcodec/Windows1252.h"

#ifdef _WIN32
#include "textcodec/SystemDecoder.h"
#endif

namespace quillmere {
namespace {

using textcodec::AppendUtf8;
using textcodec::DecodeUtf8;
using textcodec::IsValidUtf8;
using textcodec::kReplacementCharacter;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    textcodec::Utf16ToUtf8 decoder(out);
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        decoder.Push(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    decoder.Finish();
    if (i < bytes.size()) {  // a lone last byte: half a code unit
        AppendUtf8(out, kReplacementCharacter);
    }
    return out;
}

std::string DecodeAnsi(std::string_view bytes) {
#ifdef _WIN32
    return textcodec::AnsiToUtf8(bytes);
#else
    return textcodec::Windows1252ToUtf8(bytes);
#endif
}

// UTF-8 with each byte that starts no well-formed sequence replaced by what `invalid` makes
// of it.
template <typename Invalid>
std::string CopyUtf8Replacing(std::string_view bytes, Invalid invalid) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t codePoint;
        const size_t length = DecodeUtf8(bytes, i, codePoint);
        if (length == 0) {
            AppendUtf8(out, invalid(static_cast<unsigned char>(bytes[i])));
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

// UTF-8 with every malformed byte replaced by U+FFFD, so that the program's text stays UTF-8
// even when a file's mark promises more than its bytes keep.
std::string RepairUtf8(std::string_view bytes) {
    return CopyUtf8Replacing(bytes, [](unsigned char) { return kReplacementCharacter; });
}

// UTF-8, with every byte that starts no valid sequence taken as its Windows-1252 character.
std::string DecodeUtf8WithWindows1252Bytes(std::string_view bytes) {
    return CopyUtf8Replacing(bytes, textcodec::Windows1252CodePoint);
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

// True when text that is not valid UTF-8 still holds more valid multi-byte sequences than
// invalid bytes.
bool MostlyUtf8(std::string_view bytes) {
    size_t sequences = 0;
    size_t invalid = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t codePoint;
        const size_t length = DecodeUtf8(bytes, i, codePoint);
        if (length == 0) {
            ++invalid;
            ++i;
        } else {
            ++sequences;
            i += length;
        }
    }
    return sequences > invalid;
}

}  // namespace

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

#pragma once
// Turning the bytes of a file into the program's text (UTF-8). A byte-order mark (UTF-8,
// UTF-16 LE or BE) decides the encoding and is removed. Without one:
// - UTF-16 LE or BE is recognised by its zero bytes: in the first 4 KiB at least an eighth of
//   the code units have a zero high byte (every ASCII digit, delimiter and line break has one,
//   so even Cyrillic or Greek text passes) and zero low bytes are at most a quarter as many.
//   Plain text in a byte encoding has no zero bytes, and binary junk has them at both
//   positions alike.
// - bytes that are valid UTF-8 are taken as they are;
// - UTF-8 with a few stray bytes (a file edited by two programs, one Windows-1252 line pasted
//   in) is decoded as UTF-8 with each invalid byte taken as its Windows-1252 character, when
//   the text holds more valid multi-byte sequences than invalid bytes. Windows-1252 text
//   hardly ever forms a valid sequence (an accented capital directly followed by a symbol), so
//   there the invalid bytes far outnumber the valid sequences;
// - anything else is read in the ANSI code page (Windows-1252 where the system has none).
#include <string>
#include <string_view>

namespace quillmere {

enum class TextEncoding {
    Utf8,
    Utf8WithBom,
    Utf8WithWindows1252Bytes,
    Utf16LittleEndian,
    Utf16BigEndian,
    Utf16LittleEndianWithoutBom,
    Utf16BigEndianWithoutBom,
    Ansi
};

// The encoding DecodeText will use for these bytes.
TextEncoding DetectEncoding(std::string_view bytes);

// Takes the bytes by value so that a plain UTF-8 file (the common case) is not copied.
std::string DecodeText(std::string bytes);

}  // namespace quillmere

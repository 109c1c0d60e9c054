#pragma once
// Turning the bytes of a file into the program's text (UTF-8). A byte-order mark (UTF-8,
// UTF-16 LE or BE) decides the encoding and is removed; without one, bytes that are valid UTF-8
// are taken as they are, and anything else is read in the ANSI code page (Windows-1252 where
// the system has none).
#include <string>
#include <string_view>

namespace quillmere {

enum class TextEncoding { Utf8, Utf8WithBom, Utf16LittleEndian, Utf16BigEndian, Ansi };

// The encoding DecodeText will use for these bytes.
TextEncoding DetectEncoding(std::string_view bytes);

// Takes the bytes by value so that a plain UTF-8 file (the common case) is not copied.
std::string DecodeText(std::string bytes);

bool IsValidUtf8(std::string_view bytes);

// Appends one code point in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Windows-1252 to UTF-8. The five bytes that code page leaves undefined map to the C1 control
// characters of the same value, as Windows itself maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace quillmere

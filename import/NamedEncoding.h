#pragma once
// Decoding a file in an encoding the user names (quillmere-import --encoding), for files whose
// code page no detection can tell: windows-1251 and koi8-r, shift_jis and iso-8859-15 bytes
// are all plausible Windows-1252.
#include <string>
#include <string_view>

namespace quillmere {

// True when the name is an encoding this system can decode ("windows-1251", "shift_jis",
// "iso-8859-15", "utf-16le", ...; letter case ignored).
bool IsKnownEncoding(const std::string& name);

// The bytes as the program's text (UTF-8), decoded as name says; a byte-order mark at the start
// is dropped. Throws ImportError naming the file and the line of the first bytes that are not
// text in that encoding: the user said what the file is, so nothing is guessed around them.
std::string DecodeNamedEncoding(std::string_view bytes, const std::string& name,
                                const std::string& filePath);

}  // namespace quillmere

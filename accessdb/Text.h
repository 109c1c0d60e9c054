#pragma once
// Text as stored in the file: UTF-16LE (Jet 4/ACE) with the optional "Unicode compression"
// (marker FF FE, then runs of one-byte characters toggled by 00), or code-page bytes (Jet 3).
// The engine speaks UTF-8 to its callers.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/Bytes.h"
#include "textcodec/Utf8.h"

namespace accessdb {

// UTF-16LE or compressed text to UTF-8. Unpaired surrogates become U+FFFD.
std::string DecodeText(Bytes stored);
// Code-page bytes (Jet 3) to UTF-8, in the database's code page (header field) through the
// system's converter; Windows-1252 (the other readers' choice) when the code page is 1252 or
// unknown, or the bytes are not valid in it.
std::string DecodeCodePage(Bytes stored, std::uint16_t codePage);

// UTF-8 to UTF-16 code units (invalid UTF-8 bytes become U+FFFD) and one code point to UTF-8:
// the shared codecs, under the engine's own names.
using textcodec::AppendUtf8;
using textcodec::Utf8ToUtf16;

// UTF-8 to stored bytes: compressed (FF FE + one byte a character) when `allowCompression` and
// every character lies in U+0001..U+00FF and the text has 3..1024 characters; else UTF-16LE.
std::vector<std::uint8_t> EncodeText(const std::string& utf8, bool allowCompression);
// The same into `out`, reusing its storage (the row writer's path: one call per text value).
void EncodeTextInto(const std::string& utf8, bool allowCompression, std::vector<std::uint8_t>& out);

// UTF-8 to bytes of Windows code page `codePage` (Jet 3 text; 0 is taken as 1252). Returns false
// when the code page has no byte for a character, with that character (UTF-8) in `unmappable`:
// a replacement is never stored in its place.
bool EncodeCodePage(const std::string& utf8, std::uint16_t codePage, std::vector<std::uint8_t>& out,
                    std::string& unmappable);

}  // namespace accessdb

#pragma once
// Decoding one UTF-8 character of a name, for the tests that look at a name's characters.
#include <cstddef>
#include <string>

namespace quillmere {

// The code point of the UTF-8 sequence at `i` and the sequence's length; 0 for a malformed,
// overlong or surrogate sequence or one beyond U+10FFFF (`code` is then undefined).
std::size_t DecodeUtf8(const std::string& text, std::size_t i, char32_t& code);

}  // namespace quillmere

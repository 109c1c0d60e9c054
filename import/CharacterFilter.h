#pragma once
// Keeping or dropping the characters of a text by a set.
#include <string>
#include <string_view>

namespace quillmere {

// Walks the text from first to last character: with keep, keeps the characters that occur in
// set; without, those that do not. Exact, case-sensitive, order unchanged. A character is one
// UTF-8 sequence, so a letter outside ASCII is one character, never half of one.
std::string FilterCharacters(std::string_view text, std::string_view set, bool keep);

// The letters A to Z and a to z and the digits 0 to 9 of a text; everything else is dropped.
std::string LettersAndDigitsOnly(std::string_view text);

}  // namespace quillmere

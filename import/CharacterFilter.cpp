#include "import/CharacterFilter.h"

#include <algorithm>

namespace quillmere {
namespace {

constexpr std::string_view kLettersAndDigits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The byte length of the character that starts with lead (1 for a stray byte).
size_t CharacterLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) {
        return 4;
    }
    if (lead >= 0xE0 && lead < 0xF0) {
        return 3;
    }
    if (lead >= 0xC0 && lead < 0xE0) {
        return 2;
    }
    return 1;
}

}  // namespace

std::string FilterCharacters(std::string_view text, std::string_view set, bool keep) {
    std::string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t length =
            std::min(CharacterLength(static_cast<unsigned char>(text[i])), text.size() - i);
        const auto character = text.substr(i, length);
        if ((set.find(character) != std::string_view::npos) == keep) {
            result.append(character);
        }
        i += length;
    }
    return result;
}

std::string LettersAndDigitsOnly(std::string_view text) {
    return FilterCharacters(text, kLettersAndDigits, true);
}

}  // namespace quillmere

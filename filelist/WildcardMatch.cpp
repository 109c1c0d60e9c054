#include "filelist/WildcardMatch.h"

namespace quillmere {
namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Index just past the character that starts at `i` (a whole UTF-8 sequence, or one stray byte).
size_t NextCharacter(std::string_view text, size_t i) {
    ++i;
    while (i < text.size() && IsContinuationByte(text[i])) {
        ++i;
    }
    return i;
}

// Greedy matching with one remembered star: on a mismatch the last star takes one more
// character and matching resumes after it. Linear in practice, never exponential.
bool MatchesPlain(std::string_view name, std::string_view pattern) {
    size_t n = 0;
    size_t p = 0;
    size_t starPattern = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = NextCharacter(name, n);
        } else if (p < pattern.size() && FoldCase(pattern[p]) == FoldCase(name[n])) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            starName = NextCharacter(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    if (MatchesPlain(name, pattern)) {
        return true;
    }
    constexpr std::string_view kAnyExtension = ".*";
    if (pattern.size() >= kAnyExtension.size() && pattern.ends_with(kAnyExtension) &&
        name.find('.') == std::string_view::npos) {
        return MatchesPlain(name, pattern.substr(0, pattern.size() - kAnyExtension.size()));
    }
    return false;
}

}  // namespace quillmere

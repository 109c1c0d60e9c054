#include "import/TableNames.h"

#include "import/RunEnvironment.h"
#include "textcodec/Utf8.h"

namespace quillmere {
namespace {

constexpr std::string_view kCounter = "[counter]";

char32_t LowerCodePoint(char32_t cp) {
    if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) ||
        (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F)) {
        return cp + 0x20;
    }
    if (cp >= 0x400 && cp <= 0x40F) {
        return cp + 0x50;
    }
    // Latin Extended-A pairs its letters upper then lower, with a shift of parity in the middle.
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) {
        return (cp % 2 == 0) ? cp + 1 : cp;
    }
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) {
        return (cp % 2 == 1) ? cp + 1 : cp;
    }
    if (cp == 0x178) {
        return 0xFF;
    }
    return cp;
}

}  // namespace

std::string MakeTableName(std::string_view pattern, int fileNumber) {
    return ReplaceCounter(pattern, std::to_string(fileNumber));
}

std::string ReplaceCounter(std::string_view pattern, std::string_view replacement) {
    std::string name;
    size_t from = 0;
    for (;;) {
        const size_t at = pattern.find(kCounter, from);
        if (at == std::string_view::npos) {
            name.append(pattern.substr(from));
            return name;
        }
        name.append(pattern.substr(from, at - from));
        name.append(replacement);
        from = at + kCounter.size();
    }
}

std::string LowerCaseName(std::string_view name) {
    std::string lower;
    lower.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const auto lead = static_cast<unsigned char>(name[i]);
        // Only one- to three-byte letters have partners here; anything else is copied as is.
        if (lead < 0x80) {
            lower.push_back(static_cast<char>(LowerCodePoint(lead)));
            ++i;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < name.size()) {
            const char32_t cp = (char32_t{lead & 0x1Fu} << 6) | (name[i + 1] & 0x3F);
            textcodec::AppendUtf8(lower, LowerCodePoint(cp));
            i += 2;
        } else {
            lower.push_back(name[i]);
            ++i;
        }
    }
    return lower;
}

bool TableListContains(const TableList& tables, std::string_view name) {
    const std::string wanted = LowerCaseName(name);
    bool found = false;
    const int count = tables.Count();
    for (int i = 0; i < count; ++i) {
        found = found || LowerCaseName(tables.At(i)) == wanted;
    }
    return found;
}

}  // namespace quillmere

#include "filelist/NtfsNameOrder.h"

#include <algorithm>
#include <numeric>

#include "filelist/UpperCaseTable.h"
#include "textcodec/Utf8.h"

namespace quillmere {
std::u16string NtfsCollationKey(const std::string& name) {
    std::u16string key;
    key.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        char32_t code = 0;
        const size_t length = textcodec::DecodeUtf8(name, i, code);
        if (length == 0) {
            key.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(name[i])));
            ++i;
            continue;
        }
        i += length;
        if (code >= 0x10000) {
            // The upcase table has no entries for surrogates: both halves stay as they are.
            code -= 0x10000;
            key.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            key.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            key.push_back(UpperCaseCodeUnit(static_cast<char16_t>(code)));
        }
    }
    return key;
}

bool NtfsNameLess(const std::string& a, const std::string& b) {
    const std::u16string keyA = NtfsCollationKey(a);
    const std::u16string keyB = NtfsCollationKey(b);
    if (keyA != keyB) {
        return keyA < keyB;
    }
    return a < b;
}

void SortInNtfsOrder(std::vector<DirectoryEntry>& entries) {
    // One key per entry, not one per comparison: a folder can hold many thousands of names.
    std::vector<std::u16string> keys;
    keys.reserve(entries.size());
    for (const auto& entry : entries) {
        keys.push_back(NtfsCollationKey(entry.name));
    }
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        if (keys[x] != keys[y]) {
            return keys[x] < keys[y];
        }
        return entries[x].name < entries[y].name;
    });
    std::vector<DirectoryEntry> sorted;
    sorted.reserve(entries.size());
    for (size_t index : order) {
        sorted.push_back(std::move(entries[index]));
    }
    entries = std::move(sorted);
}

}  // namespace quillmere

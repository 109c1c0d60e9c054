// Index page parsing and leaf traversal.
#include "accessdb/IndexReader.h"

#include <string>
#include <unordered_set>

namespace accessdb {

std::vector<std::uint32_t> IndexPageView::Children() const {
    std::vector<std::uint32_t> out;
    for (const auto& e : entries)
        out.push_back(e.child);
    if (tailPage != 0)
        out.push_back(tailPage);
    return out;
}

IndexPageView ParseIndexPage(const Page& page, const Format& f) {
    Bytes b = page.View();
    IndexPageView ip;
    ip.number = page.number;
    if (b[0] != kPageIndexNode && b[0] != kPageIndexLeaf)
        ThrowDamaged("page " + std::to_string(page.number) + " is not an index page");
    ip.leaf = b[0] == kPageIndexLeaf;
    ip.prevPage = LoadU32(b.data() + f.indexPrevPage);
    ip.nextPage = LoadU32(b.data() + f.indexNextPage);
    ip.tailPage = LoadU32(b.data() + f.indexTailPage);
    ip.prefixLength = f.indexPrefixLengthSize == 2 ? LoadU16(b.data() + f.indexPrefixLength)
                                                   : b[f.indexPrefixLength];
    const std::size_t trailer = ip.leaf ? 4 : 8;  // row pointer, and the child on node pages
    std::vector<std::uint8_t> prefix;
    std::size_t start = f.indexFirstEntry;
    const std::size_t bits = (f.indexFirstEntry - f.indexBitmap) * 8;
    for (std::size_t bit = 1; bit < bits && f.indexFirstEntry + bit <= b.size(); ++bit) {
        if (!(b[f.indexBitmap + bit / 8] & (1u << (bit % 8))))
            continue;
        const std::size_t end = f.indexFirstEntry + bit;
        // Entries after the first leave out the prefix they share with it.
        std::vector<std::uint8_t> raw;
        if (!ip.entries.empty())
            raw = prefix;
        raw.insert(raw.end(), b.begin() + static_cast<std::ptrdiff_t>(start),
                   b.begin() + static_cast<std::ptrdiff_t>(end));
        if (ip.entries.empty()) {
            if (ip.prefixLength > raw.size())
                ThrowDamaged("index page " + std::to_string(page.number) +
                             " has a prefix longer than its first entry");
            prefix.assign(raw.begin(), raw.begin() + ip.prefixLength);
        }
        if (raw.size() < trailer)
            ThrowDamaged("an entry on index page " + std::to_string(page.number) +
                         " is shorter than its pointers");
        IndexPageEntry e;
        const std::size_t keyEnd = raw.size() - trailer;
        e.key.assign(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(keyEnd));
        e.row.page = (static_cast<std::uint32_t>(raw[keyEnd]) << 16) | (raw[keyEnd + 1] << 8) |
                     raw[keyEnd + 2];
        e.row.row = raw[keyEnd + 3];
        if (!ip.leaf)
            e.child = LoadU32BE(raw.data() + keyEnd + 4);
        ip.entries.push_back(std::move(e));
        start = end;
    }
    return ip;
}

std::vector<IndexPageEntry> ReadIndexEntries(PageFile& pages, const RealIndex& index) {
    std::vector<IndexPageEntry> out;
    std::unordered_set<std::uint32_t> seen;
    auto load = [&](std::uint32_t n) {
        if (!seen.insert(n).second)
            ThrowDamaged("the pages of index " + std::to_string(index.number) +
                         " form a loop at page " + std::to_string(n));
        return ParseIndexPage(*pages.Read(n), pages.format());
    };
    IndexPageView page = load(index.rootPage);
    while (!page.leaf) {
        auto children = page.Children();
        if (children.empty())
            return out;  // an empty node: no entries
        page = load(children.front());
    }
    for (;;) {
        for (auto& e : page.entries)
            out.push_back(std::move(e));
        if (page.nextPage == 0)
            break;
        page = load(page.nextPage);
        if (!page.leaf)
            ThrowDamaged("the leaf chain of index " + std::to_string(index.number) +
                         " reaches a node page");
    }
    return out;
}

}  // namespace accessdb

// Leaf traversal of a real index.
#include "accessdb/IndexReader.h"

#include <string>
#include <unordered_set>

namespace accessdb {

std::vector<IndexEntry> ReadIndexEntries(PageFile& pages, const RealIndex& index) {
    std::vector<IndexEntry> out;
    std::unordered_set<std::uint32_t> seen;
    auto load = [&](std::uint32_t n) {
        if (!seen.insert(n).second)
            ThrowDamaged("the pages of index " + std::to_string(index.number) +
                         " form a loop at page " + std::to_string(n));
        return DecodeIndexPage(*pages.Read(n), pages.format());
    };
    IndexPageContent page = load(index.rootPage);
    while (!page.leaf) {
        auto children = page.Children();
        if (children.empty())
            return out;  // an empty node: no entries
        page = load(children.front());
    }
    for (;;) {
        for (auto& e : page.entries)
            out.push_back(std::move(e));
        if (page.next == 0)
            break;
        page = load(page.next);
        if (!page.leaf)
            ThrowDamaged("the leaf chain of index " + std::to_string(index.number) +
                         " reaches a node page");
    }
    return out;
}

}  // namespace accessdb

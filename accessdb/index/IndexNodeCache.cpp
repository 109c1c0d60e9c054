#include "accessdb/index/IndexNodeCache.h"

#include <algorithm>

namespace accessdb {

namespace {

// What a decoded node holds on the heap, roughly (allocator overhead included; short keys
// live inside their entries), plus the page
// the entry keeps alive. Worked out from the first entry's key rather than every entry's, since
// it is asked on every change: keys of one index differ little in length.
std::size_t EstimatedBytes(const IndexPageContent& node, std::size_t pageSize) {
    const std::size_t key = node.entries.empty() ? 0 : node.entries.front().key.HeapBytes();
    return sizeof(IndexPageContent) + pageSize +
           node.entries.capacity() * (sizeof(IndexEntry) + (key == 0 ? 0 : key + 16));
}

}  // namespace

IndexNodeCache::IndexNodeCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

IndexNodeRef IndexNodeCache::Find(const PageRef& page) {
    auto it = entries_.find(page->number);
    if (it == entries_.end() || !it->second.node) {
        return nullptr;
    }
    if (it->second.page != page || it->second.version != page->version) {
        Erase(it);
        return nullptr;
    }
    uses_.splice(uses_.begin(), uses_, it->second.use);
    return it->second.node;
}

void IndexNodeCache::Put(const PageRef& page, IndexNodeRef node) {
    const std::size_t bytes = EstimatedBytes(*node, page->bytes.size());
    auto it = entries_.find(page->number);
    if (bytes > budget_) {
        if (it != entries_.end()) {
            Erase(it);
        }
        return;
    }
    if (it != entries_.end()) {
        // The page's entry is reused (a page changes often): no allocation per change.
        bytes_ -= it->second.bytes;
        it->second.bytes = 0;
    }
    while (bytes_ + bytes > budget_ && !uses_.empty()) {
        const std::uint32_t oldest = uses_.back();
        if (oldest == page->number) {
            break;  // only this page's own entry is left
        }
        Erase(entries_.find(oldest));
    }
    if (it == entries_.end()) {
        uses_.push_front(page->number);
        it = entries_.emplace(page->number, Entry{nullptr, 0, nullptr, 0, uses_.begin()}).first;
    } else {
        uses_.splice(uses_.begin(), uses_, it->second.use);
    }
    it->second.page = page;
    it->second.version = page->version;
    it->second.node = std::move(node);
    it->second.bytes = bytes;
    bytes_ += bytes;
}

void IndexNodeCache::Drop(std::uint32_t number) {
    auto it = entries_.find(number);
    if (it != entries_.end()) {
        // The slot stays for the Put() that usually follows; until then nothing is found.
        it->second.node.reset();
        it->second.page.reset();
        bytes_ -= it->second.bytes;
        it->second.bytes = 0;
    }
}

void IndexNodeCache::Erase(std::unordered_map<std::uint32_t, Entry>::iterator it) {
    bytes_ -= it->second.bytes;
    uses_.erase(it->second.use);
    entries_.erase(it);
}

}  // namespace accessdb

#include "accessdb/index/IndexNodeCache.h"

namespace accessdb {

namespace {

// What a decoded node holds on the heap, roughly (allocator overhead included), plus the page
// the entry keeps alive.
std::size_t EstimatedBytes(const IndexPageContent& node, std::size_t pageSize) {
    std::size_t bytes =
        sizeof(IndexPageContent) + pageSize + node.entries.capacity() * sizeof(IndexEntry);
    for (const IndexEntry& entry : node.entries) {
        bytes += entry.key.capacity() + 16;
    }
    return bytes;
}

}  // namespace

IndexNodeCache::IndexNodeCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

IndexNodeRef IndexNodeCache::Find(const PageRef& page) {
    auto it = entries_.find(page->number);
    if (it == entries_.end()) {
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
    Drop(page->number);
    const std::size_t bytes = EstimatedBytes(*node, page->bytes.size());
    if (bytes > budget_) {
        return;
    }
    while (bytes_ + bytes > budget_ && !uses_.empty()) {
        Erase(entries_.find(uses_.back()));
    }
    uses_.push_front(page->number);
    entries_.emplace(page->number,
                     Entry{page, page->version, std::move(node), bytes, uses_.begin()});
    bytes_ += bytes;
}

void IndexNodeCache::Drop(std::uint32_t number) {
    auto it = entries_.find(number);
    if (it != entries_.end()) {
        Erase(it);
    }
}

void IndexNodeCache::Erase(std::unordered_map<std::uint32_t, Entry>::iterator it) {
    bytes_ -= it->second.bytes;
    uses_.erase(it->second.use);
    entries_.erase(it);
}

}  // namespace accessdb

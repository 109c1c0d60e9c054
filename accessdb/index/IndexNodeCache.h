#pragma once
// Decoded index pages kept between statements, so that an append into an indexed table does not
// decode the same pages for every row. An entry is used only while its page is the very page
// object it was decoded from, at the same version (PageFile bumps a page's version on every
// Modify() and rollback): a statement rolled back, a page evicted and read again, or bytes
// changed by anyone else make the entry stale, and the page is decoded again. So the cache
// always says what the page bytes say, and a failed statement leaves nothing of itself here.
// Memory is bounded: the least recently used entries go first.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

#include "accessdb/PageFile.h"
#include "accessdb/index/IndexPage.h"

namespace accessdb {

using IndexNodeRef = std::shared_ptr<IndexPageContent>;

class IndexNodeCache {
  public:
    explicit IndexNodeCache(std::size_t budgetBytes = kDefaultBudget);

    // The node decoded from `page` when it is still current, else null.
    IndexNodeRef Find(const PageRef& page);
    // Records `node` as the decoding of `page` as it is now.
    void Put(const PageRef& page, IndexNodeRef node);
    // Forgets page `number` (its node is about to change).
    void Drop(std::uint32_t number);

    std::size_t Bytes() const { return bytes_; }

    static constexpr std::size_t kDefaultBudget = 4u << 20;

  private:
    struct Entry {
        PageRef page;  // keeps the page object, so that its identity cannot be reused
        std::uint64_t version = 0;
        IndexNodeRef node;
        std::size_t bytes = 0;
        std::list<std::uint32_t>::iterator use;
    };
    void Erase(std::unordered_map<std::uint32_t, Entry>::iterator it);

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::unordered_map<std::uint32_t, Entry> entries_;
    std::list<std::uint32_t> uses_;  // most recently used first
};

}  // namespace accessdb

#pragma once
// Where new pages come from: pages the file's global usage map (page 1) lists as free are
// reused first, lowest first; after them the file grows. Either way the page leaves the free
// map, so Access will not hand it out again.
#include <cstdint>
#include <deque>

#include "accessdb/PageFile.h"
#include "accessdb/UsageMap.h"

namespace accessdb {

class PageAllocator {
  public:
    explicit PageAllocator(PageFile& pages);

    // A zeroed page, dirty, ready to be filled by the caller.
    MutablePageRef NewPage();

    // Forgets what it read (after a statement was rolled back).
    void Reset();

  private:
    void LoadFreePages();

    PageFile& pages_;
    bool loaded_ = false;
    std::deque<std::uint32_t> free_;  // free pages inside the file, ascending
};

}  // namespace accessdb

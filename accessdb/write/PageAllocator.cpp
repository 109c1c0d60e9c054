#include "accessdb/write/PageAllocator.h"

#include <algorithm>

#include "accessdb/check/WriteGuard.h"

namespace accessdb {

namespace {
// The global map's declaration: row 0 of page 1.
constexpr RowPointer kGlobalMap{kGlobalUsageMapPage, 0};
}  // namespace

PageAllocator::PageAllocator(PageFile& pages) : pages_(pages) {}

void PageAllocator::Reset() {
    loaded_ = false;
    free_.clear();
}

void PageAllocator::LoadFreePages() {
    loaded_ = true;
    free_.clear();
    const UsageMap map = UsageMap::Load(pages_, kGlobalMap);
    for (const std::uint32_t page : map.Pages()) {
        // Pages 0..2 are fixed; a map that claims them free is not to be believed.
        if (page > kSystemCatalogPage && page < pages_.PageCount()) {
            free_.push_back(page);
        }
    }
}

MutablePageRef PageAllocator::NewPage() {
    if (!loaded_) {
        LoadFreePages();
    }
    UsageMap map = UsageMap::Load(pages_, kGlobalMap);
    while (!free_.empty()) {
        const std::uint32_t page = free_.front();
        free_.pop_front();
        if (!map.Contains(page)) {
            continue;  // taken since we looked
        }
        RequireUnownedFreePage(pages_, page);
        map.Set(pages_, page, false);
        MutablePageRef ref = pages_.Modify(page);
        std::fill(ref->bytes.begin(), ref->bytes.end(), 0);
        return ref;
    }
    MutablePageRef ref = pages_.Append();
    // Pages beyond the end of the file may be marked free in the map's window: not any more.
    map.Set(pages_, ref->number, false);
    return ref;
}

}  // namespace accessdb

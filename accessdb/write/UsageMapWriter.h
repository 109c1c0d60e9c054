#pragma once
// Adding pages to usage maps beyond what they cover: an inline map whose window cannot reach
// the page moves its window when every page still fits, and otherwise becomes a reference map
// (bitmap pages of its own). Maps declared by Access and by us are handled alike.
#include <cstdint>

#include "accessdb/PageFile.h"
#include "accessdb/UsageMap.h"
#include "accessdb/write/PageAllocator.h"

namespace accessdb {

// Adds `page` to `map` (and to its declaration in the file). `map` is reloaded when its form
// changed. Throws Error(Constraint) when even a reference map cannot reach the page.
void AddPageToMap(PageFile& pages, PageAllocator& allocator, UsageMap& map, std::uint32_t page);

// Removes `page` from `map` when the map lists it.
void RemovePageFromMap(PageFile& pages, UsageMap& map, std::uint32_t page);

}  // namespace accessdb

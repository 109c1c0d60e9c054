#include "accessdb/write/UsageMapWriter.h"

#include <algorithm>
#include <cstring>

#include "accessdb/DataPage.h"

namespace accessdb {

namespace {

MutableBytes DeclarationRow(PageFile& pages, const UsageMap& map) {
    const RowPointer where = map.Location();
    MutablePageRef page = pages.Modify(where.page);
    const DataPage data(page->View(), pages.format());
    const RowSlot slot = data.Slot(where.row);
    return MutableBytes(page->bytes).subspan(slot.start, slot.end - slot.start);
}

void Promote(PageFile& pages, PageAllocator& allocator, UsageMap& map,
             const std::vector<std::uint32_t>& all) {
    const std::uint32_t perBitmap = (pages.PageSize() - 4) * 8;
    // Allocate the bitmap pages first: allocation may touch other maps' pages, never this row.
    const std::size_t slots = (DeclarationRow(pages, map).size() - 1) / 4;
    std::vector<std::uint32_t> bitmapPages(slots, 0);
    if (map.kind() == UsageMap::Kind::Reference) {
        // Keep the bitmap pages it has; only missing ranges get new ones.
        const std::vector<std::uint32_t>& existing = map.BitmapPages();
        std::copy_n(existing.begin(), std::min(existing.size(), slots), bitmapPages.begin());
    }
    for (const std::uint32_t p : all) {
        const std::size_t slot = p / perBitmap;
        if (slot >= slots) {
            throw Error(ErrorKind::Constraint,
                        "The database is too large: a usage map cannot reach page " +
                            std::to_string(p) + ".");
        }
        if (bitmapPages[slot] == 0) {
            MutablePageRef bitmap = allocator.NewPage();
            bitmap->bytes[0] = kPageUsageMap;
            bitmap->bytes[1] = 0x01;
            bitmapPages[slot] = bitmap->number;
        }
        MutablePageRef bitmap = pages.Modify(bitmapPages[slot]);
        const std::uint32_t rel = p % perBitmap;
        bitmap->bytes[4 + rel / 8] |= static_cast<std::uint8_t>(1u << (rel % 8));
    }
    MutableBytes row = DeclarationRow(pages, map);
    std::fill(row.begin(), row.end(), 0);
    row[0] = static_cast<std::uint8_t>(UsageMap::Kind::Reference);
    for (std::size_t slot = 0; slot < slots; ++slot) {
        StoreU32(row.data() + 1 + 4 * slot, bitmapPages[slot]);
    }
}

}  // namespace

void AddPageToMap(PageFile& pages, PageAllocator& allocator, UsageMap& map, std::uint32_t page) {
    if (map.Set(pages, page, true)) {
        return;
    }
    std::vector<std::uint32_t> all = map.Pages();
    all.push_back(page);
    std::sort(all.begin(), all.end());
    const RowPointer where = map.Location();
    if (map.kind() == UsageMap::Kind::Inline) {
        const std::uint32_t span = map.InlineSpan();
        const std::uint32_t start = all.front() - all.front() % 8;
        if (all.back() - start < span) {
            MutableBytes row = DeclarationRow(pages, map);
            std::fill(row.begin() + 1, row.end(), 0);
            StoreU32(row.data() + 1, start);
            for (const std::uint32_t p : all) {
                const std::uint32_t rel = p - start;
                row[5 + rel / 8] |= static_cast<std::uint8_t>(1u << (rel % 8));
            }
        } else {
            Promote(pages, allocator, map, all);
        }
    } else {
        // A reference map without the bitmap page for this range: add one.
        Promote(pages, allocator, map, all);
    }
    map = UsageMap::Load(pages, where);
}

void RemovePageFromMap(PageFile& pages, UsageMap& map, std::uint32_t page) {
    if (map.Contains(page)) {
        map.Set(pages, page, false);
    }
}

}  // namespace accessdb

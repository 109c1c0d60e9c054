// Usage map reading and in-place bit updates.
#include "accessdb/UsageMap.h"

#include <algorithm>
#include <string>

#include "accessdb/DataPage.h"

namespace accessdb {

UsageMap UsageMap::Load(PageFile& pages, RowPointer where) {
    UsageMap map;
    map.where_ = where;
    PageRef page = pages.Read(where.page);
    DataPage dp(page->View(), pages.format());
    if (!dp.IsData())
        ThrowDamaged("a usage map is declared on page " + std::to_string(where.page) + ", which is not a data page");
    RowSlot slot = dp.Slot(where.row);
    Bytes row = dp.RowBytes(slot);
    if (row.empty()) ThrowDamaged("the usage map on page " + std::to_string(where.page) + " is empty");
    map.rowStart_ = slot.start;
    map.rowEnd_ = slot.end;
    std::uint32_t pageCount = pages.PageCount();
    if (row[0] == 0) {
        if (row.size() < 5) ThrowDamaged("an inline usage map row is too short");
        map.kind_ = Kind::Inline;
        map.inlineStart_ = LoadU32(row.data() + 1);
        map.inlineBits_.assign(row.begin() + 5, row.end());
        for (std::size_t byte = 0; byte < map.inlineBits_.size(); ++byte) {
            std::uint8_t bits = map.inlineBits_[byte];
            for (int bit = 0; bits && bit < 8; ++bit) {
                if (!(bits & (1u << bit))) continue;
                std::uint64_t p = map.inlineStart_ + byte * 8ull + static_cast<unsigned>(bit);
                if (p < pageCount) map.pages_.push_back(static_cast<std::uint32_t>(p));
            }
        }
    } else if (row[0] == 1) {
        map.kind_ = Kind::Reference;
        map.pagesPerBitmap_ = (pages.PageSize() - 4) * 8;
        for (std::size_t off = 1; off + 4 <= row.size(); off += 4) {
            std::uint32_t bitmapPage = LoadU32(row.data() + off);
            map.bitmapPages_.push_back(bitmapPage);
            if (bitmapPage == 0) continue;
            PageRef bp = pages.Read(bitmapPage);
            if (bp->Type() != kPageUsageMap)
                ThrowDamaged("usage map bitmap page " + std::to_string(bitmapPage) + " has the wrong page type");
            std::uint64_t base = static_cast<std::uint64_t>(map.bitmapPages_.size() - 1) * map.pagesPerBitmap_;
            if (base >= pageCount) continue;
            Bytes bits = bp->View().subspan(4);
            for (std::size_t byte = 0; byte < bits.size(); ++byte) {
                std::uint8_t b = bits[byte];
                for (int bit = 0; b && bit < 8; ++bit) {
                    if (!(b & (1u << bit))) continue;
                    std::uint64_t p = base + byte * 8ull + static_cast<unsigned>(bit);
                    if (p < pageCount) map.pages_.push_back(static_cast<std::uint32_t>(p));
                }
            }
        }
    } else {
        ThrowDamaged("the usage map on page " + std::to_string(where.page) + " has unknown type " +
                     std::to_string(row[0]));
    }
    std::sort(map.pages_.begin(), map.pages_.end());
    map.pages_.erase(std::unique(map.pages_.begin(), map.pages_.end()), map.pages_.end());
    return map;
}

bool UsageMap::Contains(std::uint32_t page) const {
    return std::binary_search(pages_.begin(), pages_.end(), page);
}

bool UsageMap::Set(PageFile& pages, std::uint32_t page, bool present) {
    auto setBit = [](std::uint8_t& byte, unsigned bit, bool on) {
        if (on)
            byte = static_cast<std::uint8_t>(byte | (1u << bit));
        else
            byte = static_cast<std::uint8_t>(byte & ~(1u << bit));
    };
    if (kind_ == Kind::Inline) {
        if (page < inlineStart_ || page - inlineStart_ >= InlineSpan()) return false;
        std::uint32_t rel = page - inlineStart_;
        setBit(inlineBits_[rel / 8], rel % 8, present);
        MutablePageRef p = pages.Modify(where_.page);
        setBit(p->bytes[rowStart_ + 5 + rel / 8], rel % 8, present);
    } else {
        std::size_t slot = page / pagesPerBitmap_;
        if (slot >= bitmapPages_.size() || bitmapPages_[slot] == 0) return false;
        std::uint32_t rel = page % pagesPerBitmap_;
        MutablePageRef p = pages.Modify(bitmapPages_[slot]);
        setBit(p->bytes[4 + rel / 8], rel % 8, present);
    }
    auto it = std::lower_bound(pages_.begin(), pages_.end(), page);
    bool there = it != pages_.end() && *it == page;
    if (present && !there) pages_.insert(it, page);
    if (!present && there) pages_.erase(it);
    return true;
}

}  // namespace accessdb

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
        ThrowDamaged("a usage map is declared on page " + std::to_string(where.page) +
                     ", which is not a data page");
    RowSlot slot = dp.Slot(where.row);
    Bytes row = dp.RowBytes(slot);
    if (row.empty())
        ThrowDamaged("the usage map on page " + std::to_string(where.page) + " is empty");
    map.rowStart_ = slot.start;
    map.rowEnd_ = slot.end;
    std::uint32_t pageCount = pages.PageCount();
    if (row[0] == 0) {
        if (row.size() < 5)
            ThrowDamaged("an inline usage map row is too short");
        map.kind_ = Kind::Inline;
        map.inlineStart_ = LoadU32(row.data() + 1);
        map.inlineBits_.assign(row.begin() + 5, row.end());
        for (std::size_t byte = 0; byte < map.inlineBits_.size(); ++byte) {
            std::uint8_t bits = map.inlineBits_[byte];
            for (int bit = 0; bits && bit < 8; ++bit) {
                if (!(bits & (1u << bit)))
                    continue;
                std::uint64_t p = map.inlineStart_ + byte * 8ull + static_cast<unsigned>(bit);
                if (p < pageCount)
                    map.pages_.push_back(static_cast<std::uint32_t>(p));
                else
                    map.NoteBeyondEnd(p);
            }
        }
    } else if (row[0] == 1) {
        map.kind_ = Kind::Reference;
        map.pagesPerBitmap_ = (pages.PageSize() - 4) * 8;
        for (std::size_t off = 1; off + 4 <= row.size(); off += 4) {
            std::uint32_t bitmapPage = LoadU32(row.data() + off);
            map.bitmapPages_.push_back(bitmapPage);
            if (bitmapPage == 0)
                continue;
            PageRef bp = pages.Read(bitmapPage);
            if (bp->Type() != kPageUsageMap)
                ThrowDamaged("usage map bitmap page " + std::to_string(bitmapPage) +
                             " has the wrong page type");
            std::uint64_t base =
                static_cast<std::uint64_t>(map.bitmapPages_.size() - 1) * map.pagesPerBitmap_;
            Bytes bits = bp->View().subspan(4);
            for (std::size_t byte = 0; byte < bits.size(); ++byte) {
                std::uint8_t b = bits[byte];
                for (int bit = 0; b && bit < 8; ++bit) {
                    if (!(b & (1u << bit)))
                        continue;
                    std::uint64_t p = base + byte * 8ull + static_cast<unsigned>(bit);
                    if (p < pageCount)
                        map.pages_.push_back(static_cast<std::uint32_t>(p));
                    else
                        map.NoteBeyondEnd(p);
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
        if (page < inlineStart_ || page - inlineStart_ >= InlineSpan())
            return false;
        std::uint32_t rel = page - inlineStart_;
        setBit(inlineBits_[rel / 8], rel % 8, present);
        MutablePageRef p = pages.Modify(where_.page);
        setBit(p->bytes[rowStart_ + 5 + rel / 8], rel % 8, present);
    } else {
        std::size_t slot = page / pagesPerBitmap_;
        if (slot >= bitmapPages_.size() || bitmapPages_[slot] == 0)
            return false;
        std::uint32_t rel = page % pagesPerBitmap_;
        MutablePageRef p = pages.Modify(bitmapPages_[slot]);
        setBit(p->bytes[4 + rel / 8], rel % 8, present);
    }
    auto it = std::lower_bound(pages_.begin(), pages_.end(), page);
    bool there = it != pages_.end() && *it == page;
    if (present && !there)
        pages_.insert(it, page);
    if (!present && there)
        pages_.erase(it);
    return true;
}

}  // namespace accessdb

namespace accessdb {

std::vector<std::uint32_t> UsageMap::InlineSetPages() const {
    std::vector<std::uint32_t> out;
    for (std::size_t byte = 0; byte < inlineBits_.size(); ++byte)
        for (unsigned bit = 0; bit < 8; ++bit)
            if (inlineBits_[byte] & (1u << bit))
                out.push_back(inlineStart_ + static_cast<std::uint32_t>(byte * 8 + bit));
    return out;
}

void UsageMap::WriteInline(PageFile& pages) {
    MutablePageRef p = pages.Modify(where_.page);
    std::uint8_t* row = p->bytes.data() + rowStart_;
    row[0] = static_cast<std::uint8_t>(Kind::Inline);
    StoreU32(row + 1, inlineStart_);
    std::copy(inlineBits_.begin(), inlineBits_.end(), row + 5);
}

void UsageMap::AddBitmapPage(PageFile& pages, std::size_t slot, const PageAllocator& allocate) {
    MutablePageRef bitmap = allocate ? allocate() : pages.Append();
    std::fill(bitmap->bytes.begin(), bitmap->bytes.end(), 0);
    bitmap->bytes[0] = kPageUsageMap;
    bitmap->bytes[1] = 0x01;
    bitmapPages_[slot] = bitmap->number;
    StoreU32(pages.Modify(where_.page)->bytes.data() + rowStart_ + 1 + 4 * slot, bitmap->number);
}

void UsageMap::Update(PageFile& pages, std::uint32_t page, bool present,
                      const PageAllocator& allocate) {
    if (Set(pages, page, present) || !present)
        return;  // removing a page the map never covered
    if (kind_ == Kind::Reference) {
        std::size_t slot = page / pagesPerBitmap_;
        if (slot >= bitmapPages_.size())
            throw Error(ErrorKind::Constraint, "The usage map on page " +
                                                   std::to_string(where_.page) +
                                                   " cannot hold page " + std::to_string(page) +
                                                   ": the database is too large.");
        AddBitmapPage(pages, slot, allocate);
        Set(pages, page, true);
        return;
    }
    std::vector<std::uint32_t> all = InlineSetPages();
    all.push_back(page);
    std::uint32_t lo = *std::min_element(all.begin(), all.end());
    std::uint32_t hi = *std::max_element(all.begin(), all.end());
    std::uint32_t start = lo & ~7u;
    if (hi - start < InlineSpan()) {
        // Move the window so that every page, old and new, is covered.
        inlineStart_ = start;
        std::fill(inlineBits_.begin(), inlineBits_.end(), 0);
        for (std::uint32_t p : all)
            inlineBits_[(p - start) / 8] |= static_cast<std::uint8_t>(1u << ((p - start) % 8));
        WriteInline(pages);
    } else {
        // Promote to a reference map: the row becomes a list of bitmap page numbers.
        kind_ = Kind::Reference;
        pagesPerBitmap_ = (pages.PageSize() - 4) * 8;
        std::size_t slots = (rowEnd_ - rowStart_ - 1u) / 4u;
        bitmapPages_.assign(slots, 0);
        inlineBits_.clear();
        MutablePageRef p = pages.Modify(where_.page);
        std::fill(p->bytes.begin() + rowStart_, p->bytes.begin() + rowEnd_, 0);
        p->bytes[rowStart_] = static_cast<std::uint8_t>(Kind::Reference);
        pages_.clear();
        for (std::uint32_t q : all)
            Update(pages, q, true, allocate);
    }
    std::uint32_t count = pages.PageCount();
    pages_.clear();
    if (kind_ == Kind::Inline) {
        for (std::uint32_t q : InlineSetPages())
            if (q < count)
                pages_.push_back(q);
    } else {
        for (std::uint32_t q : all)
            if (q < count)
                pages_.push_back(q);
        std::sort(pages_.begin(), pages_.end());
    }
}

}  // namespace accessdb

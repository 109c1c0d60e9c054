#pragma once
// Data pages: the header (free space, owning table, row count) and the row offset table. Rows
// grow from the page end towards the header; row i ends where row i-1 starts.
#include <cstdint>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"

namespace accessdb {

struct RowSlot {
    std::uint16_t start = 0;  // first byte of the row within the page
    std::uint16_t end = 0;    // one past its last byte
    bool deleted = false;
    bool lookup = false;  // the row holds a RowPointer to the real row
};

class DataPage {
  public:
    DataPage(Bytes page, const Format& format) : page_(page), format_(format) {}

    static constexpr std::size_t kFreeSpaceOffset = 2;
    static constexpr std::size_t kOwnerOffset = 4;

    bool IsData() const { return page_[0] == kPageData; }
    std::uint16_t FreeSpace() const { return LoadU16(page_.data() + kFreeSpaceOffset); }
    std::uint32_t Owner() const { return LoadU32(page_.data() + kOwnerOffset); }
    bool IsLongValuePage() const {
        return page_[4] == 'L' && page_[5] == 'V' && page_[6] == 'A' && page_[7] == 'L';
    }
    // Row count as stored; throws Damaged when the offset table would not fit the page.
    std::uint16_t RowCount() const;
    // Bounds and flags of row `row`; throws Damaged for offsets outside the page or rows whose
    // end lies before their start.
    RowSlot Slot(std::uint16_t row) const;
    Bytes RowBytes(const RowSlot& slot) const {
        return page_.subspan(slot.start, slot.end - slot.start);
    }

  private:
    std::uint16_t RawOffset(std::uint16_t row) const {
        return LoadU16(page_.data() + format_.dataFirstRowOffset + 2u * row);
    }
    Bytes page_;
    const Format& format_;
};

}  // namespace accessdb

// Row offset table reading with every offset checked against the page.
#include "accessdb/DataPage.h"

#include <string>

namespace accessdb {

std::uint16_t DataPage::RowCount() const {
    std::uint16_t n = LoadU16(page_.data() + format_.dataRowCountOffset);
    if (format_.dataFirstRowOffset + 2u * n > page_.size())
        ThrowDamaged("a data page claims " + std::to_string(n) + " rows, more than fit in a page");
    return n;
}

RowSlot DataPage::Slot(std::uint16_t row) const {
    if (row >= RowCount())
        ThrowDamaged("row " + std::to_string(row) + " does not exist on its data page");
    std::uint16_t raw = RawOffset(row);
    RowSlot s;
    s.deleted = (raw & kRowDeleted) != 0;
    s.lookup = (raw & kRowLookup) != 0;
    s.start = raw & kRowOffsetMask;
    s.end =
        row == 0 ? static_cast<std::uint16_t>(page_.size()) : (RawOffset(row - 1) & kRowOffsetMask);
    std::size_t tableEnd = format_.dataFirstRowOffset + 2u * RowCount();
    if (s.deleted && (s.start > s.end || s.start < tableEnd || s.end > page_.size())) {
        // A deleted row's bounds are never used; report it empty rather than damaged.
        s.start = s.end = 0;
        return s;
    }
    if (s.start < tableEnd || s.end > page_.size() || s.start > s.end)
        ThrowDamaged("row " + std::to_string(row) + " has offsets " + std::to_string(s.start) +
                     ".." + std::to_string(s.end) + " outside its data page");
    return s;
}

}  // namespace accessdb

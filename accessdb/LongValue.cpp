// Long-value reading: inline, single LVAL row, and chains (with loop and length guards).
#include "accessdb/LongValue.h"

#include <algorithm>
#include <set>
#include <string>

#include "accessdb/DataPage.h"

namespace accessdb {

namespace {

Bytes LongValueRow(PageFile& pages, RowPointer where, PageRef& holder) {
    holder = pages.Read(where.page);
    DataPage dp(holder->View(), pages.format());
    if (!dp.IsData())
        ThrowDamaged("a long value points to page " + std::to_string(where.page) +
                     ", which is not a data page");
    RowSlot slot = dp.Slot(where.row);
    if (slot.deleted)
        ThrowDamaged("a long value points to deleted row " + std::to_string(where.row) +
                     " on page " + std::to_string(where.page));
    return dp.RowBytes(slot);
}

}  // namespace

std::vector<std::uint8_t> ReadLongValue(PageFile& pages, Bytes field) {
    if (field.empty())
        return {};
    if (field.size() < kLongValueHeaderSize)
        ThrowDamaged("a memo or OLE value is shorter than its header");
    std::uint32_t head = LoadU32(field.data());
    std::uint32_t length = head & kLongValueLengthMask;
    std::uint8_t form = static_cast<std::uint8_t>(field[3] & 0xC0);
    if (form == kLongValueInline) {
        std::size_t n = std::min<std::size_t>(length, field.size() - kLongValueHeaderSize);
        return {field.begin() + kLongValueHeaderSize,
                field.begin() + static_cast<std::ptrdiff_t>(kLongValueHeaderSize + n)};
    }
    RowPointer where = LoadRowPointer(field.data() + 4);
    PageRef holder;
    if (form == kLongValueSingle) {
        Bytes row = LongValueRow(pages, where, holder);
        std::size_t n = std::min<std::size_t>(length, row.size());
        return {row.begin(), row.begin() + static_cast<std::ptrdiff_t>(n)};
    }
    if (form != kLongValueChain)
        ThrowDamaged("a memo or OLE value has an unknown storage form");
    std::vector<std::uint8_t> out;
    // A chain never visits a row twice; a damaged one could loop forever.
    std::set<std::pair<std::uint32_t, std::uint8_t>> visited;
    while (out.size() < length) {
        if (!visited.insert({where.page, where.row}).second)
            ThrowDamaged("a memo or OLE value's chain of pages loops");
        Bytes row = LongValueRow(pages, where, holder);
        if (row.size() < 4)
            ThrowDamaged("a piece of a memo or OLE value is shorter than its pointer");
        RowPointer next = LoadRowPointer(row.data());
        std::size_t n = std::min<std::size_t>(row.size() - 4, length - out.size());
        out.insert(out.end(), row.begin() + 4, row.begin() + 4 + static_cast<std::ptrdiff_t>(n));
        if (next.page == 0)
            break;
        where = next;
    }
    return out;
}

}  // namespace accessdb

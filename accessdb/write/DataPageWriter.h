#pragma once
// Adding rows to data pages (table rows, long-value rows and usage-map declarations share the
// layout): the row goes directly below the page's last row, its offset into the next slot of
// the offset table, and the free-space count drops by the row plus its slot.
#include <array>
#include <cstdint>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"
#include "accessdb/PageFile.h"

namespace accessdb {

// Fills a zeroed page (it must be: only the header is written) as an empty data page of `owner` (a
// TDEF page; or the text "LVAL" for long-value pages, see InitLongValuePage).
void InitDataPage(MutableBytes page, const Format& format, std::uint32_t owner);
void InitLongValuePage(MutableBytes page, const Format& format);

// Whether a row of `length` bytes fits on the page (space and the 255-row limit).
bool RowFits(Bytes page, const Format& format, std::size_t length);

// The bytes AppendRow() changes for a row of `length` bytes (for PageFile::ModifyParts).
std::array<ByteRange, 4> AppendRowParts(Bytes page, const Format& format, std::size_t length);

// Appends the row; returns its row number. The caller checked RowFits().
std::uint8_t AppendRow(MutableBytes page, const Format& format, Bytes row);

}  // namespace accessdb

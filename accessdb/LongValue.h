#pragma once
// Memo and OLE values: a 12-byte header in the row (length, storage form, pointer) followed by
// the data inline, or a pointer to one row on a long-value (LVAL) page, or to a chain of such
// rows each starting with a pointer to the next.
#include <cstdint>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/PageFile.h"

namespace accessdb {

inline constexpr std::size_t kLongValueHeaderSize = 12;
inline constexpr std::uint8_t kLongValueInline = 0x80;
inline constexpr std::uint8_t kLongValueSingle = 0x40;
inline constexpr std::uint8_t kLongValueChain = 0x00;
inline constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFF;

// The value's bytes. Throws Damaged for pointers outside the file, loops, or bad rows.
std::vector<std::uint8_t> ReadLongValue(PageFile& pages, Bytes field);

}  // namespace accessdb

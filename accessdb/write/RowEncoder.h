#pragma once
// Building a stored row (the Jet 4/ACE and the Jet 3 layout, see RowLayout.h) from per-column
// values that are already in their stored form.
#include <cstdint>
#include <vector>

#include "accessdb/Format.h"
#include "accessdb/TableDef.h"

namespace accessdb {

// One column's value as stored: absent = Null (for Yes/No: False); `bytes` the fixed-width
// value or the variable-length data (a long value's 12-byte header and any inline data).
struct StoredField {
    bool present = false;
    std::vector<std::uint8_t> bytes;
};

// Working storage of EncodeRow, kept by a caller that encodes row after row so that a row
// costs no allocation.
struct RowScratch {
    std::vector<std::uint8_t> nullMask;
    std::vector<const StoredField*> bySlot;
    std::vector<std::size_t> offsets;
};

// Encodes the row of `table` whose values are `fields` (in the order of table.columns) into
// `out`. Throws Error(Constraint) "Record is too large." when it exceeds the format's limit.
void EncodeRow(const TableDef& table, const Format& format, const std::vector<StoredField>& fields,
               std::vector<std::uint8_t>& out, RowScratch& scratch);
void EncodeRow(const TableDef& table, const Format& format, const std::vector<StoredField>& fields,
               std::vector<std::uint8_t>& out);

// The bytes a row takes before its variable data: what a long value may still use inline.
std::size_t RowSizeWithout(const TableDef& table, const Format& format,
                           const std::vector<StoredField>& fields, std::size_t skipColumn);

}  // namespace accessdb

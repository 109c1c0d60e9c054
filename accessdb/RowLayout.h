#pragma once
// The layout of a stored row, shared by the decoder here and the writer's encoder.
//   Jet 4/ACE: column count (2) | fixed area | variable data | EOD (2) | var offsets (2 each,
//              last index first) | var count (2) | null mask (1 bit a column, 1 = not null)
//   Jet 3:     column count (1) | fixed area | variable data | var offsets and EOD (1 byte each,
//              plus a jump table for rows over 256 bytes) | var count (1) | null mask
// Yes/No columns have no storage: their null-mask bit is the value.
#include <cstdint>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"
#include "accessdb/TableDef.h"

namespace accessdb {

inline std::size_t NullMaskSize(std::size_t columns) {
    return (columns + 7) / 8;
}
// Bytes the column count takes at the start of a row.
inline std::size_t RowCountFieldSize(const Format& f) {
    return f.jet3 ? 1 : 2;
}
// Size of a fixed column's value in the fixed area.
std::size_t FixedColumnSize(const ColumnDef& c);
// Whether the row of `table` has the variable-offset section (it has when the table has
// variable columns, deleted ones included).
inline bool HasVariableSection(const TableDef& t) {
    return t.varColumns > 0;
}

// One column's stored form in one row.
struct FieldSlice {
    bool present = false;  // false: Null (or, for Yes/No, False)
    Bytes data;            // the stored bytes (empty for Yes/No)
};

// Splits rows of one table into per-column slices, in the order of TableDef::columns.
class RowDecoder {
  public:
    RowDecoder(const TableDef& table, const Format& format);
    // Throws Damaged when the row's own offsets do not fit it.
    void Split(Bytes row, std::vector<FieldSlice>& out) const;

  private:
    void SplitJet4(Bytes row, std::vector<FieldSlice>& out) const;
    void SplitJet3(Bytes row, std::vector<FieldSlice>& out) const;
    void Assign(Bytes row, std::size_t rowColumns, Bytes nullMask, std::size_t fixedStart,
                std::size_t dataEnd, const std::vector<std::size_t>& varOffsets,
                std::vector<FieldSlice>& out) const;

    const TableDef& table_;
    const Format& format_;
    mutable std::vector<std::size_t> varOffsets_;
};

}  // namespace accessdb

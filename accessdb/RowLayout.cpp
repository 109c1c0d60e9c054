// Row splitting for Jet 4/ACE and Jet 3 rows; every offset is checked against the row.
#include "accessdb/RowLayout.h"

#include <string>

namespace accessdb {

std::size_t FixedColumnSize(const ColumnDef& c) {
    if (c.type == ColumnType::Boolean && !c.IsCalculated())
        return 0;
    std::size_t size = FixedSizeOf(c.type);
    return size ? size : c.length;  // fixed-length Text/Binary use the declared length
}

RowDecoder::RowDecoder(const TableDef& table, const Format& format)
    : table_(table), format_(format) {}

void RowDecoder::Split(Bytes row, std::vector<FieldSlice>& out) const {
    out.assign(table_.columns.size(), FieldSlice{});
    if (format_.jet3)
        SplitJet3(row, out);
    else
        SplitJet4(row, out);
}

void RowDecoder::SplitJet4(Bytes row, std::vector<FieldSlice>& out) const {
    const std::size_t r = row.size();
    if (r < 2)
        ThrowDamaged("a row of table '" + table_.name + "' is too short to hold its column count");
    std::size_t rowColumns = LoadU16(row.data());
    std::size_t mask = NullMaskSize(rowColumns);
    if (2 + mask > r)
        ThrowDamaged("a row of table '" + table_.name + "' is shorter than its null mask");
    Bytes nullMask = row.subspan(r - mask, mask);
    std::size_t dataEnd = r - mask;
    varOffsets_.clear();
    if (HasVariableSection(table_)) {
        if (dataEnd < 2 + 2)
            ThrowDamaged("a row of table '" + table_.name +
                         "' has no room for its variable columns");
        std::size_t varCount = LoadU16(row.data() + dataEnd - 2);
        std::size_t tableBytes = 2 + 2 * (varCount + 1);
        if (tableBytes + 2 > dataEnd)
            ThrowDamaged("a row of table '" + table_.name + "' claims " + std::to_string(varCount) +
                         " variable columns, more than fit in it");
        for (std::size_t i = 0; i <= varCount; ++i)
            varOffsets_.push_back(LoadU16(row.data() + dataEnd - 4 - 2 * i));
        dataEnd -= tableBytes;
    }
    Assign(row, rowColumns, nullMask, 2, dataEnd, varOffsets_, out);
}

void RowDecoder::SplitJet3(Bytes row, std::vector<FieldSlice>& out) const {
    const std::size_t r = row.size();
    if (r < 1)
        ThrowDamaged("a row of table '" + table_.name + "' is empty");
    std::size_t rowColumns = row[0];
    std::size_t mask = NullMaskSize(rowColumns);
    if (1 + mask > r)
        ThrowDamaged("a row of table '" + table_.name + "' is shorter than its null mask");
    Bytes nullMask = row.subspan(r - mask, mask);
    std::size_t dataEnd = r - mask;
    varOffsets_.clear();
    if (HasVariableSection(table_)) {
        const std::size_t last = r - 1;
        if (last < mask + 1)
            ThrowDamaged("a row of table '" + table_.name +
                         "' has no room for its variable columns");
        std::size_t varCount = row[last - mask];
        std::size_t jumps = (r - 1) / 256;
        if (last < mask + jumps + 1)
            ThrowDamaged("a row of table '" + table_.name + "' has a bad jump table");
        std::size_t colPtr = last - mask - jumps - 1;
        if (colPtr < varCount)
            ThrowDamaged("a row of table '" + table_.name + "' has a bad variable-offset table");
        // A final jump entry may be a dummy when the offsets themselves cross no boundary.
        if (jumps > 0 && (colPtr - varCount) / 256 < jumps)
            --jumps;
        std::size_t used = 0;
        for (std::size_t i = 0; i <= varCount; ++i) {
            while (used < jumps && i == row[last - mask - used - 1])
                ++used;
            varOffsets_.push_back(row[colPtr - i] + used * 256);
        }
        dataEnd = colPtr - varCount;
    }
    Assign(row, rowColumns, nullMask, 1, dataEnd, varOffsets_, out);
}

void RowDecoder::Assign(Bytes row, std::size_t rowColumns, Bytes nullMask, std::size_t fixedStart,
                        std::size_t dataEnd, const std::vector<std::size_t>& varOffsets,
                        std::vector<FieldSlice>& out) const {
    const std::size_t varCount = varOffsets.empty() ? 0 : varOffsets.size() - 1;
    for (std::size_t i = 0; i < table_.columns.size(); ++i) {
        const ColumnDef& c = table_.columns[i];
        FieldSlice& s = out[i];
        if (c.number >= rowColumns)
            continue;  // written before the column existed: Null
        bool bit = (nullMask[c.number / 8] >> (c.number % 8)) & 1;
        if (c.type == ColumnType::Boolean && !c.IsCalculated()) {
            s.present = bit;
            continue;
        }
        if (!bit)
            continue;
        if (c.IsFixed()) {
            std::size_t size = FixedColumnSize(c);
            std::size_t start = fixedStart + c.fixedOffset;
            // Rows written before a fixed column was added end before it: treat as Null.
            if (start + size > dataEnd)
                continue;
            s.present = true;
            s.data = row.subspan(start, size);
        } else {
            if (c.varIndex >= varCount)
                continue;
            std::size_t start = varOffsets[c.varIndex];
            std::size_t end = varOffsets[c.varIndex + 1];
            if (start > end || end > dataEnd || start < fixedStart)
                ThrowDamaged("column '" + c.name + "' of table '" + table_.name +
                             "' has offsets outside its row (" + std::to_string(start) + ".." +
                             std::to_string(end) + " of " + std::to_string(row.size()) + ")");
            s.present = true;
            s.data = row.subspan(start, end - start);
        }
    }
}

}  // namespace accessdb

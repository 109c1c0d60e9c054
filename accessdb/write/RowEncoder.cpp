#include "accessdb/write/RowEncoder.h"

#include <algorithm>
#include <cstring>

#include "accessdb/Error.h"
#include "accessdb/RowLayout.h"

namespace accessdb {

namespace {

std::size_t FixedAreaSize(const TableDef& table) {
    std::size_t size = 0;
    for (const ColumnDef& column : table.columns) {
        if (column.IsFixed() && column.type != ColumnType::Boolean) {
            size = std::max(size, column.fixedOffset + FixedColumnSize(column));
        }
    }
    return size;
}

}  // namespace

std::size_t RowSizeWithout(const TableDef& table, const std::vector<StoredField>& fields,
                           std::size_t skipColumn) {
    std::size_t size = 2 + FixedAreaSize(table) + NullMaskSize(table.maxColumns);
    if (HasVariableSection(table)) {
        size += 2 + 2u * table.varColumns + 2;
    }
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& column = table.columns[i];
        if (i != skipColumn && !column.IsFixed() && fields[i].present) {
            size += fields[i].bytes.size();
        }
    }
    return size;
}

void EncodeRow(const TableDef& table, const Format& format, const std::vector<StoredField>& fields,
               std::vector<std::uint8_t>& out) {
    const std::size_t fixedSize = FixedAreaSize(table);
    const std::size_t maxColumns = std::max<std::size_t>(table.maxColumns, table.columns.size());
    out.assign(2 + fixedSize, 0);
    StoreU16(out.data(), static_cast<std::uint16_t>(maxColumns));
    std::vector<std::uint8_t> nullMask(NullMaskSize(maxColumns), 0);

    // Variable columns by their slot in the offset table; deleted columns leave empty slots.
    std::vector<const StoredField*> bySlot(table.varColumns, nullptr);
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& column = table.columns[i];
        const StoredField& field = fields[i];
        // A damaged definition may number a column past its own count (4096 in a table of
        // three): its null bit would fall outside the row.
        if (column.number >= maxColumns) {
            ThrowDamaged("table '" + table.name + "' (definition at page " +
                         std::to_string(table.page) + "): column '" + column.name +
                         "' has number " + std::to_string(column.number) + ", beyond its " +
                         std::to_string(maxColumns) + " columns");
        }
        if (field.present) {
            nullMask[column.number / 8] |= static_cast<std::uint8_t>(1u << (column.number % 8));
        }
        if (column.type == ColumnType::Boolean) {
            continue;
        }
        if (column.IsFixed()) {
            if (field.present) {
                std::memcpy(out.data() + 2 + column.fixedOffset, field.bytes.data(),
                            std::min(field.bytes.size(), FixedColumnSize(column)));
            }
        } else if (column.varIndex < bySlot.size()) {
            bySlot[column.varIndex] = &field;
        }
    }
    if (HasVariableSection(table)) {
        std::vector<std::uint16_t> offsets(table.varColumns);
        for (std::size_t slot = 0; slot < bySlot.size(); ++slot) {
            offsets[slot] = static_cast<std::uint16_t>(out.size());
            const StoredField* field = bySlot[slot];
            if (field != nullptr && field->present) {
                out.insert(out.end(), field->bytes.begin(), field->bytes.end());
            }
        }
        const std::size_t endOfData = out.size();
        std::uint8_t word[2];
        StoreU16(word, static_cast<std::uint16_t>(endOfData));
        out.insert(out.end(), word, word + 2);
        for (std::size_t slot = offsets.size(); slot-- > 0;) {
            StoreU16(word, offsets[slot]);
            out.insert(out.end(), word, word + 2);
        }
        StoreU16(word, table.varColumns);
        out.insert(out.end(), word, word + 2);
    }
    out.insert(out.end(), nullMask.begin(), nullMask.end());
    if (out.size() > format.maxRowSize) {
        throw Error(ErrorKind::Constraint, "Record is too large.");
    }
}

}  // namespace accessdb

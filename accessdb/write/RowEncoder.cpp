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

// Jet 3 offsets are single bytes: a jump table says, for each 256-byte boundary of the row,
// the first variable-offset entry that lies past it. Its size depends on the row's length,
// which includes it, so it is settled by iteration (it grows at most a step at a time).
std::size_t Jet3JumpCount(std::size_t sizeWithoutJumps) {
    std::size_t jumps = 0;
    while ((sizeWithoutJumps + jumps - 1) / 256 > jumps) {
        ++jumps;
    }
    return jumps;
}

}  // namespace

std::size_t RowSizeWithout(const TableDef& table, const Format& format,
                           const std::vector<StoredField>& fields, std::size_t skipColumn) {
    const std::size_t countSize = RowCountFieldSize(format);
    std::size_t size = countSize + FixedAreaSize(table) + NullMaskSize(table.maxColumns);
    if (HasVariableSection(table)) {
        // EOD, one offset a variable column and the variable count, each of the count's size.
        size += countSize * (table.varColumns + 2u);
    }
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& column = table.columns[i];
        if (i != skipColumn && !column.IsFixed() && fields[i].present) {
            size += fields[i].bytes.size();
        }
    }
    if (format.jet3 && HasVariableSection(table)) {
        size += size / 256 + 1;  // room for the jump table whatever the long value adds
    }
    return size;
}

void EncodeRow(const TableDef& table, const Format& format, const std::vector<StoredField>& fields,
               std::vector<std::uint8_t>& out) {
    RowScratch scratch;
    EncodeRow(table, format, fields, out, scratch);
}

void EncodeRow(const TableDef& table, const Format& format, const std::vector<StoredField>& fields,
               std::vector<std::uint8_t>& out, RowScratch& scratch) {
    const std::size_t countSize = RowCountFieldSize(format);
    const std::size_t fixedSize = FixedAreaSize(table);
    const std::size_t maxColumns = std::max<std::size_t>(table.maxColumns, table.columns.size());
    if (format.jet3 && (maxColumns > 0xFF || table.varColumns > 0xFF)) {
        ThrowDamaged("table '" + table.name + "' (definition at page " +
                     std::to_string(table.page) + ") declares more than 255 columns");
    }
    out.assign(countSize + fixedSize, 0);
    if (format.jet3) {
        out[0] = static_cast<std::uint8_t>(maxColumns);
    } else {
        StoreU16(out.data(), static_cast<std::uint16_t>(maxColumns));
    }
    std::vector<std::uint8_t>& nullMask = scratch.nullMask;
    nullMask.assign(NullMaskSize(maxColumns), 0);

    // Variable columns by their slot in the offset table; deleted columns leave empty slots.
    std::vector<const StoredField*>& bySlot = scratch.bySlot;
    bySlot.assign(table.varColumns, nullptr);
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
                std::memcpy(out.data() + countSize + column.fixedOffset, field.bytes.data(),
                            std::min(field.bytes.size(), FixedColumnSize(column)));
            }
        } else if (column.varIndex < bySlot.size()) {
            bySlot[column.varIndex] = &field;
        }
    }
    if (HasVariableSection(table)) {
        // offsets[slot] = where the slot's data starts; the last entry is the end of the data.
        // The row grows once to its data (and, Jet 4, offset table) size and is written in
        // place: this runs once a row.
        std::vector<std::size_t>& offsets = scratch.offsets;
        offsets.assign(table.varColumns + 1u, 0);
        std::size_t dataSize = 0;
        for (const StoredField* field : bySlot) {
            if (field != nullptr && field->present) {
                dataSize += field->bytes.size();
            }
        }
        std::size_t at = out.size();
        const std::size_t offsetTableSize = format.jet3 ? 0 : 2 * (offsets.size() + 1);
        out.resize(at + dataSize + offsetTableSize);
        for (std::size_t slot = 0; slot < bySlot.size(); ++slot) {
            offsets[slot] = at;
            const StoredField* field = bySlot[slot];
            if (field != nullptr && field->present && !field->bytes.empty()) {
                std::memcpy(out.data() + at, field->bytes.data(), field->bytes.size());
                at += field->bytes.size();
            }
        }
        offsets.back() = at;
        if (format.jet3) {
            // EOD and the offsets, last first; the jump table; the variable count.
            const std::size_t jumps =
                Jet3JumpCount(out.size() + offsets.size() + 1 + nullMask.size());
            for (std::size_t i = offsets.size(); i-- > 0;) {
                out.push_back(static_cast<std::uint8_t>(offsets[i] & 0xFF));
            }
            for (std::size_t k = jumps; k-- > 0;) {
                // Boundaries past the data (the row only reaches them with its trailer) name
                // an entry past the last, which readers never reach.
                std::size_t first = offsets.size();
                for (std::size_t i = 0; i < offsets.size(); ++i) {
                    if (offsets[i] >= (k + 1) * 256) {
                        first = i;
                        break;
                    }
                }
                out.push_back(static_cast<std::uint8_t>(std::min<std::size_t>(first, 0xFF)));
            }
            out.push_back(static_cast<std::uint8_t>(table.varColumns));
        } else {
            // EOD and the offsets, last first, then the variable count.
            std::uint8_t* word = out.data() + at;
            for (std::size_t i = offsets.size(); i-- > 0; word += 2) {
                StoreU16(word, static_cast<std::uint16_t>(offsets[i]));
            }
            StoreU16(word, table.varColumns);
        }
    }
    out.insert(out.end(), nullMask.begin(), nullMask.end());
    if (out.size() > format.maxRowSize) {
        throw Error(ErrorKind::Constraint, "Record is too large.");
    }
}

}  // namespace accessdb

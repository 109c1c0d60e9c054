#include "accessdb/index/RowKey.h"

#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

// Integers: big-endian two's complement with the sign bit flipped, so that keys sort as numbers.
void AppendIntegerKey(std::int64_t value, int bytes, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? 0x7F : 0x80);
    const std::uint64_t flipped =
        static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << (bytes * 8 - 1));
    for (int i = bytes - 1; i >= 0; --i) {
        const auto byte = static_cast<std::uint8_t>(flipped >> (i * 8));
        key.push_back(ascending ? byte : static_cast<std::uint8_t>(~byte));
    }
}

}  // namespace

KeyBytes RowIndexKey(const TableDef& table, const RealIndex& index,
                     const std::vector<Value>& values) {
    KeyBytes key;
    for (const IndexColumn& indexColumn : index.columns) {
        std::size_t position = table.columns.size();
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            if (table.columns[i].number == indexColumn.columnNumber) {
                position = i;
            }
        }
        if (position == table.columns.size()) {
            ThrowDamaged("an index of table '" + table.name + "' names a missing column");
        }
        const ColumnDef& column = table.columns[position];
        const Value& value = values[position];
        if (column.type != ColumnType::Boolean && value.null) {
            AppendNullKey(indexColumn.ascending, key);
            continue;
        }
        switch (column.type) {
            case ColumnType::Long:
                AppendIntegerKey(value.integer, 4, indexColumn.ascending, key);
                break;
            case ColumnType::Integer:
                AppendIntegerKey(value.integer, 2, indexColumn.ascending, key);
                break;
            case ColumnType::Byte:
                key.push_back(indexColumn.ascending ? 0x7F : 0x80);
                key.push_back(indexColumn.ascending ? static_cast<std::uint8_t>(value.integer)
                                                    : static_cast<std::uint8_t>(~value.integer));
                break;
            case ColumnType::Text:
            case ColumnType::Memo: {
                const auto order =
                    FindTextSortOrder(column.sortOrder.lcid, column.sortOrder.version);
                if (!order) {
                    throw Error(ErrorKind::NotSupported,
                                "The index on column '" + column.name + "' of table '" +
                                    table.name + "' uses a sort order (LCID " +
                                    std::to_string(column.sortOrder.lcid) + ", version " +
                                    std::to_string(column.sortOrder.version) +
                                    ") this engine cannot write.");
                }
                AppendTextKey(Utf8ToUtf16(value.text), *order, indexColumn.ascending, key);
                break;
            }
            default:
                throw Error(ErrorKind::NotSupported,
                            "Index keys of " + ColumnTypeName(column.type) + " columns (column '" +
                                column.name + "' of table '" + table.name +
                                "') cannot be written yet.");
        }
    }
    return key;
}

}  // namespace accessdb

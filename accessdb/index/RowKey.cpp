#include "accessdb/index/RowKey.h"

#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

std::size_t ColumnPosition(const TableDef& table, std::uint16_t number) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].number == number) {
            return i;
        }
    }
    ThrowDamaged("an index of table '" + table.name + "' names a missing column");
}

[[noreturn]] void Refuse(const TableDef& table, const RealIndex& index, const std::string& why) {
    throw Error(ErrorKind::NotSupported, "Rows cannot be added to table '" + table.name +
                                             "': its index '" + IndexDisplayName(table, index) +
                                             "' " + why + ".");
}

// Why keys of `column` cannot be written, or empty.
std::string WhyNotEncodable(const ColumnDef& column, const Format& format) {
    switch (column.type) {
        case ColumnType::Text:
        case ColumnType::Memo:
            if (!FindTextSortOrder(column.sortOrder.lcid, column.sortOrder.version, format.jet3)) {
                return "sorts column '" + column.name + "' in a sort order (LCID " +
                       std::to_string(column.sortOrder.lcid) + ", version " +
                       std::to_string(column.sortOrder.version) +
                       ") whose key tables this engine does not have";
            }
            return {};
        case ColumnType::Boolean:
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::Currency:
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime:
        case ColumnType::Binary:
        case ColumnType::Guid:
        case ColumnType::Numeric:
        case ColumnType::Complex:
        case ColumnType::BigInt:
        case ColumnType::DateTimeExtended:
            return {};
        default:
            return "holds column '" + column.name + "' of type " + ColumnTypeName(column.type) +
                   ", for which no key encoding is known";
    }
}

}  // namespace

std::string IndexDisplayName(const TableDef& table, const RealIndex& index) {
    std::string names;
    for (const LogicalIndex& logical : table.logicalIndexes) {
        if (logical.realIndex == index.number && !logical.name.empty()) {
            names += (names.empty() ? "" : " / ") + logical.name;
        }
    }
    return names.empty() ? "index " + std::to_string(index.number) : names;
}

void RequireEncodableIndex(const TableDef& table, const RealIndex& index, const Format& format) {
    for (const IndexColumn& indexColumn : index.columns) {
        const std::string why =
            WhyNotEncodable(table.columns[ColumnPosition(table, indexColumn.columnNumber)], format);
        if (!why.empty()) {
            Refuse(table, index, why);
        }
    }
}

bool AllKeyColumnsNull(const TableDef& table, const RealIndex& index,
                       const std::vector<Value>& values) {
    for (const IndexColumn& indexColumn : index.columns) {
        const std::size_t position = ColumnPosition(table, indexColumn.columnNumber);
        if (table.columns[position].type == ColumnType::Boolean || !values[position].null) {
            return false;
        }
    }
    return true;
}

KeyBytes RowIndexKey(const TableDef& table, const RealIndex& index,
                     const std::vector<Value>& values, const Format& format) {
    KeyBytes key;
    const bool legacyDecimal =
        format.version == JetVersion::Jet3 || format.version == JetVersion::Jet4;
    for (const IndexColumn& indexColumn : index.columns) {
        const std::size_t position = ColumnPosition(table, indexColumn.columnNumber);
        const ColumnDef& column = table.columns[position];
        const Value& value = values[position];
        const bool asc = indexColumn.ascending;
        if (column.type == ColumnType::Boolean) {
            AppendBooleanKey(!value.null && value.boolean, asc, key);
            continue;
        }
        if (value.null) {
            AppendNullKey(asc, key);
            continue;
        }
        switch (column.type) {
            case ColumnType::Byte:
                AppendByteKey(static_cast<std::uint8_t>(value.integer), asc, key);
                break;
            case ColumnType::Integer:
                AppendIntegerKey(value.integer, 2, asc, key);
                break;
            case ColumnType::Long:
            case ColumnType::Complex:
                AppendIntegerKey(value.integer, 4, asc, key);
                break;
            case ColumnType::Currency:
            case ColumnType::BigInt:
                AppendIntegerKey(value.integer, 8, asc, key);
                break;
            case ColumnType::Single:
                AppendFloatKey(value.real, 4, asc, key);
                break;
            case ColumnType::Double:
            case ColumnType::DateTime:
                AppendFloatKey(value.real, 8, asc, key);
                break;
            case ColumnType::Numeric:
                AppendDecimalKey(value.bytes, legacyDecimal, asc, key);
                break;
            case ColumnType::Guid:
                AppendGuidKey(value.bytes, asc, key);
                break;
            case ColumnType::Binary:
                AppendBinaryKey(value.bytes, asc, key);
                break;
            case ColumnType::DateTimeExtended:
                AppendExtendedDateKey(value.text, asc, key);
                break;
            case ColumnType::Text:
            case ColumnType::Memo: {
                const auto order =
                    FindTextSortOrder(column.sortOrder.lcid, column.sortOrder.version, format.jet3);
                if (!order) {
                    Refuse(table, index, WhyNotEncodable(column, format));
                }
                AppendTextKey(Utf8ToUtf16(value.text), *order, asc, key);
                break;
            }
            default:
                Refuse(table, index, WhyNotEncodable(column, format));
        }
    }
    if (key.size() > kMaxIndexKeyBytes) {
        Refuse(table, index,
               "would need a key of " + std::to_string(key.size()) +
                   " bytes for this row (at most " + std::to_string(kMaxIndexKeyBytes) +
                   " can be stored whole; Access shortens longer keys by a rule this engine does "
                   "not know)");
    }
    return key;
}

}  // namespace accessdb

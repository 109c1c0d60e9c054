// Names and sizes of column types.
#include "accessdb/ColumnType.h"

#include <cstdio>

namespace accessdb {

bool IsKnownColumnType(std::uint8_t code) {
    return (code >= 0x01 && code <= 0x0C) || code == 0x0F || code == 0x10 ||
           (code >= 0x12 && code <= 0x14);
}

std::string ColumnTypeName(ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
            return "Yes/No";
        case ColumnType::Byte:
            return "Byte";
        case ColumnType::Integer:
            return "Integer";
        case ColumnType::Long:
            return "Long";
        case ColumnType::Currency:
            return "Currency";
        case ColumnType::Single:
            return "Single";
        case ColumnType::Double:
            return "Double";
        case ColumnType::DateTime:
            return "Date/Time";
        case ColumnType::Binary:
            return "Binary";
        case ColumnType::Text:
            return "Text";
        case ColumnType::Ole:
            return "OLE Object";
        case ColumnType::Memo:
            return "Memo";
        case ColumnType::Guid:
            return "GUID";
        case ColumnType::Numeric:
            return "Decimal";
        case ColumnType::Complex:
            return "Complex";
        case ColumnType::BigInt:
            return "Large Number";
        case ColumnType::DateTimeExtended:
            return "Date/Time Extended";
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "Unknown (0x%02X)", static_cast<unsigned>(type));
    return buf;
}

std::size_t FixedSizeOf(ColumnType type) {
    switch (type) {
        case ColumnType::Byte:
            return 1;
        case ColumnType::Integer:
            return 2;
        case ColumnType::Long:
            return 4;
        case ColumnType::Currency:
            return 8;
        case ColumnType::Single:
            return 4;
        case ColumnType::Double:
            return 8;
        case ColumnType::DateTime:
            return 8;
        case ColumnType::Guid:
            return 16;
        case ColumnType::Numeric:
            return 17;
        case ColumnType::Complex:
            return 4;
        case ColumnType::BigInt:
            return 8;
        default:
            return 0;
    }
}

}  // namespace accessdb

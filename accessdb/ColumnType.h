#pragma once
// Column type codes as stored in column blocks, their names and fixed sizes.
#include <cstdint>
#include <string>

namespace accessdb {

enum class ColumnType : std::uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Numeric = 0x10,
    Complex = 0x12,
    BigInt = 0x13,
    DateTimeExtended = 0x14,
};

// Column flags (byte of the column block).
inline constexpr std::uint8_t kColumnFixed = 0x01;
inline constexpr std::uint8_t kColumnUpdatable = 0x02;
inline constexpr std::uint8_t kColumnAutoLong = 0x04;
inline constexpr std::uint8_t kColumnAutoGuid = 0x40;
inline constexpr std::uint8_t kColumnHyperlink = 0x80;
// Extended flags (J4+).
inline constexpr std::uint8_t kColumnCompressedUnicode = 0x01;
inline constexpr std::uint8_t kColumnCalculated = 0xC0;

bool IsKnownColumnType(std::uint8_t code);
// "Text", "Long", "Memo", ... as Access names them; "Unknown (0x11)" otherwise.
std::string ColumnTypeName(ColumnType type);
// Bytes a fixed-size type takes in a row (0 for Boolean and variable types).
std::size_t FixedSizeOf(ColumnType type);
inline bool IsLongValueType(ColumnType t) {
    return t == ColumnType::Memo || t == ColumnType::Ole;
}

}  // namespace accessdb

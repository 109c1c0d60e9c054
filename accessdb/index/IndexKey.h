#pragma once
// Index key bytes as Access writes them: one flag byte per column (0x7F value / 0x00 null when
// ascending, 0x80 / 0xFF when descending) and the column's value bytes, so that keys compare
// byte-wise in index order. Text keys follow the column's sort order.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace accessdb {

using KeyBytes = std::vector<std::uint8_t>;

// The text sort orders we can encode.
enum class TextSortOrder : std::uint8_t {
    GeneralLegacy,  // LCID 1033, version 0: Jet 4 and ACE 12
    General,        // LCID 1033, version 1: ACE 14 and later
    General97,      // LCID 1033 in Jet 3 files
};

// The order for a sort order as stored (LCID and version); empty when we have no table for it.
// Jet 3 columns store only the LCID: `jet3` says the column is in such a file.
std::optional<TextSortOrder> FindTextSortOrder(std::uint16_t lcid, std::uint8_t version,
                                               bool jet3 = false);

// Appends the key of a Null value (any type except Yes/No).
void AppendNullKey(bool ascending, KeyBytes& key);

// Appends the key of a Long (also Integer widened, and AutoNumber) value.
void AppendLongKey(std::int32_t value, bool ascending, KeyBytes& key);

// Appends an integer of `bytes` bytes (Integer, Long, Currency x 10,000, Large Number, complex
// ids): big-endian two's complement with the sign bit flipped.
void AppendIntegerKey(std::int64_t value, int bytes, bool ascending, KeyBytes& key);

// Appends a Byte value (unsigned, as stored).
void AppendByteKey(std::uint8_t value, bool ascending, KeyBytes& key);

// Appends a Yes/No value (never Null in an index).
void AppendBooleanKey(bool value, bool ascending, KeyBytes& key);

// Appends a Single (`width` 4) or Double / Date/Time (`width` 8) value: big-endian IEEE bits,
// the sign bit flipped for positive numbers and every bit inverted for negative ones.
void AppendFloatKey(double value, int width, bool ascending, KeyBytes& key);

// Appends a Decimal value given as stored (sign byte, then four little-endian 32-bit words,
// most significant first). Jet 4 orders negative numbers by the "legacy" rule; ACE fixed it.
void AppendDecimalKey(const std::vector<std::uint8_t>& stored, bool legacy, bool ascending,
                      KeyBytes& key);

// Appends bytes in 8-byte segments: each full segment but the last is followed by 0x09, the
// last is zero-padded and followed by its length (Binary columns).
void AppendBinaryKey(const std::vector<std::uint8_t>& bytes, bool ascending, KeyBytes& key);

// Appends a GUID given as stored (Windows memory order); keys use the text order of its bytes.
void AppendGuidKey(const std::vector<std::uint8_t>& stored, bool ascending, KeyBytes& key);

// Appends a Date/Time Extended value given as its stored text (at most 42 bytes, padded with
// zero bytes).
void AppendExtendedDateKey(std::string_view stored, bool ascending, KeyBytes& key);

// Appends the key of a Text or Memo value: only its first 255 UTF-16 units count, and trailing
// spaces are ignored.
void AppendTextKey(std::u16string_view text, TextSortOrder order, bool ascending, KeyBytes& key);

}  // namespace accessdb

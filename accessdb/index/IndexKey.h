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
};

// The order for a sort order as stored (LCID and version); empty when we have no table for it.
std::optional<TextSortOrder> FindTextSortOrder(std::uint16_t lcid, std::uint8_t version);

// Appends the key of a Null value (any type except Yes/No).
void AppendNullKey(bool ascending, KeyBytes& key);

// Appends the key of a Long (also Integer widened, and AutoNumber) value.
void AppendLongKey(std::int32_t value, bool ascending, KeyBytes& key);

// Appends the key of a Text or Memo value: only its first 255 UTF-16 units count, and trailing
// spaces are ignored.
void AppendTextKey(std::u16string_view text, TextSortOrder order, bool ascending, KeyBytes& key);

}  // namespace accessdb

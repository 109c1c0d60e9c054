#include "accessdb/index/IndexKey.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "accessdb/sortorders/SortOrderData.h"

namespace accessdb {

namespace {

constexpr std::uint8_t kAscendingValueFlag = 0x7F;
constexpr std::uint8_t kDescendingValueFlag = 0x80;
constexpr std::uint8_t kEndText = 0x01;
constexpr std::uint8_t kEndExtraText = 0x00;
constexpr std::uint8_t kExtraPlaceholder = 0x02;
constexpr std::uint8_t kCrazyStart = 0x80;
constexpr std::uint8_t kCrazyFlagSet = 0x02;
constexpr std::uint8_t kCrazyFlagClear = 0x03;
constexpr std::uint8_t kSurrogateExtra = 0x3F;
constexpr std::size_t kMaxIndexedUnits = 255;

// How one character enters a text key (the letters of the table files).
enum class Handling : std::uint8_t {
    Simple,               // S: inline bytes
    International,        // I: inline bytes and extra bytes
    Unprintable,          // U: unprintable bytes only
    UnprintableModifier,  // P: added to the previous extra byte
    InternationalFlag,    // Z: inline bytes, optional extra bytes, a flag
    Significant,          // G (General 97): inline bytes, and a placeholder among the extras
    Ignored,              // X
};

struct CharCode {
    Handling handling = Handling::Ignored;
    std::uint8_t crazyFlag = 0;  // Z only: kCrazyFlagSet or kCrazyFlagClear
    std::uint8_t inlineLength = 0;
    std::uint8_t extraLength = 0;
    std::uint32_t offset = 0;  // into the table's byte pool: inline bytes, then extra bytes
};

struct SortOrderTable {
    std::vector<CharCode> codes = std::vector<CharCode>(0x10000);
    std::vector<std::uint8_t> pool;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw std::logic_error("sort-order table: bad hexadecimal digit");
}

// Hex digits to bytes; an odd count has a leading nibble.
std::uint8_t AppendHexBytes(std::string_view hex, std::vector<std::uint8_t>& pool) {
    std::size_t i = 0;
    std::size_t count = 0;
    if (hex.size() % 2 != 0) {
        pool.push_back(static_cast<std::uint8_t>(HexValue(hex[0])));
        i = 1;
        ++count;
    }
    for (; i + 1 < hex.size(); i += 2) {
        pool.push_back(static_cast<std::uint8_t>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1])));
        ++count;
    }
    return static_cast<std::uint8_t>(count);
}

CharCode ParseLine(std::string_view line, std::vector<std::uint8_t>& pool) {
    CharCode code;
    if (line.empty()) {
        throw std::logic_error("sort-order table: empty line");
    }
    std::string_view fields[3];
    std::size_t fieldCount = 0;
    std::string_view rest = line.substr(1);
    for (;;) {
        const std::size_t comma = rest.find(',');
        if (fieldCount < 3) {
            fields[fieldCount++] = rest.substr(0, comma);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    code.offset = static_cast<std::uint32_t>(pool.size());
    switch (line[0]) {
        case 'S':
            code.handling = Handling::Simple;
            break;
        case 'I':
            code.handling = Handling::International;
            break;
        case 'U':
            code.handling = Handling::Unprintable;
            break;
        case 'P':
            code.handling = Handling::UnprintableModifier;
            break;
        case 'Z':
            code.handling = Handling::InternationalFlag;
            break;
        case 'G':
            code.handling = Handling::Significant;
            break;
        case 'X':
            code.handling = Handling::Ignored;
            return code;
        default:
            throw std::logic_error("sort-order table: unknown handler letter");
    }
    code.inlineLength = AppendHexBytes(fields[0], pool);
    if (code.handling == Handling::International || code.handling == Handling::InternationalFlag) {
        code.extraLength = AppendHexBytes(fields[1], pool);
    }
    if (code.handling == Handling::InternationalFlag) {
        code.crazyFlag = fields[2] == "1" ? kCrazyFlagSet : kCrazyFlagClear;
    }
    return code;
}

void LoadRange(std::string_view text, char32_t first, char32_t last, SortOrderTable& table) {
    for (char32_t c = first; c <= last; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;  // surrogates are computed, not tabulated
        }
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        table.codes[c] = ParseLine(line, table.pool);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

// Surrogate halves sort after the tabulated characters: a 2-byte inline value derived from the
// code unit and the extra byte 0x3F.
void AddSurrogates(SortOrderTable& table) {
    for (char32_t c = 0xD800; c <= 0xDFFF; ++c) {
        unsigned value = 0;
        if (c < 0xDC00) {
            value = static_cast<unsigned>(c) - 10238;
        } else {
            const unsigned position = (static_cast<unsigned>(c) - 0xDC00) % 1024;
            const unsigned offset = position < 8     ? 9992
                                    : position < 262 ? 9990
                                    : position < 516 ? 9988
                                    : position < 770 ? 9986
                                                     : 9984;
            value = static_cast<unsigned>(c) - offset;
        }
        CharCode& code = table.codes[c];
        code.handling = Handling::International;
        code.offset = static_cast<std::uint32_t>(table.pool.size());
        table.pool.push_back(static_cast<std::uint8_t>(value >> 8));
        table.pool.push_back(static_cast<std::uint8_t>(value & 0xFF));
        table.pool.push_back(kSurrogateExtra);
        code.inlineLength = 2;
        code.extraLength = 1;
    }
}

// General 97 tabulates U+0000..U+00FF; a few characters above sort as one of those, the rest
// are left out of keys.
void LoadGeneral97(SortOrderTable& table) {
    LoadRange(sortorders::k_index_codes_gen_97, 0, 0xFF, table);
    std::string_view text = sortorders::k_index_mappings_ext_gen_97;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) {
            continue;
        }
        const unsigned from = static_cast<unsigned>(std::stoul(std::string(line.substr(0, comma))));
        const unsigned to = static_cast<unsigned>(std::stoul(std::string(line.substr(comma + 1))));
        if (from < 0x10000 && to <= 0xFF) {
            table.codes[from] = table.codes[to];
        }
    }
}

const SortOrderTable& TableFor(TextSortOrder order) {
    static std::once_flag once[3];
    static std::unique_ptr<SortOrderTable> tables[3];
    const int index = static_cast<int>(order);
    std::call_once(once[index], [&] {
        auto table = std::make_unique<SortOrderTable>();
        if (order == TextSortOrder::General97) {
            LoadGeneral97(*table);
            tables[index] = std::move(table);
            return;
        }
        table->pool.reserve(300000);
        const bool legacy = order == TextSortOrder::GeneralLegacy;
        LoadRange(legacy ? sortorders::k_index_codes_genleg : sortorders::k_index_codes_gen, 0,
                  0xFF, *table);
        LoadRange(legacy ? sortorders::k_index_codes_ext_genleg : sortorders::k_index_codes_ext_gen,
                  0x100, 0xFFFF, *table);
        AddSurrogates(*table);
        tables[index] = std::move(table);
    });
    return *tables[index];
}

// Drops trailing bytes in [low, high].
void TrimTrailing(std::vector<std::uint8_t>& bytes, std::uint8_t low, std::uint8_t high) {
    while (!bytes.empty() && bytes.back() >= low && bytes.back() <= high) {
        bytes.pop_back();
    }
}

}  // namespace

std::optional<TextSortOrder> FindTextSortOrder(std::uint16_t lcid, std::uint8_t version,
                                               bool jet3) {
    if (lcid != 1033) {
        return std::nullopt;
    }
    if (jet3) {
        return TextSortOrder::General97;
    }
    if (version == 0) {
        return TextSortOrder::GeneralLegacy;
    }
    if (version == 1) {
        return TextSortOrder::General;
    }
    return std::nullopt;
}

void AppendNullKey(bool ascending, KeyBytes& key) {
    key.push_back(ascending ? 0x00 : 0xFF);
}

void AppendLongKey(std::int32_t value, bool ascending, KeyBytes& key) {
    AppendIntegerKey(value, 4, ascending, key);
}

void AppendIntegerKey(std::int64_t value, int bytes, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    const std::uint64_t flipped =
        static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << (bytes * 8 - 1));
    for (int i = bytes - 1; i >= 0; --i) {
        const auto byte = static_cast<std::uint8_t>(flipped >> (i * 8));
        key.push_back(ascending ? byte : static_cast<std::uint8_t>(~byte));
    }
}

void AppendByteKey(std::uint8_t value, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    key.push_back(ascending ? value : static_cast<std::uint8_t>(~value));
}

void AppendBooleanKey(bool value, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    // True sorts first: 0x00 ascending, and the inverse when descending.
    key.push_back(value == ascending ? 0x00 : 0xFF);
}

void AppendFloatKey(double value, int width, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    std::uint64_t bits = 0;
    if (width == 4) {
        const float f = static_cast<float>(value);
        std::uint32_t b32 = 0;
        std::memcpy(&b32, &f, 4);
        bits = b32;
    } else {
        std::memcpy(&bits, &value, 8);
    }
    const std::uint64_t signBit = std::uint64_t{1} << (width * 8 - 1);
    const bool negative = (bits & signBit) != 0;
    if (!negative) {
        bits ^= signBit;
    }
    const bool invert = negative == ascending;
    for (int i = width - 1; i >= 0; --i) {
        const auto byte = static_cast<std::uint8_t>(bits >> (i * 8));
        key.push_back(invert ? static_cast<std::uint8_t>(~byte) : byte);
    }
}

void AppendDecimalKey(const std::vector<std::uint8_t>& stored, bool legacy, bool ascending,
                      KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    std::array<std::uint8_t, 17> bytes{};
    const bool negative = !stored.empty() && (stored[0] & 0x80) != 0;
    bytes[0] = negative ? 0x80 : 0x00;
    for (std::size_t word = 0; word < 4; ++word) {
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t from = 1 + word * 4 + (3 - i);
            bytes[1 + word * 4 + i] = from < stored.size() ? stored[from] : 0;
        }
    }
    const bool invert = negative == ascending;
    if (!legacy) {
        bytes[0] = 0xFF;
    }
    if (invert) {
        for (std::uint8_t& b : bytes) {
            b = static_cast<std::uint8_t>(~b);
        }
    }
    if (legacy) {
        bytes[0] = negative ? 0x00 : 0xFF;
    }
    key.insert(key.end(), bytes.begin(), bytes.end());
}

namespace {

void AppendSegments(const std::uint8_t* data, std::size_t length, bool ascending, KeyBytes& key) {
    std::size_t position = 0;
    while (length - position > 8) {
        for (std::size_t i = 0; i < 8; ++i) {
            const std::uint8_t b = data[position + i];
            key.push_back(ascending ? b : static_cast<std::uint8_t>(~b));
        }
        key.push_back(0x09);  // more follows; never inverted
        position += 8;
    }
    const std::size_t last = length - position;
    if (last == 0) {
        return;
    }
    std::array<std::uint8_t, 9> segment{};
    std::memcpy(segment.data(), data + position, last);
    segment[8] = static_cast<std::uint8_t>(last);
    for (const std::uint8_t b : segment) {
        key.push_back(ascending ? b : static_cast<std::uint8_t>(~b));
    }
}

}  // namespace

void AppendBinaryKey(const std::vector<std::uint8_t>& bytes, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    AppendSegments(bytes.data(), bytes.size(), ascending, key);
}

void AppendGuidKey(const std::vector<std::uint8_t>& stored, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    std::array<std::uint8_t, 16> text{};
    std::memcpy(text.data(), stored.data(), std::min<std::size_t>(16, stored.size()));
    std::swap(text[0], text[3]);
    std::swap(text[1], text[2]);
    std::swap(text[4], text[5]);
    std::swap(text[6], text[7]);
    AppendSegments(text.data(), text.size(), ascending, key);
}

void AppendExtendedDateKey(std::string_view stored, bool ascending, KeyBytes& key) {
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    std::array<std::uint8_t, 42> value{};
    std::memcpy(value.data(), stored.data(), std::min(stored.size(), value.size()));
    const auto put = [&](std::uint8_t b) {
        key.push_back(ascending ? b : static_cast<std::uint8_t>(~b));
    };
    for (std::size_t block = 0; block < 5; ++block) {
        for (std::size_t i = 0; i < 8; ++i) {
            put(value[block * 8 + i]);
        }
        key.push_back(0x09);
    }
    put(value[40]);
    put(value[41]);
    for (const std::uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}) {
        put(b);
    }
}

namespace {

// The characters of a text that enter its key: the first 255, without trailing spaces.
std::u16string_view IndexedPart(std::u16string_view text) {
    if (text.size() > kMaxIndexedUnits) {
        text = text.substr(0, kMaxIndexedUnits);
    }
    while (!text.empty() && text.back() == u' ') {
        text.remove_suffix(1);
    }
    return text;
}

// General 97 keys: the inline bytes, then either 00 or the extra codes as 4-bit nibbles
// between two 0 nibbles, with a placeholder nibble 2 for each significant character since the
// previous extra code; descending keys invert every byte after the flag.
void AppendGeneral97TextKey(std::u16string_view text, bool ascending, KeyBytes& key) {
    const SortOrderTable& table = TableFor(TextSortOrder::General97);
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    const std::size_t start = key.size();
    std::vector<std::uint8_t> nibbles;
    std::size_t significant = 0;
    for (const char16_t c : IndexedPart(text)) {
        const CharCode& code = table.codes[c];
        const std::uint8_t* bytes = table.pool.data() + code.offset;
        if (code.handling == Handling::Ignored) {
            continue;
        }
        key.insert(key.end(), bytes, bytes + code.inlineLength);
        if (code.handling == Handling::Significant) {
            ++significant;
            continue;
        }
        if (code.extraLength == 0) {
            continue;
        }
        if (nibbles.empty()) {
            nibbles.push_back(0x0);
        }
        nibbles.insert(nibbles.end(), significant, kExtraPlaceholder);
        significant = 0;
        nibbles.push_back(static_cast<std::uint8_t>(bytes[code.inlineLength] & 0x0F));
    }
    if (nibbles.empty()) {
        key.push_back(kEndExtraText);
    } else {
        nibbles.push_back(0x0);
        for (std::size_t i = 0; i < nibbles.size(); i += 2) {
            const std::uint8_t low = i + 1 < nibbles.size() ? nibbles[i + 1] : 0;
            key.push_back(static_cast<std::uint8_t>((nibbles[i] << 4) | low));
        }
    }
    if (!ascending) {
        for (std::size_t i = start; i < key.size(); ++i) {
            key[i] = static_cast<std::uint8_t>(~key[i]);
        }
    }
}

}  // namespace

void AppendTextKey(std::u16string_view text, TextSortOrder order, bool ascending, KeyBytes& key) {
    if (order == TextSortOrder::General97) {
        AppendGeneral97TextKey(text, ascending, key);
        return;
    }
    const SortOrderTable& table = TableFor(order);
    key.push_back(ascending ? kAscendingValueFlag : kDescendingValueFlag);
    const std::size_t start = key.size();
    text = IndexedPart(text);

    std::vector<std::uint8_t> extra;  // one slot per character with inline bytes
    std::size_t extraCharacters = 0;
    std::size_t extraPrefixLength = 0;
    bool haveExtra = false;
    std::vector<std::uint8_t> unprintable;
    std::vector<std::uint8_t> crazy;
    std::size_t characterOffset = 0;

    for (const char16_t c : text) {
        const CharCode& code = table.codes[c];
        const std::uint8_t* bytes = table.pool.data() + code.offset;
        const std::size_t thisOffset = characterOffset;
        if (code.inlineLength > 0 && code.handling != Handling::Unprintable &&
            code.handling != Handling::UnprintableModifier) {
            key.insert(key.end(), bytes, bytes + code.inlineLength);
            ++characterOffset;
        }
        if (code.handling == Handling::Simple || code.handling == Handling::Ignored) {
            continue;
        }
        const bool hasExtraBytes = code.extraLength > 0;
        if (hasExtraBytes || code.handling == Handling::UnprintableModifier) {
            haveExtra = true;
            if (extraCharacters < thisOffset) {
                extra.insert(extra.end(), thisOffset - extraCharacters, kExtraPlaceholder);
                extraCharacters = thisOffset;
            }
            if (hasExtraBytes) {
                const std::uint8_t* extraBytes = bytes + code.inlineLength;
                extra.insert(extra.end(), extraBytes, extraBytes + code.extraLength);
                ++extraCharacters;
            } else if (!extra.empty()) {
                extra.back() = static_cast<std::uint8_t>(extra.back() + bytes[0]);
            } else {
                extra.push_back(bytes[0]);
                extraPrefixLength = 1;
            }
        }
        if (code.handling == Handling::Unprintable) {
            std::size_t position = thisOffset;
            if (haveExtra) {
                position = extra.size() + (thisOffset - extraCharacters) - extraPrefixLength;
            }
            const unsigned mark = static_cast<unsigned>((7 + 4 * position) | 0x8000);
            unprintable.push_back(static_cast<std::uint8_t>((mark >> 8) & 0xFF));
            unprintable.push_back(static_cast<std::uint8_t>(mark & 0xFF));
            unprintable.push_back(0x06);
            unprintable.insert(unprintable.end(), bytes, bytes + code.inlineLength);
        }
        if (code.crazyFlag != 0) {
            crazy.push_back(code.crazyFlag);
        }
    }

    key.push_back(kEndText);
    TrimTrailing(extra, 0x00, kExtraPlaceholder);
    const bool hasUnprintable = !unprintable.empty();
    const bool hasCrazy = !crazy.empty();
    if (!extra.empty() || hasUnprintable || hasCrazy) {
        key.insert(key.end(), extra.begin(), extra.end());
        if (hasUnprintable || hasCrazy) {
            key.push_back(kEndText);
            key.push_back(kEndText);
            if (hasCrazy) {
                TrimTrailing(crazy, kCrazyFlagClear, kCrazyFlagClear);
                std::uint8_t current = kCrazyStart;
                int filled = 0;
                for (const std::uint8_t flag : crazy) {
                    current = static_cast<std::uint8_t>(current | (flag << ((2 - filled) * 2)));
                    if (++filled == 3) {
                        key.push_back(current);
                        current = kCrazyStart;
                        filled = 0;
                    }
                }
                if (filled > 0) {
                    key.push_back(current);
                }
                for (const std::uint8_t b : {0xFF, 0x02, 0x80, 0xFF, 0x80}) {
                    key.push_back(b);
                }
                if (hasUnprintable) {
                    key.push_back(0xFF);
                }
            }
            if (hasUnprintable) {
                key.push_back(kEndText);
                key.insert(key.end(), unprintable.begin(), unprintable.end());
            }
        }
    }
    if (!ascending) {
        key.push_back(kEndExtraText);
        for (std::size_t i = start; i < key.size(); ++i) {
            key[i] = static_cast<std::uint8_t>(~key[i]);
        }
    }
    key.push_back(kEndExtraText);
}

}  // namespace accessdb

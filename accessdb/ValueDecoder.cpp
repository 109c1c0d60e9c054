// Per-type decoding of stored column bytes.
#include "accessdb/ValueDecoder.h"

#include <algorithm>
#include <cstring>

#include "accessdb/LongValue.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

constexpr std::size_t kCalculatedHeaderSize = 20;

std::string DecodeStoredText(PageFile& pages, Bytes bytes) {
    if (pages.format().jet3)
        return DecodeCodePage(bytes, pages.Header().codePage);
    return DecodeText(bytes);
}

double LoadDouble(const std::uint8_t* p) {
    std::uint64_t bits = LoadU64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void NeedSize(const ColumnDef& c, Bytes data, std::size_t size) {
    if (data.size() < size)
        ThrowDamaged("the value of column '" + c.name + "' is " + std::to_string(data.size()) +
                     " bytes, not " + std::to_string(size));
}

// Calculated columns (ACE 14+) wrap their value: 16 bytes, the value's length (4), the value,
// padding.
Bytes UnwrapCalculated(const ColumnDef& c, Bytes d) {
    if (d.size() < kCalculatedHeaderSize)
        ThrowDamaged("the value of calculated column '" + c.name + "' is too short");
    std::size_t n = std::min<std::size_t>(LoadU32(d.data() + 16), d.size() - kCalculatedHeaderSize);
    return d.subspan(kCalculatedHeaderSize, n);
}

// A calculated Decimal: total length (2), scale (1), sign (1), then the magnitude in 4-byte
// multiples (at most 16): a leading 4-byte little-endian word when the length is not a multiple
// of 8, then 8-byte little-endian groups, most significant first. Returns the 17-byte stored
// form of ordinary Decimal columns.
std::vector<std::uint8_t> CalculatedDecimal(const ColumnDef& c, Bytes d, std::uint8_t& scale) {
    if (d.size() < 4)
        ThrowDamaged("the value of calculated column '" + c.name + "' is too short");
    const std::size_t total = LoadU16(d.data());  // counts scale, sign and magnitude
    const std::size_t available = d.size() - 4;
    std::size_t n = total == 0 ? available : (total > 2 ? total - 2 : 0);
    n = std::min({n / 4 * 4, std::size_t{16}, available / 4 * 4});
    scale = d[2];
    std::vector<std::uint8_t> be(d.begin() + 4, d.begin() + 4 + static_cast<std::ptrdiff_t>(n));
    std::size_t pos = 0;
    if (n % 8 != 0) {
        std::reverse(be.begin(), be.begin() + 4);
        pos = 4;
    }
    for (; pos + 8 <= n; pos += 8)
        std::reverse(be.begin() + static_cast<std::ptrdiff_t>(pos),
                     be.begin() + static_cast<std::ptrdiff_t>(pos + 8));
    std::uint8_t magnitude[16] = {};
    std::copy(be.begin(), be.end(), magnitude + (16 - n));
    std::vector<std::uint8_t> stored(17, 0);
    stored[0] = d[3] != 0 ? 0x80 : 0x00;
    for (int w = 0; w < 4; ++w)
        for (int k = 0; k < 4; ++k)
            stored[1 + 4 * w + k] = magnitude[4 * w + (3 - k)];
    return stored;
}

}  // namespace

Value DecodeValue(PageFile& pages, const ColumnDef& c, const FieldSlice& slice) {
    Value v;
    v.type = c.type;
    if (c.type == ColumnType::Boolean && !c.IsCalculated()) {
        v.null = false;
        v.boolean = slice.present;
        return v;
    }
    if (!slice.present)
        return v;
    v.null = false;
    Bytes d = slice.data;
    if (c.IsCalculated()) {
        std::vector<std::uint8_t> longValue;
        if (IsLongValueType(c.type)) {
            longValue = ReadLongValue(pages, d);
            d = longValue;
        }
        d = UnwrapCalculated(c, d);
        switch (c.type) {
            case ColumnType::Boolean:
                v.boolean = !d.empty() && d[0] != 0;
                return v;
            case ColumnType::Memo:
            case ColumnType::Text:
                v.text = DecodeStoredText(pages, d);
                return v;
            case ColumnType::Ole:
            case ColumnType::Binary:
                v.bytes.assign(d.begin(), d.end());
                return v;
            default:
                break;
        }
        if (d.empty()) {  // an expression over Null values
            v.null = true;
            return v;
        }
        if (c.type == ColumnType::Numeric) {
            v.bytes = CalculatedDecimal(c, d, v.scale);
            return v;
        }
    }
    switch (c.type) {
        case ColumnType::Byte:
            NeedSize(c, d, 1);
            v.integer = d[0];
            break;
        case ColumnType::Integer:
            NeedSize(c, d, 2);
            v.integer = static_cast<std::int16_t>(LoadU16(d.data()));
            break;
        case ColumnType::Long:
        case ColumnType::Complex:
            NeedSize(c, d, 4);
            v.integer = static_cast<std::int32_t>(LoadU32(d.data()));
            break;
        case ColumnType::Currency:
        case ColumnType::BigInt:
            NeedSize(c, d, 8);
            v.integer = static_cast<std::int64_t>(LoadU64(d.data()));
            break;
        case ColumnType::Single: {
            NeedSize(c, d, 4);
            std::uint32_t bits = LoadU32(d.data());
            float f;
            std::memcpy(&f, &bits, sizeof f);
            v.real = f;
            break;
        }
        case ColumnType::Double:
        case ColumnType::DateTime:
            NeedSize(c, d, 8);
            v.real = LoadDouble(d.data());
            break;
        case ColumnType::Guid:
            NeedSize(c, d, 16);
            v.bytes.assign(d.begin(), d.begin() + 16);
            break;
        case ColumnType::Numeric:
            NeedSize(c, d, 17);
            v.bytes.assign(d.begin(), d.begin() + 17);
            v.scale = c.scale;
            break;
        case ColumnType::Text:
            v.text = DecodeStoredText(pages, d);
            break;
        case ColumnType::Memo: {
            std::vector<std::uint8_t> bytes = ReadLongValue(pages, d);
            v.text = DecodeStoredText(pages, bytes);
            break;
        }
        case ColumnType::Ole:
            v.bytes = ReadLongValue(pages, d);
            break;
        case ColumnType::DateTimeExtended: {
            std::size_t n = 0;
            while (n < d.size() && d[n] != 0)
                ++n;
            v.text.assign(reinterpret_cast<const char*>(d.data()), n);
            break;
        }
        case ColumnType::Binary:
        default:
            v.bytes.assign(d.begin(), d.end());
            break;
    }
    return v;
}

}  // namespace accessdb

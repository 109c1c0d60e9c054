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

}  // namespace

Value DecodeValue(PageFile& pages, const ColumnDef& c, const FieldSlice& slice) {
    Value v;
    v.type = c.type;
    if (c.type == ColumnType::Boolean) {
        v.null = false;
        v.boolean = slice.present;
        return v;
    }
    if (!slice.present)
        return v;
    v.null = false;
    Bytes d = slice.data;
    if (c.IsCalculated()) {
        // Calculated columns (ACE 14+) wrap their value: 16 bytes, the value's length (4), the
        // value, padding.
        if (d.size() < kCalculatedHeaderSize)
            ThrowDamaged("the value of calculated column '" + c.name + "' is too short");
        std::size_t n =
            std::min<std::size_t>(LoadU32(d.data() + 16), d.size() - kCalculatedHeaderSize);
        d = d.subspan(kCalculatedHeaderSize, n);
        if (d.empty()) {  // an expression over Null values
            v.null = true;
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

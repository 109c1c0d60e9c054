#include "accessdb/write/FieldEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include "accessdb/Error.h"
#include "accessdb/Text.h"
#include "accessdb/write/ValueChecks.h"

namespace accessdb {

namespace {

void PutLittleEndian(std::uint64_t v, std::size_t bytes, std::vector<std::uint8_t>& out) {
    out.resize(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        out[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

constexpr long kDataTypeConversionError = 3421;

}  // namespace

TextStorage TextStorage::Of(const PageFile& pages, std::string_view table) {
    TextStorage storage;
    storage.codePageText = pages.format().jet3;
    storage.codePage = pages.Header().codePage;
    storage.table = table;
    return storage;
}

void EncodeColumnText(const ColumnDef& column, const std::string& utf8, const TextStorage& text,
                      std::vector<std::uint8_t>& out) {
    if (!text.codePageText) {
        EncodeTextInto(utf8, column.IsCompressedUnicode(), out);
        return;
    }
    std::string unmappable;
    if (!EncodeCodePage(utf8, text.codePage, out, unmappable)) {
        const std::u16string units = Utf8ToUtf16(unmappable);
        char code[16];
        char32_t cp = units.empty() ? 0 : units[0];
        if (units.size() > 1 && cp >= 0xD800 && cp <= 0xDBFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[1] - 0xDC00u);
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
        throw Error(ErrorKind::Constraint,
                    "The character '" + unmappable + "' (" + code + ") in column '" + column.name +
                        "' of table '" + std::string(text.table) +
                        "' cannot be stored: this Access 97 database keeps its text in code page " +
                        std::to_string(text.codePage == 0 ? 1252 : text.codePage) +
                        ", which has no such character.",
                    kDataTypeConversionError);
    }
    // Double-byte code pages take two bytes for some characters; the column's size is in bytes.
    if (column.type == ColumnType::Text && out.size() > column.length) {
        throw Error(ErrorKind::Constraint,
                    "The field is too small to accept the amount of data you attempted to add: "
                    "column '" +
                        column.name + "' of table '" + std::string(text.table) + "' holds " +
                        std::to_string(column.length) + " bytes of text, the value '" +
                        StartOf(utf8) + "' takes " + std::to_string(out.size()) + ".",
                    3163);
    }
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

double NowAsDateTime() {
    const std::tm local = LocalTimeNow();
    // Days from 1899-12-30 to the local calendar date, by the civil-from-days algorithm.
    auto daysFromCivil = [](long y, unsigned m, unsigned d) {
        y -= m <= 2;
        const long era = (y >= 0 ? y : y - 399) / 400;
        const unsigned yoe = static_cast<unsigned>(y - era * 400);
        const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + static_cast<long>(doe) - 719468;
    };
    const long days = daysFromCivil(local.tm_year + 1900L, static_cast<unsigned>(local.tm_mon + 1),
                                    static_cast<unsigned>(local.tm_mday)) -
                      daysFromCivil(1899, 12, 30);
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return static_cast<double>(days) + seconds / 86400.0;
}

void EncodeField(const ColumnDef& column, const Value& value, StoredField& out,
                 const TextStorage& text) {
    // Every value below sets the whole of out.bytes: bytes kept from the last row are
    // overwritten in place, so that a text of the same length as before costs no resizing.
    if (column.type == ColumnType::Boolean) {
        out.bytes.clear();
        out.present = !value.null && value.boolean;
        return;
    }
    out.present = !value.null;
    if (value.null) {
        out.bytes.clear();
        return;
    }
    switch (column.type) {
        case ColumnType::Byte:
            PutLittleEndian(static_cast<std::uint64_t>(value.integer), 1, out.bytes);
            break;
        case ColumnType::Integer:
            PutLittleEndian(static_cast<std::uint64_t>(value.integer), 2, out.bytes);
            break;
        case ColumnType::Long:
            PutLittleEndian(static_cast<std::uint64_t>(value.integer), 4, out.bytes);
            break;
        case ColumnType::Currency:
        case ColumnType::BigInt:
            PutLittleEndian(static_cast<std::uint64_t>(value.integer), 8, out.bytes);
            break;
        case ColumnType::Single: {
            const float f = static_cast<float>(value.real);
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, 4);
            PutLittleEndian(bits, 4, out.bytes);
            break;
        }
        case ColumnType::Double:
        case ColumnType::DateTime: {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &value.real, 8);
            PutLittleEndian(bits, 8, out.bytes);
            break;
        }
        case ColumnType::Text:
            EncodeColumnText(column, value.text, text, out.bytes);
            break;
        case ColumnType::Binary:
        case ColumnType::Guid:
        case ColumnType::Numeric:  // sign byte and magnitude, already in stored order
            out.bytes = value.bytes;
            break;
        case ColumnType::DateTimeExtended:  // ASCII digits and a terminating zero
            out.bytes.assign(value.text.begin(), value.text.end());
            out.bytes.push_back(0);
            break;
        default:
            throw Error(ErrorKind::NotSupported, "Values of " + ColumnTypeName(column.type) +
                                                     " columns (column '" + column.name +
                                                     "') cannot be written yet.");
    }
}

}  // namespace accessdb

#include "accessdb/write/FieldEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

constexpr long kFieldTooSmall = 3163;
constexpr long kTypeMismatch = 3464;

void PutLittleEndian(std::uint64_t v, std::size_t bytes, std::vector<std::uint8_t>& out) {
    out.resize(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        out[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::string StartOf(const std::string& text) {
    if (text.size() <= 40) {
        return text;
    }
    std::size_t cut = 40;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut) + "...";
}

[[noreturn]] void Mismatch(const std::string& table, const ColumnDef& column,
                           const std::string& what) {
    throw Error(ErrorKind::NotSupported,
                "Data type mismatch: " + what + " into column '" + column.name + "' (" +
                    ColumnTypeName(column.type) + ") of table '" + table +
                    "' cannot be stored yet: only values of the column's own kind are.",
                kTypeMismatch);
}

[[noreturn]] void OutOfRange(const std::string& table, const ColumnDef& column,
                             const std::string& literal) {
    throw Error(ErrorKind::Constraint,
                "The value " + literal + " does not fit column '" + column.name + "' (" +
                    ColumnTypeName(column.type) + ") of table '" + table + "'.",
                kFieldTooSmall);
}

// An exact integer from a number literal, or false when it has a fraction or exponent.
bool ParseInteger(const std::string& text, std::int64_t& out) {
    if (text.find_first_of(".eE") != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') {
        return false;
    }
    out = v;
    return true;
}

// Currency: the exact decimal value times 10,000; false when it needs more than four
// fractional digits or does not fit 64 bits.
bool ParseCurrency(const std::string& text, std::int64_t& out) {
    if (text.find_first_of("eE") != std::string::npos) {
        return false;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    constexpr std::uint64_t kLimit = std::numeric_limits<std::uint64_t>::max() / 10 - 9;
    int fraction = -1;
    for (; i < text.size(); ++i) {
        if (text[i] == '.') {
            fraction = 0;
            continue;
        }
        if (fraction >= 0 && ++fraction > 4) {
            if (text[i] != '0') {
                return false;
            }
            continue;
        }
        if (value > kLimit) {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    for (int f = fraction < 0 ? 0 : std::min(fraction, 4); f < 4; ++f) {
        if (value > kLimit) {
            return false;
        }
        value *= 10;
    }
    const std::uint64_t maxMagnitude =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (value > maxMagnitude) {
        return false;
    }
    out = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
    return true;
}

}  // namespace

void EncodeTextInto(const std::string& utf8, bool allowCompression,
                    std::vector<std::uint8_t>& out) {
    // Plain ASCII (the usual case) is encoded in place; anything else goes the general way.
    bool ascii = true;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        out = EncodeText(utf8, allowCompression);
        return;
    }
    const std::size_t n = utf8.size();
    out.clear();
    if (allowCompression && n > 2 && n <= 1024) {
        out.resize(n + 2);
        out[0] = 0xFF;
        out[1] = 0xFE;
        std::memcpy(out.data() + 2, utf8.data(), n);
        return;
    }
    out.resize(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(utf8[i]);
        out[2 * i + 1] = 0;
    }
}

double NowAsDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
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

void EncodeField(const ColumnDef& column, const Value& value, StoredField& out) {
    out.bytes.clear();
    if (column.type == ColumnType::Boolean) {
        out.present = !value.null && value.boolean;
        return;
    }
    out.present = !value.null;
    if (value.null) {
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
            EncodeTextInto(value.text, column.IsCompressedUnicode(), out.bytes);
            break;
        case ColumnType::Binary:
        case ColumnType::Guid:
            out.bytes = value.bytes;
            break;
        default:
            throw Error(ErrorKind::NotSupported, "Values of " + ColumnTypeName(column.type) +
                                                     " columns (column '" + column.name +
                                                     "') cannot be written yet.");
    }
}

void LiteralToValue(const std::string& table, const ColumnDef& column, const sql::Literal& literal,
                    Value& out) {
    out.type = column.type;
    out.null = literal.kind == sql::Literal::Kind::Null;
    out.boolean = false;
    if (out.null) {
        return;
    }
    const std::string& text = literal.text;
    if (literal.kind == sql::Literal::Kind::String) {
        if (column.type != ColumnType::Text && column.type != ColumnType::Memo) {
            Mismatch(table, column, "the text '" + StartOf(text) + "'");
        }
        if (column.type == ColumnType::Text) {
            // Characters as Access counts them: UTF-16 code units.
            std::size_t units = 0;
            for (const char c : text) {
                const auto byte = static_cast<unsigned char>(c);
                units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
            }
            const std::size_t size = column.length / 2u;
            if (units > size) {
                throw Error(ErrorKind::Constraint,
                            "The field is too small to accept the amount of data you attempted "
                            "to add: column '" +
                                column.name + "' of table '" + table + "' holds at most " +
                                std::to_string(size) + " characters, the value '" + StartOf(text) +
                                "' has " + std::to_string(units) + ".",
                            kFieldTooSmall);
            }
        }
        out.text = text;
        return;
    }
    // A number literal.
    switch (column.type) {
        case ColumnType::Text:
        case ColumnType::Memo:
            out.text = text;
            return;
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long: {
            std::int64_t v = 0;
            if (!ParseInteger(text, v)) {
                OutOfRange(table, column, text);
            }
            const std::int64_t low = column.type == ColumnType::Byte      ? 0
                                     : column.type == ColumnType::Integer ? -32768
                                                                          : INT32_MIN;
            const std::int64_t high = column.type == ColumnType::Byte      ? 255
                                      : column.type == ColumnType::Integer ? 32767
                                                                           : INT32_MAX;
            if (v < low || v > high) {
                OutOfRange(table, column, text);
            }
            out.integer = v;
            return;
        }
        case ColumnType::Currency:
            if (!ParseCurrency(text, out.integer)) {
                OutOfRange(table, column, text);
            }
            return;
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime: {
            out.real = std::strtod(text.c_str(), nullptr);
            const double limit = column.type == ColumnType::Single
                                     ? static_cast<double>(std::numeric_limits<float>::max())
                                     : std::numeric_limits<double>::max();
            if (!std::isfinite(out.real) || std::fabs(out.real) > limit) {
                OutOfRange(table, column, text);
            }
            return;
        }
        case ColumnType::Boolean: {
            out.boolean = std::strtod(text.c_str(), nullptr) != 0.0;
            return;
        }
        default:
            Mismatch(table, column, "the number " + text);
    }
}

}  // namespace accessdb

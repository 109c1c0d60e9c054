// Jet SQL literals into values of a column's own type.
#include "accessdb/sql/LiteralConversion.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "accessdb/Error.h"
#include "accessdb/write/ValueChecks.h"

namespace accessdb::sql {

namespace {

constexpr long kFieldTooSmall = 3163;
constexpr long kTypeMismatch = 3464;

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

}  // namespace accessdb::sql

// Texts and exact numbers into values of a column's own type, as Access's engine converts them.
#include "accessdb/convert/ColumnValue.h"

#include <cmath>
#include <ctime>
#include <limits>

#include "accessdb/Error.h"
#include "accessdb/convert/DateText.h"
#include "accessdb/write/FieldEncoding.h"
#include "accessdb/write/ValueChecks.h"

namespace accessdb::convert {

namespace {

constexpr long kTypeMismatch = 3464;
constexpr long kOverflow = 3349;
constexpr long kCannotConvert = 3421;

std::string Where(const std::string& table, const ColumnDef& column, const std::string& value) {
    return " Table '" + table + "', column '" + column.name + "' (" + ColumnTypeName(column.type) +
           "), value '" + StartOf(value) + "'.";
}

[[noreturn]] void Mismatch(const std::string& table, const ColumnDef& column,
                           const std::string& value) {
    throw Error(ErrorKind::Constraint,
                "Data type mismatch in criteria expression." + Where(table, column, value),
                kTypeMismatch);
}

[[noreturn]] void Overflow(const std::string& table, const ColumnDef& column,
                           const std::string& value) {
    throw Error(ErrorKind::Constraint, "Numeric field overflow." + Where(table, column, value),
                kOverflow);
}

// The year for dates written without one. Asked once a minute, not once per value: a run of
// a million rows with a date column would otherwise read the time zone a million times.
int CurrentYear() {
    thread_local std::time_t validUntil = 0;
    thread_local int year = 0;
    const std::time_t now = std::time(nullptr);
    if (now >= validUntil) {
        year = LocalTimeNow().tm_year + 1900;
        validUntil = now + 60;
    }
    return year;
}

bool EqualsLetters(const std::string& text, const char* word) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ') {
        ++b;
    }
    while (e > b && text[e - 1] == ' ') {
        --e;
    }
    std::size_t i = 0;
    for (; word[i] != '\0'; ++i) {
        if (b + i >= e) {
            return false;
        }
        char c = text[b + i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return b + i == e;
}

void StoreInteger(const std::string& table, const ColumnDef& column, const ExactNumber& number,
                  const std::string& shown, Value& out) {
    std::int64_t v = 0;
    if (!ToScaledInteger(number, 0, Rounding::HalfEven, v)) {
        Overflow(table, column, shown);
    }
    std::int64_t low = std::numeric_limits<std::int64_t>::min();
    std::int64_t high = std::numeric_limits<std::int64_t>::max();
    switch (column.type) {
        case ColumnType::Byte:
            low = 0;
            high = 255;
            break;
        case ColumnType::Integer:
            low = -32768;
            high = 32767;
            break;
        case ColumnType::Long:
            low = std::numeric_limits<std::int32_t>::min();
            high = std::numeric_limits<std::int32_t>::max();
            break;
        default:
            break;
    }
    if (v < low || v > high) {
        Overflow(table, column, shown);
    }
    out.integer = v;
}

void StoreDecimal(const std::string& table, const ColumnDef& column, const ExactNumber& number,
                  const std::string& shown, Value& out) {
    const int precision = column.precision == 0 ? 18 : column.precision;
    std::array<std::uint32_t, 4> magnitude{};
    if (!ToDecimalMagnitude(number, column.scale, precision, Rounding::Truncate, magnitude)) {
        Overflow(table, column, shown);
    }
    const bool zero = magnitude == std::array<std::uint32_t, 4>{0, 0, 0, 0};
    out.bytes.assign(17, 0);
    out.bytes[0] = number.negative && !zero ? 0x80 : 0x00;
    for (std::size_t w = 0; w < 4; ++w) {
        for (std::size_t b = 0; b < 4; ++b) {
            out.bytes[1 + 4 * w + b] = static_cast<std::uint8_t>(magnitude[w] >> (8 * b));
        }
    }
    out.scale = column.scale;
}

// A number (exact) into a numeric or Yes/No column.
void StoreNumber(const std::string& table, const ColumnDef& column, const ExactNumber& number,
                 const std::string& shown, Value& out) {
    switch (column.type) {
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::BigInt:
            StoreInteger(table, column, number, shown, out);
            return;
        case ColumnType::Currency:
            if (!ToScaledInteger(number, 4, Rounding::HalfEven, out.integer)) {
                Overflow(table, column, shown);
            }
            return;
        case ColumnType::Numeric:
            StoreDecimal(table, column, number, shown, out);
            return;
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime: {
            out.real = ToDouble(number);
            const double limit = column.type == ColumnType::Single
                                     ? static_cast<double>(std::numeric_limits<float>::max())
                                     : std::numeric_limits<double>::max();
            if (!std::isfinite(out.real) || std::fabs(out.real) > limit) {
                Overflow(table, column, shown);
            }
            if (column.type == ColumnType::DateTime &&
                (out.real < -657434.0 || out.real >= 2958466.0)) {  // years 100 to 9999
                Overflow(table, column, shown);
            }
            return;
        }
        case ColumnType::Boolean:
            out.boolean = !IsZero(number);
            return;
        default:
            Mismatch(table, column, shown);
    }
}

std::string Digits(std::int64_t v, int width) {
    std::string s = std::to_string(v);
    return s.size() >= static_cast<std::size_t>(width)
               ? s
               : std::string(static_cast<std::size_t>(width) - s.size(), '0') + s;
}

// The stored text of a Date/Time Extended value: days since 0001-01-01 (19 digits), ':', the
// seconds of the day (12 digits) and the 100-nanosecond ticks (7 digits), then ":7".
std::string ExtendedDateText(const DateTimeParts& parts) {
    const std::int64_t seconds = parts.hour * 3600 + parts.minute * 60 + parts.second;
    const DateTimeParts day = parts.hasDate ? parts : DateTimeParts{};
    return Digits(DaysSinceYearOne(day.year, day.month, day.day), 19) + ":" + Digits(seconds, 12) +
           Digits(parts.ticks, 7) + ":7";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx} (braces optional; also "{guid {...}}") into the 16
// stored bytes: the first three groups little-endian, the rest as written.
bool ParseGuid(std::string text, std::vector<std::uint8_t>& out) {
    auto trim = [](std::string& s) {
        while (!s.empty() && s.front() == ' ') {
            s.erase(s.begin());
        }
        while (!s.empty() && s.back() == ' ') {
            s.pop_back();
        }
    };
    trim(text);
    if (text.size() > 7 && EqualsLetters(text.substr(0, 5), "{guid")) {
        if (text.back() != '}') {
            return false;
        }
        text = text.substr(5, text.size() - 6);
        trim(text);
    }
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-') {
        return false;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < 36; ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            continue;
        }
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        ++i;
    }
    out = {bytes[3], bytes[2], bytes[1], bytes[0], bytes[5], bytes[4], bytes[7], bytes[6]};
    out.insert(out.end(), bytes.begin() + 8, bytes.end());
    return true;
}

}  // namespace

void ThrowMismatch(const std::string& table, const ColumnDef& column, const std::string& value) {
    Mismatch(table, column, value);
}

void NumberToValue(const std::string& table, const ColumnDef& column, const ExactNumber& number,
                   const std::string& shown, Value& out) {
    out.type = column.type;
    out.null = false;
    out.boolean = false;
    StoreNumber(table, column, number, shown, out);
}

void TextToValue(const std::string& table, const ColumnDef& column, const std::string& text,
                 Value& out, const NumberDateLocale& locale) {
    out.type = column.type;
    out.null = false;
    out.boolean = false;
    switch (column.type) {
        case ColumnType::Text:
        case ColumnType::Memo:
            out.text = text;
            return;
        case ColumnType::Guid:
            if (!ParseGuid(text, out.bytes)) {
                Mismatch(table, column, text);
            }
            return;
        case ColumnType::DateTime:
        case ColumnType::DateTimeExtended: {
            DateTimeParts parts;
            if (ParseDateTime(text, locale, CurrentYear(), parts)) {
                if (column.type == ColumnType::DateTimeExtended) {
                    out.text = ExtendedDateText(parts);
                    return;
                }
                if (parts.year < 100) {
                    Overflow(table, column, text);
                }
                out.real = ToAccessDays(parts);
                return;
            }
            if (column.type == ColumnType::DateTimeExtended) {
                Mismatch(table, column, text);
            }
            break;  // a number of days
        }
        case ColumnType::Boolean:
            if (EqualsLetters(text, "true") || EqualsLetters(text, "yes") ||
                EqualsLetters(text, "on")) {
                out.boolean = true;
                return;
            }
            if (EqualsLetters(text, "false") || EqualsLetters(text, "no") ||
                EqualsLetters(text, "off")) {
                return;
            }
            break;
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::BigInt:
        case ColumnType::Currency:
        case ColumnType::Numeric:
        case ColumnType::Single:
        case ColumnType::Double:
            break;
        default:
            throw Error(ErrorKind::NotSupported,
                        "Data type conversion error: a text cannot be stored in a " +
                            ColumnTypeName(column.type) + " column." + Where(table, column, text),
                        kCannotConvert);
    }
    ExactNumber number;
    const NumberSeparators separators{locale.decimalSeparator, locale.groupSeparator};
    if (!ParseNumber(text, separators, number)) {
        Mismatch(table, column, text);
    }
    StoreNumber(table, column, number, text, out);
}

}  // namespace accessdb::convert

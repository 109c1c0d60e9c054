// Text forms of values.
#include "accessdb/Value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace accessdb {

namespace {

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += (m <= 2);
}

}  // namespace

std::string FormatDateTime(double days, bool milliseconds) {
    if (!std::isfinite(days) || std::fabs(days) > 1e7)
        return FormatDouble(days);
    double whole = std::trunc(days);
    double frac = std::fabs(days - whole);
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t unitsPerDay = milliseconds ? 86400000 : 86400;
    auto units = static_cast<std::int64_t>(std::llround(frac * static_cast<double>(unitsPerDay)));
    if (units >= unitsPerDay) {
        units -= unitsPerDay;
        day += 1;
    }
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(day - 25569, y, m, d);
    std::int64_t secs = milliseconds ? units / 1000 : units;
    char buf[64];
    if (milliseconds) {
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld.%03lld",
                      static_cast<long long>(y), m, d, static_cast<long long>(secs / 3600),
                      static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60),
                      static_cast<long long>(units % 1000));
    } else {
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                      static_cast<long long>(y), m, d, static_cast<long long>(secs / 3600),
                      static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60));
    }
    return buf;
}

std::string FormatDecimal(const std::vector<std::uint8_t>& stored, std::uint8_t scale) {
    if (stored.size() != 17)
        return "";
    // Four little-endian 32-bit words, most significant first.
    std::uint32_t words[4];
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* p = stored.data() + 1 + 4 * i;
        words[i] = static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
                   (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::string digits;
    bool zero = false;
    while (!zero) {
        std::uint64_t rem = 0;
        zero = true;
        for (auto& w : words) {
            std::uint64_t cur = (rem << 32) | w;
            w = static_cast<std::uint32_t>(cur / 10);
            rem = cur % 10;
            if (w)
                zero = false;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + rem));
    }
    if (scale > 0) {
        if (digits.size() <= scale)
            digits = std::string(scale + 1 - digits.size(), '0') + digits;
        std::size_t point = digits.size() - scale;
        digits = digits.substr(0, point) + '.' + digits.substr(point);
    }
    bool negative = (stored[0] & 0x80) != 0;
    bool allZero = digits.find_first_not_of("0.") == std::string::npos;
    return (negative && !allZero ? "-" : "") + digits;
}

std::string FormatCurrency(std::int64_t scaled) {
    bool negative = scaled < 0;
    std::uint64_t mag =
        negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu.%04llu", negative ? "-" : "",
                  static_cast<unsigned long long>(mag / 10000),
                  static_cast<unsigned long long>(mag % 10000));
    return buf;
}

std::string FormatGuid(const std::vector<std::uint8_t>& b) {
    if (b.size() != 16)
        return "";
    char buf[64];
    std::snprintf(buf, sizeof buf,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                  b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return buf;
}

std::string FormatHex(const std::vector<std::uint8_t>& bytes) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out.push_back(hex[b >> 4]);
        out.push_back(hex[b & 15]);
    }
    return out;
}

std::string FormatExtendedDateTime(const std::string& stored) {
    // "<days since 0001-01-01, 19 digits>:<seconds of the day, 12 digits><7 digits of 100 ns>:7"
    std::size_t colon = stored.find(':');
    if (colon == std::string::npos || stored.size() < colon + 20)
        return stored;
    std::int64_t days = 0, seconds = 0, ticks = 0;
    auto parse = [&](std::size_t from, std::size_t len, std::int64_t& out) {
        auto r = std::from_chars(stored.data() + from, stored.data() + from + len, out);
        return r.ec == std::errc() && r.ptr == stored.data() + from + len;
    };
    if (!parse(0, colon, days) || !parse(colon + 1, 12, seconds) || !parse(colon + 13, 7, ticks))
        return stored;
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days - 719162, y, m, d);  // 0001-01-01 is 719162 days before 1970-01-01
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                  static_cast<long long>(y), m, d, static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    std::string out = buf;
    if (ticks != 0) {
        std::snprintf(buf, sizeof buf, ".%07lld", static_cast<long long>(ticks));
        out += buf;
    }
    return out;
}

std::string FormatDouble(double d) {
    if (std::isnan(d))
        return "NaN";
    if (std::isinf(d))
        return d > 0 ? "Infinity" : "-Infinity";
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    if (r.ec != std::errc())
        return std::to_string(d);
    return std::string(buf, r.ptr);
}

std::string FormatSingle(float f) {
    if (std::isnan(f))
        return "NaN";
    if (std::isinf(f))
        return f > 0 ? "Infinity" : "-Infinity";
    char buf[100];
    auto r = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::fixed);
    if (r.ec != std::errc())
        return std::to_string(f);
    return std::string(buf, r.ptr);
}

std::string FormatValue(const Value& v) {
    if (v.null)
        return "";
    switch (v.type) {
        case ColumnType::Boolean:
            return v.boolean ? "1" : "0";
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::BigInt:
        case ColumnType::Complex:
            return std::to_string(v.integer);
        case ColumnType::Currency:
            return FormatCurrency(v.integer);
        case ColumnType::Single:
            return FormatSingle(static_cast<float>(v.real));
        case ColumnType::Double:
            return FormatDouble(v.real);
        case ColumnType::DateTime:
            return FormatDateTime(v.real);
        case ColumnType::Text:
        case ColumnType::Memo:
            return v.text;
        case ColumnType::DateTimeExtended:
            return FormatExtendedDateTime(v.text);
        case ColumnType::Guid:
            return FormatGuid(v.bytes);
        case ColumnType::Numeric:
            return FormatDecimal(v.bytes, v.scale);
        case ColumnType::Binary:
        case ColumnType::Ole:
            return FormatHex(v.bytes);
    }
    return FormatHex(v.bytes);
}

}  // namespace accessdb

#pragma once
// A number written as text, read exactly (no binary floating point on the way), and the
// roundings Access applies when it stores one in a column.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace accessdb::convert {

// digits x 10^exponent, negative when `negative`; `digits` has no leading zeros ("" is zero).
struct ExactNumber {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

struct NumberSeparators {
    std::string_view decimal = ".";
    std::string_view group;  // empty: no digit grouping accepted
};

// Reads `text`: white space around it, an optional sign ('+' or '-', before the digits or
// after them), digits with group separators in the whole part, one decimal separator, an
// optional exponent (E or D, optional sign). False when anything else is in it.
bool ParseNumber(std::string_view text, const NumberSeparators& separators, ExactNumber& out);

enum class Rounding {
    HalfEven,  // to the nearest, ties to the even digit (CLng, CCur)
    Truncate,  // drop the extra digits (Decimal columns)
};

// value x 10^scale as a signed 64-bit integer, rounded as asked; false when it does not fit.
bool ToScaledInteger(const ExactNumber& number, int scale, Rounding rounding, std::int64_t& out);

// value x 10^scale as the 96-bit magnitude of a Decimal (most significant word first), rounded
// as asked; false when it needs more than `precision` digits.
bool ToDecimalMagnitude(const ExactNumber& number, int scale, int precision, Rounding rounding,
                        std::array<std::uint32_t, 4>& magnitude);

// The nearest double (infinite when out of range).
double ToDouble(const ExactNumber& number);

// True for numbers that are exactly zero.
inline bool IsZero(const ExactNumber& number) {
    return number.digits.empty();
}

}  // namespace accessdb::convert

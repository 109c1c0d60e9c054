#include "accessdb/convert/NumberText.h"

#include <charconv>
#include <limits>

namespace accessdb::convert {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view what) {
    return !what.empty() && text.substr(at, what.size()) == what;
}

// The digits of `number` that stand before the decimal point of value x 10^scale, and whether
// the dropped part is more, exactly or less than a half (1, 0, -1; -2 when nothing is dropped).
std::string ScaledDigits(const ExactNumber& number, int scale, int& half) {
    const long shift = static_cast<long>(number.exponent) + scale;  // digits x 10^shift
    half = -2;
    if (shift >= 0) {
        return number.digits + std::string(static_cast<std::size_t>(shift), '0');
    }
    const std::size_t drop = static_cast<std::size_t>(-shift);
    std::string kept;
    std::string_view dropped = number.digits;
    if (drop < number.digits.size()) {
        kept = number.digits.substr(0, number.digits.size() - drop);
        dropped = std::string_view(number.digits).substr(number.digits.size() - drop);
    } else if (drop > number.digits.size()) {
        half = number.digits.empty() ? -2 : -1;  // less than a half
        return kept;
    }
    if (dropped.empty()) {
        return kept;
    }
    if (dropped[0] > '5') {
        half = 1;
    } else if (dropped[0] < '5') {
        half = -1;
    } else {
        half = dropped.find_first_not_of('0', 1) == std::string_view::npos ? 0 : 1;
    }
    return kept;
}

bool RoundUp(const std::string& kept, int half, Rounding rounding) {
    if (rounding == Rounding::Truncate || half < 0) {
        return false;
    }
    if (half > 0) {
        return true;
    }
    const int last = kept.empty() ? 0 : kept.back() - '0';
    return (last % 2) != 0;
}

}  // namespace

bool ParseNumber(std::string_view text, const NumberSeparators& separators, ExactNumber& out) {
    out = ExactNumber{};
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsSpace(text[i])) {
        ++i;
    }
    while (end > i && IsSpace(text[end - 1])) {
        --end;
    }
    bool signSeen = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        out.negative = text[i] == '-';
        signSeen = true;
        ++i;
        while (i < end && IsSpace(text[i])) {
            ++i;
        }
    }
    if (!signSeen && end > i && (text[end - 1] == '+' || text[end - 1] == '-')) {
        out.negative = text[end - 1] == '-';
        --end;
        while (end > i && IsSpace(text[end - 1])) {
            --end;
        }
    }
    std::string digits;
    int fractionDigits = 0;
    bool anyDigit = false;
    bool inFraction = false;
    bool lastWasGroup = false;
    while (i < end) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
            anyDigit = true;
            lastWasGroup = false;
            if (inFraction) {
                ++fractionDigits;
            }
            ++i;
        } else if (!inFraction && StartsWith(text, i, separators.decimal)) {
            inFraction = true;
            lastWasGroup = false;
            i += separators.decimal.size();
        } else if (!inFraction && anyDigit && StartsWith(text, i, separators.group)) {
            lastWasGroup = true;
            i += separators.group.size();
        } else {
            break;
        }
    }
    if (!anyDigit || lastWasGroup) {
        return false;
    }
    long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        if (i >= end) {
            return false;
        }
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (exponent < 100000) {
                exponent = exponent * 10 + (text[i] - '0');
            }
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (i != end) {
        return false;
    }
    const std::size_t first = digits.find_first_not_of('0');
    out.digits = first == std::string::npos ? std::string() : digits.substr(first);
    out.exponent = static_cast<int>(exponent - fractionDigits);
    if (out.digits.empty()) {
        out.negative = false;
        out.exponent = 0;
    }
    return true;
}

bool ToScaledInteger(const ExactNumber& number, int scale, Rounding rounding, std::int64_t& out) {
    if (number.digits.empty()) {
        out = 0;
        return true;
    }
    if (static_cast<long>(number.exponent) + scale + static_cast<long>(number.digits.size()) > 20) {
        return false;
    }
    int half = 0;
    const std::string kept = ScaledDigits(number, scale, half);
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (const char c : kept) {
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (kMax - d) / 10) {
            return false;
        }
        magnitude = magnitude * 10 + d;
    }
    if (RoundUp(kept, half, rounding)) {
        if (magnitude == kMax) {
            return false;
        }
        ++magnitude;
    }
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) +
        (number.negative ? 1u : 0u);
    if (magnitude > limit) {
        return false;
    }
    out = number.negative ? static_cast<std::int64_t>(0 - magnitude)
                          : static_cast<std::int64_t>(magnitude);
    return true;
}

bool ToDecimalMagnitude(const ExactNumber& number, int scale, int precision, Rounding rounding,
                        std::array<std::uint32_t, 4>& magnitude) {
    magnitude = {0, 0, 0, 0};
    if (number.digits.empty()) {
        return true;
    }
    if (static_cast<long>(number.exponent) + scale + static_cast<long>(number.digits.size()) >
        precision + 1) {
        return false;
    }
    int half = 0;
    std::string kept = ScaledDigits(number, scale, half);
    if (RoundUp(kept, half, rounding)) {
        // Add one in decimal, carrying.
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') {
            kept[--i] = '0';
        }
        if (i == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[i - 1];
        }
    }
    const std::size_t first = kept.find_first_not_of('0');
    if (first != std::string::npos && kept.size() - first > static_cast<std::size_t>(precision)) {
        return false;
    }
    for (const char c : kept) {
        // magnitude = magnitude x 10 + digit, least significant word last.
        std::uint64_t carry = static_cast<std::uint64_t>(c - '0');
        for (int w = 3; w >= 0; --w) {
            const std::uint64_t v = static_cast<std::uint64_t>(magnitude[w]) * 10 + carry;
            magnitude[w] = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        if (carry != 0) {
            return false;
        }
    }
    return true;
}

double ToDouble(const ExactNumber& number) {
    if (number.digits.empty()) {
        return 0.0;
    }
    // The digits with an exponent, read by from_chars: exact rounding, no locale.
    std::string text =
        (number.negative ? "-" : "") + number.digits + "e" + std::to_string(number.exponent);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool tiny =
            static_cast<long>(number.exponent) + static_cast<long>(number.digits.size()) < 0;
        if (tiny) {
            return number.negative ? -0.0 : 0.0;
        }
        return number.negative ? -std::numeric_limits<double>::infinity()
                               : std::numeric_limits<double>::infinity();
    }
    return value;
}

}  // namespace accessdb::convert

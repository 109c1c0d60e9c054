#include "options/SettingConversion.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace quillmere {
namespace {
constexpr int kTypeMismatch = 13;
constexpr int kOverflow = 6;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The whole (trimmed) text as a decimal number, or nothing.
std::optional<double> ParseNumber(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value)) {
        return std::nullopt;
    }
    // strtod also takes hexadecimal and "inf"/"nan" spellings, which are no decimal numbers.
    for (char c : trimmed) {
        if (c == 'x' || c == 'X' || c == 'n' || c == 'N' || c == 'i' || c == 'I') {
            return std::nullopt;
        }
    }
    return value;
}

[[noreturn]] void TypeMismatch(const std::string& text) {
    throw ConversionError(kTypeMismatch, "Type mismatch: \"" + text + "\" is no valid value");
}
}  // namespace

bool ToBoolean(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (EqualsIgnoringCase(trimmed, "True")) {
        return true;
    }
    if (EqualsIgnoringCase(trimmed, "False")) {
        return false;
    }
    const auto number = ParseNumber(text);
    if (!number) {
        TypeMismatch(text);
    }
    return *number != 0.0;
}

int ToInteger(const std::string& text) {
    const auto number = ParseNumber(text);
    if (!number) {
        TypeMismatch(text);
    }
    const double rounded = std::nearbyint(*number);  // default rounding: half to even
    if (rounded < -32768.0 || rounded > 32767.0) {
        throw ConversionError(kOverflow, "Overflow: \"" + text + "\" is out of range");
    }
    return static_cast<int>(rounded);
}

std::string BooleanText(bool value) {
    return value ? "True" : "False";
}

}  // namespace quillmere

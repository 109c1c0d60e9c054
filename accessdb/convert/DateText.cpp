#include "accessdb/convert/DateText.h"

#include <string>
#include <vector>

#include "accessdb/convert/AsciiCase.h"

namespace accessdb::convert {

namespace {

struct Token {
    enum class Kind { Number, Word, Separator } kind;
    std::string_view text;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '-' || c == '/' || c == '.' || c == ',' || c == ':';
}

std::vector<Token> Tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        if (IsDigit(text[i])) {
            while (i < text.size() && IsDigit(text[i])) {
                ++i;
            }
            tokens.push_back({Token::Kind::Number, text.substr(start, i - start)});
        } else if (IsSeparator(text[i])) {
            ++i;
            if (text[start] != ' ' && text[start] != '\t') {
                tokens.push_back({Token::Kind::Separator, text.substr(start, 1)});
            }
        } else {
            while (i < text.size() && !IsDigit(text[i]) && !IsSeparator(text[i])) {
                ++i;
            }
            tokens.push_back({Token::Kind::Word, text.substr(start, i - start)});
        }
    }
    return tokens;
}

// 1..12 for a month name or abbreviation of the locale or of English, else 0.
int MonthFromName(std::string_view word, const NumberDateLocale& locale) {
    static const NumberDateLocale english = NumberDateLocale::English();
    for (const NumberDateLocale* l : {&locale, &english}) {
        for (int m = 0; m < 12; ++m) {
            const auto index = static_cast<std::size_t>(m);
            std::string_view abbreviation = l->monthAbbreviations[index];
            while (!abbreviation.empty() && abbreviation.back() == '.') {
                abbreviation.remove_suffix(1);
            }
            if (EqualsAsciiIgnoringCase(word, l->monthNames[index]) ||
                EqualsAsciiIgnoringCase(word, abbreviation)) {
                return m + 1;
            }
        }
    }
    if (EqualsAsciiIgnoringCase(word, "Sept")) {
        return 9;
    }
    return 0;
}

int Meridiem(std::string_view word, const NumberDateLocale& locale) {
    if (EqualsAsciiIgnoringCase(word, locale.am) || EqualsAsciiIgnoringCase(word, "AM") ||
        EqualsAsciiIgnoringCase(word, "A")) {
        return 1;
    }
    if (EqualsAsciiIgnoringCase(word, locale.pm) || EqualsAsciiIgnoringCase(word, "PM") ||
        EqualsAsciiIgnoringCase(word, "P")) {
        return 2;
    }
    return 0;
}

int ToInt(std::string_view digits) {
    int v = 0;
    for (const char c : digits) {
        v = v > 100000000 ? v : v * 10 + (c - '0');
    }
    return v;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

struct YearNumber {
    int value;
    bool explicitYear;  // three or more digits, or too large for a day
};

int FullYear(std::string_view digits) {
    const int v = ToInt(digits);
    if (digits.size() <= 2) {
        return v < 30 ? 2000 + v : 1900 + v;  // the Windows default two-digit year window
    }
    return v;
}

bool IsYearLike(std::string_view digits) {
    return digits.size() >= 3 || ToInt(digits) > 31;
}

// Stores the date when it exists (years 1 to 9999).
bool SetDate(int y, int m, int d, DateTimeParts& out) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
        return false;
    }
    out.year = y;
    out.month = m;
    out.day = d;
    return true;
}

// Reads the time at tokens[at...]: h:mm[:ss[.fraction]] [AM|PM], or h AM|PM. Removes what it
// read from `tokens`. False when there is no time there.
bool TakeTime(std::vector<Token>& tokens, const NumberDateLocale& locale, DateTimeParts& out,
              bool& found) {
    found = false;
    for (std::size_t at = 0; at < tokens.size(); ++at) {
        if (tokens[at].kind != Token::Kind::Number) {
            continue;
        }
        std::size_t i = at;
        int fields[3] = {ToInt(tokens[i].text), 0, 0};
        int count = 1;
        ++i;
        while (count < 3 && i + 1 < tokens.size() && tokens[i].kind == Token::Kind::Separator &&
               tokens[i].text == ":" && tokens[i + 1].kind == Token::Kind::Number) {
            if (tokens[i + 1].text.size() > 2) {
                return false;
            }
            fields[count++] = ToInt(tokens[i + 1].text);
            i += 2;
        }
        std::int32_t ticks = 0;
        if (count == 3 && i + 1 < tokens.size() && tokens[i].text == "." &&
            tokens[i + 1].kind == Token::Kind::Number) {
            const std::string_view fraction = tokens[i + 1].text;
            if (fraction.size() > 7) {
                return false;
            }
            ticks = ToInt(fraction);
            for (std::size_t n = fraction.size(); n < 7; ++n) {
                ticks *= 10;
            }
            i += 2;
        }
        int meridiem = 0;
        if (i < tokens.size() && tokens[i].kind == Token::Kind::Word) {
            meridiem = Meridiem(tokens[i].text, locale);
            if (meridiem != 0) {
                ++i;
            }
        }
        if (count == 1 && meridiem == 0) {
            continue;  // a plain number: part of the date
        }
        int hour = fields[0];
        if (meridiem != 0) {
            if (hour < 1 || hour > 12) {
                return false;
            }
            hour = (hour % 12) + (meridiem == 2 ? 12 : 0);
        }
        if (hour > 23 || fields[1] > 59 || fields[2] > 59) {
            return false;
        }
        out.hour = hour;
        out.minute = fields[1];
        out.second = fields[2];
        out.ticks = ticks;
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at),
                     tokens.begin() + static_cast<std::ptrdiff_t>(i));
        found = true;
        return true;
    }
    return true;
}

bool ReadNumericDate(const std::vector<std::string_view>& numbers, const NumberDateLocale& locale,
                     int currentYear, DateTimeParts& out) {
    int y = currentYear;
    int m = 0;
    int d = 0;
    if (numbers.size() == 3) {
        if (numbers[0].size() >= 3) {
            y = ToInt(numbers[0]);
            m = ToInt(numbers[1]);
            d = ToInt(numbers[2]);
        } else if (locale.dateOrder == DateOrder::YearMonthDay) {
            y = FullYear(numbers[0]);
            m = ToInt(numbers[1]);
            d = ToInt(numbers[2]);
        } else {
            const bool dayFirst = locale.dateOrder == DateOrder::DayMonthYear;
            d = ToInt(numbers[dayFirst ? 0 : 1]);
            m = ToInt(numbers[dayFirst ? 1 : 0]);
            y = FullYear(numbers[2]);
        }
    } else if (numbers.size() == 2) {
        if (IsYearLike(numbers[1])) {  // month and year: the first of the month
            m = ToInt(numbers[0]);
            d = 1;
            y = FullYear(numbers[1]);
        } else if (IsYearLike(numbers[0])) {
            y = FullYear(numbers[0]);
            m = ToInt(numbers[1]);
            d = 1;
        } else {
            const bool dayFirst = locale.dateOrder == DateOrder::DayMonthYear;
            d = ToInt(numbers[dayFirst ? 0 : 1]);
            m = ToInt(numbers[dayFirst ? 1 : 0]);
        }
    } else {
        return false;
    }
    // A month that cannot be one is taken as the day, as the engine does ("13/1/2024").
    if (m > 12 && d <= 12) {
        std::swap(m, d);
    }
    return SetDate(y, m, d, out);
}

bool ReadNamedMonthDate(int month, const std::vector<std::string_view>& numbers, int currentYear,
                        DateTimeParts& out) {
    int y = currentYear;
    int d = 1;
    if (numbers.size() == 1) {
        if (IsYearLike(numbers[0])) {
            y = FullYear(numbers[0]);
        } else {
            d = ToInt(numbers[0]);
        }
    } else if (numbers.size() == 2) {
        if (IsYearLike(numbers[0]) && !IsYearLike(numbers[1])) {
            y = FullYear(numbers[0]);
            d = ToInt(numbers[1]);
        } else {
            d = ToInt(numbers[0]);
            y = FullYear(numbers[1]);
        }
    } else {
        return false;
    }
    return SetDate(y, month, d, out);
}

}  // namespace

bool ParseDateTime(std::string_view text, const NumberDateLocale& locale, int currentYear,
                   DateTimeParts& out) {
    out = DateTimeParts{};
    std::vector<Token> tokens = Tokenize(text);
    bool hasTime = false;
    if (!TakeTime(tokens, locale, out, hasTime)) {
        return false;
    }
    std::vector<std::string_view> numbers;
    int month = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Kind::Number) {
            numbers.push_back(t.text);
        } else if (t.kind == Token::Kind::Word) {
            // The ISO "T" between date and time.
            if (EqualsAsciiIgnoringCase(t.text, "T") && hasTime) {
                continue;
            }
            const int m = MonthFromName(t.text, locale);
            if (m == 0 || month != 0) {
                return false;
            }
            month = m;
        }
    }
    if (numbers.empty() && month == 0) {
        return hasTime;  // a time alone: on day zero
    }
    out.hasDate = true;
    return month != 0 ? ReadNamedMonthDate(month, numbers, currentYear, out)
                      : ReadNumericDate(numbers, locale, currentYear, out);
}

std::int64_t DaysSinceYearOne(int year, int month, int day) {
    // Days from civil (proleptic Gregorian), shifted so that 0001-01-01 is day 0.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<std::int64_t>(y - era * 400);
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t daysSince1970 = era * 146097 + doe - 719468;
    return daysSince1970 + 719162;
}

double ToAccessDays(const DateTimeParts& parts) {
    const std::int64_t days =
        DaysSinceYearOne(parts.year, parts.month, parts.day) - DaysSinceYearOne(1899, 12, 30);
    const double time =
        (parts.hour * 3600.0 + parts.minute * 60.0 + parts.second + parts.ticks / 1e7) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

}  // namespace accessdb::convert

#pragma once
// The regional settings that decide how a text becomes a number or a date, as Access's engine
// reads them from the machine it runs on: decimal and digit-grouping separators, the order of
// day, month and year in a short date, month names and the AM/PM designators.
#include <array>
#include <string>

namespace accessdb::convert {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct NumberDateLocale {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
    DateOrder dateOrder = DateOrder::MonthDayYear;
    // Full and abbreviated month names of the locale (English ones are accepted in every locale).
    std::array<std::string, 12> monthNames;
    std::array<std::string, 12> monthAbbreviations;
    std::string am = "AM";
    std::string pm = "PM";

    // United States English: '.' decimal, ',' grouping, month/day/year.
    static NumberDateLocale English();
    // The settings of this process: LC_NUMERIC and LC_TIME on Linux, the user's regional
    // settings on Windows. Read once; later changes of the process locale are not seen.
    static const NumberDateLocale& Process();
};

// The order of day, month and year in a strftime-style short date format ("%d.%m.%Y" gives
// DayMonthYear; "%D" and "%x" stand for month/day/year).
DateOrder DateOrderFromFormat(const std::string& format);

}  // namespace accessdb::convert

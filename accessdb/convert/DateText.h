#pragma once
// A date, a time or both written as text, read the way Access's engine reads a text that goes
// into a Date/Time column: ISO dates in every locale, numeric dates in the locale's order of
// day, month and year (a month above 12 makes the engine try the other order), month names,
// two-digit years (00-29 in this century), times with or without seconds and AM/PM, and a
// time alone (on 1899-12-30, Access's day zero).
#include <cstdint>
#include <string_view>

#include "accessdb/convert/NumberDateLocale.h"

namespace accessdb::convert {

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::int32_t ticks = 0;  // hundreds of nanoseconds within the second
    bool hasDate = false;
};

// False when the text is no date or time, or names a day that does not exist. `today` gives
// the year for dates written without one.
bool ParseDateTime(std::string_view text, const NumberDateLocale& locale, int currentYear,
                   DateTimeParts& out);

// Days since 1899-12-30 with the time as fraction (before that day the fraction still counts
// forward from midnight), as Date/Time columns store them.
double ToAccessDays(const DateTimeParts& parts);

// Days since 0001-01-01 of a civil date.
std::int64_t DaysSinceYearOne(int year, int month, int day);

}  // namespace accessdb::convert

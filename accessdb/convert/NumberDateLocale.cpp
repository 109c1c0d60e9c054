// Reading the regional settings once, from the environment's locale (Linux) or the user's
// regional settings (Windows), without changing the process's own C locale.
#include "accessdb/convert/NumberDateLocale.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace accessdb::convert {

namespace {

const std::array<std::string, 12> kEnglishMonths{"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
const std::array<std::string, 12> kEnglishAbbreviations{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

#ifdef _WIN32
std::string LocaleText(LCTYPE type) {
    wchar_t wide[128];
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, wide, 128);
    if (n <= 1) {
        return {};
    }
    char utf8[512];
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide, n - 1, utf8, sizeof utf8, nullptr, nullptr);
    return bytes > 0 ? std::string(utf8, static_cast<std::size_t>(bytes)) : std::string();
}

NumberDateLocale ReadProcessLocale() {
    NumberDateLocale locale = NumberDateLocale::English();
    if (auto s = LocaleText(LOCALE_SDECIMAL); !s.empty()) {
        locale.decimalSeparator = s;
    }
    locale.groupSeparator = LocaleText(LOCALE_STHOUSAND);
    if (auto s = LocaleText(LOCALE_SSHORTDATE); !s.empty()) {
        locale.dateOrder = DateOrderFromFormat(s);
    }
    for (int m = 0; m < 12; ++m) {
        locale.monthNames[m] = LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m));
        locale.monthAbbreviations[m] =
            LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m));
    }
    if (auto s = LocaleText(LOCALE_S1159); !s.empty()) {
        locale.am = s;
    }
    if (auto s = LocaleText(LOCALE_S2359); !s.empty()) {
        locale.pm = s;
    }
    return locale;
}
#else
NumberDateLocale ReadProcessLocale() {
    NumberDateLocale locale = NumberDateLocale::English();
    // The environment's settings (LANG, LC_ALL, LC_NUMERIC, LC_TIME), whatever setlocale the
    // program itself made: Access follows the user's regional settings.
    locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (numeric != static_cast<locale_t>(nullptr)) {
        const std::string radix = nl_langinfo_l(RADIXCHAR, numeric);
        if (!radix.empty()) {
            locale.decimalSeparator = radix;
        }
        locale.groupSeparator = nl_langinfo_l(THOUSEP, numeric);
        freelocale(numeric);
    }
    locale_t time = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (time != static_cast<locale_t>(nullptr)) {
        locale.dateOrder = DateOrderFromFormat(nl_langinfo_l(D_FMT, time));
        for (int m = 0; m < 12; ++m) {
            locale.monthNames[static_cast<std::size_t>(m)] =
                nl_langinfo_l(static_cast<nl_item>(MON_1 + m), time);
            locale.monthAbbreviations[static_cast<std::size_t>(m)] =
                nl_langinfo_l(static_cast<nl_item>(ABMON_1 + m), time);
        }
        const std::string am = nl_langinfo_l(AM_STR, time);
        const std::string pm = nl_langinfo_l(PM_STR, time);
        if (!am.empty() && !pm.empty()) {
            locale.am = am;
            locale.pm = pm;
        }
        freelocale(time);
    }
    // A locale whose grouping character is its decimal separator would make every number
    // ambiguous; such a setting is treated as no grouping at all.
    if (locale.groupSeparator == locale.decimalSeparator) {
        locale.groupSeparator.clear();
    }
    return locale;
}
#endif

}  // namespace

NumberDateLocale NumberDateLocale::English() {
    NumberDateLocale locale;
    locale.monthNames = kEnglishMonths;
    locale.monthAbbreviations = kEnglishAbbreviations;
    return locale;
}

const NumberDateLocale& NumberDateLocale::Process() {
    static const NumberDateLocale locale = ReadProcessLocale();
    return locale;
}

DateOrder DateOrderFromFormat(const std::string& format) {
    // The first of day, month and year that the format names decides.
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            c = format[++i];
            if (c == 'E' || c == 'O' || c == '-' || c == '_' || c == '0') {
                if (i + 1 >= format.size()) {
                    break;
                }
                c = format[++i];
            }
            switch (c) {
                case 'd':
                case 'e':
                    return DateOrder::DayMonthYear;
                case 'm':
                case 'b':
                case 'B':
                case 'h':
                case 'D':
                case 'x':
                    return DateOrder::MonthDayYear;
                case 'y':
                case 'Y':
                case 'F':
                case 'G':
                    return DateOrder::YearMonthDay;
                default:
                    continue;
            }
        }
        switch (c) {  // Windows patterns: dd/MM/yyyy
            case 'd':
                return DateOrder::DayMonthYear;
            case 'M':
                return DateOrder::MonthDayYear;
            case 'y':
                return DateOrder::YearMonthDay;
            default:
                break;
        }
    }
    return DateOrder::MonthDayYear;
}

}  // namespace accessdb::convert

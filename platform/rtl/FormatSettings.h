#pragma once
// The regional settings that number and date formatting and scanning read: separators, the
// picture formats of dates and times (in the class library's tokens, see Formatting.h), the
// AM/PM designators and the names of months and days.
//
// Separators are texts rather than single bytes: a locale's separator may be one character that
// takes several UTF-8 bytes (a no-break space as thousands separator, for example).

#include <array>
#include <string>
#include <string_view>

class QLocale;

namespace rtl {

struct TFormatSettings {
    std::string DecimalSeparator = ".";
    std::string ThousandSeparator = ",";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // January first.
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
    // Sunday first.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    // Two-digit years read from text land in the hundred years that start this many years before
    // the current year (0: the current century).
    int TwoDigitYearCenturyWindow = 50;
    std::string CurrencyString = "$";
    // The first day of a calendar week: 0 = Monday ... 6 = Sunday.
    int FirstDayOfWeek = 6;

    // Fixed United States English settings, independent of the machine (tests use these).
    static TFormatSettings UsEnglish();
    // The settings of the user's locale (LC_ALL / LC_* / LANG), formats translated into the
    // class library's tokens.
    static TFormatSettings FromLocale();
    static TFormatSettings FromLocale(const QLocale& locale);
};

// The process-wide settings every routine uses when none is passed. They start as UsEnglish();
// the program assigns FromLocale() at start.
TFormatSettings& FormatSettings();

// Order of day, month and year in a date format; the values match the grid library's codes.
enum TDateOrder { doMDY = 0, doDMY = 1, doYMD = 2 };
// Decided by the first of the letters d, m, y (either case) outside quotes; month-day-year when none.
TDateOrder GetDateOrder(std::string_view dateFormat);

}  // namespace rtl

#pragma once
// Regional settings the number and date fuzz targets choose among: the fixed US English
// ones and a few that stress separators of several bytes, day-first and year-first orders,
// and month names and AM/PM texts outside ASCII.

#include <cstdint>
#include <string>

#include "platform/rtl/FormatSettings.h"

namespace fuzz {

constexpr int kSettingsCount = 4;

inline rtl::TFormatSettings SettingsNumber(int which)
{
    rtl::TFormatSettings s = rtl::TFormatSettings::UsEnglish();
    switch (which) {
    case 1:  // day first, "." between date parts, "," as the decimal separator
        s.DecimalSeparator = ",";
        s.ThousandSeparator = ".";
        s.DateSeparator = ".";
        s.ShortDateFormat = "dd.mm.yyyy";
        s.LongDateFormat = "dddd, d. mmmm yyyy";
        s.LongTimeFormat = "hh:nn:ss";
        s.ShortMonthNames = {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
        break;
    case 2:  // year first, a no-break space between thousands, AM/PM outside ASCII
        s.DecimalSeparator = ",";
        s.ThousandSeparator = "\xE2\x80\xAF";
        s.DateSeparator = "-";
        s.ShortDateFormat = "yyyy-mm-dd";
        s.TimeAMString = "\xE5\x8D\x88\xE5\x89\x8D";
        s.TimePMString = "\xE5\x8D\x88\xE5\xBE\x8C";
        s.ShortMonthNames = {"f\xC3\xA9v", "jan", "mar", "avr", "mai", "jun",
                             "jul", "ao\xC3\xBB", "sep", "oct", "nov", "d\xC3\xA9" "c"};
        break;
    case 3:  // separators of several bytes everywhere
        s.DecimalSeparator = "\xD9\xAB";
        s.ThousandSeparator = "\xD9\xAC";
        s.DateSeparator = "\xE2\x88\x95";
        s.TimeSeparator = "\xEA\x9E\x89";
        s.ShortDateFormat = "d/m/yyyy";
        break;
    default: break;
    }
    return s;
}

}  // namespace fuzz

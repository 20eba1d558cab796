#pragma once
// Reading typed dates, times and numbers, and telling which part of a date or time text the
// caret is in, the same way in every grid-library control.
//
// Texts are scanned from a 1-based byte position that the scanners advance; every scanner
// first skips blanks (character 32 only). The locale values (short date format, date and
// time separators, short month names, AM and PM designators, decimal separator) are read
// from rtl::FormatSettings() at each call.
//
// Dates follow the order of the short date format. Two-digit years are placed in the hundred
// years that start at an epoch year: with epoch 1950, 50 to 99 are 1950 to 1999 and 0 to 49
// are 2000 to 2049. Years of three or four digits are taken as typed. An epoch year outside
// 1 to 9999 counts as the nearer of the two.

#include "platform/rtl/DateTime.h"

#include <string_view>

namespace grid {

// Date orders, as gkGetDateOrder answers.
constexpr int gkOrderMDY = 0;
constexpr int gkOrderDMY = 1;
constexpr int gkOrderYMD = 2;

// Parts of a date-time text, as gkGetDateTimePart and gkGetTimePart answer.
constexpr int gkPartDay = 0;
constexpr int gkPartMonth = 1;
constexpr int gkPartYear = 2;
constexpr int gkPartHour = 3;
constexpr int gkPartMinute = 4;
constexpr int gkPartSecond = 5;
constexpr int gkPartAmPm = 6;

// The epoch year of the conversions that take none.
constexpr int gkDefaultEpoch = 1950;

// Moves `pos` over blanks.
void gkScanBlanks(std::string_view s, int& pos);
// Reads up to four decimal digits (while the value is below 1000: "19999" gives 1999) or,
// when there is no digit, a three-character short month name (its month number, 1 to 12).
// True, with `pos` moved past what was read, when either was there.
bool gkScanNumber(std::string_view s, int& pos, int& number);
// True when `text` equals a short month name without regard to case; January is 1.
bool gkScanMonthName(std::string_view text, int& month);
// True, with `pos` moved past it, when `word` stands at `pos` (compared without regard to
// case). An empty word never matches.
bool gkScanString(std::string_view s, int& pos, std::string_view word);
// True, with `pos` moved past it, when the character `ch` (one UTF-8 character, such as a
// separator from the settings) stands at `pos`.
bool gkScanChar(std::string_view s, int& pos, std::string_view ch);

// gkOrderMDY, gkOrderDMY or gkOrderYMD from the first d, m or y letter of a date format.
int gkGetDateOrder(std::string_view dateFormat);
bool gkIsLeapYear(int year);
// Year 1 to 9999, month 1 to 12, day within the month; false otherwise.
bool gkDoEncodeDate(int year, int month, int day, rtl::TDateTime& date);
// Hour below 24, minute and second below 60, millisecond below 1000; false otherwise.
bool gkDoEncodeTime(int hour, int minute, int second, int millisecond, rtl::TDateTime& time);

// Reads a date of three parts, or of two (day and month of the current year), separated by
// the date separator, from `pos`; blanks after it are skipped. A month may be written as a
// short month name where the month stands. False when no valid date stands there.
bool gkScanDate(std::string_view s, int& pos, rtl::TDateTime& date, int epochYear);
// Reads hour, time separator and minute, optionally a second separator and seconds, then
// optionally an AM or PM designator (the settings' texts or "AM"/"PM", any case); with a
// designator the hour must be 1 to 12. Blanks after it are skipped.
bool gkScanTime(std::string_view s, int& pos, rtl::TDateTime& time);

// gkScanDate from the start of `s`.
bool gkScanDateWithEpoch(std::string_view s, int epochYear, rtl::TDateTime& date);
// True when the whole text is a date (epoch 1950).
bool gkIsValidDate(std::string_view s);

// These answer 0 (30 December 1899, midnight) for a text they cannot read.
// The date at the start of the text (epoch 1950); text after it is allowed.
rtl::TDateTime gkStrToDate(std::string_view s);
// A date, optionally followed by a time; nothing may be left over.
rtl::TDateTime gkStrToDateTime(std::string_view s);
// A time; nothing may be left over.
rtl::TDateTime gkStrToTime(std::string_view s);

// True for an empty text, else whether the text is a floating-point number written with the
// settings' decimal separator.
bool gkIsValidFloat(std::string_view s);

// The part of a date-time text that the caret stands in. `caret` is the 1-based position of
// the character the caret stands before (1: at the start; length + 1: at the end). Unless
// `timeOnly`, a caret within the date (or in a text that holds no date) gives gkPartDay,
// gkPartMonth or gkPartYear through the date order; after the date it gives the time part.
int gkGetDateTimePart(int caret, std::string_view text, bool timeOnly);
// gkPartHour, gkPartMinute or gkPartSecond by the time separators before the caret;
// gkPartAmPm when the caret is more than two characters past the second separator.
int gkGetTimePart(int caret, std::string_view text);

// Reads back a number shown with a display format: digits and decimal separators are kept,
// a "(" or a leading "-" makes it negative, everything else (")", thousands separators,
// currency, blanks) is dropped. When the format shows negative values without a minus sign
// (in parentheses, say) and the text is such a negative value, the value comes out negative.
// An empty text gives true and leaves `value` unchanged.
bool gkStrToFloatDisplay(std::string_view text, std::string_view displayFormat, double& value);

}  // namespace grid

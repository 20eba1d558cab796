#pragma once
// The date-time picker's view of a display format: the named formats expanded, the format read
// token by token, the editable parts counted and located in the shown text, and the calendar
// arithmetic the picker's keys use. Headless: the picker control calls these with its own value
// kind and the process's format settings.
//
// Positions and lengths are byte offsets into the shown text (the edit keeps its selection in
// bytes), so a part's start and length select exactly that part.

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <string>
#include <string_view>

namespace editctrls {

// How the picker's value is edited: decided by the bound field's type or, unbound, by its
// UnboundDataType, and by the expanded display format.
struct TDTKind {
    bool DateTime = true;   // a date and a time (ftDateTime, gkDTEdtDateTime)
    bool Date = false;      // a date (ftDate, gkDTEdtDate)
    bool TimeOnly = false;  // a time only (ftTime, gkDTEdtTime, or a date-time format without a date)
    bool DateOnly = false;  // a date only (ftDate, gkDTEdtDate, or a date-time format without a time)
};

// Every "c" by the short date and the long time, "dddddd" by the long date, "ddddd" by the
// short date, "tt" by the long time and "t" by the short time. Quoted text stays as it is.
std::string ExpandNamedFormats(std::string_view format, const rtl::TFormatSettings& settings);

// One token starting at `pos` (0-based) of `format`, read for the lowercase `letter`; `pos` is
// left on the token's last character. Other letters repeat as long as the same letter follows
// (either case); "m" or "mm" two characters after an h becomes "n" or "nn" (minutes). For "a":
// "a/p", "am/pm" or "ampm" in the format's own case, else an empty token (pos unchanged).
std::string NextFormatToken(char letter, std::string_view format, int& pos);

enum class TDTPartType { None, Day, Weekday, Month, MonthName, Year, Hour, Minute, Second, AmPm };
TDTPartType PartTypeOf(std::string_view token);
bool IsDatePartType(TDTPartType t);
bool IsTimePartType(TDTPartType t);
// The token is an editable part for values of this kind.
bool IsEditablePart(std::string_view token, const TDTKind& kind);

bool FormatHasDatePart(std::string_view expanded);
bool FormatHasTimePart(std::string_view expanded);
bool FormatHasAmPm(std::string_view expanded);
// The number of editable parts of the expanded format for values of this kind.
int CountFormatParts(std::string_view expanded, const TDTKind& kind);

struct TDTPart {
    int Start = 0;      // offset of the part in the shown text
    int Length = 0;     // its shown length
    std::string Token;  // its token ("dd", "nn", "am/pm", ...)
    std::string Text;   // the shown text up to and including the part; empty when not found
};
// The n-th (1-based) editable part of the expanded format shown for `value`. False, with an
// empty Text, when the format has fewer parts.
bool LocatePart(int n, std::string_view expanded, rtl::TDateTime value, const TDTKind& kind,
                const rtl::TFormatSettings& settings, TDTPart& part);

// Calendar arithmetic of the picker's keys.
// Adds months, keeping the time and clamping the day; a year past 9999 leaves the date.
rtl::TDateTime AddMonths(rtl::TDateTime value, int count);
// A two-digit year in the hundred years starting at `epoch`: 49 with 1950 is 2049, 50 is 1950.
int ExpandTwoDigitYear(int twoDigits, int epoch);
// Both rounded to whole days: a is not before b.
bool DateNotBefore(rtl::TDateTime a, rtl::TDateTime b);

}  // namespace editctrls

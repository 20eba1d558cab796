#pragma once
// Number and date-time formats of a column.
//
// A column's format entry is the comma text of five integers: kind (0 none, 1 number,
// 2 date-time), digits after the point or the named date-time style, leading digit,
// parentheses around negatives, digit grouping. The last three are stored as 0 or 1 and
// turned into the tristate of the mask routines by BoolToTristate (-1 on, anything else
// off) before use.

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <string>
#include <string_view>

namespace designer {

enum TFormatKind { fkNone = 0, fkNumber = 1, fkDateTime = 2 };

// The five integers of a format entry, as stored.
struct TFormatEntry {
    int Kind = fkNone;
    int Digits = 0;  // number: digits after the point (-1: up to 20); date-time: style 0-4
    int Leading = 0;
    int Parentheses = 0;
    int Grouping = 0;
};

// The most digits after the point an entry may ask for: the longest fraction a database
// decimal holds (16383 digits); a stored count beyond it shows nothing more and would only
// cost memory in every mask and cell.
inline constexpr int kMaxFormatDigits = 16383;

// Reads an entry. Fewer than five items raise rtl::EListError, an item that is no decimal
// integer rtl::EConvertError, digits above kMaxFormatDigits rtl::ERangeError naming them;
// items after the fifth are ignored.
TFormatEntry ParseFormatEntry(std::string_view entry);

// 0 for 0, -1 for any other value.
int BoolToTristate(int flag);

// "." followed by n zeros; empty when n <= 0.
std::string DigitsMask(int n);

// The picture mask of a number column, with the tristate flags (-1 on):
// (0, -1, 0, -1) "#,###,##0"; (2, 0, -1, 0) "#######.00;(#######.00)"; digits -1 gives up
// to 20 decimals, written only where they are not zero.
std::string FormatNumberMask(int digits, int leading, int parentheses, int grouping);
// `value` written with that mask and the settings' separators.
std::string FormatNumberText(double value, int digits, int leading, int parentheses, int grouping,
                             const rtl::TFormatSettings& settings = rtl::FormatSettings());
// The same for an exact decimal text ("." as the point), keeping every digit of 64-bit
// integers and decimals.
std::string FormatNumberText(std::string_view exactText, int digits, int leading, int parentheses, int grouping,
                             const rtl::TFormatSettings& settings = rtl::FormatSettings());

// The date-time format of a named style: 1 "dddddd", 2 "ddddd", 3 "tt", 4 "t", any other "c".
std::string FormatDateTimeMask(int style);
std::string FormatDateTimeText(int style, rtl::TDateTime value,
                               const rtl::TFormatSettings& settings = rtl::FormatSettings());

// The entry text: the five integers joined by ",".
std::string EncodeFormatEntry(int kind, int digits, int leading, int parentheses, int grouping);
std::string EncodeFormatEntry(const TFormatEntry& entry);

// What the column list shows as a format (the stored 0/1 flags are taken): kind 1 the number
// mask, kind 2 a fixed sample of the style ("6/19/1994"), any other kind "".
std::string FormatSampleText(int kind, int digits, int leading, int parentheses, int grouping);
// FormatSampleText of a parsed entry; raises as ParseFormatEntry does.
std::string DescribeFormatText(std::string_view entry);

}  // namespace designer

#include "designer/Formats_Utils.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace designer {

TFormatEntry ParseFormatEntry(std::string_view entry)
{
    rtl::TStringList items;
    items.SetCommaText(entry);
    // Strings() raises the list's index error for a short entry, StrToInt the conversion error.
    TFormatEntry e;
    e.Kind = rtl::StrToInt(items.Strings(0));
    e.Digits = rtl::StrToInt(items.Strings(1));
    e.Leading = rtl::StrToInt(items.Strings(2));
    e.Parentheses = rtl::StrToInt(items.Strings(3));
    e.Grouping = rtl::StrToInt(items.Strings(4));
    // The digits size every mask and cell text made of the entry (of any kind: a number column
    // under a date-time entry still takes them as decimals), so a stored count is bounded here,
    // before anything is built from it.
    if (e.Digits > kMaxFormatDigits)
        throw rtl::ERangeError("'" + items.Strings(1) + "' digits after the point: more than a number can show (at most " +
                               std::to_string(kMaxFormatDigits) + ")");
    return e;
}

int BoolToTristate(int flag) { return flag == 0 ? 0 : -1; }

std::string DigitsMask(int n)
{
    if (n <= 0) return {};
    return "." + std::string(static_cast<std::size_t>(n), '0');
}

std::string FormatNumberMask(int digits, int leading, int parentheses, int grouping)
{
    const std::string decimals = digits == -1 ? "." + std::string(20, '#') : DigitsMask(digits);
    const std::string lead = leading == -1 ? "0" : "#";
    const std::string group = grouping == -1 ? "#,###,##" : "######";
    std::string mask = group + lead + decimals;
    if (parentheses == -1) mask += ";(" + mask + ")";
    return mask;
}

std::string FormatNumberText(double value, int digits, int leading, int parentheses, int grouping,
                             const rtl::TFormatSettings& settings)
{
    return rtl::FormatFloat(FormatNumberMask(digits, leading, parentheses, grouping), value, settings);
}

std::string FormatNumberText(std::string_view exactText, int digits, int leading, int parentheses, int grouping,
                             const rtl::TFormatSettings& settings)
{
    return rtl::FormatDecimal(FormatNumberMask(digits, leading, parentheses, grouping), exactText, settings);
}

std::string FormatDateTimeMask(int style)
{
    switch (style) {
    case 1: return "dddddd";
    case 2: return "ddddd";
    case 3: return "tt";
    case 4: return "t";
    default: return "c";
    }
}

std::string FormatDateTimeText(int style, rtl::TDateTime value, const rtl::TFormatSettings& settings)
{
    return rtl::FormatDateTime(FormatDateTimeMask(style), value, settings);
}

std::string EncodeFormatEntry(int kind, int digits, int leading, int parentheses, int grouping)
{
    return rtl::IntToStr(kind) + "," + rtl::IntToStr(digits) + "," + rtl::IntToStr(leading) + "," +
           rtl::IntToStr(parentheses) + "," + rtl::IntToStr(grouping);
}

std::string EncodeFormatEntry(const TFormatEntry& e)
{
    return EncodeFormatEntry(e.Kind, e.Digits, e.Leading, e.Parentheses, e.Grouping);
}

namespace {

// Fixed samples of the named styles, shown whatever the regional settings are.
std::string DateTimeSample(int style)
{
    switch (style) {
    case 1: return "Sunday, June 19, 1994";
    case 2: return "6/19/1994";
    case 3: return "5:34:24 PM";
    case 4: return "17:34";
    default: return "6/19/1994 5:34:23 PM";
    }
}

}  // namespace

std::string FormatSampleText(int kind, int digits, int leading, int parentheses, int grouping)
{
    switch (kind) {
    case fkNumber:
        return FormatNumberMask(digits, BoolToTristate(leading), BoolToTristate(parentheses),
                                BoolToTristate(grouping));
    case fkDateTime: return DateTimeSample(digits);
    default: return {};
    }
}

std::string DescribeFormatText(std::string_view entry)
{
    const TFormatEntry e = ParseFormatEntry(entry);
    return FormatSampleText(e.Kind, e.Digits, e.Leading, e.Parentheses, e.Grouping);
}

}  // namespace designer

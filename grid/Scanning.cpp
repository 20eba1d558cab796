#include "grid/Scanning.h"

#include "grid/StringRoutines.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <string>

namespace grid {

namespace {

// The byte at 1-based `pos`, or 0 outside the text.
char At(std::string_view s, int pos)
{
    if (pos < 1 || pos > static_cast<int>(s.size())) return '\0';
    return s[static_cast<std::size_t>(pos - 1)];
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool ScanDigits(std::string_view s, int& pos, int& number)
{
    gkScanBlanks(s, pos);
    int i = pos;
    int n = 0;
    while (IsDigit(At(s, i)) && n < 1000) {
        n = n * 10 + (At(s, i) - '0');
        ++i;
    }
    if (i == pos) return false;
    pos = i;
    number = n;
    return true;
}

// A date part: digits, or a month name where `monthAllowed`. A month name elsewhere (a day
// or year of "Mar") is refused rather than read as its month number.
bool ScanDatePart(std::string_view s, int& pos, int& number, bool& isMonthName)
{
    if (ScanDigits(s, pos, number)) {
        isMonthName = false;
        return true;
    }
    isMonthName = true;
    return gkScanNumber(s, pos, number);
}

// Which separator-delimited piece of `text` the caret stands in (0, 1 or 2: later pieces
// count as the third), and the position where that piece starts.
int PieceAtCaret(int caret, std::string_view text, std::string_view separator, int& pieceStart)
{
    int piece = 0;
    pieceStart = 1;
    int pos = 1;
    while (piece < 2) {
        int next = pos;
        gkGetToken(text, separator, next);
        // `next` is just past the separator; a caret there is already in the next piece.
        if (next == -1 || next > caret) break;
        ++piece;
        pos = next;
        pieceStart = next;
    }
    return piece;
}

}  // namespace

void gkScanBlanks(std::string_view s, int& pos)
{
    while (At(s, pos) == ' ') ++pos;
}

bool gkScanNumber(std::string_view s, int& pos, int& number)
{
    if (ScanDigits(s, pos, number)) return true;
    if (pos < 1) return false;

    // Three whole characters, so that a month name written in non-ASCII letters is read
    // as a whole.
    const std::size_t start = static_cast<std::size_t>(pos - 1);
    std::size_t end = start;
    for (int chars = 0; chars < 3; ++chars) {
        if (end >= s.size()) return false;
        end = rtl::Utf8NextCharStart(s, end);
    }
    int month;
    if (!gkScanMonthName(s.substr(start, end - start), month)) return false;
    pos = static_cast<int>(end) + 1;
    number = month;
    return true;
}

bool gkScanMonthName(std::string_view text, int& month)
{
    const auto& names = rtl::FormatSettings().ShortMonthNames;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (rtl::AnsiSameText(text, names[i])) {
            month = static_cast<int>(i) + 1;
            return true;
        }
    }
    return false;
}

bool gkScanString(std::string_view s, int& pos, std::string_view word)
{
    gkScanBlanks(s, pos);
    if (word.empty() || pos < 1 || pos > static_cast<int>(s.size())) return false;
    const std::string_view here = s.substr(static_cast<std::size_t>(pos - 1), word.size());
    if (!rtl::AnsiSameText(here, word)) return false;
    pos += static_cast<int>(word.size());
    return true;
}

bool gkScanChar(std::string_view s, int& pos, std::string_view ch)
{
    gkScanBlanks(s, pos);
    if (ch.empty() || pos < 1 || pos > static_cast<int>(s.size())) return false;
    if (s.substr(static_cast<std::size_t>(pos - 1)).substr(0, ch.size()) != ch) return false;
    pos += static_cast<int>(ch.size());
    return true;
}

int gkGetDateOrder(std::string_view dateFormat)
{
    return rtl::GetDateOrder(dateFormat);
}

bool gkIsLeapYear(int year)
{
    return rtl::IsLeapYear(year);
}

bool gkDoEncodeDate(int year, int month, int day, rtl::TDateTime& date)
{
    return rtl::TryEncodeDate(year, month, day, date);
}

bool gkDoEncodeTime(int hour, int minute, int second, int millisecond, rtl::TDateTime& time)
{
    return rtl::TryEncodeTime(hour, minute, second, millisecond, time);
}

bool gkScanDate(std::string_view s, int& pos, rtl::TDateTime& date, int epochYear)
{
    const rtl::TFormatSettings& settings = rtl::FormatSettings();
    const int order = gkGetDateOrder(settings.ShortDateFormat);
    const std::string_view separator = settings.DateSeparator;

    int n1 = 0, n2 = 0, n3 = 0;
    bool name1 = false, name2 = false, name3 = false;
    if (!ScanDatePart(s, pos, n1, name1) || !gkScanChar(s, pos, separator) ||
        !ScanDatePart(s, pos, n2, name2))
        return false;

    int year = 0, month = 0, day = 0;
    int monthPiece = 1;  // 1, 2 or 3: which part holds the month
    if (gkScanChar(s, pos, separator)) {
        if (!ScanDatePart(s, pos, n3, name3)) return false;
        switch (order) {
        case gkOrderDMY:
            day = n1, month = n2, year = n3, monthPiece = 2;
            break;
        case gkOrderYMD:
            year = n1, month = n2, day = n3, monthPiece = 2;
            break;
        default:
            month = n1, day = n2, year = n3, monthPiece = 1;
            break;
        }
        if (year <= 99) {
            // An epoch beyond the years a date can hold would only overflow these sums; the
            // nearest year a date can hold stands for it.
            const int epoch = std::clamp(epochYear, 1, 9999);
            year += epoch / 100 * 100;
            if (year < epoch) year += 100;
        }
    } else {
        int currentYear, currentMonth, currentDay;
        rtl::DecodeDate(rtl::Date(), currentYear, currentMonth, currentDay);
        year = currentYear;
        if (order == gkOrderDMY)
            day = n1, month = n2, monthPiece = 2;
        else
            month = n1, day = n2, monthPiece = 1;
    }
    if ((name1 && monthPiece != 1) || (name2 && monthPiece != 2) || name3) return false;

    gkScanBlanks(s, pos);
    return gkDoEncodeDate(year, month, day, date);
}

bool gkScanTime(std::string_view s, int& pos, rtl::TDateTime& time)
{
    const rtl::TFormatSettings& settings = rtl::FormatSettings();
    const std::string_view separator = settings.TimeSeparator;

    // Digits only: a month name is no hour.
    int hour, minute, second = 0;
    if (!ScanDigits(s, pos, hour) || !gkScanChar(s, pos, separator) || !ScanDigits(s, pos, minute))
        return false;
    if (gkScanChar(s, pos, separator) && !ScanDigits(s, pos, second)) return false;

    int base = -1;
    if (gkScanString(s, pos, settings.TimeAMString) || gkScanString(s, pos, "AM"))
        base = 0;
    else if (gkScanString(s, pos, settings.TimePMString) || gkScanString(s, pos, "PM"))
        base = 12;
    if (base >= 0) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        hour += base;
    }

    gkScanBlanks(s, pos);
    return gkDoEncodeTime(hour, minute, second, 0, time);
}

bool gkScanDateWithEpoch(std::string_view s, int epochYear, rtl::TDateTime& date)
{
    int pos = 1;
    return gkScanDate(s, pos, date, epochYear);
}

bool gkIsValidDate(std::string_view s)
{
    int pos = 1;
    rtl::TDateTime date;
    return gkScanDate(s, pos, date, gkDefaultEpoch) && pos > static_cast<int>(s.size());
}

rtl::TDateTime gkStrToDate(std::string_view s)
{
    rtl::TDateTime date;
    return gkScanDateWithEpoch(s, gkDefaultEpoch, date) ? date : 0;
}

rtl::TDateTime gkStrToDateTime(std::string_view s)
{
    const int length = static_cast<int>(s.size());
    int pos = 1;
    rtl::TDateTime date;
    if (!gkScanDate(s, pos, date, gkDefaultEpoch)) return 0;
    rtl::TDateTime time = 0;
    if (pos <= length && (!gkScanTime(s, pos, time) || pos <= length)) return 0;
    return rtl::ComposeDateTime(date, time);
}

rtl::TDateTime gkStrToTime(std::string_view s)
{
    int pos = 1;
    rtl::TDateTime time;
    if (!gkScanTime(s, pos, time) || pos <= static_cast<int>(s.size())) return 0;
    return time;
}

bool gkIsValidFloat(std::string_view s)
{
    double value;
    return s.empty() || rtl::TryStrToFloat(s, value);
}

int gkGetTimePart(int caret, std::string_view text)
{
    if (caret < 1) return gkPartHour;
    int pieceStart;
    const int piece = PieceAtCaret(caret, text, rtl::FormatSettings().TimeSeparator, pieceStart);
    if (piece == 2 && caret - pieceStart > 2) return gkPartAmPm;
    return gkPartHour + piece;
}

int gkGetDateTimePart(int caret, std::string_view text, bool timeOnly)
{
    if (!timeOnly) {
        int pos = 1;
        rtl::TDateTime date;
        const bool scanned = gkScanDate(text, pos, date, gkDefaultEpoch);
        // The date's own end, before the blanks that the scan skipped after it.
        int dateEnd = pos;
        while (dateEnd > 1 && At(text, dateEnd - 1) == ' ') --dateEnd;
        if (!scanned || caret <= dateEnd) {
            const rtl::TFormatSettings& settings = rtl::FormatSettings();
            int pieceStart;
            const int piece = PieceAtCaret(caret, text, settings.DateSeparator, pieceStart);
            switch (gkGetDateOrder(settings.ShortDateFormat)) {
            case gkOrderDMY:
                return piece;  // day, month, year
            case gkOrderYMD:
                return gkPartYear - piece;  // year, month, day
            default:
                return piece == 0 ? gkPartMonth : piece == 1 ? gkPartDay : gkPartYear;
            }
        }
    }
    return gkGetTimePart(caret, text);
}

bool gkStrToFloatDisplay(std::string_view text, std::string_view displayFormat, double& value)
{
    if (text.empty()) return true;

    const rtl::TFormatSettings& settings = rtl::FormatSettings();
    const std::string_view decimal = settings.DecimalSeparator;
    const auto decimalAt = [&](std::size_t i) {
        return !decimal.empty() && text.substr(i, decimal.size()) == decimal;
    };

    std::size_t start = 0;
    while (start < text.size() && !IsDigit(text[start]) && !decimalAt(start) &&
           text[start] != '(' && text[start] != '-')
        ++start;

    std::string number;
    if (start < text.size() && text[start] == '-') number = "-";
    for (std::size_t i = start; i < text.size();) {
        if (IsDigit(text[i])) {
            number += text[i++];
        } else if (decimalAt(i)) {
            number += decimal;
            i += decimal.size();
        } else {
            if (text[i] == '(') number += '-';
            ++i;
        }
    }

    double converted;
    if (!rtl::TryStrToFloat(number, converted)) return false;
    // A format whose negative section shows no minus sign, such as one with parentheses:
    // the text is the negative value when only the negation formats back to it.
    if (converted >= 0 && !displayFormat.empty() &&
        rtl::FormatFloat(displayFormat, converted) != text &&
        rtl::FormatFloat(displayFormat, -converted) == text)
        converted = -converted;
    value = converted;
    return true;
}

}  // namespace grid

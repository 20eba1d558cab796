#pragma once
// Number and date-time texts with the class library's picture formats. Every routine takes the
// settings to use; by default the process-wide FormatSettings().
//
// FormatFloat masks: up to three sections separated by ";" for positive, negative and zero
// values (an empty or missing negative or zero section uses the positive one; a negative value
// in the positive section gets a leading "-", in its own section no sign but what the section
// writes). In a section: "0" a digit, "#" a digit only where significant, the first "." the
// decimal separator, "," anywhere in the integer part groups the whole integer part by
// thousands, "E+" "E-" "e+" "e-" followed by up to four "0" scientific notation, '...' and "..."
// literal text, any other character itself. Values are rounded half away from zero on their
// decimal digits (at most 15 significant digits, more only for longer integer parts), so 1.005
// with "0.00" gives "1.01". A value that rounds to zero is written with the zero section (or the
// positive one) and no sign. An empty mask or positive section gives FloatToStr's text.
//
// FormatDateTime tokens (letters in either case): c (short date, then the long time unless the
// value is exactly midnight), d dd ddd dddd ddddd (short date) dddddd (long date), m mm mmm mmmm
// (minutes when right after an h or hh token), yy yyyy, h hh (12-hour when the format holds
// am/pm, a/p or ampm), n nn, s ss, z zzz, t (short time) tt (long time), am/pm and a/p
// (written in the token's own case), ampm (the settings' AM/PM texts), / and : (the settings'
// date and time separators), '...' and "..." literal text; other characters stand for
// themselves. An empty format is "c".

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

std::string FormatFloat(std::string_view format, double value,
                        const TFormatSettings& settings = FormatSettings());
// FormatFloat for an exact decimal text ("-123.4500", "." as the point): every digit is kept, so
// 64-bit integers and decimals format without passing through a double. EConvertError for any
// other text.
std::string FormatDecimal(std::string_view format, std::string_view text,
                          const TFormatSettings& settings = FormatSettings());
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings = FormatSettings());

// A FormatFloat mask read once, for writing many values with it: each Append adds to `out`
// exactly the text FormatFloat (AppendFloat) or FormatDecimal (AppendDecimal, EConvertError as
// there) gives for the mask and the settings it was made with. Sections of digit placeholders
// and separators with literal text only before and after them are written straight from the
// value's digits; other sections take the general way.
class TNumberPicture {
public:
    explicit TNumberPicture(std::string_view format, const TFormatSettings& settings = FormatSettings());
    ~TNumberPicture();
    TNumberPicture(const TNumberPicture&);
    TNumberPicture& operator=(const TNumberPicture&);

    void AppendFloat(std::string& out, double value) const;
    void AppendDecimal(std::string& out, std::string_view text) const;

    struct Section;

private:
    std::vector<Section> sections_;
    TFormatSettings settings_;
};

// A FormatDateTime format read once (named formats expanded with the settings it was made
// with), for writing many values with it: Append adds to `out` exactly the text FormatDateTime
// gives.
class TDateTimePicture {
public:
    explicit TDateTimePicture(std::string_view format, const TFormatSettings& settings = FormatSettings());
    ~TDateTimePicture();
    TDateTimePicture(const TDateTimePicture&);
    TDateTimePicture& operator=(const TDateTimePicture&);

    void Append(std::string& out, TDateTime value) const;

    struct Step;

private:
    std::vector<Step> steps_;
    TFormatSettings settings_;
    bool dayOfWeek_ = false;  // a step names the day of the week
};

// General form with 15 significant digits: fixed notation for values from 0.0001 up to 15 integer
// digits, else scientific ("1E20", "1.5E-10"); "NAN", "INF", "-INF".
std::string FloatToStr(double value, const TFormatSettings& settings = FormatSettings());

// Optional sign, digits with the settings' decimal separator, optional exponent ("e" or "E",
// optional sign, digits); blanks around the number are ignored. StrToFloat raises EConvertError
// "'<text>' is not a valid floating point value".
bool TryStrToFloat(std::string_view text, double& value,
                   const TFormatSettings& settings = FormatSettings());
double StrToFloat(std::string_view text, const TFormatSettings& settings = FormatSettings());

// Short date ("ddddd"), long time ("tt"), and "c".
std::string DateToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());
std::string TimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());
std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());

// Dates are read in the order of the short date format's d, m and y, parts separated by the date
// separator; the month may also be written as a month name. Two parts mean the current year.
// Years of one or two digits go through TwoDigitYearCenturyWindow. Times: hour, time separator,
// minute, optionally separator and second, optionally "." and milliseconds, and an AM/PM
// designator (the settings' texts or "AM"/"PM", any case) before or after; with a designator the
// hour must be 1 to 12. A date-time is a date optionally followed by a time, or a time alone.
// Blanks around parts are ignored; anything else left over is an error. The plain forms raise
// EConvertError "'<text>' is not a valid date" / "... time" / "... date and time".
bool TryStrToDate(std::string_view text, TDateTime& value,
                  const TFormatSettings& settings = FormatSettings());
bool TryStrToTime(std::string_view text, TDateTime& value,
                  const TFormatSettings& settings = FormatSettings());
bool TryStrToDateTime(std::string_view text, TDateTime& value,
                      const TFormatSettings& settings = FormatSettings());
TDateTime StrToDate(std::string_view text, const TFormatSettings& settings = FormatSettings());
TDateTime StrToTime(std::string_view text, const TFormatSettings& settings = FormatSettings());
TDateTime StrToDateTime(std::string_view text, const TFormatSettings& settings = FormatSettings());

}  // namespace rtl

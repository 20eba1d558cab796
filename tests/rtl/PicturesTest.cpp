// The pictures that write many values with one mask or format against the routines that read
// the mask for every value: random values and masks, compared byte for byte. Number pictures
// are checked against FormatFloat and FormatDecimal, which walk the mask token by token; date
// pictures against the token walk below, the way FormatDateTime wrote every value before it
// read its format once into steps.

#include "platform/rtl/Formatting.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace rtl;

namespace {

// ---- The token walk of date formats -----------------------------------------------------------

namespace walk {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithNoCase(std::string_view s, std::size_t pos, std::string_view word)
{
    if (s.size() - pos < word.size())
        return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (AsciiUpper(s[pos + k]) != AsciiUpper(word[k]))
            return false;
    return true;
}

// Length of an am/pm, a/p or ampm token at `pos`, 0 when there is none.
std::size_t AmPmTokenLength(std::string_view s, std::size_t pos)
{
    if (StartsWithNoCase(s, pos, "am/pm"))
        return 5;
    if (StartsWithNoCase(s, pos, "ampm"))
        return 4;
    if (StartsWithNoCase(s, pos, "a/p"))
        return 3;
    return 0;
}

bool HasAmPmToken(std::string_view format)
{
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = format.find(c, i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
        } else if ((c == 'a' || c == 'A') && AmPmTokenLength(format, i) > 0) {
            return true;
        }
    }
    return false;
}

void AppendNumber(std::string& out, int value, int minDigits)
{
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (static_cast<int>(n) < minDigits)
        out.append(minDigits - n, '0');
    out.append(buf, n);
}

struct DateParts {
    int year, month, day, hour, min, sec, msec, dayOfWeek;
};

// Named formats (c, ddddd, dddddd, t, tt) may use each other, but only two levels deep, so a
// format that names itself cannot loop.
constexpr int MaxNesting = 2;

void AppendDateTime(std::string& out, std::string_view f, const DateParts& v, const TFormatSettings& s,
                    int depth)
{
    if (depth > MaxNesting)
        return;
    const bool twelveHour = HasAmPmToken(f);
    char lastToken = 0;
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = f.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? f.size() : close;
            out += f.substr(i + 1, end - i - 1);
            i = close == std::string_view::npos ? end : end + 1;
            continue;
        }
        if (c == '/') {
            out += s.DateSeparator;
            ++i;
            continue;
        }
        if (c == ':') {
            out += s.TimeSeparator;
            ++i;
            continue;
        }
        if (!IsAsciiLetter(c)) {
            out += c;
            ++i;
            continue;
        }
        const char token = AsciiUpper(c);
        if (token == 'A') {
            const std::size_t n = AmPmTokenLength(f, i);
            const bool pm = v.hour >= 12;
            if (n == 4)
                out += pm ? s.TimePMString : s.TimeAMString;
            else if (n == 5)
                out += f.substr(pm ? i + 3 : i, 2);
            else if (n == 3)
                out += f[pm ? i + 2 : i];
            else
                out += c;
            i += std::max<std::size_t>(n, 1);
            lastToken = token;
            continue;
        }
        std::size_t count = 1;
        while (i + count < f.size() && AsciiUpper(f[i + count]) == token)
            ++count;
        switch (token) {
        case 'C':
            AppendDateTime(out, s.ShortDateFormat, v, s, depth + 1);
            if (v.hour != 0 || v.min != 0 || v.sec != 0 || v.msec != 0) {
                out += ' ';
                AppendDateTime(out, s.LongTimeFormat, v, s, depth + 1);
            }
            break;
        case 'D':
            switch (count) {
            case 1: AppendNumber(out, v.day, 1); break;
            case 2: AppendNumber(out, v.day, 2); break;
            case 3: out += s.ShortDayNames[v.dayOfWeek - 1]; break;
            case 4: out += s.LongDayNames[v.dayOfWeek - 1]; break;
            case 5: AppendDateTime(out, s.ShortDateFormat, v, s, depth + 1); break;
            default: AppendDateTime(out, s.LongDateFormat, v, s, depth + 1); break;
            }
            break;
        case 'M':
            if (lastToken == 'H' && count <= 2)
                AppendNumber(out, v.min, static_cast<int>(count));
            else if (count <= 2)
                AppendNumber(out, v.month, static_cast<int>(count));
            else if (count == 3)
                out += s.ShortMonthNames[v.month - 1];
            else
                out += s.LongMonthNames[v.month - 1];
            break;
        case 'Y':
            if (count <= 2)
                AppendNumber(out, v.year % 100, 2);
            else
                AppendNumber(out, v.year, 4);
            break;
        case 'H': {
            int hour = v.hour;
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            AppendNumber(out, hour, count == 1 ? 1 : 2);
            break;
        }
        case 'N': AppendNumber(out, v.min, count == 1 ? 1 : 2); break;
        case 'S': AppendNumber(out, v.sec, count == 1 ? 1 : 2); break;
        case 'Z': AppendNumber(out, v.msec, count <= 2 ? 1 : 3); break;
        case 'T':
            AppendDateTime(out, count == 1 ? s.ShortTimeFormat : s.LongTimeFormat, v, s, depth + 1);
            break;
        default:
            // Any other letter stands for itself.
            count = 1;
            out += c;
            break;
        }
        lastToken = token;
        i += count;
    }
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings)
{
    DateParts v{};
    DecodeDateTime(value, v.year, v.month, v.day, v.hour, v.min, v.sec, v.msec);
    v.dayOfWeek = DayOfWeek(value);
    std::string out;
    AppendDateTime(out, format.empty() ? std::string_view("c") : format, v, settings, 0);
    return out;
}

}  // namespace walk

// ---- Settings and random values ---------------------------------------------------------------

TFormatSettings German()
{
    TFormatSettings s = TFormatSettings::UsEnglish();
    s.DecimalSeparator = ",";
    s.ThousandSeparator = ".";
    s.DateSeparator = ".";
    s.ShortDateFormat = "dd/mm/yyyy";
    s.LongDateFormat = "dddd, d. mmmm yyyy";
    s.LongTimeFormat = "hh:nn:ss";
    s.ShortTimeFormat = "hh:nn";
    s.TimeAMString = "";
    s.TimePMString = "";
    return s;
}

// Separators of more than one character, texts that need escaping in a page, and named
// formats that name each other.
TFormatSettings Odd()
{
    TFormatSettings s = TFormatSettings::UsEnglish();
    s.DecimalSeparator = "<.>";
    s.ThousandSeparator = "&#160;";
    s.DateSeparator = " / ";
    s.TimeSeparator = "h";
    s.ShortDateFormat = "yyyy/m/d";
    s.LongDateFormat = "dddddd 'long' c";
    s.LongTimeFormat = "t:ss ampm";
    s.ShortTimeFormat = "tt";
    s.TimeAMString = "vorm.";
    s.TimePMString = "nachm.";
    return s;
}

struct NamedSettings {
    const char* name;
    TFormatSettings settings;
};

std::vector<NamedSettings> AllSettings()
{
    return {{"US", TFormatSettings::UsEnglish()}, {"German", German()}, {"odd", Odd()}};
}

class Values {
public:
    explicit Values(std::uint64_t seed) : random_(seed) {}

    // Prices and measures, whole numbers, values at rounding edges, very large and very small
    // magnitudes, and any finite bit pattern.
    double Double()
    {
        switch (Pick(7)) {
        case 0: return Sign() * static_cast<double>(Pick(100000000)) / std::pow(10.0, Pick(8));
        case 1: return Sign() * static_cast<double>(Pick(1000000000000LL));
        case 2: return Sign() * (static_cast<double>(Pick(100000)) + 0.5 * std::pow(10.0, -static_cast<int>(Pick(6))));
        case 3: return Sign() * std::pow(10.0, static_cast<double>(Pick(60)) - 30.0) * (1 + static_cast<double>(Pick(1000)) / 1000.0);
        case 4: {
            static const double kEdges[] = {0.0, -0.0, 0.5, 1.005, 2.675, 999.995, 0.045, 1e15, 1e16, 123456789012345678.0,
                                            1e-5, 0.0001, 9.9999999999999e14, 5e-324, 1.7976931348623157e308};
            return Sign() * kEdges[Pick(std::size(kEdges))];
        }
        case 5: {
            double d = 0;
            do {
                const std::uint64_t bits = random_();
                std::memcpy(&d, &bits, sizeof d);
            } while (!std::isfinite(d));
            return d;
        }
        default: return Sign() * static_cast<double>(Pick(1000)) / 8.0;
        }
    }

    // Exact decimal texts: optional minus, leading zeros, up to 40 digits, an optional point.
    std::string DecimalText()
    {
        std::string s = Pick(3) == 0 ? "-" : "";
        const std::size_t whole = Pick(20) + (Pick(4) == 0 ? 0 : 1);
        for (std::size_t k = 0; k < whole; ++k) s += static_cast<char>('0' + (k == 0 && Pick(3) == 0 ? 0 : Pick(10)));
        if (whole == 0 || Pick(2) == 0) {
            s += '.';
            const std::size_t fraction = Pick(20) + (whole == 0 ? 1 : 0);
            for (std::size_t k = 0; k < fraction; ++k) s += static_cast<char>('0' + Pick(10));
        }
        return s;
    }

    // Dates from 0001-01-01 to 9999-12-31, a third exactly at midnight, some at whole seconds
    // and some a hair before the next millisecond.
    TDateTime DateTime()
    {
        const double day = -693593.0 + static_cast<double>(Pick(3652059));
        switch (Pick(4)) {
        case 0: return day;
        case 1: return day + static_cast<double>(Pick(86400)) / 86400.0;
        case 2: return day + (static_cast<double>(Pick(86400000)) + 0.9999) / 86400000.0;
        default: return day + static_cast<double>(Pick(86400000)) / 86400000.0;
        }
    }

    std::uint64_t Pick(std::uint64_t n) { return random_() % n; }

private:
    double Sign() { return Pick(2) == 0 ? 1.0 : -1.0; }

    std::mt19937_64 random_;
};

constexpr std::uint64_t kSeed = 20261211;
constexpr int kValuesPerMask = 400;

// ---- Numbers ----------------------------------------------------------------------------------

std::vector<std::string> NumberMasks()
{
    std::vector<std::string> masks;
    // The masks of column formats: digits (-1 up to twenty), leading digit, parentheses, grouping.
    for (int digits : {-1, 0, 1, 2, 3, 7})
        for (int flags = 0; flags < 8; ++flags) {
            const std::string decimals = digits == -1 ? "." + std::string(20, '#') : digits > 0 ? "." + std::string(digits, '0') : "";
            std::string mask = std::string(flags & 4 ? "#,###,##" : "######") + (flags & 1 ? "0" : "#") + decimals;
            if (flags & 2) mask += ";(" + mask + ")";
            masks.push_back(mask);
        }
    // Hand-written masks: literals around and inside, quoted text, sections of their own for
    // negatives and zero, exponents, commas after the point, points and digits only after
    // the point, and empty sections.
    for (const char* mask : {"0.00", "#,##0.00;-#,##0.00;'zero'", "'$'#,##0.00' USD'", "\"<\"0.0\">\"", "#", "0", "",
                             ";;", "0;;", ";(0)", "0;-0;", "00000.0", "#,#", "x#.#x", ",0.0", "0.0,0", "0.00.0",
                             "#.###E+00", "0.0e-0", "0 0", "#.##%", ".00", "abc", "0;'minus'", "0.##;0.##;0.##",
                             "#,##0.########################", "%0'quoted"})
        masks.push_back(mask);
    return masks;
}

TEST(Pictures, NumbersAsFormatFloatAndFormatDecimalWriteThem)
{
    Values values(kSeed);
    for (const NamedSettings& s : AllSettings()) {
        for (const std::string& mask : NumberMasks()) {
            SCOPED_TRACE("settings " + std::string(s.name) + ", mask \"" + mask + "\"");
            const TNumberPicture picture(mask, s.settings);
            for (int k = 0; k < kValuesPerMask; ++k) {
                const double value = values.Double();
                std::string out = "before|";
                picture.AppendFloat(out, value);
                char shown[40];
                std::snprintf(shown, sizeof shown, "%.17g", value);
                ASSERT_EQ(out, "before|" + FormatFloat(mask, value, s.settings)) << "value " << shown;

                const std::string text = values.DecimalText();
                out = "before|";
                picture.AppendDecimal(out, text);
                ASSERT_EQ(out, "before|" + FormatDecimal(mask, text, s.settings)) << "text " << text;
            }
        }
    }
}

TEST(Pictures, NumbersOutsideTheUsualValues)
{
    struct Case {
        const char* mask;
        double value;
    };
    const Case cases[] = {{"#,##0.00", std::numeric_limits<double>::quiet_NaN()},
                          {"#,##0.00", std::numeric_limits<double>::infinity()},
                          {"#,##0.00;(#,##0.00)", -std::numeric_limits<double>::infinity()},
                          {"0.00;(0.00)", -0.004},
                          {"0.00;(0.00);'nil'", -0.004},
                          {"0.00;(0.00);", -0.004}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        std::string out;
        TNumberPicture(c.mask).AppendFloat(out, c.value);
        EXPECT_EQ(out, FormatFloat(c.mask, c.value));
    }
    // What is no decimal text raises as FormatDecimal does, and leaves what was written.
    for (const char* text : {"", "-", "1e5", "1.2.3", " 1", "abc", "0x10"}) {
        SCOPED_TRACE(text);
        std::string out = "kept";
        EXPECT_THROW(TNumberPicture("0.00").AppendDecimal(out, text), EConvertError);
        EXPECT_THROW(FormatDecimal("0.00", text), EConvertError);
        EXPECT_EQ(out, "kept");
    }
}

// ---- Dates ------------------------------------------------------------------------------------

TEST(Pictures, DatesAsTheTokenWalkWritesThem)
{
    const char* const formats[] = {
        "c", "", "ddddd", "dddddd", "t", "tt", "yyyy-mm-dd hh:nn:ss.zzz", "d/m/yy h:n:s am/pm", "dddd, mmmm d 'at' h:mm a/p",
        "hh:mm", "h:m", "m", "mm mmm mmmm", "AMPM h", "\"q\"yyyy", "z zz zzz", "cc", "'unterminated", "xq", "ddd d dd",
        "H:NN AM/PM", "A/P h", "am/pm", "yy y yyy yyyyy", "hh 'h' nn", "c 'and' c", "dddddd dddddd", "ttt", "d\"",
        "mmmmm", "hhmm", "s ss", "a", "ampmampm"};
    Values values(kSeed + 1);
    for (const NamedSettings& s : AllSettings()) {
        for (const char* format : formats) {
            SCOPED_TRACE("settings " + std::string(s.name) + ", format \"" + format + "\"");
            const TDateTimePicture picture(format, s.settings);
            for (int k = 0; k < kValuesPerMask; ++k) {
                const TDateTime value = values.DateTime();
                std::string out = "before|";
                picture.Append(out, value);
                const std::string expected = walk::FormatDateTime(format, value, s.settings);
                ASSERT_EQ(out, "before|" + expected) << "value " << value;
                ASSERT_EQ(FormatDateTime(format, value, s.settings), expected) << "value " << value;
            }
        }
    }
}

// A format that names itself through the settings stops two levels deep, as the walk does.
TEST(Pictures, DatesOfFormatsThatNameThemselves)
{
    TFormatSettings s = TFormatSettings::UsEnglish();
    s.ShortDateFormat = "ddddd-c";
    s.LongDateFormat = "dddddd!";
    s.LongTimeFormat = "tt:t";
    s.ShortTimeFormat = "c";
    const TDateTime value = EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 7);
    for (const char* format : {"c", "ddddd", "dddddd", "t", "tt"}) {
        SCOPED_TRACE(format);
        std::string out;
        TDateTimePicture(format, s).Append(out, value);
        EXPECT_EQ(out, walk::FormatDateTime(format, value, s));
    }
}

}  // namespace

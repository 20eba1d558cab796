#include "platform/rtl/Formatting.h"

#include "platform/rtl/Exceptions.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

using namespace rtl;

namespace {

const TFormatSettings kUs = TFormatSettings::UsEnglish();

TFormatSettings German()
{
    TFormatSettings s = kUs;
    s.DecimalSeparator = ",";
    s.ThousandSeparator = ".";
    s.DateSeparator = ".";
    s.ShortDateFormat = "dd/mm/yyyy";
    return s;
}

struct FloatCase {
    const char* format;
    double value;
    const char* expected;
};

}  // namespace

// ---- FormatFloat ------------------------------------------------------------------------------

TEST(FormatFloat, MasksOfTheColumnFormats)
{
    const FloatCase cases[] = {
        {"#,###,##0", 1234.5, "1,235"},
        {"#,###,##0.####################", 2.5, "2.5"},
        {"#######.00", 0.75, ".75"},
        {"#######;(#######)", -3, "(3)"},
        {"#,###,##0.00", 1234567.891, "1,234,567.89"},
        {"#######.00;(#######.00)", -0.5, "(.50)"},
        {"#######.00;(#######.00)", 12.5, "12.50"},
        {"######0", 0, "0"},
        {"#######", 0, ""},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, DigitPlaceholders)
{
    const FloatCase cases[] = {
        {"0", 1234, "1234"},
        {"#", 1234, "1234"},  // digits without a placeholder go before the first one
        {"00000", 42, "00042"},
        {"0#", 5, "05"},
        {"0.##", 2, "2"},  // no decimal point without fraction digits
        {"0.##", 2.5, "2.5"},
        {"0.0#", 2, "2.0"},
        {"#.##", 0, ""},
        {"0.00", 0, "0.00"},
        {".00", 12.5, "12.50"},
        {"0.0.0", 1.25, "1.25"},  // only the first point counts
        {"0.00", 1e-300, "0.00"},
        {"0", 1e20, "100000000000000000000"},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, RoundsHalfAwayFromZeroOnTheDecimalDigits)
{
    const FloatCase cases[] = {
        {"0.00", 1.005, "1.01"},  // 1.00499999999999989... in binary
        {"0.00", -1.005, "-1.01"},
        {"0.00", 2.675, "2.68"},
        {"0.0", 0.05, "0.1"},
        {"0", 0.5, "1"},
        {"0", 1.5, "2"},
        {"0", 2.5, "3"},  // not to even
        {"0", -0.5, "-1"},
        {"0", 0.49999, "0"},
        {"0.00", 0.1 + 0.2, "0.30"},
        {"0.####################", 0.1 + 0.2, "0.3"},  // noise beyond 15 digits is not shown
        {"0.####################", 1.0 / 3, "0.333333333333333"},
        {"0.00", 999.995, "1000.00"},
        {"#,##0", 999.5, "1,000"},
        {"#,##0", 999999.5, "1,000,000"},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, GroupsTheWholeIntegerPart)
{
    const FloatCase cases[] = {
        {"#,##0", 1234567890123.0, "1,234,567,890,123"},
        {"#,##0", 9007199254740992.0, "9,007,199,254,740,992"},  // all 16 digits kept
        {"#,##0", -1234567, "-1,234,567"},
        {",0", 1234567, "1,234,567"},
        {"0,", 1234567, "1,234,567"},
        {"#,##0", 123, "123"},
        {"#,##0.00", 1e20, "100,000,000,000,000,000,000.00"},
        {"0.0,0", 1234.5, "1234.50"},  // a comma after the point groups nothing
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, Sections)
{
    const FloatCase cases[] = {
        {"0;0", -5, "5"},   // a negative section without "-" shows no sign
        {"0;-0", -5, "-5"},
        {"0;0-", -5, "5-"},
        {"0;(0)", 0, "0"},  // two sections: zero uses the first
        {"0;;'nil'", -5, "-5"},  // empty negative section: the first, with its minus
        {"0;;'nil'", 0, "nil"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"0.00;(0.00);'zero'", 1.5, "1.50"},
        {"0.00;(0.00);'zero'", -1.5, "(1.50)"},
        {"0.00;(0.00);", 0, "0.00"},  // empty zero section
        {"0;(0);'zero';'more'", 0, "zero"},
        {";(0)", -3, "(3)"},
        {";(0)", 3, "3"},  // empty positive section: the general form
        {"", 1234.5, "1234.5"},
        {"", -0.1, "-0.1"},
        {"'a;b' 0", 7, "a;b 7"},  // ";" inside quotes does not split
        {"0;'(0", -7, "(0"},      // an unterminated quote runs to the end of its section
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, ValueThatRoundsToZeroIsWrittenAsZeroWithoutSign)
{
    const FloatCase cases[] = {
        {"0.00", -0.001, "0.00"},
        {"0.00;(0.00)", -0.001, "0.00"},
        {"0.00;(0.00);'zero'", -0.001, "zero"},
        {"0.00;(0.00);'zero'", 0.001, "zero"},
        {"0", -0.4, "0"},
        {"0", -0.0, "0"},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatDecimal, KeepsEveryDigitOfExactNumbers)
{
    struct Case {
        const char* format;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        // Beyond 2^53 a double would change the last digits.
        {"#,###,##0", "9007199254740993", "9,007,199,254,740,993"},
        {"#,###,##0", "-9223372036854775808", "-9,223,372,036,854,775,808"},
        {"0.00", "12345678901234567890.125", "12345678901234567890.13"},
        {"#######.00;(#######.00)", "-0.755", "(.76)"},
        {"0.####################", "0.00000000000000000001", "0.00000000000000000001"},
        {"0.00", "-0.001", "0.00"},
        {"0", "007", "7"},
        {"#,##0.00", "0", "0.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDecimal(c.format, c.text, kUs), c.expected) << c.format << " " << c.text;

    for (const char* bad : {"", "-", "1e5", "12a", "1.2.3", " 1"})
        EXPECT_THROW(FormatDecimal("0", bad, kUs), EConvertError) << bad;
}

TEST(FormatFloat, LiteralText)
{
    const FloatCase cases[] = {
        {"'$'#,##0.00", 1234.5, "$1,234.50"},
        {"\"Total: \"0", 7, "Total: 7"},
        {"0 'kg'", 12, "12 kg"},
        {"0' #0.,'", 5, "5 #0.,"},  // placeholders inside quotes are text
        {"0 %", 5, "5 %"},
        {"[0]", 5, "[5]"},
        {"0 'unterminated", 5, "5 unterminated"},
        {"0 \xE2\x82\xAC", 5, "5 \xE2\x82\xAC"},  // UTF-8 text passes through
        {"'$'0", -5, "-$5"},  // the sign goes in front of everything
        {"'none'", 5, "none"},  // no placeholder: text only
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, Exponents)
{
    const FloatCase cases[] = {
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.00E+00", 0.000123456, "1.23E-04"},
        {"0.00E+00", -1234.5, "-1.23E+03"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.00E+00", 9.999, "1.00E+01"},
        {"0.00E-00", 1234.5, "1.23E03"},
        {"0.00E-00", 0.00012, "1.20E-04"},
        {"0.0e+0", 1234.5, "1.2e+3"},
        {"00.0E+0", 1234.5, "12.3E+2"},
        {"0.###E+0", 1.5, "1.5E+0"},
        {"0E+0000", 1e123, "1E+0123"},
        {"0.0E", 1.5, "1.5E"},  // E without a sign is text
        // Only "#" before the point: zero still writes its one digit.
        {"#.###E-0", 0, "0E0"},
        {"#.###E+00", 0, "0E+00"},
        {"#E+0", 0, "0E+0"},
        {"#.###E-0", 1234.5, "1.235E3"},
        {"#.###E-0", -0.00015, "-1.5E-4"},
    };
    for (const FloatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value, kUs), c.expected) << c.format << " " << c.value;
}

TEST(FormatFloat, UsesTheSettingsSeparators)
{
    TFormatSettings s = German();
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.5, s), "1.234.567,50");
    s.ThousandSeparator = "\xC2\xA0";  // no-break space, two bytes
    EXPECT_EQ(FormatFloat("#,##0.00", -1234567.5, s), "-1\xC2\xA0" "234\xC2\xA0" "567,50");
}

TEST(FormatFloat, NonFiniteValues)
{
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN(), kUs), "NAN");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity(), kUs), "INF");
    EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity(), kUs), "-INF");
}

TEST(FormatFloat, DefaultsToTheProcessSettings)
{
    TFormatSettings saved = FormatSettings();
    EXPECT_EQ(FormatFloat("#,##0.0", 1234.5), "1,234.5");
    FormatSettings() = German();
    EXPECT_EQ(FormatFloat("#,##0.0", 1234.5), "1.234,5");
    FormatSettings() = saved;
}

// ---- FloatToStr and StrToFloat ----------------------------------------------------------------

TEST(FloatToStr, GeneralFormWithFifteenDigits)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1.5, "1.5"},
        {-2.25, "-2.25"},
        {100, "100"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {1e20, "1E20"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5e-10, "1.5E-10"},
        {-1.5e-10, "-1.5E-10"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(FloatToStr(value, kUs), expected) << value;
    EXPECT_EQ(FloatToStr(1234.5, German()), "1234,5");
}

// Values of up to 15 digits in fixed notation take a short path; its text must be the plain
// decimal of the value, beside the general path's boundaries (1E15, 1E-5, 16 digits).
TEST(FloatToStr, ShortValuesAreTheirPlainDecimal)
{
    const long long mantissas[] = {1, 5, 10, 12345, 99999, 100000, 123456789, 999999999999999, 100000000000000};
    for (long long m : mantissas)
        for (int places = 0; places <= 8; ++places)
            for (int sign : {1, -1}) {
                const double value = sign * static_cast<double>(m) / std::pow(10.0, places);
                if (std::fabs(value) < 0.0001 || std::fabs(value) >= 1e15)
                    continue;
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.*f", places, value);
                std::string expected = buf;
                if (expected.find('.') != std::string::npos) {
                    while (expected.back() == '0')
                        expected.pop_back();
                    if (expected.back() == '.')
                        expected.pop_back();
                }
                EXPECT_EQ(FloatToStr(value, kUs), expected) << m << "e-" << places;
                std::string german = expected;
                if (const auto dot = german.find('.'); dot != std::string::npos)
                    german.replace(dot, 1, ",");
                EXPECT_EQ(FloatToStr(value, German()), german) << m << "e-" << places;
            }
    EXPECT_EQ(FloatToStr(1234567.891234567, kUs), "1234567.89123457");  // 16 digits: rounded
    EXPECT_EQ(FloatToStr(-0.00012, kUs), "-0.00012");
}

TEST(StrToFloat, AcceptedTexts)
{
    const std::pair<const char*, double> cases[] = {
        {"1.5", 1.5},     {" -2.25 ", -2.25}, {"+3", 3},     {".5", 0.5},
        {"5.", 5},        {"1e3", 1000},      {"1.5E-2", 0.015}, {"1E+2", 100},
        {"007", 7},       {"\t12\t", 12},     {"1e-400", 0},  {"-0", 0},
    };
    for (auto [text, expected] : cases) {
        double v = -99;
        EXPECT_TRUE(TryStrToFloat(text, v, kUs)) << text;
        EXPECT_DOUBLE_EQ(v, expected) << text;
        EXPECT_DOUBLE_EQ(StrToFloat(text, kUs), expected) << text;
    }
    EXPECT_EQ(StrToFloat("1,5", German()), 1.5);
    EXPECT_EQ(StrToFloat(FloatToStr(0.1, kUs), kUs), 0.1);
}

TEST(StrToFloat, RefusedTexts)
{
    for (const char* text : {"", " ", "abc", "1,5", "1.2.3", "e5", "1e", "1e+", "- 1", "1 000",
                             "0x10", "1e400", "-", ".", "1.5x", "++1", "inf", "nan"}) {
        double v = -99;
        EXPECT_FALSE(TryStrToFloat(text, v, kUs)) << text;
        EXPECT_EQ(v, -99) << text;
        EXPECT_THROW(StrToFloat(text, kUs), EConvertError) << text;
    }
    EXPECT_THROW(StrToFloat("1.5", German()), EConvertError);
    try {
        StrToFloat("abc", kUs);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
}

// ---- FormatDateTime ---------------------------------------------------------------------------

namespace {

// Tuesday, 4 February 2003, 08:05:09.007, and Sunday, 19 June 1994, 17:34:23.045.
const TDateTime kMorning = EncodeDateTime(2003, 2, 4, 8, 5, 9, 7);
const TDateTime kEvening = EncodeDateTime(1994, 6, 19, 17, 34, 23, 45);

struct DateCase {
    const char* format;
    TDateTime value;
    const char* expected;
};

}  // namespace

TEST(FormatDateTime, EveryToken)
{
    const DateCase cases[] = {
        {"d", kMorning, "4"},
        {"dd", kMorning, "04"},
        {"ddd", kMorning, "Tue"},
        {"dddd", kMorning, "Tuesday"},
        {"ddddd", kMorning, "2/4/2003"},
        {"dddddd", kMorning, "Tuesday, February 4, 2003"},
        {"m", kMorning, "2"},
        {"mm", kMorning, "02"},
        {"mmm", kMorning, "Feb"},
        {"mmmm", kMorning, "February"},
        {"yy", kMorning, "03"},
        {"yyyy", kMorning, "2003"},
        {"h", kMorning, "8"},
        {"hh", kMorning, "08"},
        {"n", kMorning, "5"},
        {"nn", kMorning, "05"},
        {"s", kMorning, "9"},
        {"ss", kMorning, "09"},
        {"z", kMorning, "7"},
        {"zzz", kMorning, "007"},
        {"zzz", kEvening, "045"},
        {"t", kMorning, "8:05"},
        {"tt", kMorning, "8:05:09 AM"},
        {"c", kMorning, "2/4/2003 8:05:09 AM"},
        {"am/pm", kMorning, "am"},
        {"am/pm", kEvening, "pm"},
        {"AM/PM", kEvening, "PM"},
        {"Am/Pm", kEvening, "Pm"},
        {"a/p", kMorning, "a"},
        {"A/P", kEvening, "P"},
        {"ampm", kMorning, "AM"},
        {"ampm", kEvening, "PM"},
        {"d/m/y", kMorning, "4/2/03"},
        {"hh:nn:ss", kEvening, "17:34:23"},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.value, kUs), c.expected) << c.format;
}

TEST(FormatDateTime, NamedStylesOfTheColumnFormats)
{
    const TDateTime sample = EncodeDateTime(1994, 6, 19, 17, 34, 24, 0);
    EXPECT_EQ(FormatDateTime("c", kEvening, kUs), "6/19/1994 5:34:23 PM");
    EXPECT_EQ(FormatDateTime("dddddd", sample, kUs), "Sunday, June 19, 1994");
    EXPECT_EQ(FormatDateTime("ddddd", sample, kUs), "6/19/1994");
    EXPECT_EQ(FormatDateTime("tt", sample, kUs), "5:34:24 PM");
    EXPECT_EQ(FormatDateTime("t", sample, kUs), "17:34");
}

TEST(FormatDateTime, HoursMinutesAndTheTwelveHourClock)
{
    const TDateTime midnight = EncodeDate(2003, 2, 4);
    const TDateTime noon = midnight + 0.5;
    const DateCase cases[] = {
        {"h:m", kMorning, "8:5"},          // m after h is the minute
        {"hh:mm", kMorning, "08:05"},
        {"hh 'x' mm", kMorning, "08 x 05"},
        {"hh:nn:ss mm", kMorning, "08:05:09 02"},  // after s it is the month again
        {"HH:MM", kMorning, "08:05"},
        {"hh:mmm", kMorning, "08:Feb"},
        {"h:nn am/pm", kEvening, "5:34 pm"},
        {"h am/pm", midnight, "12 am"},
        {"h am/pm", noon, "12 pm"},
        {"hh a/p", kMorning, "08 a"},
        {"ampm h:nn", kEvening, "PM 5:34"},  // designator in front still means 12 hours
        {"h 'am/pm'", kEvening, "17 am/pm"},  // quoted: no designator
        {"h", midnight, "0"},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.value, kUs), c.expected) << c.format;
}

TEST(FormatDateTime, LiteralsSeparatorsAndCase)
{
    TFormatSettings s = kUs;
    s.DateSeparator = "-";
    s.TimeSeparator = ".";
    const DateCase cases[] = {
        {"'d' d", kMorning, "d 4"},
        {"\"hh\" h", kMorning, "hh 8"},
        {"d 'of' mmmm", kMorning, "4 of February"},
        {"yyyy-mm-dd", kMorning, "2003-02-04"},
        {"dd.mm.yyyy", kMorning, "04.02.2003"},
        {"DD/MM/YYYY", kMorning, "04/02/2003"},
        {"x q", kMorning, "x q"},
        {"'open", kMorning, "open"},
        {"d \xE2\x82\xAC", kMorning, "4 \xE2\x82\xAC"},
        {"d \xC3\xA9t\xC3\xA9", kMorning, "4 \xC3\xA9" "8:05\xC3\xA9"},  // t is a token
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.value, kUs), c.expected) << c.format;
    EXPECT_EQ(FormatDateTime("m/d/yyyy h:nn", kMorning, s), "2-4-2003 8.05");
    EXPECT_EQ(FormatDateTime("c", kMorning, s), "2-4-2003 8.05.09 AM");
}

TEST(FormatDateTime, GeneralFormLeavesOutMidnight)
{
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2003, 2, 4), kUs), "2/4/2003");
    EXPECT_EQ(FormatDateTime("", EncodeDate(2003, 2, 4) + 0.5, kUs), "2/4/2003 12:00:00 PM");
    EXPECT_EQ(FormatDateTime("c", 0, kUs), "12/30/1899");
    EXPECT_EQ(FormatDateTime("tt", 0.5, kUs), "12:00:00 PM");
}

TEST(FormatDateTime, EarlyAndNegativeDates)
{
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25, kUs), "1899-12-29 06:00");
    EXPECT_EQ(FormatDateTime("yyyy yy dddd", EncodeDate(5, 3, 1), kUs), "0005 05 Tuesday");
    EXPECT_THROW(FormatDateTime("c", 1e10, kUs), EConvertError);
}

TEST(FormatDateTime, NamedFormatsThatNameThemselvesEnd)
{
    TFormatSettings s = kUs;
    s.ShortDateFormat = "ddddd";
    s.LongTimeFormat = "c";
    EXPECT_EQ(FormatDateTime("ddddd", kMorning, s), "");
    const std::string text = FormatDateTime("[c]", kMorning, s);
    EXPECT_EQ(text.front(), '[');
    EXPECT_EQ(text.back(), ']');
}

TEST(FormatDateTime, DateAndTimeTexts)
{
    EXPECT_EQ(DateToStr(kMorning, kUs), "2/4/2003");
    EXPECT_EQ(DateTimeToStr(kMorning, kUs), "2/4/2003 8:05:09 AM");
    EXPECT_EQ(DateToStr(kMorning, German()), "04.02.2003");
}

// "c" with the default pictures is written without walking them; it must give the general
// path's text (both pictures walked token by token) for any value and any separators.
TEST(FormatDateTime, DefaultPicturesMatchTheGeneralPath)
{
    const TDateTime values[] = {
        EncodeDateTime(2003, 2, 4, 0, 0, 0, 0),     EncodeDateTime(2003, 2, 4, 0, 0, 0, 1),
        EncodeDateTime(2003, 12, 31, 0, 30, 5, 0),  EncodeDateTime(1999, 1, 1, 11, 59, 59, 999),
        EncodeDateTime(2024, 2, 29, 12, 0, 0, 0),   EncodeDateTime(2024, 10, 9, 13, 1, 2, 0),
        EncodeDateTime(1, 1, 1, 23, 59, 59, 0),     EncodeDateTime(9999, 12, 31, 12, 34, 56, 0),
        EncodeDateTime(5, 6, 7, 8, 9, 10, 0),       EncodeDateTime(1899, 12, 30, 6, 0, 0, 0),
        EncodeDateTime(1850, 7, 14, 18, 45, 0, 0),  kMorning,
    };
    TFormatSettings other = kUs;
    other.DateSeparator = "-";
    other.TimeSeparator = ".";
    other.TimeAMString = "vorm.";
    other.TimePMString = "nachm.";
    TFormatSettings longTexts = kUs;  // longer than the short path writes
    longTexts.TimeAMString = std::string(150, 'a');
    longTexts.DateSeparator = " / ";
    for (const TFormatSettings& s : {kUs, other, longTexts})
        for (TDateTime value : values) {
            int hour, min, sec, msec;
            DecodeTime(value, hour, min, sec, msec);
            std::string expected = FormatDateTime("m/d/yyyy", value, s);
            if (hour != 0 || min != 0 || sec != 0 || msec != 0)
                expected += " " + FormatDateTime("h:nn:ss AMPM", value, s);
            EXPECT_EQ(DateTimeToStr(value, s), expected) << value;
            EXPECT_EQ(FormatDateTime("", value, s), expected) << value;
        }
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2024, 10, 9, 0, 1, 2, 0), kUs), "10/9/2024 12:01:02 AM");
}

// ---- Reading dates and times ------------------------------------------------------------------

namespace {

TDateTime ThisYear(int month, int day)
{
    int y, m, d;
    DecodeDate(Date(), y, m, d);
    return EncodeDate(y, month, day);
}

}  // namespace

TEST(StrToDate, MonthFirstTexts)
{
    const std::pair<const char*, TDateTime> cases[] = {
        {"6/19/1994", EncodeDate(1994, 6, 19)},
        {" 6 / 19 / 1994 ", EncodeDate(1994, 6, 19)},
        {"2/29/2000", EncodeDate(2000, 2, 29)},
        {"Jun/19/1994", EncodeDate(1994, 6, 19)},
        {"june/19/1994", EncodeDate(1994, 6, 19)},
        {"6/19/0099", EncodeDate(99, 6, 19)},  // four digits written: year 99
        {"6/19/999", EncodeDate(999, 6, 19)},
        {"12/30/1899", 0},
    };
    for (auto [text, expected] : cases) {
        EXPECT_EQ(StrToDate(text, kUs), expected) << text;
    }
    EXPECT_EQ(StrToDate("6/19", kUs), ThisYear(6, 19));
}

TEST(StrToDate, TwoDigitYearsGoThroughTheCenturyWindow)
{
    // With the window of 50 years these hold until 2049.
    EXPECT_EQ(StrToDate("6/19/99", kUs), EncodeDate(1999, 6, 19));
    EXPECT_EQ(StrToDate("6/19/00", kUs), EncodeDate(2000, 6, 19));
    int year, m, d;
    DecodeDate(Date(), year, m, d);
    const int nextYear = (year + 1) % 100;
    EXPECT_EQ(StrToDate("1/1/" + std::to_string(nextYear), kUs), EncodeDate(year + 1, 1, 1));
    TFormatSettings s = kUs;
    s.TwoDigitYearCenturyWindow = 0;  // the current century
    EXPECT_EQ(StrToDate("1/1/99", s), EncodeDate(year / 100 * 100 + 99, 1, 1));
}

TEST(StrToDate, OrderOfTheShortDateFormat)
{
    TFormatSettings dayFirst = German();
    EXPECT_EQ(StrToDate("19.06.1994", dayFirst), EncodeDate(1994, 6, 19));
    EXPECT_EQ(StrToDate("1.2", dayFirst), ThisYear(2, 1));
    EXPECT_EQ(StrToDate("19.Jun.1994", dayFirst), EncodeDate(1994, 6, 19));
    EXPECT_FALSE([&] { TDateTime v; return TryStrToDate("6/19/1994", v, dayFirst); }());

    TFormatSettings yearFirst = kUs;
    yearFirst.ShortDateFormat = "yyyy/mm/dd";
    yearFirst.DateSeparator = "-";
    EXPECT_EQ(StrToDate("1994-06-19", yearFirst), EncodeDate(1994, 6, 19));
    EXPECT_EQ(StrToDate("6-19", yearFirst), ThisYear(6, 19));

    // A date that ends with its separator, as some locales write it.
    TFormatSettings trailing = kUs;
    trailing.ShortDateFormat = "yyyy/ mm/ dd/";
    trailing.DateSeparator = ".";
    EXPECT_EQ(DateToStr(EncodeDate(1994, 6, 19), trailing), "1994. 06. 19.");
    EXPECT_EQ(StrToDate("1994. 06. 19.", trailing), EncodeDate(1994, 6, 19));

    // A blank as separator, with month names.
    TFormatSettings blank = kUs;
    blank.ShortDateFormat = "d/mmm/yyyy";
    blank.DateSeparator = " ";
    EXPECT_EQ(StrToDate("19 Jun 1994", blank), EncodeDate(1994, 6, 19));
}

TEST(StrToDate, RefusedTexts)
{
    for (const char* text : {"", "abc", "2/29/2001", "13/1/2000", "0/1/2000", "1/0/2000", "6/19/1994x",
                             "6-19-1994", "6/19/1994 5:00", "6/Jun/1994", "6/19/", "6//1994", "1/1/10000",
                             "6/19/1234567890", "-6/19/1994"}) {
        TDateTime v = 42;
        EXPECT_FALSE(TryStrToDate(text, v, kUs)) << text;
        EXPECT_EQ(v, 42) << text;
        EXPECT_THROW(StrToDate(text, kUs), EConvertError) << text;
    }
    try {
        StrToDate("abc", kUs);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid date");
    }
}

TEST(StrToTime, AcceptedAndRefusedTexts)
{
    const std::pair<const char*, TDateTime> good[] = {
        {"17:34", EncodeTime(17, 34, 0, 0)},
        {"5:34:24 PM", EncodeTime(17, 34, 24, 0)},
        {"5:34:24 pm", EncodeTime(17, 34, 24, 0)},
        {"5:34:24PM", EncodeTime(17, 34, 24, 0)},
        {"12:30 AM", EncodeTime(0, 30, 0, 0)},
        {"12:30 PM", EncodeTime(12, 30, 0, 0)},
        {"PM 5:34", EncodeTime(17, 34, 0, 0)},
        {"17:34:24.5", EncodeTime(17, 34, 24, 500)},
        {"17:34:24.045", EncodeTime(17, 34, 24, 45)},
        {" 0:00 ", 0},
    };
    for (auto [text, expected] : good)
        EXPECT_EQ(StrToTime(text, kUs), expected) << text;
    for (const char* text : {"", "10", "10:", "10:20:", "0:30 PM", "13:00 PM", "24:00", "10:60",
                             "10:20:60", "17:34 x", "PM 5:34 PM", "17:34:24.", "5.34"}) {
        TDateTime v = 42;
        EXPECT_FALSE(TryStrToTime(text, v, kUs)) << text;
        EXPECT_EQ(v, 42) << text;
        EXPECT_THROW(StrToTime(text, kUs), EConvertError) << text;
    }
    TFormatSettings s = kUs;
    s.TimeSeparator = ".";
    s.TimeAMString = "vorm.";
    s.TimePMString = "nachm.";
    EXPECT_EQ(StrToTime("5.34 nachm.", s), EncodeTime(17, 34, 0, 0));
}

TEST(StrToDateTime, DateWithOptionalTimeOrTimeAlone)
{
    EXPECT_EQ(StrToDateTime("6/19/1994 5:34:23 PM", kUs), EncodeDateTime(1994, 6, 19, 17, 34, 23, 0));
    EXPECT_EQ(StrToDateTime("6/19/1994", kUs), EncodeDate(1994, 6, 19));
    EXPECT_EQ(StrToDateTime("17:34", kUs), EncodeTime(17, 34, 0, 0));
    EXPECT_EQ(StrToDateTime("12/29/1899 6:00", kUs), -1.25);
    for (const char* text : {"6/19/1994 x", "6/19/1994 25:00", "x 17:34", ""}) {
        TDateTime v = 42;
        EXPECT_FALSE(TryStrToDateTime(text, v, kUs)) << text;
        EXPECT_THROW(StrToDateTime(text, kUs), EConvertError) << text;
    }
    try {
        StrToDateTime("x", kUs);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x' is not a valid date and time");
    }
}

// ---- Settings ---------------------------------------------------------------------------------

TEST(FormatSettings, ProcessSettingsStartAsUsEnglish)
{
    const TFormatSettings& s = FormatSettings();
    EXPECT_EQ(s.ShortDateFormat, "m/d/yyyy");
    EXPECT_EQ(s.LongDateFormat, "dddd, mmmm d, yyyy");
    EXPECT_EQ(s.ShortTimeFormat, "h:nn");
    EXPECT_EQ(s.LongTimeFormat, "h:nn:ss AMPM");
    EXPECT_EQ(s.DecimalSeparator, ".");
    EXPECT_EQ(s.ThousandSeparator, ",");
    EXPECT_EQ(s.DateSeparator, "/");
    EXPECT_EQ(s.TimeSeparator, ":");
    EXPECT_EQ(s.TimeAMString, "AM");
    EXPECT_EQ(s.TimePMString, "PM");
    EXPECT_EQ(s.ShortMonthNames[0], "Jan");
    EXPECT_EQ(s.LongDayNames[0], "Sunday");
    EXPECT_EQ(s.TwoDigitYearCenturyWindow, 50);
}

TEST(FormatSettings, DateOrder)
{
    EXPECT_EQ(GetDateOrder("m/d/yyyy"), doMDY);
    EXPECT_EQ(GetDateOrder("dd.mm.yyyy"), doDMY);
    EXPECT_EQ(GetDateOrder("YYYY-MM-DD"), doYMD);
    EXPECT_EQ(GetDateOrder("'day' m/d"), doMDY);
    EXPECT_EQ(GetDateOrder(""), doMDY);
}

TEST(FormatSettings, LocaleFormatsAreTranslated)
{
    const TFormatSettings us = TFormatSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.ShortDateFormat, "m/d/yy");
    EXPECT_EQ(us.LongDateFormat, "dddd, mmmm d, yyyy");
    EXPECT_EQ(us.ShortTimeFormat, "h:nn ampm");
    EXPECT_EQ(us.LongTimeFormat, "h:nn:ss ampm");  // time zone dropped
    EXPECT_EQ(FormatDateTime("c", kEvening, us), "6/19/94 5:34:23 PM");

    const TFormatSettings de = TFormatSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.DecimalSeparator, ",");
    EXPECT_EQ(de.ThousandSeparator, ".");
    EXPECT_EQ(de.DateSeparator, ".");
    EXPECT_EQ(de.TimeSeparator, ":");
    EXPECT_EQ(de.ShortTimeFormat, "hh:nn");
    EXPECT_EQ(de.LongDayNames[0], "Sonntag");
    EXPECT_EQ(de.LongMonthNames[2], "M\xC3\xA4rz");
    EXPECT_EQ(FormatDateTime("dddddd", kEvening, de), "Sonntag, 19. Juni 1994");
    EXPECT_EQ(FormatDateTime("ddddd tt", kEvening, de), "19.06.94 17:34:23");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, de), "1.234,50");

    const TFormatSettings es = TFormatSettings::FromLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ(FormatDateTime("dddddd", kEvening, es), "domingo, 19 de junio de 1994");
    EXPECT_EQ(es.LongTimeFormat, "h:nn:ss");  // "(t)" dropped with its brackets
}

TEST(FormatSettings, FirstDayOfWeekFollowsTheLocale)
{
    EXPECT_EQ(TFormatSettings::UsEnglish().FirstDayOfWeek, 6);  // Sunday
    EXPECT_EQ(TFormatSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates)).FirstDayOfWeek, 6);
    EXPECT_EQ(TFormatSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany)).FirstDayOfWeek, 0);
}

TEST(FormatSettings, LocaleTextsReadBackWhatTheyWrite)
{
    const QLocale locales[] = {
        QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),        QLocale(QLocale::Swedish, QLocale::Sweden),
        QLocale(QLocale::Finnish, QLocale::Finland),      QLocale(QLocale::Hungarian, QLocale::Hungary),
        QLocale(QLocale::Dutch, QLocale::Netherlands),    QLocale(QLocale::Chinese, QLocale::China),
        QLocale::c(),
    };
    const TDateTime value = EncodeDateTime(2003, 2, 4, 17, 5, 9, 0);
    for (const QLocale& locale : locales) {
        const TFormatSettings s = TFormatSettings::FromLocale(locale);
        SCOPED_TRACE(locale.name().toStdString() + " " + s.ShortDateFormat + " " + s.LongTimeFormat);
        const std::string text = DateTimeToStr(value, s);
        TDateTime back = 0;
        EXPECT_TRUE(TryStrToDateTime(text, back, s)) << text;
        EXPECT_EQ(back, value) << text;
        EXPECT_EQ(StrToFloat(FloatToStr(-1234.5, s), s), -1234.5);
    }
}

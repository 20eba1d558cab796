#include "grid/Scanning.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

using namespace grid;

namespace {

// Every test starts from the fixed United States settings and leaves the process-wide
// settings as it found them.
class ScanningTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = rtl::FormatSettings();
        rtl::FormatSettings() = rtl::TFormatSettings::UsEnglish();
    }
    void TearDown() override { rtl::FormatSettings() = saved_; }

    static void SetDateFormat(const char* format) { rtl::FormatSettings().ShortDateFormat = format; }

    static int CurrentYear()
    {
        int y, m, d;
        rtl::DecodeDate(rtl::Date(), y, m, d);
        return y;
    }

private:
    rtl::TFormatSettings saved_;
};

struct Ymd {
    int year, month, day;
};

// The date of a scan, or nothing when it failed.
std::optional<Ymd> ScanDate(const char* text, int epoch = 1950)
{
    rtl::TDateTime value;
    if (!gkScanDateWithEpoch(text, epoch, value)) return std::nullopt;
    EXPECT_EQ(value, std::floor(value)) << text;
    Ymd ymd{};
    rtl::DecodeDate(value, ymd.year, ymd.month, ymd.day);
    return ymd;
}

void ExpectDate(const char* text, std::optional<Ymd> expected, int epoch = 1950)
{
    const std::optional<Ymd> actual = ScanDate(text, epoch);
    ASSERT_EQ(actual.has_value(), expected.has_value()) << "\"" << text << "\"";
    if (!expected) return;
    EXPECT_EQ(actual->year, expected->year) << text;
    EXPECT_EQ(actual->month, expected->month) << text;
    EXPECT_EQ(actual->day, expected->day) << text;
}

rtl::TDateTime Hms(int h, int m, int s = 0)
{
    return rtl::EncodeTime(h, m, s, 0);
}

}  // namespace

TEST_F(ScanningTest, DatesMonthFirst)
{
    SetDateFormat("m/d/yyyy");
    const int thisYear = CurrentYear();
    struct Case {
        const char* text;
        std::optional<Ymd> date;
    };
    const Case cases[] = {
        {"12/31/1999", Ymd{1999, 12, 31}},
        {"2/29/2000", Ymd{2000, 2, 29}},
        {"2/29/2001", std::nullopt},
        {"2/31/2000", std::nullopt},
        {"Jan/5/99", Ymd{1999, 1, 5}},
        {"jan/5/99", Ymd{1999, 1, 5}},
        {"5/1/49", Ymd{2049, 5, 1}},
        {" 1 / 2 / 2000 ", Ymd{2000, 1, 2}},
        {"1/2", Ymd{thisYear, 1, 2}},  // two parts: month, day, this year
        {"1/2/999", Ymd{999, 1, 2}},   // three digits are taken as typed
        {"1/2/19999", Ymd{1999, 1, 2}},  // the scan stops after four digits
        {"13/1/2000", std::nullopt},
        {"0/1/2000", std::nullopt},
        {"1/0/2000", std::nullopt},
        {"1/1/0", Ymd{2000, 1, 1}},
        {"1/1/10000", Ymd{1000, 1, 1}},  // four digits read: 1000
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1", std::nullopt},
        {"1/", std::nullopt},
        {"1/2/", std::nullopt},
        {"/1/2", std::nullopt},
        {"1-2-2000", std::nullopt},
        {"Feb", std::nullopt},
        // A month name stands only where the month does.
        {"1/Feb/2000", std::nullopt},
        {"1/2/Mar", std::nullopt},
    };
    for (const Case& c : cases) ExpectDate(c.text, c.date);
}

TEST_F(ScanningTest, DatesDayFirst)
{
    SetDateFormat("dd.mm.yyyy");
    rtl::FormatSettings().DateSeparator = ".";
    const int thisYear = CurrentYear();
    struct Case {
        const char* text;
        std::optional<Ymd> date;
    };
    const Case cases[] = {
        {"31.12.1999", Ymd{1999, 12, 31}},
        {"1.2", Ymd{thisYear, 2, 1}},  // two parts: day, month, this year
        {"29.2.2000", Ymd{2000, 2, 29}},
        {"29.2.2001", std::nullopt},
        {"31.2.2000", std::nullopt},
        {"31.4.2000", std::nullopt},
        {"5.jan.99", Ymd{1999, 1, 5}},
        {"Jan.5.99", std::nullopt},
        {"1/2/2000", std::nullopt},  // the locale's separator only
        {"32.1.2000", std::nullopt},
        {"", std::nullopt},
        {"x.y.z", std::nullopt},
    };
    for (const Case& c : cases) ExpectDate(c.text, c.date);
}

TEST_F(ScanningTest, DatesYearFirst)
{
    SetDateFormat("yyyy-mm-dd");
    rtl::FormatSettings().DateSeparator = "-";
    const int thisYear = CurrentYear();
    struct Case {
        const char* text;
        std::optional<Ymd> date;
    };
    const Case cases[] = {
        {"2000-2-29", Ymd{2000, 2, 29}},
        {"2001-2-29", std::nullopt},
        {"99-12-31", Ymd{1999, 12, 31}},
        {"0-1-1", Ymd{2000, 1, 1}},
        {"2000-Feb-3", Ymd{2000, 2, 3}},
        {"1-2", Ymd{thisYear, 1, 2}},  // two parts: month, day, this year
        {"2000-2-31", std::nullopt},
        {"9999-12-31", Ymd{9999, 12, 31}},
        {"", std::nullopt},
    };
    for (const Case& c : cases) ExpectDate(c.text, c.date);
}

TEST_F(ScanningTest, TwoDigitYearsAroundTheEpoch)
{
    SetDateFormat("m/d/yyyy");
    struct Case {
        int epoch;
        const char* text;
        int year;
    };
    const Case cases[] = {
        {1950, "1/1/49", 2049}, {1950, "1/1/50", 1950}, {1950, "1/1/99", 1999},
        {1950, "1/1/00", 2000}, {1950, "1/1/0049", 2049},  // the value counts, not the digits
        {1930, "1/1/29", 2029}, {1930, "1/1/30", 1930},
        {2000, "1/1/00", 2000}, {2000, "1/1/99", 2099},
        {1900, "1/1/00", 1900}, {1900, "1/1/99", 1999},
        {1999, "1/1/98", 2098}, {1999, "1/1/99", 1999},
        {1950, "1/1/100", 100}, {1950, "1/1/1949", 1949},
    };
    for (const Case& c : cases) {
        const std::optional<Ymd> date = ScanDate(c.text, c.epoch);
        ASSERT_TRUE(date.has_value()) << c.text;
        EXPECT_EQ(date->year, c.year) << c.text << " epoch " << c.epoch;
    }
}

// An epoch year past the years a date can hold (a stored setting near the 32-bit limit) is
// taken as the nearest year a date can hold, never added up past the limit.
TEST_F(ScanningTest, EpochYearsADateCannotHold)
{
    SetDateFormat("m/d/yyyy");
    constexpr int most = std::numeric_limits<int>::max();
    constexpr int least = std::numeric_limits<int>::min();
    for (const int epoch : {most, most - 1, most - 99, 10000, 9999}) {
        SCOPED_TRACE(epoch);
        ExpectDate("12/31/99", Ymd{9999, 12, 31}, epoch);
        ExpectDate("1/1/98", std::nullopt, epoch);  // 10098
        ExpectDate("1/1/00", std::nullopt, epoch);
        ExpectDate("1/1/2024", Ymd{2024, 1, 1}, epoch);
    }
    for (const int epoch : {least, least + 1, -1, 0, 1}) {
        SCOPED_TRACE(epoch);
        ExpectDate("1/1/99", Ymd{99, 1, 1}, epoch);
        ExpectDate("1/1/01", Ymd{1, 1, 1}, epoch);
        ExpectDate("1/1/00", Ymd{100, 1, 1}, epoch);
    }
}

TEST_F(ScanningTest, ScanDateAdvancesPastTheDateAndItsBlanks)
{
    SetDateFormat("m/d/yyyy");
    int pos = 1;
    rtl::TDateTime date;
    ASSERT_TRUE(gkScanDate("1/2/2000  10:30", pos, date, 1950));
    EXPECT_EQ(pos, 11);
    pos = 5;
    ASSERT_TRUE(gkScanDate("xxx 3/4/05", pos, date, 1950));
    EXPECT_EQ(date, rtl::EncodeDate(2005, 3, 4));
    EXPECT_EQ(pos, 11);
}

TEST_F(ScanningTest, Times)
{
    rtl::FormatSettings().TimeAMString = "vorm.";
    rtl::FormatSettings().TimePMString = "nachm.";
    struct Case {
        const char* text;
        std::optional<rtl::TDateTime> time;
    };
    const Case cases[] = {
        {"10:20", Hms(10, 20)},
        {"10:20:30", Hms(10, 20, 30)},
        {" 9 : 05 ", Hms(9, 5)},
        {"0:00", Hms(0, 0)},
        {"13:00", Hms(13, 0)},  // 24-hour without designator
        {"23:59:59", Hms(23, 59, 59)},
        {"12:30 AM", Hms(0, 30)},
        {"12:30 PM", Hms(12, 30)},
        {"1:00 pm", Hms(13, 0)},
        {"11:59:59PM", Hms(23, 59, 59)},
        {"12:00am", Hms(0, 0)},
        {"1:15 nachm.", Hms(13, 15)},  // the locale's designators
        {"1:15 VORM.", Hms(1, 15)},
        {"0:30 PM", std::nullopt},
        {"0:30 AM", std::nullopt},
        {"13:00 PM", std::nullopt},
        {"25:00", std::nullopt},
        {"24:00", std::nullopt},
        {"10:60", std::nullopt},
        {"10:20:60", std::nullopt},
        {"10:20:", std::nullopt},  // a separator promises seconds
        {"10", std::nullopt},
        {"10:", std::nullopt},
        {":30", std::nullopt},
        {"", std::nullopt},
        {"ab:cd", std::nullopt},
        {"Jan:30", std::nullopt},  // a month name is no hour
        {"10.20", std::nullopt},
    };
    for (const Case& c : cases) {
        int pos = 1;
        rtl::TDateTime time = -1;
        const bool ok = gkScanTime(c.text, pos, time);
        ASSERT_EQ(ok, c.time.has_value()) << "\"" << c.text << "\"";
        if (ok) {
            EXPECT_NEAR(time, *c.time, 1e-9) << c.text;
            EXPECT_EQ(pos, static_cast<int>(std::string(c.text).size()) + 1) << c.text;
        }
    }
}

TEST_F(ScanningTest, WholeTextConversions)
{
    SetDateFormat("m/d/yyyy");
    const rtl::TDateTime jan2 = rtl::EncodeDate(2000, 1, 2);
    struct Case {
        const char* text;
        rtl::TDateTime date, dateTime, time;
        bool validDate;
    };
    const Case cases[] = {
        {"1/2/2000", jan2, jan2, 0, true},
        {"1/2/2000 ", jan2, jan2, 0, true},
        {"1/2/2000 10:30 PM", jan2, jan2 + Hms(22, 30), 0, false},
        {"1/2/2000 garbage", jan2, 0, 0, false},  // gkStrToDate allows text after the date
        {"1/2/2000 25:00", jan2, 0, 0, false},
        {"1/2/2000 10:30 x", jan2, 0, 0, false},
        {"2/31/2000", 0, 0, 0, false},
        {"10:30", 0, 0, Hms(10, 30), false},
        {"10:30 x", 0, 0, 0, false},
        {"", 0, 0, 0, false},
        {"abc", 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(gkStrToDate(c.text), c.date, 1e-9) << c.text;
        EXPECT_NEAR(gkStrToDateTime(c.text), c.dateTime, 1e-9) << c.text;
        EXPECT_NEAR(gkStrToTime(c.text), c.time, 1e-9) << c.text;
        EXPECT_EQ(gkIsValidDate(c.text), c.validDate) << c.text;
    }
}

TEST_F(ScanningTest, DateTimesBeforeTheBaseDateKeepTheirTime)
{
    SetDateFormat("m/d/yyyy");
    // 29 December 1899, 06:00 is -1.25: the time counts away from the base date.
    EXPECT_DOUBLE_EQ(gkStrToDateTime("12/29/1899 6:00"), -1.25);
    int h, m, s, ms;
    rtl::DecodeTime(gkStrToDateTime("1/1/1800 18:00"), h, m, s, ms);
    EXPECT_EQ(h, 18);
}

TEST_F(ScanningTest, NumbersAndMonthNames)
{
    struct Case {
        const char* text;
        int startPos;
        std::optional<int> number;
        int endPos;
    };
    const Case cases[] = {
        {"42", 1, 42, 3},
        {"  42x", 1, 42, 5},
        {"19999", 1, 1999, 5},
        {"0007", 1, 7, 5},
        {"x12", 2, 12, 4},
        {"Feb", 1, 2, 4},
        {"dec/", 1, 12, 4},
        {"February", 1, 2, 4},
        {"Fe", 1, std::nullopt, 1},
        {"Xyz", 1, std::nullopt, 1},
        {"", 1, std::nullopt, 1},
    };
    for (const Case& c : cases) {
        int pos = c.startPos;
        int number = -1;
        const bool ok = gkScanNumber(c.text, pos, number);
        ASSERT_EQ(ok, c.number.has_value()) << c.text;
        if (ok) {
            EXPECT_EQ(number, *c.number) << c.text;
            EXPECT_EQ(pos, c.endPos) << c.text;
        }
    }

    int month = 0;
    EXPECT_TRUE(gkScanMonthName("JAN", month));
    EXPECT_EQ(month, 1);
    EXPECT_TRUE(gkScanMonthName("dec", month));
    EXPECT_EQ(month, 12);
    EXPECT_FALSE(gkScanMonthName("Ja", month));
    EXPECT_FALSE(gkScanMonthName("January", month));
}

TEST_F(ScanningTest, MonthNamesOfThreeCharactersInAnyScript)
{
    rtl::FormatSettings().ShortMonthNames[1] = "fév";  // four bytes
    rtl::FormatSettings().ShortMonthNames[7] = "aoû";
    int pos = 1, number = 0;
    ASSERT_TRUE(gkScanNumber("FÉV/3", pos, number));
    EXPECT_EQ(number, 2);
    EXPECT_EQ(pos, 5);
    SetDateFormat("d/m/yyyy");
    ExpectDate("15/aoû/2001", Ymd{2001, 8, 15});
}

TEST_F(ScanningTest, WordsAndCharacters)
{
    int pos = 1;
    EXPECT_TRUE(gkScanString("  PM", pos, "pm"));
    EXPECT_EQ(pos, 5);
    pos = 1;
    EXPECT_FALSE(gkScanString("AM", pos, ""));  // an absent word never matches
    pos = 1;
    EXPECT_FALSE(gkScanString("A", pos, "AM"));
    pos = 1;
    EXPECT_TRUE(gkScanChar(" /", pos, "/"));
    EXPECT_EQ(pos, 3);
    pos = 1;
    EXPECT_FALSE(gkScanChar("x", pos, "/"));
    pos = 1;
    EXPECT_TRUE(gkScanChar("1·2", ++pos, "·"));
    EXPECT_EQ(pos, 4);
}

TEST_F(ScanningTest, PositionsOutsideTheTextFailWithoutThrowing)
{
    const int positions[] = {-3, 0, 3, 4, 100};
    for (const int start : positions) {
        int pos = start, number = 0;
        rtl::TDateTime value = 0;
        EXPECT_FALSE(gkScanChar("ab", pos = start, "/")) << start;
        EXPECT_FALSE(gkScanString("ab", pos = start, "AM")) << start;
        EXPECT_FALSE(gkScanNumber("ab", pos = start, number)) << start;
        EXPECT_FALSE(gkScanDate("ab", pos = start, value, 1950)) << start;
        EXPECT_FALSE(gkScanTime("ab", pos = start, value)) << start;
    }
}

TEST_F(ScanningTest, DateOrderLeapYearsAndEncoding)
{
    struct OrderCase {
        const char* format;
        int order;
    };
    const OrderCase orders[] = {{"m/d/yyyy", gkOrderMDY}, {"dd.MM.yyyy", gkOrderDMY},
                                {"yyyy-mm-dd", gkOrderYMD}, {"MMM d, yyyy", gkOrderMDY},
                                {"D/M/Y", gkOrderDMY},      {"", gkOrderMDY},
                                {"-/-", gkOrderMDY}};
    for (const OrderCase& c : orders) EXPECT_EQ(gkGetDateOrder(c.format), c.order) << c.format;

    EXPECT_TRUE(gkIsLeapYear(2000));
    EXPECT_TRUE(gkIsLeapYear(2004));
    EXPECT_FALSE(gkIsLeapYear(1900));
    EXPECT_FALSE(gkIsLeapYear(2001));

    rtl::TDateTime value = 0;
    EXPECT_TRUE(gkDoEncodeDate(1899, 12, 30, value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(gkDoEncodeDate(1, 1, 1, value));
    EXPECT_EQ(value, -693593);
    EXPECT_TRUE(gkDoEncodeDate(9999, 12, 31, value));
    EXPECT_EQ(value, 2958465);
    EXPECT_FALSE(gkDoEncodeDate(0, 1, 1, value));
    EXPECT_FALSE(gkDoEncodeDate(10000, 1, 1, value));
    EXPECT_FALSE(gkDoEncodeDate(2000, 2, 30, value));
    EXPECT_FALSE(gkDoEncodeDate(2000, 13, 1, value));

    EXPECT_TRUE(gkDoEncodeTime(12, 0, 0, 0, value));
    EXPECT_EQ(value, 0.5);
    EXPECT_TRUE(gkDoEncodeTime(23, 59, 59, 999, value));
    EXPECT_FALSE(gkDoEncodeTime(24, 0, 0, 0, value));
    EXPECT_FALSE(gkDoEncodeTime(0, 60, 0, 0, value));
    EXPECT_FALSE(gkDoEncodeTime(0, 0, 60, 0, value));
    EXPECT_FALSE(gkDoEncodeTime(0, 0, 0, 1000, value));
}

TEST_F(ScanningTest, FloatChecks)
{
    struct Case {
        const char* text;
        bool valid;
    };
    const Case us[] = {{"", true},       {"1.5", true},   {"-1.5e3", true}, {" 2 ", true},
                       {"0", true},      {"1,5", false},  {"abc", false},   {"1.2.3", false},
                       {"1.5x", false},  {"-", false},    {"e3", false}};
    for (const Case& c : us) EXPECT_EQ(gkIsValidFloat(c.text), c.valid) << "\"" << c.text << "\"";

    rtl::FormatSettings().DecimalSeparator = ",";
    rtl::FormatSettings().ThousandSeparator = ".";
    EXPECT_TRUE(gkIsValidFloat("1,5"));
    EXPECT_FALSE(gkIsValidFloat("1.5"));
}

TEST_F(ScanningTest, TimeParts)
{
    // "10:20:30 PM": separators at 3 and 6; the caret stands before the character it names.
    struct Case {
        int caret;
        int part;
    };
    const Case cases[] = {{-1, gkPartHour},   {0, gkPartHour},    {1, gkPartHour},
                          {3, gkPartHour},    {4, gkPartMinute},  {6, gkPartMinute},
                          {7, gkPartSecond},  {9, gkPartSecond},  {10, gkPartAmPm},
                          {12, gkPartAmPm},   {50, gkPartAmPm}};
    for (const Case& c : cases)
        EXPECT_EQ(gkGetTimePart(c.caret, "10:20:30 PM"), c.part) << "caret " << c.caret;
    EXPECT_EQ(gkGetTimePart(4, "10:"), gkPartMinute);
    EXPECT_EQ(gkGetTimePart(5, "10"), gkPartHour);
    EXPECT_EQ(gkGetDateTimePart(4, "10:20", true), gkPartMinute);
}

TEST_F(ScanningTest, DateTimePartsFollowTheDateOrder)
{
    // "1/12/2000 10:20:30" (12 January or 1 December): date separators at 2 and 5, the date
    // ends before 10.
    struct Case {
        int caret;
        int mdy, dmy;
    };
    const Case cases[] = {
        {1, gkPartMonth, gkPartDay},      {2, gkPartMonth, gkPartDay},
        {3, gkPartDay, gkPartMonth},      {5, gkPartDay, gkPartMonth},
        {6, gkPartYear, gkPartYear},      {10, gkPartYear, gkPartYear},
        {11, gkPartHour, gkPartHour},     {13, gkPartHour, gkPartHour},
        {14, gkPartMinute, gkPartMinute}, {17, gkPartSecond, gkPartSecond},
        {19, gkPartSecond, gkPartSecond},
    };
    const char* text = "1/12/2000 10:20:30";
    for (const Case& c : cases) {
        SetDateFormat("m/d/yyyy");
        EXPECT_EQ(gkGetDateTimePart(c.caret, text, false), c.mdy) << "m/d/y caret " << c.caret;
        SetDateFormat("d/m/yyyy");
        EXPECT_EQ(gkGetDateTimePart(c.caret, text, false), c.dmy) << "d/m/y caret " << c.caret;
    }

    SetDateFormat("yyyy/m/d");
    EXPECT_EQ(gkGetDateTimePart(1, "2000/1/22", false), gkPartYear);
    EXPECT_EQ(gkGetDateTimePart(6, "2000/1/22", false), gkPartMonth);
    EXPECT_EQ(gkGetDateTimePart(8, "2000/1/22", false), gkPartDay);

    // A text that is no date yet is counted by its date separators.
    SetDateFormat("m/d/yyyy");
    EXPECT_EQ(gkGetDateTimePart(3, "1/", false), gkPartDay);
    EXPECT_EQ(gkGetDateTimePart(1, "", false), gkPartMonth);
}

TEST_F(ScanningTest, DisplayFormattedNumbersReadBack)
{
    struct Case {
        const char* text;
        const char* format;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"1,234.50", "#,##0.00", 1234.5},
        {"$1,234.50", "$#,##0.00", 1234.5},
        {"-12.5", "", -12.5},
        {"- 12.5", "", -12.5},
        {"(12.50)", "#,##0.00;(#,##0.00)", -12.5},
        {"12.50 CR", "0.00;0.00 CR", -12.5},  // the negative section has no sign at all
        {"12.50", "0.00;0.00 CR", 12.5},
        {"0.00", "0.00;(0.00)", 0.0},
        {"12 kg", "0 kg", 12},
        {".5", "", 0.5},
        {"abc", "", std::nullopt},
        {"$", "$0", std::nullopt},
        {"1.2.3", "", std::nullopt},
    };
    for (const Case& c : cases) {
        double value = 99;
        const bool ok = gkStrToFloatDisplay(c.text, c.format, value);
        ASSERT_EQ(ok, c.value.has_value()) << "\"" << c.text << "\"";
        if (ok) {
            EXPECT_DOUBLE_EQ(value, *c.value) << c.text;
        }
    }

    double untouched = 7;
    EXPECT_TRUE(gkStrToFloatDisplay("", "0.00", untouched));
    EXPECT_EQ(untouched, 7);

    rtl::FormatSettings().DecimalSeparator = ",";
    rtl::FormatSettings().ThousandSeparator = ".";
    double value = 0;
    ASSERT_TRUE(gkStrToFloatDisplay("1.234,5 €", "#.##0,0 €", value));
    EXPECT_DOUBLE_EQ(value, 1234.5);
}

#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

#include <QDate>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

using namespace rtl;

namespace {

struct DayCase {
    int year, month, day;
    double serial;
    int dayOfWeek;
};

const DayCase kDays[] = {
    {1899, 12, 30, 0, 7},          // the zero day, a Saturday
    {1899, 12, 31, 1, 1},
    {1899, 12, 29, -1, 6},         // before the zero day: negative
    {1900, 1, 1, 2, 2},
    {1900, 3, 1, 61, 5},           // 1900 is no leap year
    {1994, 6, 19, 34504, 1},
    {2000, 1, 1, 36526, 7},
    {2000, 2, 29, 36585, 3},       // 2000 is one
    {1, 1, 1, -693593, 2},         // first day of the range, a Monday
    {9999, 12, 31, 2958465, 6},    // last day of the range
};

}  // namespace

TEST(DateTime, EncodeDecodeAndWeekdayOfKnownDays)
{
    for (const DayCase& c : kDays) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.serial);
        int y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y, c.year);
        EXPECT_EQ(m, c.month);
        EXPECT_EQ(d, c.day);
        EXPECT_EQ(DayOfWeek(c.serial), c.dayOfWeek);
        EXPECT_EQ(DayOfWeek(c.serial + (c.serial < 0 ? -0.75 : 0.75)), c.dayOfWeek);
    }
}

TEST(DateTime, DecodeAgreesWithTheCalendarOverTheWholeRange)
{
    const QDate zero(1899, 12, 30);
    for (long long n = -693593; n <= 2958465; n += 97) {
        const QDate q = zero.addDays(n);
        int y, m, d;
        DecodeDate(static_cast<double>(n), y, m, d);
        ASSERT_EQ(y, q.year()) << n;
        ASSERT_EQ(m, q.month()) << n;
        ASSERT_EQ(d, q.day()) << n;
        ASSERT_EQ(EncodeDate(y, m, d), static_cast<double>(n));
        ASSERT_EQ(DayOfWeek(static_cast<double>(n)), q.dayOfWeek() % 7 + 1) << n;
    }
}

TEST(DateTime, LeapYearsAndMonthLengths)
{
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInAMonth(2000, 2), 29);
    EXPECT_EQ(DaysInAMonth(1900, 2), 28);
    EXPECT_EQ(DaysInAMonth(2023, 4), 30);
    EXPECT_EQ(DaysInAMonth(2023, 12), 31);
    EXPECT_EQ(DaysInAMonth(2023, 13), 0);
}

TEST(DateTime, InvalidDatesAndTimesAreRefused)
{
    struct { int y, m, d; } dates[] = {
        {2001, 2, 29}, {1900, 2, 29}, {0, 1, 1}, {10000, 1, 1}, {2000, 0, 1},
        {2000, 13, 1}, {2000, 1, 0}, {2000, 1, 32}, {2000, 4, 31}, {-5, 1, 1},
    };
    for (auto [y, m, d] : dates) {
        TDateTime v = 123;
        EXPECT_FALSE(TryEncodeDate(y, m, d, v)) << y << "-" << m << "-" << d;
        EXPECT_EQ(v, 123);
        EXPECT_THROW(EncodeDate(y, m, d), EConvertError);
    }
    struct { int h, n, s, ms; } times[] = {
        {24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1},
    };
    for (auto [h, n, s, ms] : times) {
        TDateTime v;
        EXPECT_FALSE(TryEncodeTime(h, n, s, ms, v)) << h << ":" << n << ":" << s << "." << ms;
        EXPECT_THROW(EncodeTime(h, n, s, ms), EConvertError);
    }
    try {
        EncodeDate(2001, 2, 29);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }
}

TEST(DateTime, TimesAndTheirMilliseconds)
{
    EXPECT_EQ(EncodeTime(0, 0, 0, 0), 0.0);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    const TDateTime v = EncodeDateTime(1994, 6, 19, 17, 34, 23, 45);
    int y, mo, d, h, n, s, ms;
    DecodeDateTime(v, y, mo, d, h, n, s, ms);
    EXPECT_EQ((std::array{y, mo, d, h, n, s, ms}), (std::array{1994, 6, 19, 17, 34, 23, 45}));
    // Every millisecond of a day comes back as itself.
    for (int t = 0; t < MSecsPerDay; t += 86399) {
        DecodeTime(34504 + static_cast<double>(t) / MSecsPerDay, h, n, s, ms);
        ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + ms, t);
    }
}

TEST(DateTime, TimeThatRoundsToMidnightMovesToTheNextDay)
{
    int y, mo, d, h, n, s, ms;
    DecodeDateTime(1.0 - 1e-12, y, mo, d, h, n, s, ms);
    EXPECT_EQ((std::array{y, mo, d, h, n, s, ms}), (std::array{1899, 12, 31, 0, 0, 0, 0}));
    // 29 December 1899 at 23:59:59.9999... is midnight of the 30th.
    DecodeDateTime(-2.0 + 1e-12, y, mo, d, h, n, s, ms);
    EXPECT_EQ((std::array{y, mo, d, h, n, s, ms}), (std::array{1899, 12, 30, 0, 0, 0, 0}));
}

TEST(DateTime, DatesBeforeTheZeroDayKeepTheTimeAsAbsoluteFraction)
{
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_EQ(ComposeDateTime(2, 0.25), 2.25);
    // Split and joined again, a value is itself on either side of the zero day.
    for (double v : {-1.25, 2.25, -693593.5, 45000.75, 0.5, 3.0, -3.0}) {
        EXPECT_GE(TimeOf(v), 0.0) << v;
        EXPECT_LT(TimeOf(v), 1.0) << v;
        EXPECT_EQ(ComposeDateTime(DateOf(v), TimeOf(v)), v) << v;
    }
    EXPECT_EQ(DateOf(-1.25), -1.0);
    EXPECT_EQ(TimeOf(-1.25), 0.25);
    int y, mo, d, h, n, s, ms;
    DecodeDateTime(-1.25, y, mo, d, h, n, s, ms);
    EXPECT_EQ((std::array{y, mo, d, h, n, s, ms}), (std::array{1899, 12, 29, 6, 0, 0, 0}));
    DecodeDateTime(-693593.5, y, mo, d, h, n, s, ms);
    EXPECT_EQ((std::array{y, mo, d, h, n, s, ms}), (std::array{1, 1, 1, 12, 0, 0, 0}));
}

TEST(DateTime, ValuesOutsideTheCalendarRaise)
{
    for (double v : {-693594.0, 2958466.0, 1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()}) {
        int y, m, d;
        EXPECT_THROW(DecodeDate(v, y, m, d), EConvertError) << v;
        EXPECT_THROW(DayOfWeek(v), EConvertError) << v;
    }
    EXPECT_NO_THROW(DayOfWeek(MinDateTime));
    EXPECT_NO_THROW(DayOfWeek(MaxDateTime));
}

TEST(DateTime, ClockValuesFitTogether)
{
    const TDateTime today = Date();
    const TDateTime now = Now();
    const TDateTime time = Time();
    EXPECT_EQ(today, std::trunc(today));
    EXPECT_GE(time, 0.0);
    EXPECT_LT(time, 1.0);
    // Now lies on today, or just after midnight on the next day.
    EXPECT_GE(now, today);
    EXPECT_LT(now, today + 2);
}

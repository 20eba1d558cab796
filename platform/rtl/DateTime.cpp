#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

#include <QDateTime>

#include <cmath>

namespace rtl {

namespace {

// Day numbers (days since 30 December 1899) of 1 January 0001 and 31 December 9999.
constexpr long long FirstDay = -693593;
constexpr long long LastDay = 2958465;

constexpr int DaysBeforeMonth[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

// The calendar day and the milliseconds into it of a value, with the time rounded to
// milliseconds and a time that rounds up to 24:00 carried into the next day.
struct DaySplit {
    long long day;
    int msec;
};

DaySplit SplitValue(TDateTime value)
{
    if (!std::isfinite(value) || value <= double(FirstDay - 1) || value >= double(LastDay + 1))
        throw EConvertError("Invalid date-time value");
    const double whole = std::trunc(value);
    long long day = static_cast<long long>(whole);
    long long msec = std::llround(std::fabs(value - whole) * MSecsPerDay);
    if (msec >= MSecsPerDay) {
        ++day;
        msec = 0;
    }
    if (day < FirstDay || day > LastDay)
        throw EConvertError("Invalid date-time value");
    return {day, static_cast<int>(msec)};
}

void DayToDate(long long day, int& year, int& month, int& dayOfMonth)
{
    long long n = day - FirstDay;  // days since 1 January 0001, from 0
    const long long y400 = n / 146097;
    n %= 146097;
    long long y100 = n / 36524;
    if (y100 == 4)
        y100 = 3;  // the last day of a 400-year cycle
    n -= y100 * 36524;
    const long long y4 = n / 1461;
    n %= 1461;
    long long y1 = n / 365;
    if (y1 == 4)
        y1 = 3;  // the last day of a leap year
    n -= y1 * 365;
    year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    const int* before = DaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
    month = 1;
    while (n >= before[month])
        ++month;
    dayOfMonth = static_cast<int>(n - before[month - 1] + 1);
}

}  // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    const int* before = DaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
    return before[month] - before[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    const long long y = year - 1;
    const long long days = y * 365 + y / 4 - y / 100 + y / 400
        + DaysBeforeMonth[IsLeapYear(year) ? 1 : 0][month - 1] + day;
    date = static_cast<double>(days - DateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError("Invalid argument to date encode");
    return date;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time)
{
    if (hour < 0 || hour >= HoursPerDay || min < 0 || min >= MinsPerHour || sec < 0 || sec >= SecsPerMin
        || msec < 0 || msec >= MSecsPerSec)
        return false;
    time = static_cast<double>(((hour * MinsPerHour + min) * SecsPerMin + sec) * MSecsPerSec + msec)
        / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime time;
    if (!TryEncodeTime(hour, min, sec, msec, time))
        throw EConvertError("Invalid argument to time encode");
    return time;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time)
{
    return date < 0 ? date - std::fabs(time) : date + std::fabs(time);
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec)
{
    return ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    DayToDate(SplitValue(value).day, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec)
{
    int ms = SplitValue(value).msec;
    hour = ms / 3600000;
    ms %= 3600000;
    min = ms / 60000;
    ms %= 60000;
    sec = ms / 1000;
    msec = ms % 1000;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec)
{
    // One split for both halves (formatting a date-time decodes every value it writes).
    const DaySplit split = SplitValue(value);
    DayToDate(split.day, year, month, day);
    int ms = split.msec;
    hour = ms / 3600000;
    ms %= 3600000;
    min = ms / 60000;
    ms %= 60000;
    sec = ms / 1000;
    msec = ms % 1000;
}

int DayOfWeek(TDateTime value)
{
    // 1 January 0001 was a Monday.
    const long long n = SplitValue(value).day - FirstDay;
    return static_cast<int>((n + 1) % 7) + 1;
}

TDateTime Date()
{
    const QDate today = QDate::currentDate();
    return EncodeDate(today.year(), today.month(), today.day());
}

TDateTime Time()
{
    const QTime now = QTime::currentTime();
    return EncodeTime(now.hour(), now.minute(), now.second(), now.msec());
}

TDateTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec());
}

}  // namespace rtl

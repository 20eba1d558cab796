#pragma once
// Date-time values of the class library: a double counting days since 30 December 1899, with the
// time of day as the fraction. Dates before that day are negative; their integer part is still the
// day and the fraction's absolute value the time, so -1.25 is 29 December 1899, 06:00.
//
// Calendar: proleptic Gregorian, years 1 to 9999.

namespace rtl {

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerHour = 60;
constexpr int SecsPerMin = 60;
constexpr int MSecsPerSec = 1000;
constexpr int MinsPerDay = HoursPerDay * MinsPerHour;
constexpr int SecsPerDay = MinsPerDay * SecsPerMin;
constexpr int MSecsPerDay = SecsPerDay * MSecsPerSec;

// Days from 1 January of year 1 to 30 December 1899.
constexpr int DateDelta = 693594;

// 1 January 0001 and 31 December 9999, 23:59:59.999.
constexpr TDateTime MinDateTime = -693593.0;
constexpr TDateTime MaxDateTime = 2958465.99999999;

bool IsLeapYear(int year);
// Days of a month (1-12) of a year; 0 for a month out of range.
int DaysInAMonth(int year, int month);

// Dates: year 1-9999, month 1-12, day 1 to the month's length.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
// Raises EConvertError "Invalid argument to date encode".
TDateTime EncodeDate(int year, int month, int day);

// Times: hour 0-23, minute 0-59, second 0-59, millisecond 0-999.
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
// Raises EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(int hour, int min, int sec, int msec);

// Raises EConvertError like EncodeDate and EncodeTime.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// A date (whole days) and a time (fraction) joined into one value; for dates before
// 30 December 1899 the time is subtracted, so the value keeps the convention above.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// The two halves ComposeDateTime joins: the whole days (towards zero) and the time of day (the
// fraction's absolute value), so ComposeDateTime(DateOf(v), TimeOf(v)) == v.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

// The value is split at millisecond precision (a time that rounds up to 24:00 becomes the next
// day). Values outside MinDateTime..MaxDateTime and NaN raise EConvertError "Invalid date-time value".
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Local clock: today at midnight, the time of day only, and both.
TDateTime Date();
TDateTime Time();
TDateTime Now();

}  // namespace rtl

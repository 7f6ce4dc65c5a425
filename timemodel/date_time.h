// The date-time value (days since 1899-12-30 00:00, time of day as the fraction), the
// rule-time layout, and the calendar routines around them.
#pragma once

#include <cstdint>

namespace velkaro {

using TDateTime = double;

// Calendar fields of a date-time; DayOfWeek is 0 = Sunday .. 6 = Saturday.
struct TDateTimeFields {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    int DayOfWeek = 0;
    bool operator==(const TDateTimeFields&) const = default;
};

// The rule time: eight unsigned 16-bit fields. In an instant wDayOfWeek is unused; in a
// recurring rule (wYear 0) it is 1 = Sunday .. 7 = Saturday and wDay is the week (5 = last).
struct TSystemTime {
    uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
    uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
    bool operator==(const TSystemTime&) const = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int month, int year);
int DayOfYear(int year, int month, int day);

// Exact to the millisecond: the value is rounded to the nearest millisecond before splitting.
// A value outside the years 1..9999 (NaN and infinities too) throws velkaro::Error "Invalid date".
TDateTimeFields DecodeDateTime(TDateTime t);
// Fields need not be normalised for the time of day (hour 26 is 02:00 of the next day), but
// year, month and day must form a real date; throws velkaro::Error otherwise.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);
bool IsValidDate(int year, int month, int day);

// Whole milliseconds since 1899-12-30 00:00 (rounded; throws as DecodeDateTime does), and back;
// the year such a count falls in.
int64_t DateTimeToMs(TDateTime t);
TDateTime MsToDateTime(int64_t ms);
int YearOfMs(int64_t ms);

TDateTime IncTime(TDateTime t, int hours, int minutes, int seconds, int milliseconds);

TSystemTime DateTimeToSystemTime(TDateTime t);
TDateTime SystemTimeToDateTime(const TSystemTime& st);

// Current UTC time to the millisecond, from the platform clock.
TDateTime UtcNow();
// The computer's local wall-clock time, from the platform clock.
TDateTime LocalNow();

}  // namespace velkaro

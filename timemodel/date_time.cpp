// Date-time values and the calendar. A value is split by rounding it to the nearest
// millisecond first, so conversions are exact to the millisecond both ways.
#include "timemodel/date_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/error.h"

namespace velkaro {

namespace {

constexpr int64_t kMsPerDay = 86'400'000;

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// 1899-12-30, the date-time epoch, counted from 1970-01-01.
constexpr int64_t kEpochOffset = -25569;

// The calendar's range, 0001-01-01 up to (not including) 10000-01-01, in days from the epoch.
constexpr int64_t kFirstDay = -693'593;
constexpr int64_t kEndDay = 2'958'466;

std::string OutOfRangeText(TDateTime t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", t);
    return std::string("Invalid date: the value ") + buf + " lies outside the years 1 to 9999";
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int DayOfYear(int year, int month, int day) {
    int n = day;
    for (int m = 1; m < month; ++m) n += DaysInMonth(m, year);
    return n;
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(month, year);
}

TDateTimeFields DecodeDateTime(TDateTime t) {
    const int64_t ms = DateTimeToMs(t);
    const int64_t days = FloorDiv(ms, kMsPerDay);
    int64_t rest = ms - days * kMsPerDay;
    TDateTimeFields f;
    CivilFromDays(days + kEpochOffset, f.Year, f.Month, f.Day);
    f.Millisecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    f.Second = static_cast<int>(rest % 60);
    rest /= 60;
    f.Minute = static_cast<int>(rest % 60);
    f.Hour = static_cast<int>(rest / 60);
    // 1899-12-30 was a Saturday.
    f.DayOfWeek = static_cast<int>(((days + 6) % 7 + 7) % 7);
    return f;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    if (!IsValidDate(year, month, day))
        throw Error("Invalid date: " + std::to_string(year) + "-" + std::to_string(month) + "-" +
                    std::to_string(day));
    const int64_t days = DaysFromCivil(year, month, day) - kEpochOffset;
    const int64_t ms = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(days * kMsPerDay + ms) / static_cast<double>(kMsPerDay);
}

int64_t DateTimeToMs(TDateTime t) {
    // Checked here, where every split of a value begins: outside the calendar's years the
    // millisecond count and the fields made from it would overflow (and NaN has no count).
    if (!std::isfinite(t) || t < kFirstDay - 1 || t > kEndDay + 1) throw Error(OutOfRangeText(t));
    const int64_t ms = std::llround(t * static_cast<double>(kMsPerDay));
    if (ms < kFirstDay * kMsPerDay || ms >= kEndDay * kMsPerDay) throw Error(OutOfRangeText(t));
    return ms;
}

TDateTime MsToDateTime(int64_t ms) { return static_cast<double>(ms) / static_cast<double>(kMsPerDay); }

int YearOfMs(int64_t ms) {
    int year, month, day;
    CivilFromDays(FloorDiv(ms, kMsPerDay) + kEpochOffset, year, month, day);
    return year;
}

TDateTime IncTime(TDateTime t, int hours, int minutes, int seconds, int milliseconds) {
    // The millisecond sum is kept in 64 bits so that large shifts cannot overflow.
    const int64_t ms = static_cast<int64_t>(hours % 24) * 3'600'000 +
                       static_cast<int64_t>(minutes) * 60'000 +
                       static_cast<int64_t>(seconds) * 1000 + milliseconds;
    return t + (hours / 24) + static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

TSystemTime DateTimeToSystemTime(TDateTime t) {
    const TDateTimeFields f = DecodeDateTime(t);
    TSystemTime st;
    st.wYear = static_cast<uint16_t>(f.Year);
    st.wMonth = static_cast<uint16_t>(f.Month);
    st.wDayOfWeek = static_cast<uint16_t>(f.DayOfWeek);
    st.wDay = static_cast<uint16_t>(f.Day);
    st.wHour = static_cast<uint16_t>(f.Hour);
    st.wMinute = static_cast<uint16_t>(f.Minute);
    st.wSecond = static_cast<uint16_t>(f.Second);
    st.wMilliseconds = static_cast<uint16_t>(f.Millisecond);
    return st;
}

TDateTime SystemTimeToDateTime(const TSystemTime& st) {
    // Hours and minutes are read as signed so that rule times may roll into neighbouring days.
    return EncodeDateTime(st.wYear, st.wMonth, st.wDay, static_cast<int16_t>(st.wHour),
                          static_cast<int16_t>(st.wMinute), st.wSecond, st.wMilliseconds);
}

namespace {
TDateTime FromPlatform(const TPlatformTime& p) {
    return EncodeDateTime(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Millisecond);
}
}  // namespace

TDateTime UtcNow() { return FromPlatform(SystemTimeUtc()); }
TDateTime LocalNow() { return FromPlatform(SystemTimeLocal()); }

}  // namespace velkaro

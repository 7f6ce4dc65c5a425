#include "timemodel/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/error.h"

namespace velkaro {
namespace {

TEST(Calendar, LeapYearsAndMonthLengths) {
    struct Case { int year; bool leap; } cases[] = {{1900, false}, {2000, true}, {2004, true},
                                                    {2100, false}, {2400, true}, {2026, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
        EXPECT_EQ(DaysInMonth(2, c.year), c.leap ? 29 : 28) << c.year;
        EXPECT_EQ(DayOfYear(c.year, 12, 31), c.leap ? 366 : 365) << c.year;
    }
    EXPECT_EQ(DaysInMonth(4, 2026), 30);
    EXPECT_EQ(DaysInMonth(12, 2026), 31);
    EXPECT_EQ(DayOfYear(2026, 2, 1), 32);
}

TEST(DateTimeValue, EpochAndKnownDays) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1), 36526.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 12), 36526.5);
    // 2026-12-05 was a Saturday.
    EXPECT_EQ(DecodeDateTime(EncodeDateTime(2026, 12, 5)).DayOfWeek, 6);
    EXPECT_THROW(EncodeDateTime(2026, 2, 29), Error);
    EXPECT_THROW(EncodeDateTime(2026, 13, 1), Error);
}

TEST(DateTimeValue, RoundTripsEveryMillisecondField) {
    const TDateTimeFields samples[] = {
        {1970, 1, 1, 0, 0, 0, 0, 4},        {2006, 5, 3, 17, 12, 5, 123, 3},
        {2000, 2, 29, 23, 59, 59, 999, 2},  {2099, 12, 31, 23, 59, 59, 999, 4},
        {1899, 12, 30, 0, 0, 0, 1, 6},      {2038, 1, 19, 3, 14, 7, 500, 2},
    };
    for (const auto& s : samples) {
        const TDateTime t = EncodeDateTime(s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second, s.Millisecond);
        EXPECT_EQ(DecodeDateTime(t), s) << s.Year << "-" << s.Month << "-" << s.Day;
        EXPECT_EQ(SystemTimeToDateTime(DateTimeToSystemTime(t)), t);
    }
    // Every millisecond of a second survives the trip through the floating-point value.
    const TDateTime base = EncodeDateTime(2031, 7, 14, 9, 30, 15);
    for (int ms = 0; ms < 1000; ++ms)
        ASSERT_EQ(DecodeDateTime(IncTime(base, 0, 0, 0, ms)).Millisecond, ms);
}

TEST(DateTimeValue, OutOfRangeHoursRollIntoNeighbouringDays) {
    EXPECT_EQ(EncodeDateTime(2026, 3, 26, 26), EncodeDateTime(2026, 3, 27, 2));
    EXPECT_EQ(EncodeDateTime(2026, 3, 1, -1), EncodeDateTime(2026, 2, 28, 23));
}

TEST(IncTime, ShiftsBySignedAmounts) {
    const TDateTime t = EncodeDateTime(2006, 12, 31, 20, 0, 0);
    struct Case { int h, m, s, ms; TDateTime expected; } cases[] = {
        {14, 0, 0, 0, EncodeDateTime(2007, 1, 1, 10)}, {-8, 0, 0, 0, EncodeDateTime(2006, 12, 31, 12)},
        {0, -480, 0, 0, EncodeDateTime(2006, 12, 31, 12)}, {49, 30, 0, 0, EncodeDateTime(2007, 1, 2, 21, 30)},
        {-49, 0, -1, -1, EncodeDateTime(2006, 12, 29, 18, 59, 58, 999)},
        {0, 0, 0, 1, EncodeDateTime(2006, 12, 31, 20, 0, 0, 1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeDateTime(IncTime(t, c.h, c.m, c.s, c.ms)), DecodeDateTime(c.expected))
            << c.h << ":" << c.m << ":" << c.s << "." << c.ms;
}

// Values outside the calendar's years used to overflow the millisecond count (found by fuzzing
// the formatter and the zone conversions).
TEST(DateTimeValue, ValuesOutsideTheYearsOneTo9999AreAnInvalidDate) {
    const TDateTime first = EncodeDateTime(1, 1, 1);
    const TDateTime end = EncodeDateTime(9999, 12, 31) + 1;
    const TDateTime cases[] = {
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), 1e300, -1e300, 1.0675e14, -1.0675e14,
        first - 1.0 / 86'400'000, end, end + 400, first - 400,
    };
    for (const TDateTime t : cases) {
        try {
            DecodeDateTime(t);
            ADD_FAILURE() << "no error for " << t;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Invalid date", 0), 0u) << e.what();
        }
        EXPECT_THROW(DateTimeToSystemTime(t), Error) << t;
        EXPECT_THROW(DateTimeToMs(t), Error) << t;
    }
    EXPECT_EQ(DecodeDateTime(first), (TDateTimeFields{1, 1, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(DecodeDateTime(IncTime(end, 0, 0, 0, -1)), (TDateTimeFields{9999, 12, 31, 23, 59, 59, 999, 5}));
}

}  // namespace
}  // namespace velkaro

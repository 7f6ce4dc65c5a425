#include "tools/time_calc.h"

#include <gtest/gtest.h>

#include "test_cities.h"

namespace velkaro {
namespace {

using test::CitiesTest;

TTimeQuestion Ask(int year, int month, int day, int hour, int minute) {
    return {hour % 12, minute, hour / 12, day - 1, month - 1, year - kFirstListYear};
}

TEST_F(CitiesTest, AnswerIsTheSecondCitysWallClock) {
    struct Case { int from, to; TTimeQuestion q; const char* answer; };
    const Case cases[] = {
        {test::kPlusOne, test::kMinusFive, Ask(2006, 6, 1, 12, 0), "2006-06-01 06:00"},
        {test::kPlusOne, test::kMinusFive, Ask(2006, 12, 31, 23, 30), "2006-12-31 17:30"},
        {test::kMinusFive, test::kPlusNine, Ask(2006, 12, 31, 20, 0), "2007-01-01 10:00"},
        {test::kPlusNine, test::kMinusFive, Ask(2007, 1, 1, 10, 0), "2006-12-31 20:00"},
        {test::kEastern, test::kPlusOne, Ask(2026, 7, 1, 9, 0), "2026-07-01 14:00"},
        {test::kEastern, test::kPlusOne, Ask(2026, 1, 15, 9, 0), "2026-01-15 15:00"},
        // Same city both sides: the time asked about comes back...
        {test::kEastern, test::kEastern, Ask(2026, 7, 1, 10, 0), "2026-07-01 10:00"},
        {test::kEastern, test::kEastern, Ask(2026, 3, 8, 1, 59), "2026-03-08 01:59"},
        {test::kEastern, test::kEastern, Ask(2026, 3, 8, 3, 0), "2026-03-08 03:00"},
        // ...except in the skipped hour, read as daylight time, which comes back an hour earlier.
        {test::kEastern, test::kEastern, Ask(2026, 3, 8, 2, 30), "2026-03-08 01:30"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeAnswer(c.q, c.from, c.to, "yy-mm-dd HH:MM"), c.answer) << c.answer;
}

TEST_F(CitiesTest, NoAnswerWithoutBothCities) {
    EXPECT_EQ(ComputeAnswer(Ask(2006, 6, 1, 12, 0), -1, 0, "HH"), "");
    EXPECT_EQ(ComputeAnswer(Ask(2006, 6, 1, 12, 0), 0, -1, "HH"), "");
    EXPECT_EQ(ComputeAnswer(Ask(2006, 6, 1, 12, 0), 0, 4, "HH"), "");
    EXPECT_EQ(ComputeAnswer(TTimeQuestion{}, 0, 1, "HH"), "");
}

}  // namespace
}  // namespace velkaro

#include "tools/time_question.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(TimeQuestionTest, HourAndAmPmMakeTheHourOfTheDay) {
    struct Case { int hour, ampm, expected; };
    for (Case c : {Case{0, 0, 0}, Case{0, 1, 12}, Case{11, 1, 23}, Case{11, 0, 11}, Case{1, 1, 13}}) {
        TTimeQuestion q{c.hour, 30, c.ampm, 4, 11, 56};
        EXPECT_EQ(QuestionDateTime(q), EncodeDateTime(2026, 12, 5, c.expected, 30))
            << c.hour << " " << c.ampm;
    }
}

TEST(TimeQuestionTest, IncompleteQuestionHasNoTime) {
    EXPECT_FALSE(QuestionDateTime(TTimeQuestion{}));
    EXPECT_FALSE(QuestionDateTime(TTimeQuestion{0, 0, 0, 0, 0, -1}));
}

TEST(TimeQuestionTest, PresetFromTheClock) {
    EXPECT_EQ(QuestionAt(EncodeDateTime(2026, 12, 5, 13, 7, 42)), (TTimeQuestion{1, 7, 1, 4, 11, 56}));
    EXPECT_EQ(QuestionAt(EncodeDateTime(2026, 1, 1, 0, 0)), (TTimeQuestion{0, 0, 0, 0, 0, 56}));
    EXPECT_EQ(QuestionAt(EncodeDateTime(2026, 1, 1, 12, 0)), (TTimeQuestion{0, 0, 1, 0, 0, 56}));
}

TEST(TimeQuestionTest, YearsOutsideTheListTakeItsNearerEnd) {
    EXPECT_EQ(YearIndex(1969), 0);
    EXPECT_EQ(YearIndex(1970), 0);
    EXPECT_EQ(YearIndex(2099), 129);
    EXPECT_EQ(YearIndex(2150), 129);
    EXPECT_EQ(QuestionAt(EncodeDateTime(1960, 6, 1)).Year, 0);
    // 29 February of a leap year beyond the list falls on the last day of February 2099.
    TTimeQuestion q = QuestionAt(EncodeDateTime(2104, 2, 29, 10, 0));
    EXPECT_EQ(q.Year, 129);
    EXPECT_EQ(q.Day, 27);
    EXPECT_EQ(QuestionDateTime(q), EncodeDateTime(2099, 2, 28, 10, 0));
}

TEST(TimeQuestionTest, DayListRebuildKeepsTheDayOrTakesTheLast) {
    struct Case { int dayIndex, dayCount, expected; };
    for (Case c : {Case{30, 28, 27}, Case{30, 29, 28}, Case{27, 31, 27}, Case{28, 31, 28}, Case{0, 28, 0},
                   Case{-1, 30, 29}}) {
        EXPECT_EQ(RebuildDayIndex(c.dayIndex, c.dayCount), c.expected) << c.dayIndex << " " << c.dayCount;
    }
}

}  // namespace
}  // namespace velkaro

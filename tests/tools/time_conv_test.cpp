#include "tools/time_conv.h"

#include <gtest/gtest.h>

#include "test_cities.h"

namespace velkaro {
namespace {

using test::CitiesTest;
using test::NoCitiesTest;

TEST(TimeConvTest, LengthOfTheVelkaroYear) {
    struct Case { int yearSpin, days; };
    for (Case c : {Case{0, 366}, Case{1, 365}, Case{4, 366}, Case{100, 365}, Case{400, 366}, Case{-30, 365},
                   Case{-28, 366}, Case{999, 365}}) {
        EXPECT_EQ(VelkaroDaysInYear(c.yearSpin), c.days) << c.yearSpin;
    }
}

TEST(TimeConvTest, DayOfYearToDate) {
    struct Case { int n, year; TDate date; };
    for (Case c : {Case{1, 2001, {2001, 1, 1}}, Case{31, 2001, {2001, 1, 31}}, Case{32, 2001, {2001, 2, 1}},
                   Case{60, 2000, {2000, 2, 29}}, Case{60, 2001, {2001, 3, 1}}, Case{365, 2001, {2001, 12, 31}},
                   Case{366, 2000, {2000, 12, 31}}, Case{365, 2000, {2000, 12, 30}}}) {
        EXPECT_EQ(DateOfDayOfYear(c.n, c.year), c.date) << c.n << " " << c.year;
    }
}

TEST(TimeConvTest, VelkaroMidnightOfTheFirstDayOf2000Is0800Utc) {
    EXPECT_EQ(VelkaroSpinsToUtc(0, 1, 0), EncodeDateTime(2000, 1, 1, 8, 0));
    EXPECT_EQ(VelkaroSpinsToUtc(1439, 366, 0), EncodeDateTime(2001, 1, 1, 7, 59));
}

TEST(TimeConvTest, SpinsAtAnInstant) {
    // 00:00 UTC on 1 January 2007 is 16:00 on 31 December 2006 in Velkaro time.
    EXPECT_EQ(VelkaroSpinsAt(EncodeDateTime(2007, 1, 1)), (TVelkaroSpins{960, 365, 365, 6}));
    EXPECT_EQ(VelkaroSpinsAt(EncodeDateTime(2000, 12, 31, 20, 0, 30)), (TVelkaroSpins{720, 366, 366, 0}));
    EXPECT_EQ(VelkaroSpinsAt(EncodeDateTime(2006, 5, 3, 17, 12, 5)), (TVelkaroSpins{552, 123, 365, 6}));
}

TEST_F(CitiesTest, ConvertToVelkaroTakesTheCitysZone) {
    // 12:00 (index 0, PM) on 3 May 2006 one hour east of UTC is 11:00 UTC, 03:00 Velkaro time.
    TTimeQuestion noon{0, 0, 1, 2, 4, 36};
    EXPECT_EQ(ConvertToVelkaro(noon, test::kPlusOne), "@0180.00 d123 y006");
    EXPECT_EQ(ConvertToVelkaro(noon, test::kMinusFive), "@0540.00 d123 y006");
    // Daylight time: 12:00 in the eastern city is 16:00 UTC in May.
    EXPECT_EQ(ConvertToVelkaro(noon, test::kEastern), "@0480.00 d123 y006");
    // Midnight on 1 January 2000 one hour east is the previous Velkaro day.
    EXPECT_EQ(ConvertToVelkaro(TTimeQuestion{0, 0, 0, 0, 0, 30}, test::kPlusOne), "@0900.00 d365 y-001");
}

TEST_F(CitiesTest, ConvertFromVelkaroShowsTheCitysWallClock) {
    const std::string pattern = "yy-mm-dd HH:MM";
    EXPECT_EQ(ConvertFromVelkaro(0, 1, 0, test::kPlusOne, pattern), "2000-01-01 09:00");
    EXPECT_EQ(ConvertFromVelkaro(0, 1, 0, test::kPlusNine, pattern), "2000-01-01 17:00");
    EXPECT_EQ(ConvertFromVelkaro(0, 1, 0, test::kMinusFive, pattern), "2000-01-01 03:00");
    EXPECT_EQ(ConvertFromVelkaro(600, 60, 1, test::kPlusOne, pattern), "2001-03-01 19:00");
    EXPECT_EQ(ConvertFromVelkaro(600, 182, 26, test::kEastern, pattern), "2026-07-01 14:00");
}

TEST_F(NoCitiesTest, WithoutACityNothingIsConverted) {
    EXPECT_EQ(ConvertToVelkaro(TTimeQuestion{0, 0, 1, 2, 4, 36}, -1), "");
    EXPECT_EQ(ConvertToVelkaro(TTimeQuestion{0, 0, 1, 2, 4, 36}, 0), "");
    EXPECT_EQ(ConvertFromVelkaro(0, 1, 0, -1, "HH"), std::nullopt);
    EXPECT_EQ(ConvertFromVelkaro(0, 1, 0, 0, "HH"), std::nullopt);
}

}  // namespace
}  // namespace velkaro

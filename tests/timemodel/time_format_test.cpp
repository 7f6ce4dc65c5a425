#include "timemodel/time_format.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(VelkaroTimeText, FourVariants) {
    const TDateTime utc = EncodeDateTime(2006, 5, 3, 17, 12, 5, 900);
    struct Case { int variant; const char* text; } cases[] = {
        {0, "@0552.05 d123 y006"}, {1, "@0552.05 d123"}, {2, "@0552 d123 y006"},
        {3, "@0552 d123"},         {7, "@0552.05 d123 y006"}, {-1, "@0552.05 d123 y006"},
    };
    for (const auto& c : cases) EXPECT_EQ(VelkaroTimeText(VelkaroZone(), c.variant, utc), c.text) << c.variant;
    EXPECT_EQ(VelkaroTimeText(VelkaroZone(), 0, EncodeDateTime(2007, 1, 1)), "@0960.00 d365 y006");
    // Before 2000 the year is negative, written with its padded digits.
    EXPECT_EQ(VelkaroTimeText(VelkaroZone(), 0, EncodeDateTime(1999, 1, 1, 8)), "@0000.00 d001 y-001");
    EXPECT_EQ(VelkaroTemplate(3), "@0000 d000");
    EXPECT_EQ(VelkaroTemplate(9), "@0000.00 d000 y000");
}

TEST(WeekOfYear, YearEndsAndStarts) {
    struct Case { int y, m, d, week; } cases[] = {
        {2025, 12, 31, 53},  // never moved into week 1 of the next year
        {2026, 1, 1, 1},     // 1 January 2026 is a Thursday
        {2026, 1, 5, 2},
        {2027, 1, 1, 53},    // a Friday: belongs to the last week of 2026
        {2027, 1, 4, 1},     // first Monday
        {2024, 1, 1, 1},     // a Monday
        {2024, 1, 8, 2},
        {2021, 1, 3, 53},    // a Sunday after a Friday start: week of 31 Dec 2020
        {2026, 12, 6, 49},
    };
    for (const auto& c : cases) EXPECT_EQ(WeekOfYear(c.y, c.m, c.d), c.week) << c.y << "-" << c.m << "-" << c.d;
}

TEST(FormatTimePattern, EveryToken) {
    const TDateTime t = EncodeDateTime(2026, 12, 5, 13, 5, 9);  // a Saturday, day 339
    struct Case { const char* pattern; const char* text; } cases[] = {
        {"", ""}, {"D x", "12/5/2026 1:05:09 PM"}, {"DD xx", "Saturday, December 5, 2026 01:05:09 PM"},
        {"m.d.yy", "12/5/2026"}, {"nn n", "339 339"}, {"YY Y", "49 49"}, {"yy y", "2026 26"},
        {"mmmm mmm mm m", "December Dec 12 12"}, {"mmmmm", "December12"}, {"TT tt", "PM pm"},
        {"ww w W", "Saturday Sat 6"}, {"hh h HH H", "01 1 13 13"}, {"MM M SS S", "05 5 09 9"}, {"dd d", "05 5"},
        {"HH:MM:SS", "13:05:09"}, {"a~b|c", "a\tb\r\nc"}, {"'at' HH", "at 13"}, {"''HH", "'13"}, {"'a''b'", "ab"},
        {"'open HH", "open HH"}, {"qz!", "qz!"}, {"w, dd mmm, yy HH:MM:SS", "Sat, 05 Dec, 2026 13:05:09"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTimePattern(c.pattern, t), c.text) << '"' << c.pattern << '"';
}

TEST(FormatTimePattern, HoursAndDaysAroundTheClock) {
    struct Case { int y, mo, d, h, mi; const char* pattern; const char* text; } cases[] = {
        {2026, 12, 5, 0, 30, "hh h tt", "12 12 am"}, {2026, 12, 5, 12, 0, "hh tt", "12 pm"},
        {2026, 12, 5, 11, 59, "x", "11:59:00 AM"}, {2026, 12, 5, 0, 0, "xx", "12:00:00 AM"},
        {2026, 2, 1, 9, 0, "nn n", "032 32"}, {2026, 1, 1, 9, 0, "nn", "001"}, {2006, 5, 3, 9, 0, "y", "6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTimePattern(c.pattern, EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi)), c.text) << c.pattern;
}

}  // namespace
}  // namespace velkaro

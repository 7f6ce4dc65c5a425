#include "timemodel/zone_rules.h"

#include <gtest/gtest.h>

#include "timemodel/zone_list.h"

namespace velkaro {
namespace {

TSystemTime Rule(int month, int dayOfWeek, int week, int hour = 2) {
    TSystemTime r;
    r.wMonth = static_cast<uint16_t>(month);
    r.wDayOfWeek = static_cast<uint16_t>(dayOfWeek);
    r.wDay = static_cast<uint16_t>(week);
    r.wHour = static_cast<uint16_t>(hour);
    return r;
}

TSystemTime At(int y, int mo, int d, int h, int mi = 0) {
    return DateTimeToSystemTime(EncodeDateTime(y, mo, d, h, mi));
}

TEST(ResolveRuleDate, WeeksOfAMonth) {
    // March 2026 starts on a Sunday and ends on a Tuesday.
    struct Case { int dayOfWeek, week, expectedDay; } cases[] = {
        {1, 1, 1}, {2, 1, 2}, {7, 1, 7}, {1, 2, 8}, {1, 4, 22}, {1, 5, 29}, {3, 5, 31}, {4, 5, 25},
    };
    for (const auto& c : cases) {
        const TSystemTime r = ResolveRuleDate(2026, Rule(3, c.dayOfWeek, c.week));
        EXPECT_EQ(r.wDay, c.expectedDay) << "weekday " << c.dayOfWeek << " week " << c.week;
        EXPECT_EQ(r.wYear, 2026);
        EXPECT_EQ(r.wHour, 2);
    }
}

class ZoneConversion : public ::testing::Test {
protected:
    // New York's rules: second Sunday of March 02:00, back at 02:00 daylight = 01:00 standard.
    TZone newYork{"New York,-300,-240,2,1,2,2,0,10,1,1,1,0"};
};

TEST_F(ZoneConversion, NorthernSwitchesFromUtc) {
    struct Case { TSystemTime utc, local; } cases[] = {
        {At(2026, 1, 15, 12), At(2026, 1, 15, 7)},
        {At(2026, 3, 8, 6, 59), At(2026, 3, 8, 1, 59)},   // minute before the spring switch
        {At(2026, 3, 8, 7, 0), At(2026, 3, 8, 3, 0)},     // jumps one hour
        {At(2026, 7, 1, 12), At(2026, 7, 1, 8)},
        {At(2026, 11, 1, 5, 59), At(2026, 11, 1, 1, 59)}, // last daylight minute
        {At(2026, 11, 1, 6, 0), At(2026, 11, 1, 1, 0)},   // falls back: 01:00 comes twice
    };
    for (const auto& c : cases)
        EXPECT_EQ(UtcToZoneTime(newYork.Rules, c.utc), c.local)
            << c.utc.wMonth << "/" << c.utc.wDay << " " << c.utc.wHour << ":" << c.utc.wMinute;
}

TEST_F(ZoneConversion, NorthernWallClockToUtcReadsSkippedAndRepeatedTimes) {
    struct Case { TSystemTime local, utc; } cases[] = {
        {At(2026, 3, 8, 2, 30), At(2026, 3, 8, 6, 30)},   // skipped hour read as daylight
        {At(2026, 11, 1, 0, 30), At(2026, 11, 1, 4, 30)}, // hour before the switch: daylight
        {At(2026, 11, 1, 1, 30), At(2026, 11, 1, 6, 30)}, // repeated hour: the later instant
    };
    for (const auto& c : cases) EXPECT_EQ(ZoneTimeToUtc(newYork.Rules, c.local), c.utc);
}

// Negating the most negative bias used to overflow; a record built by hand may hold any bias.
TEST(ZoneRules, ExtremeBiasesShiftWithoutOverflow) {
    struct Case { int32_t bias; } cases[] = {{INT32_MIN}, {INT32_MAX}, {-1441}, {0}};
    for (const auto& c : cases) {
        TTimeZoneInformation tzi;
        tzi.Bias = c.bias;
        const TDateTime utc = EncodeDateTime(5000, 1, 1);
        const TDateTime expected = utc - static_cast<double>(c.bias) / 1440.0;
        EXPECT_EQ(DecodeDateTime(SystemTimeToDateTime(UtcToZoneTime(tzi, DateTimeToSystemTime(utc)))),
                  DecodeDateTime(expected))
            << c.bias;
        EXPECT_EQ(SystemTimeToDateTime(ZoneTimeToUtc(tzi, DateTimeToSystemTime(expected))), utc) << c.bias;
    }
}

TEST(ZoneRules, NoDaylightAndCoincidingSwitches) {
    const TZone& velkaro = VelkaroZone();
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(UtcToZoneTime(velkaro.Rules, At(2026, month, 10, 0)), At(2026, month, 9, 16));
    const TZone same("Same,60,120,2,1,-1,2,0,2,1,-1,2,0");
    for (int month = 1; month <= 12; ++month)
        EXPECT_TRUE(IsDaylightTime(same.Rules, At(2026, month, 15, 12))) << month;
}

TEST(ZoneRules, SwitchHourBeyondTheDayRollsOn) {
    // Daylight from the Friday before the last Sunday of March, written as hour 26 of the
    // fourth Thursday; back on the last Sunday of October at 02:00 daylight (01:00 standard).
    const TZone jerusalem("Jerusalem,120,180,2,5,4,26,0,9,1,-1,1,0");
    // 2026: fourth Thursday of March is the 26th, so the switch is Friday 27 March 02:00.
    EXPECT_EQ(UtcToZoneTime(jerusalem.Rules, At(2026, 3, 26, 23, 59)), At(2026, 3, 27, 1, 59));
    EXPECT_EQ(UtcToZoneTime(jerusalem.Rules, At(2026, 3, 27, 0, 0)), At(2026, 3, 27, 3, 0));
    // A negative hour reaches back into the previous day.
    const TZone early("Early,60,120,2,1,-1,-1,0,9,1,-1,1,0");
    // Last Sunday of March 2026 is the 29th; hour -1 is Saturday 28th 23:00 standard.
    EXPECT_EQ(UtcToZoneTime(early.Rules, At(2026, 3, 28, 21, 59)), At(2026, 3, 28, 22, 59));
    EXPECT_EQ(UtcToZoneTime(early.Rules, At(2026, 3, 28, 22, 0)), At(2026, 3, 29, 0, 0));
}

}  // namespace
}  // namespace velkaro

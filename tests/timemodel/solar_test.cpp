// The sun's position and the day's sunrise and sunset against facts of the sky: the poles at
// a solstice, the terminator at an equinox, published sunrise times, and the state of a place
// around its own computed sunrise and sunset.
#include "timemodel/solar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace velkaro {
namespace {

constexpr double kMinute = 1.0 / 1440.0;

TEST(Solar, AtTheJuneSolsticeTheNorthPoleIsLitAndTheSouthPoleDark) {
    const TDateTime noon = EncodeDateTime(2026, 6, 21, 12);
    EXPECT_NEAR(SunPosition(noon).DeclinationDeg, 23.44, 0.05);
    struct Case {
        double lat, lon;
        TSunState state;
    };
    const std::vector<Case> cases = {
        {90, 0, TSunState::Day}, {89.5, -120, TSunState::Day}, {-90, 0, TSunState::Night}, {-89.5, 60, TSunState::Night},
    };
    for (const auto& c : cases) EXPECT_EQ(SunStateAt(noon, c.lat, c.lon), c.state) << c.lat << ", " << c.lon;
}

TEST(Solar, AtAnEquinoxNoonTheTerminatorCrossesTheEquatorNear90WAnd90E) {
    const TDateTime noon = EncodeDateTime(2026, 3, 20, 12);
    std::vector<double> crossings;
    double before = SunElevation(noon, 0, -180);
    for (double lon = -179.9; lon <= 180.0; lon += 0.1) {
        const double now = SunElevation(noon, 0, lon);
        if ((before > 0) != (now > 0)) crossings.push_back(lon);
        before = now;
    }
    ASSERT_EQ(crossings.size(), 2u);
    EXPECT_NEAR(crossings[0], -90, 2.5);
    EXPECT_NEAR(crossings[1], 90, 2.5);
    EXPECT_GT(SunElevation(noon, 0, 0), 85);  // the sun stands over the Gulf of Guinea
}

TEST(Solar, SunriseAndSunsetAgreeWithPublishedTimesAndWithTheStateAroundThem) {
    struct Case {
        std::string place;
        double lat, lon;
        int year, month, day, offsetMin;
        int riseMin, setMin;  // local minutes of the day, from almanac tables
    };
    const std::vector<Case> cases = {
        {"London", 51.51, -0.13, 2026, 6, 21, 60, 4 * 60 + 43, 21 * 60 + 21},
        {"New York", 40.71, -74.01, 2026, 6, 21, -240, 5 * 60 + 25, 20 * 60 + 31},
        {"Sydney", -33.87, 151.21, 2026, 6, 21, 600, 7 * 60 + 0, 16 * 60 + 54},
        {"Quito", -0.22, -78.51, 2026, 3, 20, -300, 6 * 60 + 17, 18 * 60 + 23},
        {"Reykjavik", 64.15, -21.94, 2026, 12, 21, 0, 11 * 60 + 22, 15 * 60 + 29},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        const TSunDay d = SunDay(c.year, c.month, c.day, c.offsetMin, c.lat, c.lon);
        ASSERT_EQ(d.Kind, TSunDay::Normal);
        const TDateTime midnight = EncodeDateTime(c.year, c.month, c.day);
        EXPECT_NEAR((d.Sunrise - midnight) * 1440, c.riseMin, 3);
        EXPECT_NEAR((d.Sunset - midnight) * 1440, c.setMin, 3);
        EXPECT_NEAR(d.DayLengthMin, (d.Sunset - d.Sunrise) * 1440, 1e-6);
        // The state at the place, from its elevation at each instant, turns with them.
        const double toUtc = -c.offsetMin * kMinute;
        EXPECT_NE(SunStateAt(d.Sunrise + toUtc - 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_EQ(SunStateAt(d.Sunrise + toUtc + 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_EQ(SunStateAt(d.Sunset + toUtc - 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_NE(SunStateAt(d.Sunset + toUtc + 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_EQ(SunStateAt(d.Sunset + toUtc + 10 * kMinute, c.lat, c.lon), TSunState::Twilight);
        EXPECT_EQ(SunStateAt(midnight + toUtc, c.lat, c.lon), TSunState::Night);
    }
}

TEST(Solar, PolarDaysAndNightsHaveNoSunriseAndTheStateStaysPut) {
    struct Case {
        double lat, lon;
        int month;
        TSunDay::TKind kind;
        TSunState state;
    };
    const std::vector<Case> cases = {
        {69.65, 18.96, 6, TSunDay::PolarDay, TSunState::Day},      // Tromso
        {69.65, 18.96, 12, TSunDay::PolarNight, TSunState::Night},
        {-77.85, 166.67, 12, TSunDay::PolarDay, TSunState::Day},   // McMurdo
        {78.22, 15.65, 1, TSunDay::PolarNight, TSunState::Night},  // Longyearbyen
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lat) + " month " + std::to_string(c.month));
        const TSunDay d = SunDay(2026, c.month, 21, 60, c.lat, c.lon);
        EXPECT_EQ(d.Kind, c.kind);
        EXPECT_EQ(d.DayLengthMin, c.kind == TSunDay::PolarDay ? 1440 : 0);
        const TDateTime midnight = EncodeDateTime(2026, c.month, 21);
        if (c.state == TSunState::Day) {
            for (int h = 0; h < 24; h += 3) EXPECT_EQ(SunStateAt(midnight + h / 24.0, c.lat, c.lon), TSunState::Day) << h;
        } else {
            for (int h = 0; h < 24; h += 3) EXPECT_NE(SunStateAt(midnight + h / 24.0, c.lat, c.lon), TSunState::Day) << h;
        }
    }
}

}  // namespace
}  // namespace velkaro

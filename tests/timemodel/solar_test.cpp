// The sun's position against facts of the sky (the poles at a solstice, the terminator at an
// equinox) and the state of a place around its own computed sunrise and sunset.
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

// The times themselves are checked against the almanac table; here the state the map shades
// by turns with them, and stays put through a polar day or night.
TEST(Solar, TheStateTurnsAtSunriseAndSunsetAndStaysPutAtThePoles) {
    struct Case {
        double lat, lon;
        int month, offsetMin;
    } cases[] = {{51.51, -0.13, 6, 60}, {-33.87, 151.21, 6, 600}, {64.15, -21.94, 12, 0},
                 {69.65, 18.96, 6, 60}, {78.22, 15.65, 1, 60}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lat) + " month " + std::to_string(c.month));
        const TSunDay d = SunDay(2026, c.month, 21, c.offsetMin, c.lat, c.lon);
        const TDateTime midnight = EncodeDateTime(2026, c.month, 21);
        const double toUtc = -c.offsetMin * kMinute;
        if (d.Kind != TSunDay::Normal) {
            for (int h = 0; h < 24; h += 3)
                EXPECT_EQ(SunStateAt(midnight + toUtc + h / 24.0, c.lat, c.lon) == TSunState::Day,
                          d.Kind == TSunDay::PolarDay) << h;
            continue;
        }
        EXPECT_NE(SunStateAt(d.Sunrise + toUtc - 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_EQ(SunStateAt(d.Sunrise + toUtc + 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_EQ(SunStateAt(d.Sunset + toUtc - 3 * kMinute, c.lat, c.lon), TSunState::Day);
        EXPECT_EQ(SunStateAt(d.Sunset + toUtc + 10 * kMinute, c.lat, c.lon), TSunState::Twilight);
        EXPECT_EQ(SunStateAt(midnight + toUtc, c.lat, c.lon), TSunState::Night);
    }
}

}  // namespace
}  // namespace velkaro

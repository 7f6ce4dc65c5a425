// Sunrise and sunset of every city, and of a few places beyond the polar circles, on seven
// dates against an almanac computation (tests/timemodel/sun_reference.csv, written by
// datagen/gen_sun_reference.py with PyEphem).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "timemodel/solar.h"

namespace velkaro {
namespace {

constexpr int kDates[][3] = {{2026, 1, 20}, {2026, 3, 20}, {2026, 5, 20}, {2026, 6, 21},
                             {2026, 9, 23}, {2026, 11, 20}, {2026, 12, 21}};

std::vector<std::string> Split(const std::string& line, char at) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, at);) out.push_back(field);
    return out;
}

TEST(SunReference, EveryPlaceAgreesWithTheAlmanac) {
    std::ifstream file(std::string(VELKARO_SOURCE_DIR) + "/tests/timemodel/sun_reference.csv");
    ASSERT_TRUE(file) << "no reference table";
    // Worst disagreement (minutes) below 60 degrees and from there to the polar circles.
    double worstLow = 0, worstHigh = 0;
    int compared = 0, polar = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = Split(line, ',');
        ASSERT_EQ(f.size(), 3 + std::size(kDates)) << line;
        const double lat = std::stod(f[1]), lon = std::stod(f[2]);
        for (size_t i = 0; i < std::size(kDates); ++i) {
            const std::vector<std::string> v = Split(f[3 + i], ' ');
            if (v[1] == "-") continue;  // a polar day or night begins or ends that day
            const auto [y, m, d] = kDates[i];
            const TSunDay day = SunDay(y, m, d, std::stoi(v[0]), lat, lon);
            SCOPED_TRACE(f[0] + " " + std::to_string(m) + "-" + std::to_string(d));
            if (v[1] == "day" || v[1] == "night") {
                EXPECT_EQ(day.Kind, v[1] == "day" ? TSunDay::PolarDay : TSunDay::PolarNight);
                ++polar;
                continue;
            }
            ASSERT_EQ(day.Kind, TSunDay::Normal);
            const TDateTime midnight = EncodeDateTime(y, m, d);
            const double error = std::max(std::fabs((day.Sunrise - midnight) * 1440 - std::stod(v[1])),
                                          std::fabs((day.Sunset - midnight) * 1440 - std::stod(v[2])));
            double& worst = std::fabs(lat) < 60 ? worstLow : worstHigh;
            worst = std::max(worst, error);
            EXPECT_LE(error, std::fabs(lat) < 60 ? 1.0 : 3.0);
            ++compared;
        }
    }
    std::printf("  %d days compared, worst %.2f min below 60 degrees, %.2f min above; %d polar days and nights\n",
                compared, worstLow, worstHigh, polar);
    EXPECT_GT(compared, 1800);
    EXPECT_GT(polar, 15);
}

}  // namespace
}  // namespace velkaro

// Reading the zone raster (and refusing damaged ones), and the regions that share London's
// time on both sides of its autumn clock change, against the system's zone database.
#include "map/zone_raster.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/error.h"

namespace velkaro {
namespace {

std::string U16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

// A raster of w x h with the named zones and the given (zone, run) pairs.
std::string Raster(uint16_t w, uint16_t h, std::vector<std::string> names, std::vector<std::pair<uint16_t, uint16_t>> runs) {
    std::string b = "VZR1" + U16(w) + U16(h) + U16(uint16_t(names.size()));
    for (const std::string& n : names) b += char(n.size()) + n;
    for (const auto& [z, n] : runs) b += U16(z) + U16(n);
    return b;
}

class ZoneRasterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLists(VELKARO_BIN_DIR "/"); }
    static void TearDownTestSuite() { ClearLists(); }
    static TZoneRaster Shipped(const char* name) {
        std::ifstream in(std::string(VELKARO_SOURCE_DIR "/resources/") + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return TZoneRaster::Parse(s.str(), ZoneList);
    }
};

TEST_F(ZoneRasterTest, ReadsRunsAndLeavesUnknownZonesOut) {
    const TZoneRaster r = TZoneRaster::Parse(Raster(3, 2, {"Asia/Tokyo", "Mars/Olympus"}, {{0xFFFF, 2}, {0, 2}, {1, 1}, {0, 1}}), ZoneList);
    ASSERT_EQ(r.Zones.size(), 2u);
    EXPECT_EQ(r.Zones[0]->Name, "Asia/Tokyo");
    EXPECT_EQ(r.Zones[1], nullptr);
    constexpr uint16_t none = TZoneRaster::kNoZone;
    EXPECT_EQ(r.Pixels, (std::vector<uint16_t>{none, none, 0, 0, none, 0}));
}

TEST_F(ZoneRasterTest, RefusesDamagedRasters) {
    const std::string good = Raster(2, 2, {"Asia/Tokyo"}, {{0, 4}});
    const std::string cases[] = {
        "",
        "VZR2" + good.substr(4),
        good.substr(0, good.size() - 1),                       // cut inside a run
        good.substr(0, 12),                                    // cut inside a name
        Raster(2, 2, {"Asia/Tokyo"}, {{0, 3}}),               // does not fill
        Raster(2, 2, {"Asia/Tokyo"}, {{0, 3}, {0, 2}}),       // runs past the end
        Raster(2, 2, {"Asia/Tokyo"}, {{1, 4}}),               // no such zone
        Raster(2, 2, {"Asia/Tokyo"}, {{0, 0}, {0, 4}}),       // empty run
        Raster(0xFFFF, 0xFFFF, {}, {{0xFFFF, 0xFFFF}}),       // far too few runs for its size
    };
    for (const std::string& bytes : cases) EXPECT_THROW(TZoneRaster::Parse(bytes, ZoneList), Error) << bytes.size();
}

// 25 October 2026, 01:00 UTC: London goes from +01:00 to +00:00, Paris from +02:00 to +01:00.
TEST_F(ZoneRasterTest, LondonsTimeMovesAcrossItsClockChange) {
    for (const char* file : {"zones.vzr", "zones@2x.vzr"}) {
        const TZoneRaster r = Shipped(file);
        // The map area of the pictures: 530 x 238 logical pixels.
        EXPECT_EQ(r.Width * 238, r.Height * 530) << file;
        const auto index = [&](const std::string& name) {
            for (size_t i = 0; i < r.Zones.size(); ++i)
                if (r.Zones[i] && r.Zones[i]->Name == name) return i;
            throw std::runtime_error("no " + name + " in " + file);
        };
        const TCity* london = nullptr;
        for (const auto& c : CityList)
            if (c->Name == "London") london = c.get();
        ASSERT_NE(london, nullptr);
        const auto same = [&](int hour, int minute) {
            return SameTimeZones(r, ZoneOfCity(*london), EncodeDateTime(2026, 10, 25, hour, minute));
        };
        const std::vector<bool> summer = same(0, 30), winter = same(1, 30);
        EXPECT_TRUE(summer[index("Europe/London")] && winter[index("Europe/London")]);
        EXPECT_TRUE(summer[index("Africa/Lagos")]);       // +01:00 all year
        EXPECT_FALSE(summer[index("Europe/Paris")]);      // still +02:00
        EXPECT_FALSE(summer[index("Africa/Abidjan")]);    // +00:00 all year
        EXPECT_FALSE(winter[index("Africa/Lagos")]);
        EXPECT_TRUE(winter[index("Africa/Abidjan")]);
        EXPECT_TRUE(winter[index("Atlantic/Reykjavik")]);
        EXPECT_FALSE(winter[index("Europe/Paris")]);      // now +01:00, still an hour on
    }
}

}  // namespace
}  // namespace velkaro

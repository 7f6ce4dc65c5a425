// City picking, strip geometry and the texts of the strip, hint and icon.
#include "map/map_logic.h"

#include <gtest/gtest.h>

#include "timemodel/time_format.h"

namespace velkaro {
namespace {

TCityList Cities(std::initializer_list<const char*> lines) {
    TCityList list;
    for (const char* line : lines) list.push_back(std::make_unique<TCity>(line));
    return list;
}

// A city answers within five pixels of the point (X + 2, Y).
TEST(CityAt, PicksWithinFivePixelsOfThePickPoint) {
    const TCityList cities = Cities({"Alpha,0,100,50"});
    const TCity& city = *cities.front();
    struct Case { int dx, dy; bool picked; } cases[] = {
        {0, 0, true}, {5, 0, true}, {-5, 0, true}, {0, 5, true}, {0, -5, true}, {3, 4, true}, {-3, -4, true},
        {6, 0, false}, {0, -6, false}, {4, 4, false} /* 5.66 pixels */, {-7, 0, false}};
    for (const Case& c : cases)
        EXPECT_EQ(CityAt(cities, city.X + 2 + c.dx, city.Y + c.dy) != nullptr, c.picked) << c.dx << "," << c.dy;
}

TEST(CityAt, FirstListedCityWinsATie) {
    const TCityList cities = Cities({"First,0,100,50", "Second,0,102,50", "Third,0,300,50"});
    const int y = cities.front()->Y;
    EXPECT_EQ(CityAt(cities, 103, y)->Name, "First");
    EXPECT_EQ(CityAt(cities, 108, y)->Name, "Second");  // out of First's reach
    EXPECT_EQ(CityAt(cities, 200, y), nullptr);
    EXPECT_EQ(CityAt(TCityList{}, 0, 0), nullptr);
}

TEST(StripGeometry, FontHeightsAndStripHeight) {
    struct Case {
        uint32_t points;
        int dpi, pixels;
    } cases[] = {{8, 96, 11}, {10, 96, 13}, {12, 96, 16}, {8, 120, 13}, {8, 192, 21}, {0, 96, 1}};
    for (const Case& c : cases) EXPECT_EQ(FontPixelHeight(c.points, c.dpi), c.pixels) << c.points << "pt";
    // A stored size far beyond reason must not overflow or make the window vanish.
    EXPECT_GT(FontPixelHeight(0xFFFFFFFFu, 96), 0);
    EXPECT_LE(FontPixelHeight(0xFFFFFFFFu, 96), 2000);

    EXPECT_EQ(StripHeight(11, 11, kLogoHeight), 31);  // the logo decides with 8-point fonts
    EXPECT_EQ(StripHeight(16, 11, kLogoHeight), 40);
    EXPECT_EQ(StripHeight(11, 21, kLogoHeight), 50);
    EXPECT_EQ(StripHeight(-16, 11, kLogoHeight), 40);  // heights count as absolute values
}

TEST(StripGeometry, AreasSplitThePanelWidth) {
    const TStripLayout l = LayoutStrip(530, 279, 100);
    EXPECT_EQ(l.Logo, (TStripRect{0, 248, 120, 279}));
    EXPECT_EQ(l.City, (TStripRect{120, 248, 422, 279}));
    EXPECT_EQ(l.Velkaro, (TStripRect{422, 248, 530, 279}));
    // A wider Velkaro text narrows the city area by the same amount.
    const TStripLayout wide = LayoutStrip(530, 279, 150);
    EXPECT_EQ(wide.Velkaro.Left, 372);
    EXPECT_EQ(wide.City.Right, 372);
}

class StripTexts : public ::testing::Test {
protected:
    void SetUp() override { LoadLists(std::string(VELKARO_BIN_DIR) + "/"); }
    void TearDown() override { ClearLists(); }
};

TEST_F(StripTexts, CityPromptHintAndIcon) {
    const TDateTime utc = EncodeDateTime(2026, 1, 2, 3, 4, 5);
    ASSERT_FALSE(CityList.empty());
    const TCity& city = *CityList.front();

    EXPECT_EQ(CityStripText(nullptr, "DD xx", utc), "Click on the city to display its time here");
    EXPECT_EQ(CityStripText(&city, "DD xx", utc), city.Name + " time:\r\n" + CityTimeText(city, "DD xx", utc));
    EXPECT_EQ(CityHintText(city, "D x", utc), city.Name + ": " + CityTimeText(city, "D x", utc));
    EXPECT_EQ(VelkaroStripText(0, utc), "Velkaro:\r\n" + VelkaroTimeText(VelkaroZone(), 0, utc));

    const TDateTime local = EncodeDateTime(2026, 1, 2, 4, 4, 5);
    const std::string tip = TrayHintText(2, utc, "DD xx", local);
    EXPECT_EQ(tip, VelkaroTimeText(VelkaroZone(), 2, utc) + "    " + FormatTimePattern("DD xx", local));
}

}  // namespace
}  // namespace velkaro

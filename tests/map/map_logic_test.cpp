// City picking, strip geometry, and the keyboard's way round the map.
#include "map/map_logic.h"

#include <gtest/gtest.h>

#include "map/map_keyboard.h"


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

// The user's places follow the shipped cities; the nearer answers, a city keeping a tie.
TEST(CityOrPlaceAt, NearerOwnPlaceAnswersBesideACity) {
    const TCityList cities = Cities({"City,0,100,50", "Other,0,300,50", "Home,0,104,50", "Far,0,400,50"});
    const int y = cities.front()->Y;
    struct Case { int x; std::string name; } cases[] = {
        {102, "City"}, {104, "City"} /* a tie */, {105, "Home"}, {110, "Home"}, {302, "Other"}, {402, "Far"}, {200, ""}};
    for (const Case& c : cases) {
        const TCity* found = CityOrPlaceAt(cities, 2, c.x, y);
        EXPECT_EQ(found ? found->Name : "", c.name) << c.x;
    }
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

TEST(MapKeyboard, ArrowsGoToTheNearestCityInTheirCone) {
    // Origin at (100, 100); "Edge" lies exactly 45 degrees off the right arrow, "Outside"
    // just beyond it, "Far" straight right but farther than "Edge".
    const TCityList cities = Cities({"Origin,0,100,100", "Edge,0,110,90", "Outside,0,109,80", "Far,0,130,100",
                                     "Below,0,100,140", "Twin,0,100,140"});
    struct Case {
        int from;
        TMapDirection d;
        int expected;
    } cases[] = {
        {0, TMapDirection::mdRight, 1},  // the edge of the cone counts and is nearest
        {0, TMapDirection::mdUp, 1},     // the same city is also 45 degrees off "up"
        {0, TMapDirection::mdLeft, -1},  // nothing to the left: stay
        {0, TMapDirection::mdDown, 4},   // two cities on one spot: the earlier one
        {2, TMapDirection::mdDown, 1},
        {4, TMapDirection::mdDown, -1},  // the twin on the same spot has no direction
        {3, TMapDirection::mdLeft, 1},
        {-1, TMapDirection::mdLeft, -1},
        {6, TMapDirection::mdLeft, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NearestCityInDirection(cities, c.from, c.d), c.expected) << "from " << c.from << " dir " << int(c.d);
}

TEST(MapKeyboard, TypeAheadFindsPrefixesWithinASecondAndCyclesOnARepeatedLetter) {
    const TCityList cities = Cities({"Shanghai,0,0,0", "Sao Paulo,0,0,0", "Seoul,0,0,0", "Santiago,0,0,0",
                                     "Tokyo,0,0,0", "San Jose,0,0,0", "Z\xFCrich,0,0,0"});
    struct Step {
        char ch;
        int64_t at;
        int expected;
    };
    struct Case {
        const char* what;
        int start;
        std::vector<Step> steps;
    } cases[] = {
        {"prefix grows", -1, {{'s', 0, 0}, {'a', 300, 1}, {'n', 600, 3}, {' ', 900, 5}}},
        {"case ignored", -1, {{'S', 0, 0}, {'E', 100, 2}}},
        {"accents ignored", -1, {{'z', 0, 6}, {'u', 100, 6}, {'r', 200, 6}}},
        {"a pause starts over", -1, {{'s', 0, 0}, {'a', 1500, -1}}},
        {"repeated letter steps on and wraps", 3, {{'s', 0, 5}, {'s', 100, 0}, {'s', 200, 1}}},
        {"no match", 0, {{'x', 0, -1}}},
        {"a longer prefix keeps the current city", 1, {{'s', 0, 2}, {'a', 10, 3}}},
    };
    for (const Case& c : cases) {
        TTypeAhead t;
        int current = c.start;
        for (const Step& s : c.steps) {
            const int got = t.Type(cities, current, s.ch, s.at);
            EXPECT_EQ(got, s.expected) << c.what << " at '" << s.ch << "'";
            if (got >= 0) current = got;
        }
    }
}

}  // namespace
}  // namespace velkaro

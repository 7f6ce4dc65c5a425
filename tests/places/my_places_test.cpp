#include "places/my_places.h"

#include <gtest/gtest.h>

#include "settings/ini_store.h"
#include "tests/settings/temp_config.h"

namespace velkaro {
namespace {

class MyPlacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* line : {"Europe/Lisbon,0,60,2,1,-1,1,0,9,1,-1,1,0", "America/Chicago,-360,-300,2,1,2,2,0,10,1,1,1,0"})
            zones.push_back(std::make_unique<TZone>(line));
    }
    std::unique_ptr<TIniStore> Store() { return std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria"); }
    TTempConfig config;
    TZoneList zones;
    const TMyPlace lisbon{"Ana in Lisbon", "Lisbon", "Lisbon", "Portugal", 38.72, -9.13, "Europe/Lisbon"};
    const TMyPlace chicago{"Home \xE2\x80\x94 Chicago", "Chicago", "Illinois", "United States", 41.85, -87.65, "America/Chicago"};
};

TEST_F(MyPlacesTest, SurviveARestartWithLabelsAndOrder) {
    {
        TMyPlaces mine;
        EXPECT_TRUE(mine.Add(lisbon));
        EXPECT_TRUE(mine.Add(chicago));
        EXPECT_FALSE(mine.Add(chicago));  // the same place twice
        mine.Add({"", "Lisbon", "", "Portugal", 38.7, -9.1, "Europe/Lisbon"});  // label defaults to the name
        mine.Move(2, 0);
        mine.Rename(1, "  Ana\tLisboa ");
        mine.Remove(5);  // out of range: nothing
        auto store = Store();
        mine.Save(*store);
    }
    TMyPlaces again;
    auto store = Store();
    EXPECT_TRUE(again.Load(*store, zones).empty());
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again.Items()[0].Label, "Lisbon");
    EXPECT_EQ(again.Items()[1].Label, "Ana Lisboa");
    EXPECT_EQ(again.Items()[2], chicago);
    // Fewer places afterwards leave no stale values behind.
    again.Remove(0);
    again.Remove(0);
    again.Save(*store);
    TStringList names;
    store->EnumValues(TMyPlaces::kKey, names);
    EXPECT_EQ(names, TStringList{"Place1"});
}

TEST_F(MyPlacesTest, DamagedEntriesAreSkippedReportedAndKept) {
    auto store = Store();
    const std::string good = TMyPlaces::Encode(lisbon);
    store->WriteString(TMyPlaces::kKey, "Place1", good);
    store->WriteString(TMyPlaces::kKey, "Place2", "Home\tHome\t\t\tnorth\t0\tEurope/Lisbon");
    store->WriteInteger(TMyPlaces::kKey, "Place3", 7);
    store->WriteString(TMyPlaces::kKey, "Place4", "X\tX\t\t\t1\t2\tMars/Olympus");
    store->WriteString(TMyPlaces::kKey, "Place5", "X\tX\t\t\t91\t2\tEurope/Lisbon");
    store->WriteString(TMyPlaces::kKey, "Place10", TMyPlaces::Encode(chicago));
    store->WriteString(TMyPlaces::kKey, "Favourite", good);
    TMyPlaces mine;
    const auto problems = mine.Load(*store, zones);
    EXPECT_EQ(problems.size(), 4u);
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine.Items()[1], chicago);  // Place10 after Place1: numeric order
    // Saving writes around the damaged entries, which stay as the user left them.
    mine.Add({"New", "Chicago", "", "", 41.8, -87.6, "America/Chicago"});
    mine.Save(*store);
    EXPECT_EQ(store->ReadString(TMyPlaces::kKey, "Place2", ""), "Home\tHome\t\t\tnorth\t0\tEurope/Lisbon");
    EXPECT_EQ(store->ReadInteger(TMyPlaces::kKey, "Place3", 0), 7);
    EXPECT_EQ(store->ReadString(TMyPlaces::kKey, "Favourite", ""), good);
    TMyPlaces again;
    EXPECT_EQ(again.Load(*store, zones).size(), 4u);
    EXPECT_EQ(again.Items(), mine.Items());
}

TEST(CleanLabel, ControlsBlanksAndLength) {
    EXPECT_EQ(CleanLabel(" a\nb\r "), "a b");
    EXPECT_EQ(CleanLabel("\t \t"), "");
    // 79 ASCII bytes and a two-byte letter: cut before the letter, never inside it.
    EXPECT_EQ(CleanLabel(std::string(79, 'x') + "\xC3\xA9" + "z"), std::string(79, 'x'));
}

TEST(EightBitName, KeepsWhatItCanAndBaseLettersTheRest) {
    struct Case { const char* utf8; const char* eight; } cases[] = {
        {"Z\xC3\xBCrich", "Z\xFCrich"},
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "L\xF3" "dz"},          // Łódź
        {"\xC5\xA0" "ibenik", "\x8A" "ibenik"},                    // Š has a Windows-1252 form
        {"\xC4\x8C" "a\xC4\x8D" "ak \xC4\xBD" "ubov\xC5\xBB\xC5\xBC", "Cacak LubovZz"},
        {"\xE6\x9D\xB1\xE4\xBA\xAC", "??"},                       // no Latin letter
    };
    for (const auto& c : cases) EXPECT_EQ(EightBitName(c.utf8), c.eight) << c.utf8;
}

TEST(CityOfPlace, ZoneAndMapPoint) {
    TZoneList zones;
    zones.push_back(std::make_unique<TZone>("America/Sao_Paulo,-180,-180"));
    // Sao Paulo's dot in the shipped city list: X 183, Y 172 as loaded.
    const TCity city = CityOfPlace({"SP", "S\xC3\xA3o Paulo", "", "", -23.5475, -46.63611, "America/Sao_Paulo"}, zones);
    EXPECT_EQ(city.Name, "SP");
    EXPECT_EQ(city.ZoneIndex, 0);
    EXPECT_EQ(city.X, 183);
    EXPECT_EQ(city.Y, 172);
    EXPECT_EQ(CityOfPlace({"X", "X", "", "", 0, 0, "Nowhere"}, zones).ZoneIndex, -1);
}

}  // namespace
}  // namespace velkaro

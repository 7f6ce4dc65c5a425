#include "places/place_index.h"

#include <gtest/gtest.h>

#include <set>

#include "places/place_search.h"
#include "platform/error.h"

namespace velkaro {
namespace {

// A small index in the file's layout: most populous first, as the generator writes it.
constexpr const char* kIndex =
    "# test\n"
    "@C\tBR\tBrazil\n@C\tDE\tGermany\n@C\tUS\tUnited States\n@C\tPL\tPoland\n"
    "@R\tBR\tSao Paulo\n@R\tDE\tNorth Rhine-Westphalia\n@R\tUS\tIllinois\n@R\tUS\tMassachusetts\n"
    "@R\tUS\t\n@R\tPL\tLodz Voivodeship\n"
    "@Z\tAmerica/Chicago\n@Z\tAmerica/New_York\n@Z\tAmerica/Sao_Paulo\n@Z\tEurope/Berlin\n@Z\tEurope/Warsaw\n"
    "S\xC3\xA3o Paulo\tSao Paulo\t0\t-2355\t-4664\t10021295\t2\n"
    "K\xC3\xB6ln\tKoeln\t1\t5093\t695\t963395\t3\n"
    "\xC5\x81\xC3\xB3" "d\xC5\xBA\tLodz\t5\t5178\t1947\t768755\t4\n"
    "Springfield\t\t3\t4210\t-7259\t154341\t1\n"
    "Springfield\t\t2\t3980\t-8964\t116565\t0\n"
    "West Springfield\t\t3\t4211\t-7262\t28391\t1\n"
    "Springfield Gardens\t\t4\t4066\t-7378\t3000\t1\n";

TEST(FoldUtf8Name, LatinLettersFoldOthersStay) {
    struct Case { const char* name; const char* folded; } cases[] = {
        {"Z\xC3\xBCrich", "zurich"},
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "lodz"},              // Latin Extended-A
        {"Ia\xC8\x99i", "iasi"},                               // s with comma below
        {"\xC5\x92uvre \xC4\xB2ssel", "oeuvre ijssel"},        // ligatures
        {"\xD0\x9C\xD0\xBE\xD1\x81", "\xD0\x9C\xD0\xBE\xD1\x81"},  // Cyrillic stays
        {"bad\xC3", "bad\xC3"},                                // truncated sequence kept
        {"Winston-Salem", "winston salem"},
    };
    for (const auto& c : cases) EXPECT_EQ(FoldUtf8Name(c.name), c.folded) << c.name;
}

TEST(MatchFolded, Kinds) {
    EXPECT_EQ(MatchFolded("springfield", "springfield"), pmExact);
    EXPECT_EQ(MatchFolded("springfield gardens", "springfield"), pmPrefix);
    EXPECT_EQ(MatchFolded("west springfield", "springfield"), pmWordPrefix);
    EXPECT_EQ(MatchFolded("aspring", "spring"), pmContains);
    EXPECT_EQ(MatchFolded("springfield", "fields"), pmNone);
    EXPECT_EQ(MatchFolded("springfield", ""), pmNone);
}

class PlaceIndexTest : public ::testing::Test {
protected:
    TPlaceIndex index = TPlaceIndex::Parse(kIndex);
    std::vector<std::string> Found(const char* query, size_t limit = 10) {
        std::vector<std::string> out;
        for (const TPlaceHit& h : index.Search(query, limit)) out.push_back(index.Describe(h.Place));
        return out;
    }
};

TEST_F(PlaceIndexTest, ReadsEveryField) {
    ASSERT_EQ(index.size(), 7u);
    EXPECT_EQ(index.Name(1), "K\xC3\xB6ln");
    EXPECT_EQ(index.Region(1), "North Rhine-Westphalia");
    EXPECT_EQ(index.CountryCode(1), "DE");
    EXPECT_DOUBLE_EQ(index.Lat(0), -23.55);
    EXPECT_DOUBLE_EQ(index.Lon(0), -46.64);
    EXPECT_EQ(index.Population(4), 116565u);
    EXPECT_EQ(index.ZoneName(4), "America/Chicago");
    EXPECT_EQ(index.Describe(6), "Springfield Gardens, United States");  // no region name
}

TEST_F(PlaceIndexTest, RanksExactThenPrefixThenWordThenPopulation) {
    EXPECT_EQ(Found("springfield"), (std::vector<std::string>{
        "Springfield, Massachusetts, United States", "Springfield, Illinois, United States",
        "Springfield Gardens, United States", "West Springfield, Massachusetts, United States"}));
    EXPECT_EQ(Found("spring", 2).size(), 2u);
    EXPECT_EQ(Found("  SPRINGFIELD gardens "), (std::vector<std::string>{"Springfield Gardens, United States"}));
}

TEST_F(PlaceIndexTest, AsciiSpellingsFind) {
    for (const char* q : {"sao paulo", "S\xC3\xA3o", "koln", "koeln", "K\xC3\x96LN", "lodz"}) EXPECT_EQ(Found(q).size(), 1u) << q;
    EXPECT_TRUE(Found("\t").empty());
    EXPECT_TRUE(Found("").empty());
    EXPECT_TRUE(Found("zzz").empty());
}

TEST(PlaceIndexParse, DamageIsReportedWithItsLine) {
    const char* bad[] = {
        "@Z\tA/B\n@C\tXX\tX\n@R\tXX\tR\nName\t\t0\t1\t2\t3\n",          // field missing
        "@Z\tA/B\n@C\tXX\tX\n@R\tXX\tR\nName\t\t1\t1\t2\t3\t0\n",       // region out of range
        "@Z\tA/B\n@C\tXX\tX\n@R\tXX\tR\nName\t\t0\t1\t2\t3\t1\n",       // zone out of range
        "@Z\tA/B\n@C\tXX\tX\n@R\tXX\tR\nName\t\t0\t9001\t2\t3\t0\n",    // latitude
        "@Z\tA/B\n@C\tXX\tX\n@R\tYY\tR\n",                             // unknown country
        "@Q\tx\n",
    };
    for (const char* text : bad) EXPECT_THROW(TPlaceIndex::Parse(text), Error) << text;
    EXPECT_THROW(TPlaceIndex::Load("/nonexistent/"), Error);
}

// The shipped index: every zone it names is a line of the shipped zone list, and the searches
// people make find what they mean.
TEST(ShippedPlaceIndex, ZonesAreListedAndSearchesFind) {
    const TPlaceIndex index = TPlaceIndex::Load(VELKARO_SOURCE_DIR "/resources/");
    LoadLists(VELKARO_SOURCE_DIR "/resources/");
    EXPECT_GT(index.size(), 100000u);
    std::set<std::string> zones;
    for (uint32_t i = 0; i < index.size(); ++i) zones.insert(index.ZoneName(i));
    for (const std::string& zone : zones) EXPECT_GE(ZoneIndexOf(ZoneList, zone), 0) << zone;
    struct Case { const char* query; const char* first; } cases[] = {
        {"sao paulo", "S\xC3\xA3o Paulo, Brazil"},
        {"zurich", "Z\xC3\xBCrich, Switzerland"},
        {"koln", "K\xC3\xB6ln, North Rhine-Westphalia, Germany"},
        {"new york", "New York City, New York, United States"},
    };
    for (const auto& c : cases) {
        const auto hits = index.Search(c.query, 5);
        ASSERT_FALSE(hits.empty()) << c.query;
        EXPECT_EQ(index.Describe(hits[0].Place), c.first) << c.query;
    }
    ClearLists();
}

TEST(FindPlaces, ListCitiesFirstThenOwnThenIndexWithoutRepeats) {
    const TPlaceIndex index = TPlaceIndex::Parse(kIndex);
    TCityList cities;
    cities.push_back(std::make_unique<TCity>("Sao Paulo,0,183,171"));  // as in the shipped city list
    cities.push_back(std::make_unique<TCity>("Springfield Town,0,10,10"));
    std::vector<TMyPlace> mine{{"Ana in Springfield", "Springfield", "Illinois", "United States", 39.8, -89.64, "America/Chicago"}};
    auto kinds = [&](const char* q) {
        std::vector<std::pair<TFoundPlace::TKind, uint32_t>> out;
        for (const auto& f : FindPlaces(q, cities, mine, &index, 10)) out.emplace_back(f.Kind, f.Index);
        return out;
    };
    using F = TFoundPlace;
    // The index's Springfield of Illinois is the user's own place, so it is not repeated.
    EXPECT_EQ(kinds("springfield"), (std::vector<std::pair<F::TKind, uint32_t>>{
        {F::fkCity, 1}, {F::fkMyPlace, 0}, {F::fkPlace, 3}, {F::fkPlace, 6}, {F::fkPlace, 5}}));
    // Sao Paulo of the index sits under the city's dot.
    EXPECT_EQ(kinds("sao paulo"), (std::vector<std::pair<F::TKind, uint32_t>>{{F::fkCity, 0}}));
    EXPECT_EQ(FindPlaces("spring", cities, mine, nullptr, 10).size(), 2u);
    EXPECT_EQ(FindPlaces("spring", cities, mine, &index, 3).size(), 3u);
}

}  // namespace
}  // namespace velkaro

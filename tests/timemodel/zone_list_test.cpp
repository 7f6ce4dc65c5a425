#include "timemodel/zone_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

TEST(CityLine, FieldRules) {
    struct Case { const char* line; const char* name; int zone, x, y; } cases[] = {
        {"Paris,3,260,60", "Paris", 3, 260, 61},
        {"Paris,3,260", "Paris", 3, 260, 0},          // missing field: 0, no adjustment
        {"Paris,3,260,abc", "Paris", 3, 260, 1},      // invalid field: default, then + 1
        {"Paris,,260,60", "Paris", 0, 260, 61},       // empty field is invalid
        {"New York,1, 20,5", "New York", 1, 20, 6},   // leading blanks are skipped
        {"Oslo,1,20 ,5", "Oslo", 1, 0, 6},            // a trailing blank is not
        {" Rome ,2,$10,x1F", " Rome ", 2, 16, 32},    // names keep blanks; hexadecimal
        {"Lima,0x2,-5,+7", "Lima", 2, -5, 8},
        {"Kyiv,2,3,4,extra,fields", "Kyiv", 2, 3, 5},
        {"Baku,1,2,", "Baku", 1, 2, 0},               // a trailing comma adds no field
        {",4,5,6", "", 4, 5, 7},
        {"Big,2147483648,0,0", "Big", 0, 0, 1},       // out of 32-bit range: invalid
        {"Huge,18446744073709551617,$100000005,0", "Huge", 0, 0, 1},  // beyond 64 bits too
        {"Neg,-2147483648,$FFFFFFFF,0", "Neg", INT32_MIN, -1, 1},
    };
    for (const auto& c : cases) {
        const TCity city(c.line);
        EXPECT_EQ(city.Name, c.name) << c.line;
        EXPECT_EQ(city.ZoneIndex, c.zone) << c.line;
        EXPECT_EQ(city.X, c.x) << c.line;
        EXPECT_EQ(city.Y, c.y) << c.line;
    }
}

TEST(ZoneLine, FieldsAndRuleRecord) {
    const TZone eastern("Eastern,-300,-240,3,1,1,2,0,9,1,-1,2,0");
    EXPECT_EQ(eastern.Bias, 300);
    EXPECT_EQ(eastern.DstTotalBias, 240);
    EXPECT_EQ(eastern.Rules.DaylightBias, -60);
    EXPECT_EQ(eastern.Rules.StandardBias, 0);
    EXPECT_EQ(eastern.Rules.DaylightDate, (TSystemTime{0, 4, 1, 1, 2, 0, 0, 0}));
    EXPECT_EQ(eastern.Rules.StandardDate, (TSystemTime{0, 10, 1, 5, 2, 0, 0, 0}));
    EXPECT_EQ(eastern.StdWeek, -1);  // the record says 5, the field keeps the file's value
    EXPECT_EQ(std::u16string(eastern.Rules.StandardName), u"Eastern");

    const TZone tokyo("Tokyo,540,540");
    EXPECT_EQ(tokyo.Bias, -540);
    EXPECT_EQ(tokyo.StdMonth, 0);
    EXPECT_EQ(tokyo.DstMonth, 0);
    EXPECT_TRUE(tokyo.HasValidRule());

    const TZone none("None,60,60,-1,1,1,0,0,-1,1,1,0,0");
    EXPECT_EQ(none.StdMonth, 0);

    const TZone invalid("Bad,60,120,abc,x,,2,0,9,1,-1,2,0");
    EXPECT_EQ(invalid.DstMonth, 1);  // invalid month field: 0, so January
    EXPECT_EQ(invalid.DstDayOfWeek, 1);
    EXPECT_EQ(invalid.DstWeek, 0);
    EXPECT_FALSE(invalid.HasValidRule());

    const TZone longName("America/Argentina/Buenos_Aires,-180,-180");
    EXPECT_EQ(longName.Name, "America/Argentina/Buenos_Aires");
    EXPECT_EQ(longName.Rules.StandardName[0], u'\0');
}

TEST(ZoneLine, UndefinedSwitchDates) {
    struct Case { const char* line; bool valid; } cases[] = {
        {"A,60,120,2,1,-1,2,0,9,1,-1,2,0", true},
        {"A,60,120,2,1,5,2,0,9,1,5,2,0", true},
        {"A,60,120,2,1,0,2,0,9,1,-1,2,0", false},   // week 0
        {"A,60,120,2,1,6,2,0,9,1,-1,2,0", false},   // week above 5
        {"A,60,120,-1,1,1,2,0,9,1,-1,2,0", false},  // daylight month 0 with a standard month
        {"A,60,120,2,8,1,2,0,9,1,-1,2,0", false},   // no such weekday
        {"A,60,120,12,1,1,2,0,9,1,-1,2,0", false},  // month 13
        {"A,60,120,2,1,1,2,0,-1,1,-1,2,0", true},   // no standard month: no daylight saving
        {"A,60,120,2,5,4,26,0,9,1,-1,2,0", true},   // hour past midnight rolls on
    };
    for (const auto& c : cases) EXPECT_EQ(TZone(c.line).HasValidRule(), c.valid) << c.line;
}

// Offsets of 2^31 minutes used to overflow the daylight bias and the rule arithmetic.
TEST(ZoneLine, OffsetsBeyondADayAreInvalidFields) {
    struct Case { const char* line; int bias, dstTotalBias; bool outOfRange; } cases[] = {
        {"A,-2147483648,60", 0, -60, true},
        {"A,2147483647,-2147483648", 0, 0, true},
        {"A,60,2147483647,2,1,-1,2,0,9,1,-1,2,0", -60, 0, true},
        {"A,1441,60", 0, -60, true},
        {"A,60,-1441", -60, 0, true},
        {"A,$7FFFFFFF,0", 0, 0, true},
        {"A,1440,-1440", -1440, 1440, false},  // a day either way is still a zone
        {"A,840,780", -840, -780, false},
    };
    for (const auto& c : cases) {
        const TZone zone(c.line);
        EXPECT_EQ(zone.Bias, c.bias) << c.line;
        EXPECT_EQ(zone.DstTotalBias, c.dstTotalBias) << c.line;
        EXPECT_EQ(zone.OffsetOutOfRange, c.outOfRange) << c.line;
        EXPECT_EQ(zone.Rules.DaylightBias, c.dstTotalBias - c.bias) << c.line;
        const TDateTime utc = EncodeDateTime(2026, 7, 1, 12);
        EXPECT_EQ(ZoneLocalToUtc(zone, UtcToZoneLocal(zone, utc)), utc) << c.line;
    }
}

// Near the ends of the calendar a zone's offset can carry a time out of it: that is an
// invalid date, not an overflow.
TEST(ZoneConversionRange, TimesPushedOutOfTheCalendarAreAnInvalidDate) {
    const TZone east("East,840,840");
    const TZone west("West,-720,-720");
    const TDateTime last = EncodeDateTime(9999, 12, 31, 23);
    const TDateTime first = EncodeDateTime(1, 1, 1, 1);
    EXPECT_THROW(DecodeDateTime(UtcToZoneLocal(east, last)), Error);
    EXPECT_THROW(DecodeDateTime(UtcToZoneLocal(west, first)), Error);
    EXPECT_THROW(DecodeDateTime(ZoneLocalToUtc(east, first)), Error);
    EXPECT_THROW(DecodeDateTime(ZoneLocalToUtc(west, last)), Error);
    EXPECT_EQ(DecodeDateTime(UtcToZoneLocal(west, last)).Hour, 11);
}

// Where a history reaches, its offsets are those of the zone database (checked zone by zone
// against it); a local time it skips or repeats is read as the yearly rule reads one.
TEST(ZoneHistory, SkippedAndRepeatedLocalTimesAreReadAsTheRuleReadsThem) {
    const TZone ny("NY,-300,-240,2,1,2,2,0,10,1,1,1,0,"
                   "200001010000=-300,200004020700=-240,200010290600=-300,200101010000=rule");
    const TZone apia("Apia,780,780,-1,1,1,0,0,-1,1,1,0,0,201109241400=-600,201112301000=840,201201010000=rule");
    ASSERT_EQ(ny.HistoryProblem + apia.HistoryProblem, "");
    const auto at = [](int y, int mo, int d, int h, int mi) { return EncodeDateTime(y, mo, d, h, mi); };
    // The rule would say daylight time here; the history says standard.
    EXPECT_EQ(DateTimeToMs(UtcToZoneLocal(ny, at(2000, 3, 20, 12, 0))), DateTimeToMs(at(2000, 3, 20, 7, 0)));
    // A skipped local time is read with the offset after the change, a repeated one as the later
    // instant: as the yearly rule reads them.
    struct Back { const TZone& zone; TDateTime local, utc; } backs[] = {
        {ny, at(2000, 4, 2, 2, 30), at(2000, 4, 2, 6, 30)},
        {ny, at(2000, 10, 29, 1, 30), at(2000, 10, 29, 6, 30)},
        {ny, at(2000, 10, 29, 1, 59), at(2000, 10, 29, 6, 59)},
        {apia, at(2011, 12, 30, 12, 0), at(2011, 12, 29, 22, 0)},
    };
    for (const Back& b : backs)
        EXPECT_EQ(DateTimeToMs(ZoneLocalToUtc(b.zone, b.local)), DateTimeToMs(b.utc)) << b.zone.Name << " " << b.local;
}

// A damaged history is dropped whole, naming the field; the zone keeps its yearly rule.
TEST(ZoneHistory, DamagedHistoriesAreDroppedNamingTheField) {
    const std::string rule = "Z,60,120,2,1,-1,2,0,9,1,-1,2,0";
    struct Case { const char* history; const char* problem; } cases[] = {
        {"", ""},
        {",,", ""},  // empty fields only: no history
        {",198001010000=0,197901010000=60,198101010000=rule", "field 15 \"197901010000=60\": out of order"},
        {",198001010000=0,198006010000=600,198006010100=-600,198101010000=rule", "field 16 \"198006010100=-600\": overlaps"},
        {",198001010000=1441,198101010000=rule", "field 14 \"198001010000=1441\": the offset lies beyond 24 hours"},
        {",198001010000=-44:60,198101010000=rule", "field 14 \"198001010000=-44:60\": the offset is not"},
        {",198001010000=0x10,198101010000=rule", "the offset is not a number of minutes"},
        {",189912310000=0,198101010000=rule", "field 14 \"189912310000=0\": the year lies outside 1900 to 2199"},
        {",198001010000=0,220001010000=rule", "field 15 \"220001010000=rule\": the year lies outside"},
        {",198002300000=0,198101010000=rule", "no such date or time"},
        {",198001012400=0,198101010000=rule", "no such date or time"},
        {",1980010100=0,198101010000=rule", "the time is not YYYYMMDDhhmm"},
        {",198001010000=0", "field 14 \"198001010000=0\": it does not end"},
        {",198001010000=0,198101010000=rule,198201010000=0", "field 16 \"198201010000=0\": a field follows"},
        {",198001010000=rule", "field 14 \"198001010000=rule\": the history ends before it begins"},
        {",198001010000=0,,198101010000=rule", "field 15 \"\": not a time=offset pair"},
        {",198001010000=0,198001010000=rule", "field 15 \"198001010000=rule\": out of order"},
    };
    const TZone plain(rule);
    for (const Case& c : cases) {
        const TZone zone(rule + c.history);
        EXPECT_TRUE(*c.problem ? zone.HistoryProblem.find(c.problem) != std::string::npos : zone.HistoryProblem.empty())
            << c.history << " gave: " << zone.HistoryProblem;
        EXPECT_TRUE(zone.History.Empty()) << c.history;
        for (const TDateTime t : {EncodeDateTime(1980, 7, 1, 12), EncodeDateTime(1980, 2, 1)}) {
            EXPECT_EQ(UtcToZoneLocal(zone, t), UtcToZoneLocal(plain, t)) << c.history;
            EXPECT_EQ(ZoneLocalToUtc(zone, t), ZoneLocalToUtc(plain, t)) << c.history;
        }
    }
}

class Loader : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("velkaro-lists-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override {
        ClearLists();
        fs::remove_all(dir);
    }
    void Write(const char* name, const std::string& text) { std::ofstream(dir / name, std::ios::binary) << text; }
    std::string Dir() const { return dir.string() + "/"; }
    fs::path dir;
};

// A missing file and a folder in its place fail alike, with the user's text.
TEST_F(Loader, MissingFilesAndFoldersGiveTheUsersTexts) {
    const char* cities = "The list of cities not found. Velkaro can't continue.";
    const char* zones = "The list of time zones not found. Velkaro can't continue.";
    struct Case {
        bool citiesWritten, citiesFolder, zonesFolder;
        const char* message;
    } cases[] = {
        {false, false, false, cities},
        {false, true, false, cities},
        {true, false, false, zones},
        {true, false, true, zones},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (c.citiesWritten) Write("acities.lst", "Paris,0,1,2\n");
        if (c.citiesFolder) fs::create_directories(dir / "acities.lst" / "inside");
        if (c.zonesFolder) fs::create_directories(dir / "azones.lst");
        try {
            LoadLists(Dir());
            ADD_FAILURE() << "case " << i << " loaded";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.message) << "case " << i;
        }
    }
}

TEST_F(Loader, FindsTheFirstPlaceHoldingBothFilesOrNamesEveryPlaceLooked) {
    // Each place holds no file (""), the city list only ("c") or both ("cz").
    struct Case { std::vector<std::string> places; std::string found, error; } cases[] = {
        {{"", "cz"}, "1", ""},
        {{"c", "cz"}, "1", ""},
        {{"cz", "cz"}, "0", ""},
        {{"", ""}, "", "The list of cities not found. Velkaro can't continue. Looked in: D0/, D1/"},
        {{"c", ""}, "", "The list of time zones not found. Velkaro can't continue. Looked in: D0/, D1/"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> dirs;
        for (size_t i = 0; i < c.places.size(); ++i) {
            const fs::path d = dir / ("D" + std::to_string(i));
            fs::remove_all(d);
            fs::create_directories(d);
            if (c.places[i].find('c') != std::string::npos) std::ofstream(d / "acities.lst") << "Paris,0,1,2\n";
            if (c.places[i].find('z') != std::string::npos) std::ofstream(d / "azones.lst") << "UTC,0,0\n";
            dirs.push_back(d.string() + "/");
        }
        try {
            const std::string found = FindDataDirectory(dirs);
            EXPECT_EQ(found, dirs.at(std::stoul(c.found)));
            EXPECT_EQ(c.error, "");
        } catch (const Error& e) {
            std::string expected = c.error;
            for (size_t i = 0; i < dirs.size(); ++i) {
                const std::string d = "D" + std::to_string(i) + "/";
                expected.replace(expected.find(d), d.size(), dirs[i]);
            }
            EXPECT_EQ(e.what(), expected);
        }
    }
}

TEST_F(Loader, SkipsCommentsAndBlankLinesAndReadsALastLineWithoutEnd) {
    // Where a city lies comes after its map point, when it is a place on the earth.
    Write("acities.lst", ";\n; comment\n\n ;not a comment,0,1,1\r\nParis,1,260,60,4886,235\r\nTokyo,0,455,87,9001,13969");
    Write("azones.lst", "; zones\nTokyo,540,540\n\nParis,60,120,2,1,-1,2,0,9,1,-1,2,0\n");
    const TLoadReport report = LoadLists(Dir());
    EXPECT_EQ(report.Warnings, "");
    ASSERT_EQ(CityList.size(), 3u);
    EXPECT_EQ(CityList[0]->Name, " ;not a comment");
    EXPECT_EQ(CityList[1]->Name, "Paris");
    EXPECT_EQ(CityList[1]->Y, 61);
    EXPECT_TRUE(CityList[1]->HasPlace && CityList[1]->Lat == 4886 && CityList[1]->Lon == 235);
    EXPECT_EQ(CityList[2]->Name, "Tokyo");
    EXPECT_FALSE(CityList[2]->HasPlace || CityList[0]->HasPlace);
    ASSERT_EQ(ZoneList.size(), 2u);
    EXPECT_EQ(ZoneOfCity(*CityList[1]).Name, "Paris");
}

TEST_F(Loader, LeavesOutCitiesWithoutAZoneAndMendsUndefinedRulesReportingBothOnce) {
    Write("acities.lst", "Good,0,1,1\nLost,5,2,2\nNegative,-1,3,3\nAlso good,1,4,4\n");
    Write("azones.lst", "UTC,0,0\nBroken,60,120,2,1,0,2,0,9,1,-1,2,0\nPast,60,60,-1,1,1,0,0,-1,1,1,0,0,1970=0\n");
    const TLoadReport report = LoadLists(Dir());
    ASSERT_EQ(CityList.size(), 2u);
    EXPECT_EQ(CityList[0]->Name, "Good");
    EXPECT_EQ(CityList[1]->Name, "Also good");
    EXPECT_NE(report.Warnings.find("acities.lst, line 2: city \"Lost\""), std::string::npos) << report.Warnings;
    EXPECT_NE(report.Warnings.find("acities.lst, line 3: city \"Negative\""), std::string::npos);
    EXPECT_NE(report.Warnings.find("azones.lst, line 2: zone \"Broken\""), std::string::npos);
    EXPECT_NE(report.Warnings.find("azones.lst, line 3: zone \"Past\" has a damaged history (field 14 \"1970=0\": "),
              std::string::npos) << report.Warnings;
    // The broken zone keeps its standard offset all year.
    const TZone& broken = *ZoneList[1];
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(UtcToZoneLocal(broken, EncodeDateTime(2026, month, 1)), EncodeDateTime(2026, month, 1, 1));
}

TEST_F(Loader, ReportsOffsetsBeyondADayOncePerLine) {
    Write("acities.lst", "A,0,1,1\n");
    Write("azones.lst", "UTC,0,0\nHuge,-2147483648,2147483647\nWide,60,1441,2,1,-1,2,0,9,1,-1,2,0\n");
    const TLoadReport report = LoadLists(Dir());
    ASSERT_EQ(ZoneList.size(), 3u);
    const std::string huge = "azones.lst, line 2: zone \"Huge\" has an offset of more than 24 hours";
    const auto at = report.Warnings.find(huge);
    EXPECT_NE(at, std::string::npos) << report.Warnings;
    EXPECT_EQ(report.Warnings.find(huge, at + 1), std::string::npos) << report.Warnings;
    EXPECT_NE(report.Warnings.find("azones.lst, line 3: zone \"Wide\" has an offset"), std::string::npos);
    EXPECT_EQ(report.Warnings.find("line 1"), std::string::npos);
}

TEST(ZoneOfCityTest, OutOfRangeIndexIsAnError) {
    ClearLists();
    const TCity city("Nowhere,4,0,0");
    EXPECT_THROW(ZoneOfCity(city), Error);
}

}  // namespace
}  // namespace velkaro

namespace velkaro {
namespace {

// The zone's precomputed switch table must give exactly what evaluating the rules gives.
TEST(ZoneConversionTable, AgreesWithTheRuleEvaluationToTheMillisecond) {
    const char* lines[] = {
        "New York,-300,-240,2,1,2,2,0,10,1,1,1,0", "Sydney,600,660,9,1,1,2,0,3,1,1,2,0",
        "Jerusalem,120,180,2,5,4,26,0,9,1,-1,1,0", "Early,60,120,2,1,-1,-1,0,9,1,-1,1,0",
        "Same,60,120,2,1,-1,2,0,2,1,-1,2,0",       "Chatham,765,825,8,1,-1,2,45,3,1,1,2,45",
    };
    for (const char* line : lines) {
        const TZone zone(line);
        auto check = [&](TDateTime t) {
            const TSystemTime st = DateTimeToSystemTime(t);
            ASSERT_EQ(UtcToZoneLocal(zone, t), SystemTimeToDateTime(UtcToZoneTime(zone.Rules, st))) << line;
            ASSERT_EQ(ZoneLocalToUtc(zone, t), SystemTimeToDateTime(ZoneTimeToUtc(zone.Rules, st))) << line;
        };
        // Every 7 minutes and 13 seconds over three years, with odd milliseconds.
        for (TDateTime t = EncodeDateTime(2025, 1, 1); t < EncodeDateTime(2028, 1, 1); t = IncTime(t, 0, 7, 13, 7))
            check(t);
        // Every minute of the weeks in which this year's switches can fall (first, second,
        // fourth and last weeks of the switch months), and years outside the table.
        for (int month : {3, 4, 9, 10, 11})
            for (int firstDay : {1, 21})
                for (int minute = 0; minute < 10 * 24 * 60; ++minute)
                    check(IncTime(EncodeDateTime(2026, month, firstDay), 0, minute, 0, 0));
        check(EncodeDateTime(1850, 7, 1, 12));
        check(EncodeDateTime(2400, 1, 1));
    }
}

}  // namespace
}  // namespace velkaro

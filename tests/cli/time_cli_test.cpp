#include "cli/time_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "tests/settings/temp_config.h"
#include "timemodel/zone_list.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class TimeCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("velkaro-cli-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::ofstream(dir / "azones.lst") << "; test zones\nUTC,0,0\nNew York,-300,-240,2,1,2,2,0,10,1,1,1,0\n"
                                             "Kolkata,330,330\nParis,60,120,2,1,-1,2,0,9,1,-1,2,0\n";
        std::ofstream(dir / "acities.lst") << "London,0,263,55\nNew York,1,154,82\nDelhi,2,368,104\nParis,3,268,62\n"
                                              "Z\xFCrich,3,270,50\n";
        std::ofstream(dir / "places.tsv") << "@C\tUS\tUnited States\n@C\tFR\tFrance\n@R\tUS\tIllinois\n@R\tUS\tMassachusetts\n"
                                             "@R\tFR\t\xC3\x8Ele-de-France\n@Z\tNew York\n@Z\tParis\n@Z\tUTC\n"
                                             "Springfield\t\t1\t4210\t-7259\t154341\t0\n"
                                             "Springfield\t\t0\t3980\t-8964\t116565\t0\n"
                                             "Cr\xC3\xA9teil \"Centre\"\tCreteil \"Centre\"\t2\t4879\t246\t92265\t1\n";
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
    void TearDown() override { ClearLists(); }

    struct Result { int status; std::string out, err; };
    Result Run(std::vector<std::string> args) {
        if (std::find(args.begin(), args.end(), "--data") == args.end()) {
            args.push_back("--data");
            args.push_back(dir.string());
        }
        std::ostringstream out, err;
        const int status = RunTimeCli(args, out, err);
        return {status, out.str(), err.str()};
    }
    static inline fs::path dir;
};

TEST_F(TimeCli, Answers) {
    struct Case { std::vector<std::string> args; std::string out; } cases[] = {
        {{"velkaro", "--at", "2006-05-03T17:12:05Z"}, "@0552.05 d123 y006\n"},
        {{"velkaro", "--at", "2006-05-03T17:12:05.999Z", "--variant", "3"}, "@0552 d123\n"},
        {{"city", "New York", "--at", "2026-07-01T12:00:00Z"}, "New York\t7/1/2026 8:00:00 AM\n"},
        {{"city", "del", "--at", "2026-12-05T20:00:00Z", "--format", "HH:MM"}, "Delhi\t01:30\n"},
        {{"format", "DD xx", "--local", "2026-12-05T13:05:09"}, "Saturday, December 5, 2026 01:05:09 PM\n"},
        {{"to-utc", "New York", "--local", "2026-03-08T02:30:00"}, "New York\t2026-03-08T06:30:00.000Z\n"},
        {{"to-utc", "Paris", "--local", "2026-12-05T12:00:00"}, "Paris\t2026-12-05T11:00:00.000Z\n"},
        {{"calc", "Paris", "--local", "2026-12-31T20:00:00", "--to", "Delhi", "--format", "d mmm HH:MM"},
         "Paris\tDelhi\t1 Jan 00:30\n"},
        // Every command answers in JSON when asked.
        {{"velkaro", "--at", "2006-05-03T17:12:05Z", "--json"},
         "{\"velkaro\":\"@0552.05 d123 y006\",\"utc\":\"2006-05-03T17:12:05.000Z\"}\n"},
        {{"format", "\"HH\"\\", "--local", "2026-12-05T13:05:09", "--json"}, "{\"text\":\"\\\"13\\\"\\\\\"}\n"},
        {{"city", "zurich", "--at", "2026-07-01T12:00:00Z", "--format", "HH:MM", "--json"},
         "{\"city\":\"Z\\u00fcrich\",\"zone\":\"Paris\",\"time\":\"14:00\",\"utc\":\"2026-07-01T12:00:00.000Z\"}\n"},
        {{"to-utc", "Paris", "--local", "2026-12-05T12:00:00", "--json"},
         "{\"city\":\"Paris\",\"local\":\"2026-12-05T12:00:00\",\"utc\":\"2026-12-05T11:00:00.000Z\"}\n"},
        {{"calc", "Paris", "--local", "2026-12-31T20:00:00", "--to", "Delhi", "--format", "HH:MM", "--json"},
         "{\"from\":\"Paris\",\"to\":\"Delhi\",\"zone\":\"Kolkata\",\"time\":\"00:30\",\"utc\":\"2026-12-31T19:00:00.000Z\"}\n"},
        {{"cities", "--json"}, "[\n{\"name\":\"London\",\"zone\":\"UTC\",\"x\":263,\"y\":56},\n"
                               "{\"name\":\"New York\",\"zone\":\"New York\",\"x\":154,\"y\":83},\n"
                               "{\"name\":\"Delhi\",\"zone\":\"Kolkata\",\"x\":368,\"y\":105},\n"
                               "{\"name\":\"Paris\",\"zone\":\"Paris\",\"x\":268,\"y\":63},\n"
                               "{\"name\":\"Z\\u00fcrich\",\"zone\":\"Paris\",\"x\":270,\"y\":51}\n]\n"},
        {{"cities"}, "London\tUTC\t263\t56\nNew York\tNew York\t154\t83\nDelhi\tKolkata\t368\t105\nParis\tParis\t268\t63\n"
                     "Z\xC3\xBCrich\tParis\t270\t51\n"},  // names go out in UTF-8
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
    }
}

TEST_F(TimeCli, ErrorsAreOneLineAndExitTwo) {
    const std::vector<std::string> bad[] = {
        {"city", "Atlantis"}, {"velkaro", "--at", "2006-05-03 17:12:05"},
        {"format", "HH", "--local", "2026-02-30T00:00:00"}, {"calc", "Paris", "--local", "2026-12-31T20:00:00"},
        {"teleport"}, {"velkaro", "--variant", "two"}, {"now", "--colour", "red"},
        {"sun", "London", "--at", "yesterday"}, {"sun"},
        {"to-utc", "EST", "--local", "2026-12-05T12:00:00"},
    };
    for (const auto& args : bad) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_EQ(r.err.rfind("velkaro-time: ", 0), 0u) << r.err;
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunTimeCli({"cities", "--data", (dir / "missing").string()}, out, err), 2);
    EXPECT_EQ(err.str(), "velkaro-time: The list of cities not found. Velkaro can't continue.\n");
}

TEST_F(TimeCli, CityNamesAsTyped) {
    struct Case { std::vector<std::string> args; int status; std::string out, err; } cases[] = {
        {{"city", "new york", "--at", "2026-07-01T12:00:00Z", "--format", "HH"}, 0, "New York\t08\n", ""},
        {{"city", "PAR", "--at", "2026-07-01T12:00:00Z", "--format", "HH"}, 0, "Paris\t14\n", ""},
        {{"city", "Z\xC3\xBCRICH", "--at", "2026-01-01T12:00:00Z", "--format", "HH"}, 0, "Z\xC3\xBCrich\t13\n", ""},
        // A part two names hold settles nothing; a zone abbreviation is no part of a name.
        {{"city", "ri"}, 2, "", "velkaro-time: \"ri\" fits several cities, among them Paris, Z\xC3\xBCrich\n"},
        {{"city", "Ist", "--data", VELKARO_BIN_DIR}, 2, "",
         "velkaro-time: \"Ist\" reads as a zone abbreviation, not a city name; cities near it: Istanbul, Boa Vista\n"},
        {{"city", "MST", "--data", VELKARO_BIN_DIR}, 2, "",
         "velkaro-time: \"MST\" reads as a zone abbreviation, not a city name; cities near it: Amsterdam\n"},
        {{"city", "Z", "--data", VELKARO_BIN_DIR}, 2, "",
         "velkaro-time: \"Z\" reads as a zone abbreviation, not a city name; cities near it: "},
        {{"city", "Lodnon"}, 2, "",
         "velkaro-time: unknown city \"Lodnon\"; nearest: London, Delhi, Paris, Z\xC3\xBCrich, New York "
         "(velkaro-time cities lists them)\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_EQ(r.out, c.out) << c.args[1];
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args[1];
        ClearLists();
    }
}

TEST_F(TimeCli, PlanTableCommonHoursAndErrors) {
    const Result r = Run({"plan", "Paris", "new york", "--date", "2026-12-08"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Paris     00. 01. 02."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("New York  18~ 19~"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  New York, 18:00: -1 day\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Everyone works: Paris: Tuesday 8 December 2026, 15:00-17:00; "
                         "New York: Tuesday 8 December 2026, 09:00-11:00\n"),
              std::string::npos)
        << r.out;
    // 10-12 in both: Paris's are New York's 04-06.
    EXPECT_NE(Run({"plan", "Paris", "New York", "--date", "2026-12-08", "--hours", "10-12"})
                  .out.find("No hour where everyone works.\n"),
              std::string::npos);
    const Result json = Run({"plan", "Z\xC3\xBCrich", "--date", "2026-12-08", "--json"});
    EXPECT_EQ(json.out.rfind("{\"date\":\"2026-12-08\",\"places\":[{\"label\":\"Z\\u00fcrich\",\"zone\":\"Paris\"", 0), 0u)
        << json.out;
    EXPECT_NE(json.out.find("\"common\":[9,10,11,12,13,14,15,16]}\n"), std::string::npos);

    const fs::path none = dir / "none.ics";
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"plan"}, {"plan", "Paris", "--hours", "17-9"}, {"plan", "Paris", "--date", "2026-02-30"},
          {"plan", "Paris", "--date", "tomorrow"}, {"plan", "Atlantis"},
          {"plan", "Paris", "New York", "--hours", "10-12", "--date", "2026-12-08", "--ics", none.string()}}) {
        const Result e = Run(bad);
        EXPECT_EQ(e.status, 2) << bad.back();
        EXPECT_EQ(std::count(e.err.begin(), e.err.end(), '\n'), 1) << e.err;
    }
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(TimeCli, NowListsVelkaroThenEveryCity) {
    const Result r = Run({"now"});
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> names;
    while (std::getline(lines, line)) names.push_back(line.substr(0, line.find('\t')));
    EXPECT_EQ(names, (std::vector<std::string>{"Velkaro", "London", "New York", "Delhi", "Paris", "Z\xC3\xBCrich"}));
}

// The times are the almanac table's business; here the date they are for and how they read.
TEST_F(TimeCli, SunOfACityOnItsDate) {
    {  // Late on the 21st in Anchorage is already the 22nd in UTC: the city's own date counts.
        std::ostringstream out, err;
        ASSERT_EQ(RunTimeCli({"sun", "Anchorage", "--at", "2026-06-22T06:00:00Z", "--data", VELKARO_BIN_DIR}, out, err), 0)
            << err.str();
        int rh = 0, rm = 0, sh = 0, sm = 0, lh = 0, lm = 0;
        ASSERT_EQ(std::sscanf(out.str().c_str(), "Anchorage 2026-06-21: sunrise %d:%d, sunset %d:%d, day length %d:%d",
                              &rh, &rm, &sh, &sm, &lh, &lm), 6) << out.str();
        EXPECT_NEAR(rh * 60 + rm, 4 * 60 + 20, 3) << out.str();
        EXPECT_NEAR(sh * 60 + sm, 23 * 60 + 42, 3) << out.str();
        EXPECT_NEAR(lh * 60 + lm, (sh * 60 + sm) - (rh * 60 + rm), 1) << out.str();
    }
    // Where the city really lies, not its map pixel (a third of a degree off), against the
    // almanac table (tests/timemodel/sun_reference.csv): a city with no namesake in the place index.
    for (const auto& [city, at, rise, set] : {std::tuple{"Chatham Islands", "2026-01-20T00:00:00Z", 373.44, 1270.11},
                                              {"New York", "2026-06-21T16:00:00Z", 325.08, 1230.72}}) {
        std::ostringstream out, err;
        ASSERT_EQ(RunTimeCli({"sun", city, "--at", at, "--data", VELKARO_BIN_DIR}, out, err), 0) << err.str();
        int rh = 0, rm = 0, sh = 0, sm = 0;
        ASSERT_EQ(std::sscanf(out.str().c_str() + std::strlen(city), " %*s sunrise %d:%d, sunset %d:%d", &rh, &rm, &sh, &sm), 4)
            << out.str();
        EXPECT_NEAR(rh * 60 + rm, rise, 1.0) << out.str();
        EXPECT_NEAR(sh * 60 + sm, set, 1.0) << out.str();
    }
    {  // Reykjavik's midsummer sunset comes after midnight: it carries its date (00:04 published).
        std::ostringstream out, err;
        ASSERT_EQ(RunTimeCli({"sun", "Reykjavik", "--at", "2026-06-21T12:00:00Z", "--data", VELKARO_BIN_DIR}, out, err), 0);
        EXPECT_NE(out.str().find(", sunset 2026-06-22 00:"), std::string::npos) << out.str();
    }
    // Longyearbyen's map point (78 N, 15 E) in a zone of UTC+1.
    const fs::path polar = dir / "polar";
    fs::create_directories(polar);
    std::ofstream(polar / "azones.lst") << "CET,60,60\n";
    std::ofstream(polar / "acities.lst") << "Longyearbyen,0,274,8\n";
    for (const auto& [at, text] : {std::pair{"2026-06-21T12:00:00Z", "polar day"}, {"2026-12-21T12:00:00Z", "polar night"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunTimeCli({"sun", "Longyearbyen", "--at", at, "--data", polar.string()}, out, err), 0) << err.str();
        EXPECT_EQ(out.str(), std::string("Longyearbyen ") + std::string(at).substr(0, 10) + ": " + text + "\n");
        ClearLists();
    }
}

// The real program, as a script would run it.
TEST_F(TimeCli, ProgramEndToEnd) {
    auto run = [](const std::string& args, int& status) {
        const std::string cmd = std::string(VELKARO_BIN_DIR) + "/velkaro-time " + args + " 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        std::string text;
        char buf[256];
        while (p && fgets(buf, sizeof buf, p)) text += buf;
        // A wait status (exit code in the second byte) here, the exit code itself on Windows.
        const int raw = p ? pclose(p) : -1;
        status = raw >= 256 ? raw >> 8 : raw;
        return text;
    };
    int status = 0;
    EXPECT_EQ(run("velkaro --at 2007-01-01T00:00:00Z", status), "@0960.00 d365 y006\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("city Delhi --at 2026-12-05T20:00:00Z --data " + dir.string(), status), "Delhi\t12/6/2026 1:30:00 AM\n");
    EXPECT_EQ(status, 0);
    // The program's own folder holds the shipped lists.
    EXPECT_NE(run("cities", status).find('\t'), std::string::npos);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("bogus", status), "velkaro-time: unknown command \"bogus\" (velkaro-time --help lists them)\n");
    EXPECT_EQ(status, 2);
    EXPECT_NE(run("--help", status).find("Usage: velkaro-time"), std::string::npos);
    EXPECT_EQ(status, 0);
    // Nothing listens on port 1 of the loopback address: the dialog's error text, status 1.
    EXPECT_EQ(run("sync --server 127.0.0.1 --port 1", status).rfind("Failed to connect to time server", 0), 0u);
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace velkaro

namespace velkaro {
namespace {

TEST_F(TimeCli, PlacesFindTownsAndOwnPlacesActAsCities) {
    TTempConfig config;
    Result r = Run({"places", "springfield"});
    EXPECT_EQ(r.status, 0) << r.err;
    // Best first: the more populous of the two Springfields.
    EXPECT_EQ(r.out.rfind("Springfield\tMassachusetts\tUnited States\tNew York\t", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nSpringfield\tIllinois\t"), std::string::npos) << r.out;
    EXPECT_EQ(Run({"places", "creteil", "--json"}).out.find("\"name\": \"Cr\xC3\xA9teil \\\"Centre\\\"\""), 2u);
    EXPECT_EQ(Run({"places", "atlantis"}).status, 2);
    EXPECT_EQ(Run({"places", "atlantis", "--json"}).out, "[]\n");

    // Kept under a label, the place answers every command that takes a city.
    r = Run({"place", "add", "Creteil", "--label", "Ana"});
    EXPECT_EQ(r.out, "added Ana: Cr\xC3\xA9teil \"Centre\", \xC3\x8Ele-de-France, France\n") << r.err;
    EXPECT_EQ(Run({"place", "add", "Creteil", "--label", "Ana"}).status, 2);  // not twice
    EXPECT_EQ(Run({"place", "add", "springf"}).status, 0);
    EXPECT_EQ(Run({"city", "ana", "--at", "2026-07-01T12:00:00Z", "--format", "HH:MM"}).out, "Ana\t14:00\n");
    r = Run({"place", "list"});
    EXPECT_EQ(r.out.substr(0, r.out.find('\t')), "Ana");
    EXPECT_NE(r.out.find("\nSpringfield\tSpringfield\tMassachusetts"), std::string::npos) << r.out;
    EXPECT_EQ(Run({"place", "remove", "Ana"}).out, "removed Ana\n");
    EXPECT_EQ(Run({"place", "remove", "Ana"}).status, 2);
    EXPECT_EQ(Run({"place", "list", "--json"}).out.find("[{\"label\": \"Springfield\""), 0u);
    EXPECT_EQ(Run({"place", "frobnicate"}).status, 2);
}

}  // namespace
}  // namespace velkaro

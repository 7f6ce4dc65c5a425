// The shipped city and zone lists against the system's time zone database: for every zone of
// the list, our local time must equal the C library's (localtime_r with TZ set to the zone's
// IANA id) a minute either side of every offset change of 1970..2037 (of either side) and on the
// 15th of every month; and a local time that occurs once must convert back to its instant.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "timemodel/zone_list.h"

namespace velkaro {
namespace {

const std::string kResources = std::string(VELKARO_SOURCE_DIR) + "/resources/";
const std::string kZoneinfo = "/usr/share/zoneinfo/";
constexpr int64_t kFrom = 0;             // 1970-01-01 00:00 UTC
constexpr int64_t kTo = 2145916800;      // 2038-01-01 00:00 UTC
constexpr int64_t kNow = 1767225600;     // 2026-01-01 00:00 UTC
constexpr int64_t kDay = 86400;
constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as a date-time

// The first "# version" line of a file, or "unknown".
std::string VersionLine(const std::string& path, const std::string& prefix) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size(), line.find_last_not_of(" \r\t") + 1 - prefix.size());
    return "unknown";
}

TDateTime FromUnix(int64_t t) { return kUnixEpochDays + static_cast<double>(t) / kDay; }
int64_t ToUnix(TDateTime d) { return DateTimeToMs(d) / 1000 - static_cast<int64_t>(kUnixEpochDays) * kDay; }

// Offsets in seconds east at unix instants: the C library's with TZ set to the zone (process
// wide, so one zone at a time), and ours.
int64_t Reference(int64_t t) {
    const time_t tt = static_cast<time_t>(t);
    tm parts{};
    localtime_r(&tt, &parts);
    return parts.tm_gmtoff;
}
int64_t Ours(const TZone& zone, int64_t t) { return ToUnix(UtcToZoneLocal(zone, FromUnix(t))) - t; }

// The first second in (lo, hi] whose offset differs from lo's.
template <typename F>
int64_t Bisect(int64_t lo, int64_t hi, F offset) {
    const int64_t before = offset(lo);
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        (offset(mid) == before ? lo : hi) = mid;
    }
    return hi;
}

struct Agreement {
    long Checks = 0, Now = 0;
    std::vector<std::string> Differences;
};

// One zone: its offset changes and ours, found day by day and bisected, then each moment
// checked. Our day-by-day scan runs on a second thread while the C library does its own here.
void CompareZone(const TZone& zone, Agreement& result) {
    setenv("TZ", zone.Name.c_str(), 1);
    tzset();
    constexpr size_t kDays = (kTo - kFrom) / kDay + 1;
    auto oursFuture = std::async(std::launch::async, [&zone] {
        std::vector<int64_t> offsets(kDays);
        for (size_t d = 0; d < kDays; ++d) offsets[d] = Ours(zone, kFrom + static_cast<int64_t>(d) * kDay);
        return offsets;
    });
    std::vector<int64_t> reference(kDays);
    for (size_t d = 0; d < kDays; ++d) reference[d] = Reference(kFrom + static_cast<int64_t>(d) * kDay);
    const std::vector<int64_t> ours = oursFuture.get();

    std::set<int64_t> moments;
    for (size_t d = 1; d < kDays; ++d) {
        const int64_t t = kFrom + static_cast<int64_t>(d) * kDay;
        for (int64_t change : {reference[d] != reference[d - 1] ? Bisect(t - kDay, t, Reference) : 0,
                               ours[d] != ours[d - 1] ? Bisect(t - kDay, t, [&](int64_t x) { return Ours(zone, x); }) : 0})
            if (change) moments.insert({change - 60, change + 60});
    }
    for (int year = 1970; year < 2038; ++year)
        for (int month = 1; month <= 12; ++month) moments.insert(ToUnix(EncodeDateTime(year, month, 15, 12)));

    for (const int64_t t : moments) {
        ++result.Checks;
        result.Now += t >= kNow;
        const int64_t theirs = Reference(t), mine = Ours(zone, t);
        // The local time back to UTC, where it occurs once: the instants a day around that
        // could show the same local time are those of the offsets in force then.
        const int64_t wall = t + theirs;
        std::set<int64_t> instants;
        for (const int64_t near : {t - kDay, t, t + kDay})
            if (const int64_t candidate = wall - Reference(near); Reference(candidate) == wall - candidate)
                instants.insert(candidate);
        const int64_t back = instants.size() == 1 ? ToUnix(ZoneLocalToUtc(zone, FromUnix(wall))) : t;
        if (mine == theirs && back == t) continue;
        char text[200];
        const time_t at = static_cast<time_t>(t);
        tm parts{};
        gmtime_r(&at, &parts);
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
        result.Differences.push_back(zone.Name + " at " + text + ": ours " + std::to_string(mine) + " s, database " +
                                     std::to_string(theirs) + " s" +
                                     (back == t ? "" : ", local time back to UTC " + std::to_string(back - t) + " s off"));
    }
}

class DataAgreementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadReport = LoadLists(kResources); }
    static void TearDownTestSuite() { ClearLists(); }

    static std::string RegenerateAdvice() {
        return "The lists were generated from tzdata " + VersionLine(kResources + "azones.lst", "; tzdata ") +
               "; this system has tzdata " + VersionLine(kZoneinfo + "tzdata.zi", "# version ") +
               ". Regenerate them with scripts/gen-data and commit resources/.";
    }

    static inline TLoadReport LoadReport;
};

TEST_F(DataAgreementTest, ListsLoadCleanly) {
    EXPECT_EQ(LoadReport.Warnings, "");
    EXPECT_GE(CityList.size(), 200u);
}

TEST_F(DataAgreementTest, EveryZoneAgreesWithTheSystemDatabaseFrom1970To2037) {
    const char* oldTz = std::getenv("TZ");
    const std::string savedTz = oldTz ? oldTz : "";
    Agreement all;
    std::vector<std::string> unknown;
    for (const auto& zone : ZoneList) {
        if (std::filesystem::exists(kZoneinfo + zone->Name)) CompareZone(*zone, all);
        else unknown.push_back(zone->Name);
    }
    if (oldTz) setenv("TZ", savedTz.c_str(), 1);
    else unsetenv("TZ");
    tzset();

    const long agreeing = all.Checks - static_cast<long>(all.Differences.size());
    std::printf("%zu zones, %ld of %ld moments of 1970..2037 agree (%.3f%%); %ld of them from 2026 on\n",
                ZoneList.size(), agreeing, all.Checks, 100.0 * agreeing / std::max(all.Checks, 1L), all.Now);
    EXPECT_TRUE(unknown.empty()) << "Zones unknown to " << kZoneinfo << ": " << ::testing::PrintToString(unknown)
                                 << "\n" << RegenerateAdvice();
    std::string listed;
    for (size_t i = 0; i < all.Differences.size() && i < 40; ++i) listed += "  " + all.Differences[i] + "\n";
    EXPECT_TRUE(all.Differences.empty()) << all.Differences.size() << " moments differ, the first:\n"
                                         << listed << RegenerateAdvice();
}

// Pointing at a city's own pick point must select it: no earlier city within reach.
TEST_F(DataAgreementTest, EveryCityIsReachableOnTheMap) {
    std::string conflicts;
    for (size_t i = 0; i < CityList.size(); ++i) {
        const TCity& c = *CityList[i];
        EXPECT_TRUE(c.X + 2 >= 0 && c.X + 2 < 530 && c.Y >= 0 && c.Y < 248) << c.Name << " is off the map";
        for (size_t j = 0; j < i; ++j) {
            const TCity& e = *CityList[j];
            if (std::hypot(double(e.X - c.X), double(e.Y - c.Y)) <= 5.0) conflicts += "  " + c.Name + " by " + e.Name + "\n";
        }
    }
    EXPECT_TRUE(conflicts.empty()) << "Cities shadowed by an earlier one:\n" << conflicts;
}

}  // namespace
}  // namespace velkaro

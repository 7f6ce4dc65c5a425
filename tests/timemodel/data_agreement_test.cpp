// The shipped city and zone lists against the system's time zone database: for every zone a
// city uses, our local time must equal the C library's (localtime_r with TZ set to the zone's
// IANA id) at every hour of 2026..2036 and a minute either side of every transition of either.
// Zones the list header names as inexpressible are reported with their agreement instead.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "timemodel/zone_list.h"

namespace velkaro {
namespace {

const std::string kResources = std::string(VELKARO_SOURCE_DIR) + "/resources/";
const std::string kZoneinfo = "/usr/share/zoneinfo/";
constexpr int64_t kFrom = 1767225600;  // 2026-01-01 00:00 UTC
constexpr int64_t kTo = 2114380800;    // 2037-01-01 00:00 UTC
constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as a date-time

// The first "# version" line of the installed database, or "unknown".
std::string SystemTzdataVersion() {
    std::ifstream in(kZoneinfo + "tzdata.zi");
    std::string line;
    if (std::getline(in, line) && line.rfind("# version ", 0) == 0) return line.substr(10);
    return "unknown";
}

struct ListHeader { std::string TzdataVersion = "unknown"; std::set<std::string> Inexpressible; };

// "; tzdata 2026f" and "; inexpressible Zone/Id: why" lines of azones.lst.
ListHeader ReadZoneListHeader() {
    ListHeader h;
    std::ifstream in(kResources + "azones.lst");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("; tzdata ", 0) == 0) {
            h.TzdataVersion = line.substr(9, line.find_last_not_of(" \r\t") - 8);
        } else if (line.rfind("; inexpressible ", 0) == 0) {
            h.Inexpressible.insert(line.substr(16, line.find(':') - 16));
        }
    }
    return h;
}

struct ZoneAgreement {
    std::string Name;
    std::vector<std::string> Cities;
    long Checks = 0;
    long Agreeing = 0;
    int64_t FirstDifference = 0;
    int OursThere = 0, TheirsThere = 0;
    double Percent() const { return Checks ? 100.0 * Agreeing / Checks : 0.0; }
};

class ZoneComparer {
public:
    explicit ZoneComparer(const TZone& zone) : Zone(zone) {
        setenv("TZ", zone.Name.c_str(), 1);
        tzset();
    }

    int Reference(int64_t t) const {
        const time_t tt = static_cast<time_t>(t);
        tm parts{};
        localtime_r(&tt, &parts);
        return static_cast<int>(parts.tm_gmtoff / 60);
    }

    int Ours(int64_t t) const {
        const TDateTime utc = kUnixEpochDays + static_cast<double>(t) / 86400.0;
        const int64_t diff = DateTimeToMs(UtcToZoneLocal(Zone, utc)) - DateTimeToMs(utc);
        return static_cast<int>(diff / 60000);
    }

    static void Record(int64_t t, int ours, int theirs, ZoneAgreement& result) {
        ++result.Checks;
        if (ours == theirs) {
            ++result.Agreeing;
        } else if (result.FirstDifference == 0) {
            result.FirstDifference = t;
            result.OursThere = ours;
            result.TheirsThere = theirs;
        }
    }

    // Every hour of the span, and a minute either side of each transition of either side,
    // found by halving the hour in which the offset changed. Our side of the hourly scan runs
    // on a second thread while the C library (whose TZ is process-wide) does its side here.
    void CompareSpan(ZoneAgreement& result) const {
        constexpr size_t kHours = (kTo - kFrom) / 3600;
        auto oursFuture = std::async(std::launch::async, [this] {
            std::vector<int> offsets(kHours);
            for (size_t h = 0; h < kHours; ++h) offsets[h] = Ours(kFrom + static_cast<int64_t>(h) * 3600);
            return offsets;
        });
        std::vector<int> reference(kHours);
        for (size_t h = 0; h < kHours; ++h) reference[h] = Reference(kFrom + static_cast<int64_t>(h) * 3600);
        const std::vector<int> ours = oursFuture.get();

        std::set<int64_t> transitions;
        for (size_t h = 0; h < kHours; ++h) {
            const int64_t t = kFrom + static_cast<int64_t>(h) * 3600;
            if (h > 0 && reference[h] != reference[h - 1])
                transitions.insert(Bisect(t - 3600, t, [this](int64_t x) { return Reference(x); }));
            if (h > 0 && ours[h] != ours[h - 1])
                transitions.insert(Bisect(t - 3600, t, [this](int64_t x) { return Ours(x); }));
            Record(t, ours[h], reference[h], result);
        }
        for (const int64_t at : transitions)
            for (const int64_t t : {at - 60, at + 60}) Record(t, Ours(t), Reference(t), result);
    }

private:
    // The first second in (lo, hi] whose offset differs from lo's.
    template <typename F>
    static int64_t Bisect(int64_t lo, int64_t hi, F offset) {
        const int before = offset(lo);
        while (hi - lo > 1) {
            const int64_t mid = lo + (hi - lo) / 2;
            (offset(mid) == before ? lo : hi) = mid;
        }
        return hi;
    }

    const TZone& Zone;
};

class DataAgreementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadReport = LoadLists(kResources);
        Header = ReadZoneListHeader();
    }
    static void TearDownTestSuite() { ClearLists(); }

    // Compares every zone that a city uses; the C library's TZ is restored afterwards.
    static std::vector<ZoneAgreement> CompareAllZones(std::vector<std::string>& unknown) {
        const char* oldTz = std::getenv("TZ");
        const std::string savedTz = oldTz ? oldTz : "";
        std::map<int32_t, ZoneAgreement> byZone;
        for (const auto& city : CityList) byZone[city->ZoneIndex].Cities.push_back(city->Name);
        std::vector<ZoneAgreement> results;
        for (auto& [index, result] : byZone) {
            const TZone& zone = *ZoneList[static_cast<size_t>(index)];
            result.Name = zone.Name;
            if (!std::filesystem::exists(kZoneinfo + zone.Name)) {
                unknown.push_back(zone.Name);
                continue;
            }
            ZoneComparer(zone).CompareSpan(result);
            results.push_back(result);
        }
        if (oldTz) setenv("TZ", savedTz.c_str(), 1);
        else unsetenv("TZ");
        tzset();
        return results;
    }

    static std::string Describe(const ZoneAgreement& z) {
        char text[200];
        std::snprintf(text, sizeof text, "%s: %.3f%% of %ld moments", z.Name.c_str(), z.Percent(), z.Checks);
        std::string out = text;
        if (z.FirstDifference) {
            const time_t at = static_cast<time_t>(z.FirstDifference);
            tm parts{};
            gmtime_r(&at, &parts);
            std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
            out += ", first difference at " + std::string(text) + " (ours " + std::to_string(z.OursThere) +
                   " min, database " + std::to_string(z.TheirsThere) + " min)";
        }
        return out;
    }

    static std::string RegenerateAdvice() {
        return "The lists were generated from tzdata " + Header.TzdataVersion +
               "; this system has tzdata " + SystemTzdataVersion() +
               ". Regenerate them with scripts/gen-data and commit resources/azones.lst and "
               "resources/acities.lst (and resources/map.bmp).";
    }

    static inline TLoadReport LoadReport;
    static inline ListHeader Header;
};

TEST_F(DataAgreementTest, ListsLoadCleanly) {
    EXPECT_EQ(LoadReport.Warnings, "");
    EXPECT_GE(CityList.size(), 200u);
}

// One test for the whole comparison, so that the table of zones is printed in one place.
TEST_F(DataAgreementTest, EveryCityTimeAgreesWithTheSystemDatabase) {
    std::vector<std::string> unknown;
    const std::vector<ZoneAgreement> results = CompareAllZones(unknown);
    EXPECT_TRUE(unknown.empty()) << "Zones unknown to " << kZoneinfo << ": "
                                 << ::testing::PrintToString(unknown) << "\n" << RegenerateAdvice();

    std::string report, listed, failing, stale;
    for (const auto& z : results) {
        const bool inexpressible = Header.Inexpressible.count(z.Name) > 0;
        report += "  " + Describe(z) + "  (" + std::to_string(z.Cities.size()) +
                  (z.Cities.size() == 1 ? " city)\n" : " cities)\n");
        if (inexpressible) {
            listed += "  " + Describe(z) + "\n";
            // The generator lists a zone only when its yearly rule misses the database somewhere
            // in this span, so full agreement means the list header is out of date.
            if (z.Agreeing == z.Checks) stale += "  " + z.Name + "\n";
        } else if (z.Agreeing != z.Checks) {
            failing += "  " + Describe(z) + "\n";
        }
    }
    std::printf("Agreement with the system time zone database, 2026..2036, per zone:\n%s", report.c_str());
    std::printf("Zones the list format cannot express (written with their yearly rule):\n%s",
                listed.empty() ? "  none\n" : listed.c_str());
    EXPECT_TRUE(failing.empty()) << "Zones whose times differ from the system time zone database:\n"
                                 << failing << RegenerateAdvice();
    EXPECT_TRUE(stale.empty()) << "Listed as inexpressible but agreeing fully:\n" << stale << RegenerateAdvice();
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

// An uncompressed 8-bit BMP: size, and the colour of a pixel through the palette.
struct Bitmap8 {
    std::string Bytes;
    int32_t Width = 0, Height = 0;
    uint16_t Bits = 0;

    explicit Bitmap8(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        Bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (Bytes.size() < 54 || Bytes.compare(0, 2, "BM") != 0) return;
        Width = Read<int32_t>(18);
        Height = Read<int32_t>(22);
        Bits = Read<uint16_t>(28);
    }
    template <typename T>
    T Read(size_t at) const {
        T v{};
        std::memcpy(&v, Bytes.data() + at, sizeof v);
        return v;
    }
    // 0x00RRGGBB of pixel (x, y), y counted from the top; 0 outside the picture.
    uint32_t Rgb(int x, int y) const {
        if (x < 0 || y < 0 || x >= Width || y >= Height) return 0;
        const size_t row = (static_cast<size_t>(Width) + 3) & ~size_t{3};
        const size_t at = Read<uint32_t>(10) + static_cast<size_t>(Height - 1 - y) * row + static_cast<size_t>(x);
        if (at >= Bytes.size()) return 0;
        const auto index = static_cast<uint8_t>(Bytes[at]);
        const size_t entry = 14 + Read<uint32_t>(14) + index * 4u;
        if (entry + 3 > Bytes.size()) return 0;
        return static_cast<uint8_t>(Bytes[entry + 2]) << 16 | static_cast<uint8_t>(Bytes[entry + 1]) << 8 |
               static_cast<uint8_t>(Bytes[entry]);
    }
};

// The map's red dots and the cities' pick points come from one projection; this keeps them so.
TEST_F(DataAgreementTest, EveryCityHasItsRedDotUnderItsPickPoint) {
    const Bitmap8 map(kResources + "map.bmp");
    ASSERT_EQ(map.Width, 530);
    ASSERT_EQ(map.Height, 248);
    ASSERT_EQ(map.Bits, 8);
    for (const auto& city : CityList) {
        const uint32_t rgb = map.Rgb(city->X + 2, city->Y);
        const bool red = (rgb >> 16) > 200 && ((rgb >> 8) & 0xFF) < 80 && (rgb & 0xFF) < 80;
        EXPECT_TRUE(red) << city->Name << ": no red dot at (" << city->X + 2 << ", " << city->Y << ")";
    }
    // The high-density picture: the same dots at twice the size, round the same logical points.
    const Bitmap8 dense(kResources + "map@2x.bmp");
    ASSERT_EQ(dense.Width, 1060);
    ASSERT_EQ(dense.Height, 496);
    for (const auto& city : CityList) {
        const int x = 2 * (city->X + 2) + 1, y = 2 * (city->Y + 1) + 1;
        const uint32_t rgb = dense.Rgb(x, y);
        const bool red = (rgb >> 16) > 200 && ((rgb >> 8) & 0xFF) < 80 && (rgb & 0xFF) < 80;
        EXPECT_TRUE(red) << city->Name << ": no red dot at (" << x << ", " << y << ") of the 2x map";
    }
}

}  // namespace
}  // namespace velkaro

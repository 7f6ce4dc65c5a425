// Cities and zones: the two list files, their records, and the per-zone conversions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "timemodel/date_time.h"
#include "timemodel/zone_history.h"
#include "timemodel/zone_rules.h"

namespace velkaro {

class TCity {
public:
    explicit TCity(const std::string& line);
    std::string Name;
    int32_t ZoneIndex = 0;
    int32_t X = 0;
    int32_t Y = 0;
    // Where the city really lies, in hundredths of a degree north and east (fields 5 and 6, which
    // an older list lacks): the map point is a whole pixel, up to a third of a degree off.
    bool HasPlace = false;
    int32_t Lat = 0, Lon = 0;
};

class TZone {
public:
    explicit TZone(const std::string& line);
    std::string Name;
    int32_t Bias = 0;
    int32_t DstTotalBias = 0;
    int32_t DstMonth = 0, DstWeek = 0, DstDayOfWeek = 0, DstHour = 0, DstMinute = 0;
    int32_t StdMonth = 0, StdWeek = 0, StdDayOfWeek = 0, StdHour = 0, StdMinute = 0;
    TTimeZoneInformation Rules;
    // The offsets before the yearly rule took over (fields 14 on); empty when there are none.
    TZoneHistory History;
    // An offset field lay beyond 24 hours either way and was read as 0 (the loader reports it).
    bool OffsetOutOfRange = false;
    // What was wrong with a damaged history, which is then left out (the loader reports it).
    std::string HistoryProblem;
    // Drops daylight saving from the rules (used for rules without a defined switch date).
    void DisableDaylight();
    // True when the daylight rule has a defined switch date (or there is no daylight saving).
    bool HasValidRule() const;
    // The yearly rule's offset at a UTC instant (ms since 1899-12-30), in milliseconds.
    int64_t RuleOffsetAt(int64_t utcMs) const;

    // The switch moments of the years the program deals with, in standard time, each computed
    // when its year is first asked for (a zone list holds hundreds of zones, and a run meets a
    // few years): a conversion then costs a table look-up instead of two rule resolutions.
    struct TSwitches {
        int64_t StandardMs, DaylightMs;  // milliseconds since 1899-12-30
    };
    static constexpr int kFirstTableYear = 1900, kTableYears = 300;
    const TSwitches* SwitchesOf(int year) const;

private:
    void BuildSwitchTable();
    bool UsesSwitchTable = false;
    mutable std::vector<TSwitches> SwitchTable;  // filled year by year, as asked for
};

using TCityList = std::vector<std::unique_ptr<TCity>>;
using TZoneList = std::vector<std::unique_ptr<TZone>>;

// The program's lists; owned by whoever loads them (the main window, the command-line tool).
extern TCityList CityList;
extern TZoneList ZoneList;
// Velkaro time: a fixed zone eight hours behind UTC.
const TZone& VelkaroZone();

TDateTime UtcToZoneLocal(const TZone& zone, TDateTime utc);
TDateTime ZoneLocalToUtc(const TZone& zone, TDateTime local);
// The zone of a city; the loader guarantees the index is valid.
const TZone& ZoneOfCity(const TCity& city);

// The directory of the running program, ending with a path separator.
std::string ProgramDirectory();

// Where the two list files are looked for, in order: beside the program (a build tree, a
// portable copy), then ../share/velkaro/ from it (an installed copy in any prefix).
std::vector<std::string> DataDirectories();

// The first of dirs holding both list files. When none does, throws velkaro::Error with the
// user's text for the file not found, followed by every place looked in.
std::string FindDataDirectory(const std::vector<std::string>& dirs = DataDirectories());

struct TLoadReport {
    // One text listing every problem the loader mended (empty when there were none).
    std::string Warnings;
};

// Reads "acities.lst" and "azones.lst" from dir (ending with a separator) into CityList and
// ZoneList, replacing their contents. Throws velkaro::Error with the user's text when a file
// is missing. Cities with a zone position outside the zone list are left out, zones with an
// undefined daylight rule lose their daylight saving, offsets beyond 24 hours are read as 0 and a
// damaged history is left out; all are described in the report.
TLoadReport LoadLists(const std::string& dir);
void ClearLists();

}  // namespace velkaro

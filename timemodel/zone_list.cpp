// The city and zone list files: line parsing with the files' own field rules, the loader,
// and the per-zone conversions.
#include "timemodel/zone_list.h"

#include <climits>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/error.h"
#include "platform/program_path.h"

namespace velkaro {

TCityList CityList;
TZoneList ZoneList;

namespace {

// Fields exactly as they stand between commas; a comma at the very end gives no extra field.
std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto comma = line.find(',', start);
        if (comma == std::string::npos) {
            if (start < line.size() || fields.empty()) fields.push_back(line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

// A 32-bit integer: leading blanks, optional sign, "$", "x" or "0x" for hexadecimal, nothing
// after the digits. Hexadecimal values take all 32 bits (so $FFFFFFFF is -1).
std::optional<int32_t> ParseNumber(const std::string& s) {
    std::string::size_type i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * base + digit;
        if (value > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)) return std::nullopt;
    }
    int64_t v;
    if (base == 16) v = static_cast<int32_t>(static_cast<uint32_t>(value));
    else v = static_cast<int64_t>(value);
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(v);
}

// Field n (1-based): missing gives 0 with no adjustment; invalid gives the default.
struct FieldReader {
    const std::vector<std::string>& fields;
    bool Present(size_t n) const { return n <= fields.size(); }
    int32_t Number(size_t n, int32_t invalidDefault) const {
        if (!Present(n)) return 0;
        return ParseNumber(fields[n - 1]).value_or(invalidDefault);
    }
    // A value stored with an adjustment that is applied only when the field is present.
    int32_t Adjusted(size_t n, int32_t invalidDefault, int32_t factor, int32_t add) const {
        if (!Present(n)) return 0;
        return static_cast<int32_t>(static_cast<int64_t>(Number(n, invalidDefault)) * factor + add);
    }
};

TSystemTime RuleDate(int32_t month, int32_t dayOfWeek, int32_t week, int32_t hour, int32_t minute) {
    TSystemTime st;
    st.wMonth = static_cast<uint16_t>(month);
    st.wDayOfWeek = static_cast<uint16_t>(dayOfWeek);
    st.wDay = static_cast<uint16_t>(week == -1 ? 5 : week);
    st.wHour = static_cast<uint16_t>(hour);
    st.wMinute = static_cast<uint16_t>(minute);
    return st;
}

constexpr int32_t kMaxOffsetMinutes = 24 * 60;

bool ValidSwitch(int32_t month, int32_t dayOfWeek, int32_t week, int32_t hour, int32_t minute) {
    // A switch hour may run a week either way (the zone database writes e.g. hour 26 or -1).
    return month >= 1 && month <= 12 && dayOfWeek >= 1 && dayOfWeek <= 7 &&
           ((week >= 1 && week <= 5) || week == -1) && hour >= -167 && hour <= 167 && minute >= 0 &&
           minute <= 59;
}

}  // namespace

TCity::TCity(const std::string& line) {
    const auto fields = SplitFields(line);
    const FieldReader f{fields};
    Name = fields.empty() ? std::string() : fields[0];
    ZoneIndex = f.Number(2, 0);
    X = f.Number(3, 0);
    Y = f.Adjusted(4, 0, 1, 1);
    if (fields.size() >= 6) {
        const auto lat = ParseNumber(fields[4]), lon = ParseNumber(fields[5]);
        HasPlace = lat && lon && std::abs(*lat) <= 9000 && std::abs(*lon) <= 18000;
        if (HasPlace) Lat = *lat, Lon = *lon;
    }
}

TZone::TZone(const std::string& line) {
    const auto fields = SplitFields(line);
    const FieldReader f{fields};
    Name = fields.empty() ? std::string() : fields[0];
    // An offset beyond a day either way is no real zone's and would overflow the rule
    // arithmetic; it is an invalid field and takes the field's default.
    auto offset = [&](size_t n) -> int32_t {
        const int32_t value = f.Number(n, 0);
        if (value >= -kMaxOffsetMinutes && value <= kMaxOffsetMinutes) return -value;
        OffsetOutOfRange = true;
        return 0;
    };
    Bias = offset(2);
    DstTotalBias = offset(3);
    DstMonth = f.Adjusted(4, 0, 1, 1);
    DstDayOfWeek = f.Number(5, 1);
    DstWeek = f.Number(6, 0);
    DstHour = f.Number(7, 0);
    DstMinute = f.Number(8, 0);
    StdMonth = f.Adjusted(9, 0, 1, 1);
    StdDayOfWeek = f.Number(10, 1);
    StdWeek = f.Number(11, 0);
    StdHour = f.Number(12, 0);
    StdMinute = f.Number(13, 0);

    Rules.Bias = Bias;
    if (Name.size() <= 15)
        for (size_t i = 0; i < Name.size(); ++i)
            Rules.StandardName[i] = static_cast<char16_t>(static_cast<unsigned char>(Name[i]));
    Rules.StandardDate = RuleDate(StdMonth, StdDayOfWeek, StdWeek, StdHour, StdMinute);
    Rules.StandardBias = 0;
    Rules.DaylightDate = RuleDate(DstMonth, DstDayOfWeek, DstWeek, DstHour, DstMinute);
    Rules.DaylightBias = DstTotalBias - Bias;
    HistoryProblem = History.Read(fields, 13);
    BuildSwitchTable();
}

namespace {
constexpr int64_t kNotYet = INT64_MIN;
}  // namespace

void TZone::BuildSwitchTable() {
    SwitchTable.clear();
    UsesSwitchTable = Rules.StandardDate.wMonth != 0 && HasValidRule();
    // The hand-over from the history to the rule depends on the rule (an undefined one is
    // mended by the loader, which calls this again).
    if (!History.Empty() && HasValidRule()) History.SetRuleOffsetAtEnd(RuleOffsetAt(History.EndUtcMs()));
}

const TZone::TSwitches* TZone::SwitchesOf(int year) const {
    const int i = year - kFirstTableYear;
    if (!UsesSwitchTable || i < 0 || i >= kTableYears) return nullptr;
    if (SwitchTable.empty()) SwitchTable.assign(kTableYears, {kNotYet, kNotYet});
    TSwitches& sw = SwitchTable[static_cast<size_t>(i)];
    if (sw.StandardMs == kNotYet)
        sw = {DateTimeToMs(SystemTimeToDateTime(ResolveRuleDate(year, Rules.StandardDate))),
              DateTimeToMs(SystemTimeToDateTime(ResolveRuleDate(year, Rules.DaylightDate)))};
    return &sw;
}

bool TZone::HasValidRule() const {
    if (StdMonth == 0) return true;  // no daylight saving
    return ValidSwitch(DstMonth, DstDayOfWeek, DstWeek, DstHour, DstMinute) &&
           ValidSwitch(StdMonth, StdDayOfWeek, StdWeek, StdHour, StdMinute);
}

void TZone::DisableDaylight() {
    StdMonth = 0;
    Rules.StandardDate.wMonth = 0;
    BuildSwitchTable();
}

const TZone& VelkaroZone() {
    static const TZone zone("Velkaro,-480,-480");
    return zone;
}

namespace {

constexpr int64_t kMsPerMinute = 60'000;

// Whether a standard-time (or, for the way back, wall-clock) moment lies in daylight saving,
// by the zone's table; nullopt when the year is outside it.
std::optional<bool> TableDaylight(const TZone& zone, int64_t ms) {
    if (zone.Rules.StandardDate.wMonth == 0) return false;
    const TZone::TSwitches* sw = zone.SwitchesOf(YearOfMs(ms));
    if (!sw) return std::nullopt;
    if (sw->DaylightMs < sw->StandardMs) return sw->DaylightMs <= ms && ms < sw->StandardMs;
    return ms < sw->StandardMs || ms >= sw->DaylightMs;
}

// The rule's offset at a UTC instant, in milliseconds. The rule path gives exactly what the
// rule-time routines give (every value involved is a whole number of milliseconds); the table
// only saves resolving the rules again.
int64_t RuleOffsetMs(const TZone& zone, int64_t utcMs) {
    const TTimeZoneInformation& r = zone.Rules;
    const int64_t standard = utcMs - int64_t{r.Bias} * kMsPerMinute;
    const std::optional<bool> dst = TableDaylight(zone, standard);
    if (!dst) {
        const TDateTime utc = MsToDateTime(utcMs);
        return DateTimeToMs(SystemTimeToDateTime(UtcToZoneTime(r, DateTimeToSystemTime(utc)))) - utcMs;
    }
    return -(int64_t{r.Bias} + (*dst ? r.DaylightBias : r.StandardBias)) * kMsPerMinute;
}

}  // namespace

int64_t TZone::RuleOffsetAt(int64_t utcMs) const { return RuleOffsetMs(*this, utcMs); }

// The history where it reaches, the yearly rule before and after it.
TDateTime UtcToZoneLocal(const TZone& zone, TDateTime utc) {
    const int64_t ms = DateTimeToMs(utc);
    const std::optional<int64_t> past = zone.History.OffsetAtUtc(ms);
    return MsToDateTime(ms + (past ? *past : RuleOffsetMs(zone, ms)));
}

TDateTime ZoneLocalToUtc(const TZone& zone, TDateTime local) {
    const int64_t wall = DateTimeToMs(local);
    if (const std::optional<int64_t> past = zone.History.OffsetAtWall(wall)) return MsToDateTime(wall - *past);
    const TTimeZoneInformation& r = zone.Rules;
    const std::optional<bool> dst = TableDaylight(zone, wall);
    if (!dst) return SystemTimeToDateTime(ZoneTimeToUtc(r, DateTimeToSystemTime(local)));
    return MsToDateTime(wall + (int64_t{r.Bias} + (*dst ? r.DaylightBias : r.StandardBias)) * kMsPerMinute);
}

const TZone& ZoneOfCity(const TCity& city) {
    if (city.ZoneIndex < 0 || static_cast<size_t>(city.ZoneIndex) >= ZoneList.size())
        throw Error("List index [" + std::to_string(city.ZoneIndex) + "] out of bounds...");
    return *ZoneList[static_cast<size_t>(city.ZoneIndex)];
}

std::string ProgramDirectory() {
    const std::string path = ExecutablePath();
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::vector<std::string> DataDirectories() {
    const std::string here = ProgramDirectory();
    // A path with an empty last part ends in the system's own separator.
    const std::filesystem::path installed = (std::filesystem::path(here) / ".." / "share" / "velkaro").lexically_normal();
    return {here, (installed / "").string()};
}

std::string FindDataDirectory(const std::vector<std::string>& dirs) {
    auto readable = [](const std::string& path) { return std::ifstream(path, std::ios::binary).is_open(); };
    bool anyCities = false;
    std::string looked;
    for (const std::string& dir : dirs) {
        const bool cities = readable(dir + "acities.lst");
        if (cities && readable(dir + "azones.lst")) return dir;
        anyCities = anyCities || cities;
        looked += (looked.empty() ? "" : ", ") + dir;
    }
    throw Error(std::string(anyCities ? "The list of time zones not found." : "The list of cities not found.") +
                " Velkaro can't continue. Looked in: " + looked);
}

namespace {

struct DataLine {
    int Number;
    std::string Text;
};

// The data lines of a list file with their line numbers; empty and ";" lines are skipped.
// None when the file cannot be read: missing, unreadable, or a folder (which opens, but reads
// as an empty file).
std::optional<std::vector<DataLine>> ReadDataLines(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<DataLine> lines;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        lines.push_back({number, line});
    }
    if (in.bad()) return std::nullopt;
    return lines;
}

}  // namespace

void ClearLists() {
    CityList.clear();
    ZoneList.clear();
}

TLoadReport LoadLists(const std::string& dir) {
    ClearLists();
    const auto cities = ReadDataLines(dir + "acities.lst");
    if (!cities) throw Error("The list of cities not found. Velkaro can't continue.");
    for (const auto& l : *cities) CityList.push_back(std::make_unique<TCity>(l.Text));
    const auto zones = ReadDataLines(dir + "azones.lst");
    if (!zones) throw Error("The list of time zones not found. Velkaro can't continue.");
    VelkaroZone();
    for (const auto& l : *zones) ZoneList.push_back(std::make_unique<TZone>(l.Text));

    // A bad zone position would fail at every clock tick, a rule without a switch date has no
    // answer, an offset beyond a day is no zone's and a damaged history cannot be trusted in any
    // of its parts, so all are mended once and reported together.
    std::ostringstream problems;
    for (size_t i = 0; i < ZoneList.size(); ++i) {
        TZone& zone = *ZoneList[i];
        if (zone.OffsetOutOfRange)
            problems << "azones.lst, line " << (*zones)[i].Number << ": zone \"" << zone.Name
                     << "\" has an offset of more than 24 hours from UTC; that offset is read as 0.\n";
        if (!zone.HistoryProblem.empty())
            problems << "azones.lst, line " << (*zones)[i].Number << ": zone \"" << zone.Name
                     << "\" has a damaged history (" << zone.HistoryProblem
                     << "); it is used with its yearly rule alone.\n";
        if (zone.HasValidRule()) continue;
        zone.DisableDaylight();
        problems << "azones.lst, line " << (*zones)[i].Number << ": zone \"" << zone.Name
                 << "\" has no valid daylight-saving switch date; it is used without daylight saving.\n";
    }
    TCityList kept;
    for (size_t i = 0; i < CityList.size(); ++i) {
        auto& city = CityList[i];
        if (city->ZoneIndex >= 0 && static_cast<size_t>(city->ZoneIndex) < ZoneList.size()) {
            kept.push_back(std::move(city));
            continue;
        }
        problems << "acities.lst, line " << (*cities)[i].Number << ": city \"" << city->Name
                 << "\" refers to zone position " << city->ZoneIndex
                 << ", which is not in the zone list; the city is left out.\n";
    }
    CityList = std::move(kept);

    TLoadReport report;
    if (const std::string text = problems.str(); !text.empty())
        report.Warnings = "Some entries of the city and zone lists could not be used:\n" + text;
    return report;
}

}  // namespace velkaro

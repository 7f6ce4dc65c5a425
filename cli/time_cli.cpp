#include "cli/time_cli.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>

#include "cli/place_commands.h"
#include "map/map_projection.h"
#include "places/place_index.h"
#include "planner/meeting_plan.h"
#include "platform/error.h"
#include "platform/registry_hive.h"
#include "settings/ini_store.h"
#include "timemodel/city_match.h"
#include "timemodel/iso_time.h"
#include "timemodel/json_text.h"
#include "timemodel/solar.h"
#include "timemodel/time_format.h"
#include "timemodel/zone_list.h"

namespace velkaro {

namespace {

TSyncCommand& SyncCommand() {
    static TSyncCommand command;
    return command;
}

constexpr const char* kHelp =
    "Usage: velkaro-time COMMAND [OPTIONS]\n"
    "\n"
    "Times are ISO 8601: a UTC instant as 2006-05-03T17:12:05Z (milliseconds optional, .123),\n"
    "a wall-clock time as 2006-05-03T09:12:05.\n"
    "\n"
    "Commands:\n"
    "  velkaro [--at UTC] [--variant N]       Velkaro time (default now, variant 0..3)\n"
    "  city NAME [--at UTC] [--format PATTERN] the city and its time (default \"D x\")\n"
    "  format PATTERN --local LOCAL           a wall-clock time rendered by a pattern\n"
    "  to-utc NAME --local LOCAL              the city and the UTC instant at which it shows LOCAL\n"
    "  calc FROM --local LOCAL --to TO [--format PATTERN]\n"
    "                                         the two cities and the time in TO when FROM\n"
    "                                         shows LOCAL\n"
    "  sun NAME [--at UTC]                    that city's sunrise, sunset and day length on its\n"
    "                                         date at that instant (default now), local times\n"
    "  cities                                 name, zone, X, Y of every city, tab-separated\n"
    "  now                                    Velkaro time, then every city with its time\n"
    "  plan PLACE... [--date YYYY-MM-DD] [--hours 9-17] [--json] [--ics FILE]\n"
    "                                         the hours of that day (default today) in each\n"
    "                                         place, from the first place's midnight: working,\n"
    "                                         early or late, night; the hours where everyone\n"
    "                                         works; --ics writes the first of them as a\n"
    "                                         calendar event\n"
    "  places QUERY [--json]                  towns of the place index that fit QUERY, best first:\n"
    "                                         name, region, country, zone, time\n"
    "  place add QUERY [--label LABEL]        keep the town that fits QUERY best as one of your places\n"
    "  place remove LABEL                     forget your place of that label\n"
    "  place list [--json]                    your places in their order, with their times\n"
    "  sync [--server HOST | --ntp HOST] [--port N] [--json]\n"
    "                                         ask a daytime server (or with --ntp an NTP server)\n"
    "                                         for its time and show the computer's offset from\n"
    "                                         it with its accuracy (never sets the clock)\n"
    "\n"
    "Answers are tab-separated and name the cities used. City names may be typed in any case,\n"
    "without accents, or shortened while no other city holds the part typed; a zone\n"
    "abbreviation such as IST, MST or Z is not taken for a part of a city's name; your\n"
    "places' labels count as city names.\n"
    "\n"
    "Options:\n"
    "  --json       every command answers as JSON (one object; cities: an array)\n"
    "  --data DIR   read acities.lst and azones.lst from DIR (default: the program's folder,\n"
    "               then ../share/velkaro/ from it)\n"
    "  --help       this text\n"
    "  --version    the program's version\n"
    "\n"
    "Patterns: d dd (day), m mm mmm mmmm (month), y yy (year), H HH h hh (hour), M MM (minute),\n"
    "S SS (second), tt TT (am/pm), w ww W (weekday), n nn (day of year), Y YY (week), D DD (date),\n"
    "x xx (time), : . (separators), ~ (tab), 'quoted text'.\n";

// A usage or data error: one line on stderr, exit status 2.
struct UsageError : Error {
    using Error::Error;
};

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    std::optional<std::string> Option(const std::string& name) const {
        const auto it = options.find(name);
        if (it == options.end()) return std::nullopt;
        return it->second;
    }
};

Args ParseArgs(const std::vector<std::string>& raw) {
    static const char* kValued[] = {"--at",   "--variant", "--format", "--local", "--to",    "--data", "--server",
                                    "--ntp",  "--port",    "--date",   "--hours", "--ics",   "--label"};
    Args a;
    for (size_t i = 0; i < raw.size(); ++i) {
        const std::string& s = raw[i];
        if (s == "--help" || s == "-h" || s == "--json" || s == "--version") {
            a.options[s == "-h" ? "--help" : s] = "";
            continue;
        }
        if (s.rfind("--", 0) == 0) {
            bool known = false;
            for (const char* k : kValued) known = known || s == k;
            if (!known) throw UsageError("unknown option " + s);
            if (i + 1 >= raw.size()) throw UsageError(s + " needs a value");
            a.options[s] = raw[++i];
            continue;
        }
        a.positional.push_back(s);
    }
    return a;
}

void ExpectPositional(const Args& a, size_t n, const char* usage) {
    if (a.positional.size() != n) throw UsageError(std::string("usage: velkaro-time ") + usage);
}

TDateTime UtcOption(const Args& a) {
    const auto at = a.Option("--at");
    if (!at) return UtcNow();
    const auto t = ParseIsoUtc(*at);
    if (!t) throw UsageError("malformed UTC time \"" + *at + "\" (expected e.g. 2006-05-03T17:12:05Z)");
    return *t;
}

TDateTime LocalOption(const Args& a) {
    const auto local = a.Option("--local");
    if (!local) throw UsageError("--local is required");
    const auto t = ParseIsoLocal(*local);
    if (!t) throw UsageError("malformed local time \"" + *local + "\" (expected e.g. 2006-05-03T09:12:05)");
    return *t;
}

int IntOption(const Args& a, const std::string& name, int fallback) {
    const auto v = a.Option(name);
    if (!v) return fallback;
    try {
        size_t used = 0;
        const int n = std::stoi(*v, &used);
        if (used == v->size()) return n;
    } catch (const std::exception&) {
    }
    throw UsageError(name + " needs a whole number, not \"" + *v + "\"");
}

// The zone abbreviations of the zone database since 1970, and UT: a part of some city's name
// ("IST" of Istanbul, "MST" of Amsterdam) is not what such a query means.
constexpr std::string_view kZoneAbbreviations[] = {
    "ACDT", "ACST", "ADDT", "ADT",  "AEDT", "AEST", "AHDT", "AHST", "AKDT", "AKST", "AST",  "AWDT", "AWST", "BDT",
    "BST",  "CAST", "CAT",  "CDT",  "CEST", "CET",  "CST",  "CHST", "EAT",  "EDT",  "EEST", "EET",  "EST",  "GDT",
    "GMT",  "GST",  "HDT",  "HKST", "HKT",  "HST",  "IDT",  "IST",  "JST",  "KDT",  "KST",  "MDT",  "MEST", "MET",
    "MMT",  "MSD",  "MSK",  "MST",  "NDDT", "NDT",  "NST",  "NZDT", "NZST", "PDT",  "PKST", "PKT",  "PST",  "SAST",
    "SST",  "UT",   "UTC",  "WAST", "WAT",  "WEST", "WET",  "WIB",  "WIT",  "WITA", "YDT",  "YST",
};

// A zone abbreviation in any case, or a single letter (the military zones, "Z" among them).
bool LooksLikeAbbreviation(const std::string& typed) {
    std::string upper;
    for (const char c : typed) {
        if (!std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80) return false;
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper.size() == 1 ||
           std::find(std::begin(kZoneAbbreviations), std::end(kZoneAbbreviations), upper) != std::end(kZoneAbbreviations);
}

// Names as a person types them: case and accents do not matter (see MatchCity).
const TCity& FindCity(const std::string& typed) {
    std::vector<std::string> names;
    for (const auto& c : CityList) names.push_back(c->Name);
    const std::string query = Latin1FromUtf8(typed);
    TCityMatch m = MatchCity(names, query);
    const bool whole = m.Kind == TCityMatch::cmFound && FoldName(names[static_cast<size_t>(m.Index)]) == FoldName(query);
    if (m.Kind == TCityMatch::cmFound && (whole || !LooksLikeAbbreviation(typed)))
        return *CityList[static_cast<size_t>(m.Index)];
    if (m.Kind == TCityMatch::cmFound) m.Candidates = {m.Index};
    std::string listed;
    for (const int i : m.Candidates)
        listed += (listed.empty() ? "" : ", ") + Utf8FromLatin1(names[static_cast<size_t>(i)]);
    if (LooksLikeAbbreviation(typed))
        throw UsageError("\"" + typed + "\" reads as a zone abbreviation, not a city name" +
                         (listed.empty() ? "" : "; cities near it: " + listed));
    if (m.Kind == TCityMatch::cmAmbiguous)
        throw UsageError("\"" + typed + "\" fits several cities, among them " + listed);
    throw UsageError("unknown city \"" + typed + "\"" + (listed.empty() ? "" : "; nearest: " + listed) +
                     " (velkaro-time cities lists them)");
}

// One answer: its fields (values already JSON; names go in as the 8-bit text they are), for
// --json, and its line for a person.
struct TAnswer {
    std::vector<std::pair<std::string, std::string>> Fields;
    std::string Line;

    TAnswer& Add(const std::string& key, const std::string& jsonValue) {
        Fields.emplace_back(key, jsonValue);
        return *this;
    }
    std::string Object() const {
        std::string out = "{";
        for (const auto& [key, value] : Fields) out += (out.size() > 1 ? "," : "") + JsonText(key) + ":" + value;
        return out + "}";
    }
};

void Emit(std::ostream& out, bool json, const TAnswer& answer) { out << (json ? answer.Object() : answer.Line) << "\n"; }

std::string CityName(const TCity& city) { return Utf8FromLatin1(city.Name); }

// The time in a city, named.
TAnswer CityAnswer(const TCity& city, const std::string& pattern, TDateTime utc) {
    const std::string time = CityTimeText(city, pattern, utc);
    TAnswer a;
    a.Add("city", JsonText(city.Name)).Add("zone", JsonText(ZoneOfCity(city).Name));
    a.Add("time", JsonText(time)).Add("utc", JsonText(FormatIsoUtc(utc)));
    a.Line = CityName(city) + "\t" + time;
    return a;
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// A local time as HH:MM, with its date in front when it falls on another day than `date`.
std::string ClockText(TDateTime local, const TDateTimeFields& date) {
    const TDateTimeFields f = DecodeDateTime(std::round(local * 1440.0) / 1440.0);
    std::string text = TwoDigits(f.Hour) + ":" + TwoDigits(f.Minute);
    if (f.Year != date.Year || f.Month != date.Month || f.Day != date.Day)
        text = std::to_string(f.Year) + "-" + TwoDigits(f.Month) + "-" + TwoDigits(f.Day) + " " + text;
    return text;
}

// A local time as an ISO date and minute, for JSON.
std::string IsoMinute(TDateTime local) {
    const TDateTimeFields f = DecodeDateTime(std::round(local * 1440.0) / 1440.0);
    return std::to_string(f.Year) + "-" + TwoDigits(f.Month) + "-" + TwoDigits(f.Day) + "T" + TwoDigits(f.Hour) + ":" +
           TwoDigits(f.Minute);
}

// "London 2026-06-21: sunrise 04:43, sunset 21:21, day length 16:38", or polar day or night.
TAnswer SunAnswer(const TCity& city, const TLatLon& at, TDateTime utc) {
    const TZone& zone = ZoneOfCity(city);
    const TDateTimeFields date = DecodeDateTime(UtcToZoneLocal(zone, utc));
    // The offset in force at local noon stands for the day.
    const TDateTime noon = EncodeDateTime(date.Year, date.Month, date.Day, 12);
    const int offset = int(std::lround((noon - ZoneLocalToUtc(zone, noon)) * 1440.0));
    const TSunDay day = SunDay(date.Year, date.Month, date.Day, offset, at.Lat, at.Lon);
    const std::string dateText =
        std::to_string(date.Year) + "-" + TwoDigits(date.Month) + "-" + TwoDigits(date.Day);
    TAnswer a;
    a.Add("city", JsonText(city.Name)).Add("date", JsonText(dateText));
    a.Line = CityName(city) + " " + dateText + ": ";
    if (day.Kind != TSunDay::Normal) {
        const bool up = day.Kind == TSunDay::PolarDay;
        a.Add("polar", JsonText(up ? "day" : "night"));
        a.Line += up ? "polar day" : "polar night";
        return a;
    }
    const int length = int(std::lround(day.DayLengthMin));
    a.Add("sunrise", JsonText(IsoMinute(day.Sunrise))).Add("sunset", JsonText(IsoMinute(day.Sunset)));
    a.Add("day_length_min", std::to_string(length));
    a.Line += "sunrise " + ClockText(day.Sunrise, date) + ", sunset " + ClockText(day.Sunset, date) +
              ", day length " + TwoDigits(length / 60) + ":" + TwoDigits(length % 60);
    return a;
}

int Plan(const Args& a, std::ostream& out) {
    const auto hoursText = a.Option("--hours");
    TWorkingHours hours;
    if (hoursText) {
        const auto h = ParseWorkingHours(*hoursText);
        if (!h) throw UsageError("malformed hours \"" + *hoursText + "\" (expected e.g. 9-17 or 08:30-16:30)");
        hours = *h;
    }
    std::vector<TPlanPlace> places;
    for (size_t i = 1; i < a.positional.size(); ++i) {
        const TCity& c = FindCity(a.positional[i]);
        places.push_back({c.Name, &ZoneOfCity(c), hours});
    }
    TDateTimeFields date = DecodeDateTime(UtcToZoneLocal(*places.front().Zone, UtcNow()));
    if (const auto d = a.Option("--date")) {
        const auto t = ParseIsoLocal(*d + "T00:00:00");
        if (!t) throw UsageError("malformed date \"" + *d + "\" (expected e.g. 2026-12-08)");
        date = DecodeDateTime(*t);
    }
    const TMeetingPlan plan = PlanMeeting(places, date.Year, date.Month, date.Day);
    if (const auto file = a.Option("--ics")) {
        const int hour = plan.FirstCommon();
        if (hour < 0) throw Error("no hour where everyone works; no event written");
        std::ofstream ics(*file, std::ios::binary | std::ios::trunc);
        ics << MeetingIcs(plan, hour, 1, UtcNow());
        ics.close();
        if (!ics) throw Error("cannot write \"" + *file + "\"");
    }
    out << (a.options.count("--json") ? PlanJson(plan) : Utf8FromLatin1(PlanText(plan)));
    return 0;
}

// The user's settings, where their own places live (the map's own store).
std::unique_ptr<TIniStore> UserStore() {
    return std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
}

std::string DataDirectory(const Args& a) {
    std::string dir = a.Option("--data").value_or("");
    if (dir.empty()) dir = FindDataDirectory();
    else if (dir.back() != '/') dir += '/';
    return dir;
}

void Load(const Args& a, std::ostream& err) {
    const TLoadReport report = LoadLists(DataDirectory(a));
    if (!report.Warnings.empty()) err << report.Warnings;
    // Only read where there are places: a command that reads leaves no settings behind.
    if (UserRegistry()->OpenKey(rhCurrentUser, std::string("SOFTWARE\\Zonaria") + TMyPlaces::kKey, false))
        AppendMyPlaces(*UserStore(), err);
}

// Where a city really lies: as the city list gives it; from a list without it, its namesake in
// the place index near its map point (a pixel is a third of a degree, minutes of sunrise), else
// the map point itself.
TLatLon CityPlace(const TCity& city, const std::string& dir) {
    if (city.HasPlace) return {city.Lat / 100.0, city.Lon / 100.0};
    const TLatLon map = CityLatLon(city);
    try {
        const TPlaceIndex index = TPlaceIndex::Load(dir);
        for (const TPlaceHit& hit : index.Search(Utf8FromLatin1(city.Name), 50))
            if (hit.Match == pmExact && std::fabs(index.Lat(hit.Place) - map.Lat) < 1.5 &&
                std::fabs(std::remainder(index.Lon(hit.Place) - map.Lon, 360.0)) < 1.5)
                return {index.Lat(hit.Place), index.Lon(hit.Place)};
    } catch (const Error&) {
        // No index beside the lists: the map point will do.
    }
    return map;
}

int Run(const Args& a, std::ostream& out, std::ostream& err) {
    if (a.options.count("--version")) {
        out << "velkaro-time " << VELKARO_VERSION << "\n";
        return 0;
    }
    if (a.options.count("--help") || a.positional.empty()) {
        out << kHelp;
        return a.positional.empty() && !a.options.count("--help") ? 2 : 0;
    }
    const std::string& cmd = a.positional[0];
    const bool json = a.options.count("--json") > 0;
    if (cmd == "velkaro") {
        ExpectPositional(a, 1, "velkaro [--at UTC] [--variant N]");
        const TDateTime utc = UtcOption(a);
        TAnswer answer;
        answer.Line = VelkaroTimeText(VelkaroZone(), IntOption(a, "--variant", 0), utc);
        answer.Add("velkaro", JsonText(answer.Line)).Add("utc", JsonText(FormatIsoUtc(utc)));
        Emit(out, json, answer);
        return 0;
    }
    if (cmd == "format") {
        ExpectPositional(a, 2, "format PATTERN --local LOCAL");
        TAnswer answer;
        answer.Line = FormatTimePattern(a.positional[1], LocalOption(a));
        answer.Add("text", JsonText(answer.Line));
        Emit(out, json, answer);
        return 0;
    }
    if (cmd == "sync") {
        ExpectPositional(a, 1, "sync [--server HOST | --ntp HOST] [--port N] [--json]");
        if (!SyncCommand()) throw UsageError("sync is not available in this build");
        const auto ntp = a.Option("--ntp");
        if (ntp && a.Option("--server")) throw UsageError("sync takes --server or --ntp, not both");
        return SyncCommand()(ntp.value_or(a.Option("--server").value_or("time.nist.gov")),
                             IntOption(a, "--port", ntp ? 123 : 13), ntp.has_value(), json, out, err);
    }
    if (cmd == "city") {
        ExpectPositional(a, 2, "city NAME [--at UTC] [--format PATTERN]");
        Load(a, err);
        Emit(out, json, CityAnswer(FindCity(a.positional[1]), a.Option("--format").value_or("D x"), UtcOption(a)));
        return 0;
    }
    if (cmd == "sun") {
        ExpectPositional(a, 2, "sun NAME [--at UTC]");
        const TDateTime utc = UtcOption(a);
        Load(a, err);
        const TCity& city = FindCity(a.positional[1]);
        Emit(out, json, SunAnswer(city, CityPlace(city, DataDirectory(a)), utc));
        return 0;
    }
    if (cmd == "to-utc") {
        ExpectPositional(a, 2, "to-utc NAME --local LOCAL");
        const TDateTime local = LocalOption(a);
        Load(a, err);
        const TCity& city = FindCity(a.positional[1]);
        const std::string utc = FormatIsoUtc(ZoneLocalToUtc(ZoneOfCity(city), local));
        TAnswer answer;
        answer.Add("city", JsonText(city.Name)).Add("local", JsonText(*a.Option("--local"))).Add("utc", JsonText(utc));
        answer.Line = CityName(city) + "\t" + utc;
        Emit(out, json, answer);
        return 0;
    }
    if (cmd == "calc") {
        ExpectPositional(a, 2, "calc FROM --local LOCAL --to TO [--format PATTERN]");
        const TDateTime local = LocalOption(a);
        const auto to = a.Option("--to");
        if (!to) throw UsageError("--to is required");
        Load(a, err);
        const TCity& from = FindCity(a.positional[1]);
        TAnswer answer = CityAnswer(FindCity(*to), a.Option("--format").value_or("D x"),
                                    ZoneLocalToUtc(ZoneOfCity(from), local));
        answer.Fields.insert(answer.Fields.begin(), {"from", JsonText(from.Name)});
        answer.Fields[1].first = "to";
        answer.Line = CityName(from) + "\t" + answer.Line;
        Emit(out, json, answer);
        return 0;
    }
    if (cmd == "cities") {
        ExpectPositional(a, 1, "cities");
        Load(a, err);
        if (json) out << "[\n";
        for (size_t i = 0; i < CityList.size(); ++i) {
            const TCity& c = *CityList[i];
            const std::string zone = Utf8FromLatin1(ZoneOfCity(c).Name);
            TAnswer answer;
            answer.Add("name", JsonText(c.Name)).Add("zone", JsonText(ZoneOfCity(c).Name));
            answer.Add("x", std::to_string(c.X)).Add("y", std::to_string(c.Y));
            answer.Line = CityName(c) + "\t" + zone + "\t" + std::to_string(c.X) + "\t" + std::to_string(c.Y);
            if (json) out << answer.Object() << (i + 1 < CityList.size() ? ",\n" : "\n");
            else out << answer.Line << "\n";
        }
        if (json) out << "]\n";
        return 0;
    }
    if (cmd == "now") {
        ExpectPositional(a, 1, "now");
        Load(a, err);
        const TDateTime utc = UtcNow();
        const std::string velkaro = VelkaroTimeText(VelkaroZone(), 0, utc);
        if (!json) {
            out << "Velkaro\t" << velkaro << "\n";
            for (const auto& c : CityList) out << CityAnswer(*c, "D x", utc).Line << "\n";
            return 0;
        }
        out << "{\"velkaro\":" << JsonText(velkaro) << ",\"utc\":" << JsonText(FormatIsoUtc(utc)) << ",\"cities\":[";
        for (size_t i = 0; i < CityList.size(); ++i)
            out << (i ? "," : "") << "\n" << CityAnswer(*CityList[i], "D x", utc).Object();
        out << "\n]}\n";
        return 0;
    }
    if (cmd == "plan") {
        if (a.positional.size() < 2)
            throw UsageError("usage: velkaro-time plan PLACE... [--date YYYY-MM-DD] [--hours 9-17] [--json] [--ics FILE]");
        Load(a, err);
        return Plan(a, out);
    }
    if (cmd == "places" || cmd == "place") {
        const TLoadReport report = LoadLists(DataDirectory(a));
        if (!report.Warnings.empty()) err << report.Warnings;
        TPlaceCommand c{a.positional, a.options.count("--json") > 0, a.Option("--label").value_or(""), DataDirectory(a), UtcNow()};
        try {
            return RunPlaceCommand(c, *UserStore(), out, err);
        } catch (const Error& e) {
            throw UsageError(e.what());
        }
    }
    throw UsageError("unknown command \"" + cmd + "\" (velkaro-time --help lists them)");
}

}  // namespace

void SetSyncCommand(TSyncCommand command) { SyncCommand() = std::move(command); }

int RunTimeCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        return Run(ParseArgs(args), out, err);
    } catch (const Error& e) {
        err << "velkaro-time: " << e.what() << "\n";
        return 2;
    }
}

}  // namespace velkaro

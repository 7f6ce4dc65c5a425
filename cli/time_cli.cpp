#include "cli/time_cli.h"

#include <cmath>
#include <map>
#include <optional>

#include "map/map_projection.h"
#include "platform/error.h"
#include "timemodel/city_match.h"
#include "timemodel/iso_time.h"
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
    "  city NAME [--at UTC] [--format PATTERN] time in that city (default \"D x\")\n"
    "  format PATTERN --local LOCAL           a wall-clock time rendered by a pattern\n"
    "  to-utc NAME --local LOCAL              the UTC instant at which that city shows LOCAL\n"
    "  calc FROM --local LOCAL --to TO [--format PATTERN]\n"
    "                                         the time in city TO when city FROM shows LOCAL\n"
    "  sun NAME [--at UTC]                    that city's sunrise, sunset and day length on its\n"
    "                                         date at that instant (default now), local times;\n"
    "                                         the place is the city's map point, so within a\n"
    "                                         few minutes\n"
    "  cities                                 name, zone, X, Y of every city, tab-separated\n"
    "  now                                    Velkaro time, then every city with its time\n"
    "  sync [--server HOST | --ntp HOST] [--port N] [--json]\n"
    "                                         ask a daytime server (or with --ntp an NTP server)\n"
    "                                         for its time and show the computer's offset from\n"
    "                                         it with its accuracy (never sets the clock)\n"
    "\n"
    "City names may be typed in any case, without accents, or shortened while they fit one city.\n"
    "\n"
    "Options:\n"
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
    static const char* kValued[] = {"--at", "--variant", "--format", "--local", "--to", "--data", "--server", "--ntp", "--port"};
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

// Names as a person types them: case and accents do not matter (see MatchCity).
const TCity& FindCity(const std::string& typed) {
    std::vector<std::string> names;
    for (const auto& c : CityList) names.push_back(c->Name);
    const TCityMatch m = MatchCity(names, Latin1FromUtf8(typed));
    if (m.Kind == TCityMatch::cmFound) return *CityList[static_cast<size_t>(m.Index)];
    std::string listed;
    for (const int i : m.Candidates)
        listed += (listed.empty() ? "" : ", ") + Utf8FromLatin1(names[static_cast<size_t>(i)]);
    if (m.Kind == TCityMatch::cmAmbiguous)
        throw UsageError("\"" + typed + "\" fits several cities, among them " + listed);
    throw UsageError("unknown city \"" + typed + "\"" + (listed.empty() ? "" : "; nearest: " + listed) +
                     " (velkaro-time cities lists them)");
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

// "London 2026-06-21: sunrise 04:43, sunset 21:21, day length 16:38", or polar day or night.
std::string SunText(const TCity& city, TDateTime utc) {
    const TZone& zone = ZoneOfCity(city);
    const TDateTimeFields date = DecodeDateTime(UtcToZoneLocal(zone, utc));
    // The offset in force at local noon stands for the day.
    const TDateTime noon = EncodeDateTime(date.Year, date.Month, date.Day, 12);
    const int offset = int(std::lround((noon - ZoneLocalToUtc(zone, noon)) * 1440.0));
    const TLatLon at = CityLatLon(city);
    const TSunDay day = SunDay(date.Year, date.Month, date.Day, offset, at.Lat, at.Lon);
    std::string text = Utf8FromLatin1(city.Name) + " " + std::to_string(date.Year) + "-" + TwoDigits(date.Month) +
                       "-" + TwoDigits(date.Day) + ": ";
    if (day.Kind == TSunDay::PolarDay) return text + "polar day";
    if (day.Kind == TSunDay::PolarNight) return text + "polar night";
    const int length = int(std::lround(day.DayLengthMin));
    return text + "sunrise " + ClockText(day.Sunrise, date) + ", sunset " + ClockText(day.Sunset, date) +
           ", day length " + TwoDigits(length / 60) + ":" + TwoDigits(length % 60);
}

void Load(const Args& a, std::ostream& err) {
    std::string dir = a.Option("--data").value_or("");
    if (dir.empty()) dir = FindDataDirectory();
    else if (dir.back() != '/') dir += '/';
    const TLoadReport report = LoadLists(dir);
    if (!report.Warnings.empty()) err << report.Warnings;
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
    if (cmd == "velkaro") {
        ExpectPositional(a, 1, "velkaro [--at UTC] [--variant N]");
        out << VelkaroTimeText(VelkaroZone(), IntOption(a, "--variant", 0), UtcOption(a)) << "\n";
        return 0;
    }
    if (cmd == "format") {
        ExpectPositional(a, 2, "format PATTERN --local LOCAL");
        out << FormatTimePattern(a.positional[1], LocalOption(a)) << "\n";
        return 0;
    }
    if (cmd == "sync") {
        ExpectPositional(a, 1, "sync [--server HOST | --ntp HOST] [--port N] [--json]");
        if (!SyncCommand()) throw UsageError("sync is not available in this build");
        const auto ntp = a.Option("--ntp");
        if (ntp && a.Option("--server")) throw UsageError("sync takes --server or --ntp, not both");
        return SyncCommand()(ntp.value_or(a.Option("--server").value_or("time.nist.gov")),
                             IntOption(a, "--port", ntp ? 123 : 13), ntp.has_value(), a.options.count("--json") > 0,
                             out, err);
    }
    if (cmd == "city") {
        ExpectPositional(a, 2, "city NAME [--at UTC] [--format PATTERN]");
        Load(a, err);
        out << CityTimeText(FindCity(a.positional[1]), a.Option("--format").value_or("D x"), UtcOption(a)) << "\n";
        return 0;
    }
    if (cmd == "sun") {
        ExpectPositional(a, 2, "sun NAME [--at UTC]");
        const TDateTime utc = UtcOption(a);
        Load(a, err);
        out << SunText(FindCity(a.positional[1]), utc) << "\n";
        return 0;
    }
    if (cmd == "to-utc") {
        ExpectPositional(a, 2, "to-utc NAME --local LOCAL");
        const TDateTime local = LocalOption(a);
        Load(a, err);
        out << FormatIsoUtc(ZoneLocalToUtc(ZoneOfCity(FindCity(a.positional[1])), local)) << "\n";
        return 0;
    }
    if (cmd == "calc") {
        ExpectPositional(a, 2, "calc FROM --local LOCAL --to TO [--format PATTERN]");
        const TDateTime local = LocalOption(a);
        const auto to = a.Option("--to");
        if (!to) throw UsageError("--to is required");
        Load(a, err);
        const TDateTime utc = ZoneLocalToUtc(ZoneOfCity(FindCity(a.positional[1])), local);
        out << CityTimeText(FindCity(*to), a.Option("--format").value_or("D x"), utc) << "\n";
        return 0;
    }
    if (cmd == "cities") {
        ExpectPositional(a, 1, "cities");
        Load(a, err);
        for (const auto& c : CityList)
            out << Utf8FromLatin1(c->Name) << "\t" << Utf8FromLatin1(ZoneOfCity(*c).Name) << "\t" << c->X << "\t" << c->Y
                << "\n";
        return 0;
    }
    if (cmd == "now") {
        ExpectPositional(a, 1, "now");
        Load(a, err);
        const TDateTime utc = UtcNow();
        out << "Velkaro\t" << VelkaroTimeText(VelkaroZone(), 0, utc) << "\n";
        for (const auto& c : CityList) out << Utf8FromLatin1(c->Name) << "\t" << CityTimeText(*c, "D x", utc) << "\n";
        return 0;
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

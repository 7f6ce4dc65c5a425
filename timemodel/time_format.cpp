// Velkaro notation and the pattern formatter. Tokens are matched longest first in a fixed
// order; a character that starts no token is copied.
#include "timemodel/time_format.h"

#include <array>
#include <cstdlib>
#include <string_view>

#include "platform/locale.h"

namespace velkaro {

namespace {

std::string Padded(int value, int digits) {
    std::string s = std::to_string(std::abs(value));
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    if (value < 0) s.insert(s.begin(), '-');
    return s;
}

std::string Pad2(int v) { return Padded(v, 2); }

// ASCII only: the locale's texts are ours, and the C library's case rules follow the user's
// environment (a Turkish one lowers "I" to a dotless i).
std::string Upper(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}
std::string Lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Weekday of 1 January numbered 1 = Monday .. 7 = Sunday.
int JanuaryFirstIsoDay(int year) {
    const int dow = DecodeDateTime(EncodeDateTime(year, 1, 1)).DayOfWeek;  // 0 = Sunday
    return dow == 0 ? 7 : dow;
}

// The "x" token: the locale's long time format.
std::string LongTime(const TLocaleData& l, int hour, int minute, int second) {
    const int h = l.Clock24 ? hour : (hour % 12 == 0 ? 12 : hour % 12);
    std::string t = (l.HourLeadingZero ? Pad2(h) : std::to_string(h)) + l.TimeSeparator + Pad2(minute) +
                    l.TimeSeparator + Pad2(second);
    if (l.Clock24) return t;
    const std::string& d = hour < 12 ? l.TimeAMString : l.TimePMString;
    return l.DesignatorFirst ? d + " " + t : t + " " + d;
}

// The "xx" token: the platform's time formatting with a fixed picture.
std::string PlatformTime(const TLocaleData& l, int hour, int minute, int second) {
    const std::string& sep = l.TimeSeparator;
    const std::string q = "'" + sep + "'";
    return FormatTimePicture(l.Clock24 ? "HH" + q + "mm" + q + "ss" : "hh" + q + "mm" + q + "ss tt", hour,
                             minute, second);
}

}  // namespace

std::string VelkaroTemplate(int variant) {
    switch (variant) {
        case 1: return "@0000.00 d000";
        case 2: return "@0000 d000 y000";
        case 3: return "@0000 d000";
        default: return "@0000.00 d000 y000";
    }
}

std::string VelkaroTimeText(const TZone& zone, int variant, TDateTime utc) {
    const TDateTimeFields f = DecodeDateTime(UtcToZoneLocal(zone, utc));
    const std::string n = Padded(f.Hour * 60 + f.Minute, 4);
    const std::string s = Padded(f.Second, 2);
    const std::string d = Padded(DayOfYear(f.Year, f.Month, f.Day), 3);
    const std::string y = Padded(f.Year - 2000, 3);
    switch (variant) {
        case 1: return "@" + n + "." + s + " d" + d;
        case 2: return "@" + n + " d" + d + " y" + y;
        case 3: return "@" + n + " d" + d;
        default: return "@" + n + "." + s + " d" + d + " y" + y;
    }
}

int WeekOfYear(int year, int month, int day) {
    const int j = JanuaryFirstIsoDay(year);
    const int firstMonday = j == 1 ? 1 : 9 - j;
    if (month == 1 && day < firstMonday) return j <= 4 ? 1 : WeekOfYear(year - 1, 12, 31);
    return (DayOfYear(year, month, day) - firstMonday) / 7 + 1 + (j >= 2 && j <= 4 ? 1 : 0);
}

std::string FormatTimePattern(const std::string& pattern, TDateTime t) {
    const TDateTimeFields f = DecodeDateTime(t);
    const TLocaleData& l = ThreadLocale();
    const int h12 = f.Hour % 12 == 0 ? 12 : f.Hour % 12;
    const std::string_view p(pattern);
    std::string out;
    size_t i = 0;
    auto at = [&](std::string_view token) { return p.substr(i).starts_with(token); };
    // Tests tokens in order; on a match, writes its text and consumes it.
    auto take = [&](std::string_view token, auto&& text) {
        if (!at(token)) return false;
        out += text();
        i += token.size();
        return true;
    };
    while (i < p.size()) {
        if (at("''")) {
            out += '\'';
            i += 2;
            continue;
        }
        if (p[i] == '\'') {
            const auto end = p.find('\'', i + 1);
            const auto stop = end == std::string_view::npos ? p.size() : end;
            out += p.substr(i + 1, stop - i - 1);
            i = end == std::string_view::npos ? p.size() : end + 1;
            continue;
        }
        // Only the tokens that begin with this character can match; within each group they
        // are tried in the table's order, longest first.
        bool matched = false;
        switch (p[i]) {
            case '~': matched = take("~", [] { return std::string("\t"); }); break;
            case ':': matched = take(":", [&] { return l.TimeSeparator; }); break;
            case '.': matched = take(".", [&] { return l.DateSeparator; }); break;
            case '|': matched = take("|", [] { return std::string("\r\n"); }); break;
            case 'n':
                matched = take("nn", [&] { return Padded(DayOfYear(f.Year, f.Month, f.Day), 3); }) ||
                          take("n", [&] { return std::to_string(DayOfYear(f.Year, f.Month, f.Day)); });
                break;
            case 'Y':
                matched = take("YY", [&] { return Pad2(WeekOfYear(f.Year, f.Month, f.Day)); }) ||
                          take("Y", [&] { return std::to_string(WeekOfYear(f.Year, f.Month, f.Day)); });
                break;
            case 'y':
                matched = take("yy", [&] { return std::to_string(f.Year); }) ||
                          take("y", [&] { return std::to_string(f.Year % 100); });
                break;
            case 'm':
                matched = take("mmmm", [&] { return l.LongMonthNames[f.Month - 1]; }) ||
                          take("mmm", [&] { return l.ShortMonthNames[f.Month - 1]; }) ||
                          take("mm", [&] { return Pad2(f.Month); }) ||
                          take("m", [&] { return std::to_string(f.Month); });
                break;
            case 'T': matched = take("TT", [&] { return Upper(f.Hour < 12 ? l.TimeAMString : l.TimePMString); }); break;
            case 't': matched = take("tt", [&] { return Lower(f.Hour < 12 ? l.TimeAMString : l.TimePMString); }); break;
            case 'w':
                matched = take("ww", [&] { return l.LongDayNames[f.DayOfWeek]; }) ||
                          take("w", [&] { return l.ShortDayNames[f.DayOfWeek]; });
                break;
            case 'W': matched = take("W", [&] { return std::to_string(f.DayOfWeek); }); break;
            case 'h':
                matched = take("hh", [&] { return Pad2(h12); }) || take("h", [&] { return std::to_string(h12); });
                break;
            case 'H':
                matched = take("HH", [&] { return Pad2(f.Hour); }) || take("H", [&] { return std::to_string(f.Hour); });
                break;
            case 'M':
                matched = take("MM", [&] { return Pad2(f.Minute); }) ||
                          take("M", [&] { return std::to_string(f.Minute); });
                break;
            case 'S':
                matched = take("SS", [&] { return Pad2(f.Second); }) ||
                          take("S", [&] { return std::to_string(f.Second); });
                break;
            case 'd':
                matched = take("dd", [&] { return Pad2(f.Day); }) || take("d", [&] { return std::to_string(f.Day); });
                break;
            case 'x':
                matched = take("xx", [&] { return PlatformTime(l, f.Hour, f.Minute, f.Second); }) ||
                          take("x", [&] { return LongTime(l, f.Hour, f.Minute, f.Second); });
                break;
            case 'D':
                matched =
                    take("DD", [&] { return FormatDatePicture(l.LongDateFormat, f.Year, f.Month, f.Day, f.DayOfWeek); }) ||
                    take("D", [&] { return FormatDatePicture(l.ShortDateFormat, f.Year, f.Month, f.Day, f.DayOfWeek); });
                break;
            default: break;
        }
        if (!matched) out += p[i++];
    }
    return out;
}

std::string CityTimeText(const TCity& city, const std::string& pattern, TDateTime utc) {
    return FormatTimePattern(pattern, UtcToZoneLocal(ZoneOfCity(city), utc));
}

}  // namespace velkaro

#include "sync/daytime_reply.h"

#include <array>
#include <string_view>
#include <vector>

namespace velkaro {

namespace {

using std::string_view;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(string_view a, string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

// The whole text as a number of minDigits to maxDigits decimal digits; nothing else.
bool Number(string_view s, size_t minDigits, size_t maxDigits, int& value) {
    if (s.size() < minDigits || s.size() > maxDigits) return false;
    value = 0;
    for (char c : s) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

bool IsValidCalendarDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[static_cast<size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
}

constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                     "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

// 1..12 for the full month name in any case; 0 otherwise.
int FullMonthNumber(string_view s) {
    for (size_t i = 0; i < kMonthNames.size(); ++i)
        if (EqualsNoCase(s, kMonthNames[i])) return static_cast<int>(i) + 1;
    return 0;
}

// 0 = Sunday .. 6 for the weekday's name, full or its first three letters; -1 otherwise.
int WeekdayNumber(string_view s, bool full) {
    for (size_t i = 0; i < kWeekdayNames.size(); ++i) {
        string_view name = kWeekdayNames[i];
        if (EqualsNoCase(s, full ? name : name.substr(0, 3))) return static_cast<int>(i);
    }
    return -1;
}

struct TZoneName {
    const char* Name;
    int Bias;
};

// BST is British Summer Time, as everyone means it. CST and CDT (North America, Cuba, China),
// PST and PDT (North America, the Philippines) and BDT (Bangladesh, Brunei, once the Bering
// Sea) each name zones hours apart in everyday use: a reply using them is no time, not a guess.
constexpr std::array<TZoneName, 15> kZoneNames = {{
    {"NST", 210}, {"AST", 240}, {"ADT", 180}, {"EST", 300}, {"EDT", 240}, {"MST", 420}, {"MDT", 360},
    {"YST", 540}, {"YDT", 480}, {"HST", 600}, {"HDT", 540}, {"BST", -60}, {"GMT", 0},
    // Not in the old table, where an unknown name meant UTC anyway; now an unknown name is no zone.
    {"UT", 0},    {"UTC", 0},
}};

// "hh:mm:ss" (one or two digits each) as a valid time of day.
bool ReadClock(string_view s, int& hour, int& minute, int& second) {
    size_t a = s.find(':');
    size_t b = a == string_view::npos ? a : s.find(':', a + 1);
    if (b == string_view::npos) return false;
    return Number(s.substr(0, a), 1, 2, hour) && Number(s.substr(a + 1, b - a - 1), 1, 2, minute) &&
           Number(s.substr(b + 1), 1, 2, second) && IsValidTime(hour, minute, second);
}

// Line breaks before the reply and blanks, tabs and line breaks after it are framing, not text.
string_view Core(string_view s) {
    size_t b = 0;
    while (b < s.size() && (s[b] == '\r' || s[b] == '\n')) ++b;
    size_t e = s.size();
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return s.substr(b, e - b);
}

std::vector<string_view> Split(string_view s, bool (*isSeparator)(char), bool mergeRuns) {
    std::vector<string_view> out;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && !isSeparator(s[i])) continue;
        if (!(mergeRuns && i == start)) out.push_back(s.substr(start, i - start));
        start = i + 1;
    }
    return out;
}

bool IsFieldSeparator(char c) { return c == ' ' || c == ',' || c == ':' || c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' '; }

TDaytimeReply Found(TReplyLayout layout, TDateTime utc, int health = 0) { return TDaytimeReply{layout, utc, health}; }

// 05 DEC 2026 12:13:20 GMT: seven fields, one separator between each; without the zone, GMT.
TDaytimeReply ReadDayMonthYear(string_view core) {
    std::vector<string_view> f = Split(core, IsFieldSeparator, false);
    if (f.size() != 6 && f.size() != 7) return {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    int month = MonthNameToNumber(std::string(f[1]));
    if (!Number(f[0], 1, 2, day) || month == 0 || !Number(f[2], 4, 4, year) || !Number(f[3], 1, 2, hour) ||
        !Number(f[4], 1, 2, minute) || !Number(f[5], 1, 2, second))
        return {};
    std::optional<int> bias = f.size() == 7 ? ZoneNameToBias(std::string(f[6])) : std::optional<int>(0);
    if (!bias || !IsValidCalendarDate(year, month, day) || !IsValidTime(hour, minute, second)) return {};
    TDateTime local = EncodeDateTime(year, month, day, hour, minute, second, 0);
    return Found(TReplyLayout::DayMonthYear, IncTime(local, 0, *bias, 0, 0));
}

// 61380 26-12-06 21:00:00 00 0 0 50.0 UTC(NIST) *: the day number must name the same date.
TDaytimeReply ReadNist(string_view core) {
    std::vector<string_view> f = Split(core, IsBlank, true);
    if (f.size() != 9 || f[7] != "UTC(NIST)" || (f[8] != "*" && f[8] != "#")) return {};
    int mjd = 0, yy = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, dst = 0, leap = 0, health = 0;
    string_view date = f[1];
    if (!Number(f[0], 5, 5, mjd) || date.size() != 8 || date[2] != '-' || date[5] != '-' ||
        !Number(date.substr(0, 2), 2, 2, yy) || !Number(date.substr(3, 2), 2, 2, month) ||
        !Number(date.substr(6, 2), 2, 2, day) || f[2].size() != 8 || !ReadClock(f[2], hour, minute, second) ||
        !Number(f[3], 2, 2, dst) || !Number(f[4], 1, 1, leap) || !Number(f[5], 1, 1, health))
        return {};
    // The advance in milliseconds: digits, a point, digits.
    size_t point = f[6].find('.');
    int whole = 0, fraction = 0;
    if (point == string_view::npos || !Number(f[6].substr(0, point), 1, 4, whole) ||
        !Number(f[6].substr(point + 1), 1, 3, fraction))
        return {};
    // Day 51544 of the modified Julian count is 1 January 2000, day 36526 of the date-time value.
    TDateTimeFields dateOfDay = DecodeDateTime(static_cast<TDateTime>(mjd - 51544 + 36526));
    if (dateOfDay.Year % 100 != yy || dateOfDay.Month != month || dateOfDay.Day != day) return {};
    return Found(TReplyLayout::Nist, EncodeDateTime(dateOfDay.Year, month, day, hour, minute, second, 0), health);
}

// Sun Dec  6 06:08:19 2026: fixed columns, the day padded by a blank; UTC.
TDaytimeReply ReadCtime(string_view s) {
    if (s.size() != 24 || s[3] != ' ' || s[7] != ' ' || s[10] != ' ' || s[19] != ' ') return {};
    int weekday = WeekdayNumber(s.substr(0, 3), false);
    int month = MonthNameToNumber(std::string(s.substr(4, 3)));
    string_view dayText = s[8] == ' ' ? s.substr(9, 1) : s.substr(8, 2);
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (weekday < 0 || month == 0 || !Number(dayText, 1, 2, day) || !ReadClock(s.substr(11, 8), hour, minute, second) ||
        !Number(s.substr(20, 4), 4, 4, year) || !IsValidCalendarDate(year, month, day))
        return {};
    TDateTime utc = EncodeDateTime(year, month, day, hour, minute, second, 0);
    if (DecodeDateTime(utc).DayOfWeek != weekday) return {};
    return Found(TReplyLayout::Ctime, utc);
}

// Sunday, December 6, 2026 06:08:19-UTC
TDaytimeReply ReadLong(string_view s) {
    size_t c1 = s.find(", ");
    if (c1 == string_view::npos) return {};
    size_t sp = s.find(' ', c1 + 2);
    size_t c2 = sp == string_view::npos ? sp : s.find(", ", sp + 1);
    size_t sp2 = c2 == string_view::npos ? c2 : s.find(' ', c2 + 2);
    size_t dash = sp2 == string_view::npos ? sp2 : s.find('-', sp2 + 1);
    if (dash == string_view::npos) return {};
    int weekday = WeekdayNumber(s.substr(0, c1), true);
    int month = FullMonthNumber(s.substr(c1 + 2, sp - c1 - 2));
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (weekday < 0 || month == 0 || !Number(s.substr(sp + 1, c2 - sp - 1), 1, 2, day) ||
        !Number(s.substr(c2 + 2, sp2 - c2 - 2), 4, 4, year) ||
        !ReadClock(s.substr(sp2 + 1, dash - sp2 - 1), hour, minute, second) || !IsValidCalendarDate(year, month, day))
        return {};
    std::optional<int> bias = ZoneNameToBias(std::string(s.substr(dash + 1)));
    if (!bias) return {};
    TDateTime local = EncodeDateTime(year, month, day, hour, minute, second, 0);
    // The weekday belongs to the date as written, before the zone moves it.
    if (DecodeDateTime(local).DayOfWeek != weekday) return {};
    return Found(TReplyLayout::Long, IncTime(local, 0, *bias, 0, 0));
}

}  // namespace

int MonthNameToNumber(const std::string& text) {
    for (size_t i = 0; i < kMonthNames.size(); ++i)
        if (EqualsNoCase(text, string_view(kMonthNames[i]).substr(0, 3))) return static_cast<int>(i) + 1;
    return 0;
}

std::optional<int> ZoneNameToBias(const std::string& text) {
    std::string zone;
    for (char c : text) zone += Upper(c);
    if (zone.size() == 1) {
        char c = zone[0];
        if (c >= 'A' && c <= 'I') return -60 * (c - 'A' + 1);
        if (c >= 'K' && c <= 'M') return -60 * (c - 'K' + 10);
        if (c >= 'N' && c <= 'Y') return 60 * (c - 'N' + 1);
        if (c == 'Z') return 0;
        return std::nullopt;
    }
    // hh or hhmm, after an optional sign; a zone east of UTC has a negative bias.
    const bool sign = !zone.empty() && (zone[0] == '+' || zone[0] == '-');
    string_view digits = string_view(zone).substr(sign ? 1 : 0);
    if (!digits.empty() && IsDigit(digits[0])) {
        int hours = 0, minutes = 0;
        if (digits.size() != 2 && digits.size() != 4) return std::nullopt;
        if (!Number(digits.substr(0, 2), 2, 2, hours) ||
            (digits.size() == 4 && !Number(digits.substr(2, 2), 2, 2, minutes)) || hours > 23 || minutes > 59)
            return std::nullopt;
        int magnitude = hours * 60 + minutes;
        return sign && zone[0] == '-' ? magnitude : -magnitude;
    }
    for (const TZoneName& z : kZoneNames)
        if (zone == z.Name) return z.Bias;
    return std::nullopt;
}

TDaytimeReply ReadDaytimeReply(const std::string& reply) {
    string_view core = Core(reply);
    if (core.empty() || core.size() > 200) return {};
    for (TDaytimeReply (*read)(string_view) : {ReadDayMonthYear, ReadNist, ReadCtime, ReadLong}) {
        TDaytimeReply r = read(core);
        if (r.Layout != TReplyLayout::None) return r;
    }
    return {};
}

std::optional<TDateTime> ParseServerReply(const std::string& reply) {
    TDaytimeReply r = ReadDaytimeReply(reply);
    if (r.Layout == TReplyLayout::None || IsUnhealthy(r)) return std::nullopt;
    return r.ServerUtc;
}

const char* ReplyLayoutName(TReplyLayout layout) {
    switch (layout) {
    case TReplyLayout::DayMonthYear: return "day-month-year";
    case TReplyLayout::Nist: return "nist";
    case TReplyLayout::Ctime: return "ctime";
    case TReplyLayout::Long: return "long";
    case TReplyLayout::None: break;
    }
    return "none";
}

std::string ReplyExcerpt(const std::string& reply, size_t limit) {
    size_t b = 0;
    while (b < reply.size() && (reply[b] == '\r' || reply[b] == '\n')) ++b;
    size_t e = reply.find_first_of("\r\n", b);
    if (e == std::string::npos) e = reply.size();
    std::string out;
    for (size_t i = b; i < e && out.size() < limit; ++i) {
        unsigned char c = static_cast<unsigned char>(reply[i]);
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (e - b > limit) out += "...";
    return out;
}

}  // namespace velkaro

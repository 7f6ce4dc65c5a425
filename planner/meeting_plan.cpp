#include "planner/meeting_plan.h"

#include <cmath>
#include <cstdio>

#include "platform/error.h"
#include "timemodel/iso_time.h"
#include "timemodel/json_text.h"
#include "timemodel/time_format.h"

namespace velkaro {

namespace {

constexpr int64_t kMinuteMs = 60 * 1000;
constexpr int64_t kHourMs = 60 * kMinuteMs;
constexpr int kAwakeFrom = 7 * 60, kAwakeTo = 22 * 60;

// The zone's offset from UTC at an instant, in minutes.
int64_t OffsetMinutes(const TZone& zone, int64_t utcMs) {
    return (DateTimeToMs(UtcToZoneLocal(zone, MsToDateTime(utcMs))) - utcMs) / kMinuteMs;
}

int MinuteOfDay(const TDateTimeFields& f) { return f.Hour * 60 + f.Minute; }

THourKind Classify(const TZone& zone, const TWorkingHours& hours, int64_t utcMs) {
    const TDateTime start = UtcToZoneLocal(zone, MsToDateTime(utcMs));
    const TDateTime end = UtcToZoneLocal(zone, MsToDateTime(utcMs + kHourMs));
    const TDateTimeFields s = DecodeDateTime(start);
    const TDateTimeFields e = DecodeDateTime(end);
    const int from = MinuteOfDay(s);
    // An hour that ends at midnight ends at minute 1440 of its own day.
    const bool sameDay = std::floor(start) == std::floor(end);
    const int to = sameDay ? MinuteOfDay(e) : (MinuteOfDay(e) == 0 && std::floor(end) == std::floor(start) + 1 ? 1440 : -1);
    if (hours.WorksOn(s.DayOfWeek) && to > from && from >= hours.StartMinute && to <= hours.EndMinute)
        return THourKind::hkWorking;
    return from >= kAwakeFrom && from < kAwakeTo ? THourKind::hkEarlyLate : THourKind::hkNight;
}

std::string Clock(TDateTime local) { return FormatTimePattern("HH:MM", local); }

// Where inside the hour from utcMs the offset changes, as the wall-clock time just before it.
std::string ClockChange(const TZone& zone, int64_t utcMs) {
    const int64_t before = OffsetMinutes(zone, utcMs);
    int64_t lo = 0, hi = 60;  // offset at lo minutes is `before`, at hi it is not
    while (hi - lo > 1) {
        const int64_t mid = (lo + hi) / 2;
        (OffsetMinutes(zone, utcMs + mid * kMinuteMs) == before ? lo : hi) = mid;
    }
    const int64_t at = utcMs + hi * kMinuteMs;
    const bool forward = OffsetMinutes(zone, at) > before;
    return std::string(forward ? "clocks go forward at " : "clocks go back at ") +
           Clock(MsToDateTime(at + before * kMinuteMs));
}

std::string DayShiftText(int shift) { return (shift > 0 ? "+" : "") + std::to_string(shift) + (std::abs(shift) == 1 ? " day" : " days"); }

const char* KindName(THourKind k) {
    switch (k) {
        case THourKind::hkWorking: return "working";
        case THourKind::hkEarlyLate: return "early-late";
        default: return "night";
    }
}

char KindMark(THourKind k) {
    switch (k) {
        case THourKind::hkWorking: return '#';
        case THourKind::hkEarlyLate: return '~';
        default: return '.';
    }
}

std::string Padded(std::string s, size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

}  // namespace

int TMeetingPlan::FirstCommon() const {
    for (int h = 0; h < kPlanHours; ++h)
        if (Common[h]) return h;
    return -1;
}

TMeetingPlan PlanMeeting(const std::vector<TPlanPlace>& places, int year, int month, int day) {
    if (places.empty()) throw Error("No place to plan for");
    for (const TPlanPlace& p : places)
        if (!p.Zone) throw Error("No time zone for " + p.Label);
    if (year < 1901 || year > 2199 || !IsValidDate(year, month, day)) throw Error("Invalid date");
    TMeetingPlan plan;
    plan.Year = year;
    plan.Month = month;
    plan.Day = day;
    const TDateTime chosen = EncodeDateTime(year, month, day);
    const int64_t start = DateTimeToMs(ZoneLocalToUtc(*places.front().Zone, chosen));
    plan.Common.fill(true);
    for (const TPlanPlace& place : places) {
        TPlanRow row;
        row.Place = place;
        for (int h = 0; h < kPlanHours; ++h) {
            TPlanCell& c = row.Cells[h];
            c.UtcMs = start + h * kHourMs;
            c.Local = UtcToZoneLocal(*place.Zone, MsToDateTime(c.UtcMs));
            c.DayShift = int(std::floor(c.Local) - chosen);
            c.Kind = Classify(*place.Zone, place.Hours, c.UtcMs);
            plan.Common[h] = plan.Common[h] && c.Kind == THourKind::hkWorking;
            if (c.DayShift != 0 && (h == 0 || row.Cells[h - 1].DayShift != c.DayShift))
                row.Notes.push_back({h, DayShiftText(c.DayShift)});
            // At the first hour that shows the new time.
            if (OffsetMinutes(*place.Zone, c.UtcMs - kHourMs) != OffsetMinutes(*place.Zone, c.UtcMs))
                row.Notes.push_back({h, ClockChange(*place.Zone, c.UtcMs - kHourMs)});
        }
        plan.Rows.push_back(std::move(row));
    }
    return plan;
}

std::string SlotText(const TMeetingPlan& plan, int hour, int hours) {
    if (hour < 0 || hours < 1 || hour + hours > kPlanHours) throw Error("No such hour in the plan");
    std::string out;
    for (const TPlanRow& row : plan.Rows) {
        const TPlanCell& c = row.Cells[hour];
        const TDateTime end = UtcToZoneLocal(*row.Place.Zone, MsToDateTime(c.UtcMs + hours * kHourMs));
        if (!out.empty()) out += "\r\n";
        out += row.Place.Label + ": " + FormatTimePattern("ww d mmmm yy, HH:MM", c.Local) + "-" + Clock(end);
    }
    return out;
}

std::string PlanText(const TMeetingPlan& plan) {
    size_t width = 8;
    for (const TPlanRow& row : plan.Rows) width = std::max(width, row.Place.Label.size() + 2);
    const TPlanRow& first = plan.Rows.front();
    std::string out = FormatTimePattern("ww d mmmm yy", EncodeDateTime(plan.Year, plan.Month, plan.Day)) + " in " +
                      first.Place.Label + ", hour by hour (# working, ~ early or late, . night)\n";
    out += Padded("UTC", width);
    for (const TPlanCell& c : first.Cells) out += FormatTimePattern("HH", MsToDateTime(c.UtcMs)) + "  ";
    out += "\n";
    for (const TPlanRow& row : plan.Rows) {
        out += Padded(row.Place.Label, width);
        for (const TPlanCell& c : row.Cells) out += FormatTimePattern("HH", c.Local) + KindMark(c.Kind) + " ";
        out += "\n";
    }
    out += Padded("Everyone", width);
    for (bool common : plan.Common) out += common ? "##  " : "    ";
    out += "\n";
    for (const TPlanRow& row : plan.Rows)
        for (const TPlanNote& n : row.Notes)
            out += "  " + row.Place.Label + ", " + Clock(row.Cells[n.Hour].Local) + ": " + n.Text + "\n";
    // Each run of common hours, in every place's own time.
    bool any = false;
    for (int h = 0; h < kPlanHours;) {
        if (!plan.Common[h]) {
            ++h;
            continue;
        }
        int end = h;
        while (end < kPlanHours && plan.Common[end]) ++end;
        out += "Everyone works: " + SlotText(plan, h, end - h) + "\n";
        any = true;
        h = end;
    }
    if (!any) out += "No hour where everyone works.\n";
    for (size_t i; (i = out.find("\r\n")) != std::string::npos;) out.replace(i, 2, "; ");
    for (size_t i; (i = out.find(" \n")) != std::string::npos;) out.erase(i, 1);
    return out;
}

std::string PlanJson(const TMeetingPlan& plan) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", plan.Year, plan.Month, plan.Day);
    std::string out = "{\"date\":\"" + std::string(date) + "\",\"places\":[";
    for (size_t r = 0; r < plan.Rows.size(); ++r) {
        const TPlanRow& row = plan.Rows[r];
        out += (r ? "," : "") + std::string("{\"label\":") + JsonText(row.Place.Label) +
               ",\"zone\":" + JsonText(row.Place.Zone->Name) + ",\"hours\":" + JsonText(WorkingHoursText(row.Place.Hours)) +
               ",\"cells\":[";
        for (int h = 0; h < kPlanHours; ++h) {
            const TPlanCell& c = row.Cells[h];
            out += (h ? "," : "") + std::string("{\"utc\":") + JsonText(FormatIsoUtc(MsToDateTime(c.UtcMs))) +
                   ",\"local\":" + JsonText(FormatTimePattern("yy-mm-ddTHH:MM", c.Local)) + ",\"day\":" +
                   std::to_string(c.DayShift) + ",\"kind\":\"" + KindName(c.Kind) + "\"}";
        }
        out += "],\"notes\":[";
        for (size_t i = 0; i < row.Notes.size(); ++i)
            out += (i ? "," : "") + std::string("{\"hour\":") + std::to_string(row.Notes[i].Hour) +
                   ",\"text\":" + JsonText(row.Notes[i].Text) + "}";
        out += "]}";
    }
    out += "],\"common\":[";
    bool first = true;
    for (int h = 0; h < kPlanHours; ++h)
        if (plan.Common[h]) {
            out += (first ? "" : ",") + std::to_string(h);
            first = false;
        }
    return out + "]}\n";
}

namespace {

// RFC 5545 TEXT: backslash, semicolon and comma escaped, line breaks as \n.
std::string IcsText(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' || c == ';' || c == ',') out += std::string("\\") + c;
        else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\n' || c == '\r') out += "\\n";
        else out += c;
    }
    return out;
}

bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        const size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
        if (n > 3 || i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

// Valid UTF-8 passes; anything else is the program's 8-bit text and is converted from Latin-1,
// since the format requires UTF-8.
std::string Utf8(const std::string& s) {
    if (IsUtf8(s)) return s;
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// One content line, folded so that no line exceeds 75 octets, never inside a UTF-8 sequence.
std::string Folded(const std::string& line) {
    std::string out;
    size_t used = 0;
    for (size_t i = 0; i < line.size();) {
        size_t n = 1;
        while (i + n < line.size() && (static_cast<unsigned char>(line[i + n]) & 0xC0) == 0x80) ++n;
        if (used + n > 75) {
            out += "\r\n ";
            used = 1;
        }
        out.append(line, i, n);
        used += n;
        i += n;
    }
    return out + "\r\n";
}

std::string IcsUtc(int64_t ms) { return FormatTimePattern("yymmddTHHMMSSZ", MsToDateTime(ms)); }

}  // namespace

std::string MeetingIcs(const TMeetingPlan& plan, int hour, int hours, TDateTime stampUtc, const std::string& summary) {
    const std::string description = SlotText(plan, hour, hours);
    const int64_t start = plan.Rows.front().Cells[hour].UtcMs;
    // The same slot among the same places keeps its identifier, so importing it again updates
    // the event instead of adding a second one.
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : description) hash = (hash ^ c) * 1099511628211ull;
    char uid[80];
    std::snprintf(uid, sizeof uid, "%s-%016llx@velkaro.org", IcsUtc(start).c_str(), static_cast<unsigned long long>(hash));
    std::string out;
    for (const std::string& line : {std::string("BEGIN:VCALENDAR"), std::string("VERSION:2.0"),
                                    std::string("PRODID:-//Velkaro//Meeting planner//EN"), std::string("CALSCALE:GREGORIAN"),
                                    std::string("METHOD:PUBLISH"), std::string("BEGIN:VEVENT"), "UID:" + std::string(uid),
                                    "DTSTAMP:" + IcsUtc(DateTimeToMs(stampUtc)), "DTSTART:" + IcsUtc(start),
                                    "DTEND:" + IcsUtc(start + hours * kHourMs), "SUMMARY:" + IcsText(Utf8(summary)),
                                    "DESCRIPTION:" + IcsText(Utf8(description)), std::string("END:VEVENT"),
                                    std::string("END:VCALENDAR")})
        out += Folded(line);
    return out;
}

}  // namespace velkaro

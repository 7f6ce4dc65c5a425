#include "planner/working_hours.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace velkaro {

namespace {

// A number of at most `digits` digits at p; advances p.
std::optional<int> Number(const std::string& s, size_t& p, size_t digits) {
    int v = 0;
    const size_t from = p;
    while (p < s.size() && p - from < digits && s[p] >= '0' && s[p] <= '9') v = v * 10 + (s[p++] - '0');
    if (p == from) return std::nullopt;
    return v;
}

// "9", "09", "9:30", "24" as minutes after midnight.
std::optional<int> TimeOfDay(const std::string& s, size_t& p) {
    const auto h = Number(s, p, 2);
    if (!h) return std::nullopt;
    int m = 0;
    if (p < s.size() && s[p] == ':') {
        ++p;
        const size_t from = p;
        const auto mm = Number(s, p, 2);
        if (!mm || p - from != 2 || *mm > 59) return std::nullopt;
        m = *mm;
    }
    const int t = *h * 60 + m;
    if (t > 24 * 60) return std::nullopt;
    return t;
}

std::string Clock(int minutes) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d:%02d", minutes / 60 % 100, minutes % 60);
    return b;
}

}  // namespace

std::optional<TWorkingHours> ParseWorkingHours(const std::string& text) {
    size_t p = 0;
    const auto start = TimeOfDay(text, p);
    if (!start || p >= text.size() || text[p] != '-') return std::nullopt;
    ++p;
    const auto end = TimeOfDay(text, p);
    if (!end || p != text.size() || *end <= *start) return std::nullopt;
    TWorkingHours h;
    h.StartMinute = *start;
    h.EndMinute = *end;
    return h;
}

std::string WorkingHoursText(const TWorkingHours& hours) {
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string s = Clock(hours.StartMinute) + "-" + Clock(hours.EndMinute);
    if (hours.Days == TWorkingHours().Days) return s;
    std::string days;
    for (int d = 0; d < 7; ++d)
        if (hours.WorksOn(d)) days += (days.empty() ? "" : ",") + std::string(kDays[d]);
    return s + " " + (days.empty() ? "no days" : days);
}

std::string StoreWorkingHours(const TWorkingHours& hours) {
    return std::to_string(hours.StartMinute) + "," + std::to_string(hours.EndMinute) + "," + std::to_string(hours.Days);
}

std::optional<TWorkingHours> LoadWorkingHours(const std::string& stored) {
    std::vector<int> v;
    const char* p = stored.data();
    const char* end = p + stored.size();
    while (p < end && v.size() < 3) {
        int n = 0;
        const auto r = std::from_chars(p, end, n);
        if (r.ec != std::errc()) return std::nullopt;
        v.push_back(n);
        p = r.ptr;
        if (p < end && *p == ',') ++p;
        else break;
    }
    if (v.size() != 3 || p != end) return std::nullopt;
    if (v[0] < 0 || v[1] > 24 * 60 || v[0] >= v[1] || v[2] < 0 || v[2] > 0x7F) return std::nullopt;
    return TWorkingHours{v[0], v[1], uint8_t(v[2])};
}

}  // namespace velkaro

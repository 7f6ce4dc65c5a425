// Daylight-saving evaluation of a zone rule record. Both switch moments are compared with the
// zone's standard time, so a switch back to standard time is written in standard time too.
#include "timemodel/zone_rules.h"

#include <cstdint>

namespace velkaro {

namespace {

// Weekday of a date, 1 = Sunday .. 7 = Saturday.
int Weekday1(int year, int month, int day) {
    return DecodeDateTime(EncodeDateTime(year, month, day)).DayOfWeek + 1;
}

// The moment of a rule date as a date-time; absolute dates are taken as they stand.
TDateTime RuleMoment(const TSystemTime& rule, int year) {
    const TSystemTime r = rule.wYear == 0 ? ResolveRuleDate(year, rule) : rule;
    return SystemTimeToDateTime(r);
}

// A shift by a bias in minutes; 64 bits, so that no bias can overflow, not even the negation
// of the most negative one. The same sum as IncTime with the minutes alone.
TDateTime ShiftMinutes(TDateTime t, int64_t minutes) {
    return t + static_cast<double>(minutes * 60'000) / 86'400'000.0;
}

}  // namespace

TSystemTime ResolveRuleDate(int year, TSystemTime r) {
    r.wYear = static_cast<uint16_t>(year);
    const int dow = r.wDayOfWeek;
    if (r.wDay >= 1 && r.wDay <= 4) {
        int d = dow - Weekday1(year, r.wMonth, 1) + 1;
        if (d <= 0) d += 7;
        r.wDay = static_cast<uint16_t>(d + (r.wDay - 1) * 7);
    } else if (r.wDay == 5) {
        const int n = DaysInMonth(r.wMonth, year);
        int d = dow - Weekday1(year, r.wMonth, n) + n;
        if (d > n) d -= 7;
        r.wDay = static_cast<uint16_t>(d);
    }
    return r;
}

bool IsDaylightTime(const TTimeZoneInformation& tzi, const TSystemTime& t) {
    if (tzi.StandardDate.wMonth == 0) return false;
    const TDateTime s = RuleMoment(tzi.StandardDate, t.wYear);
    const TDateTime d = RuleMoment(tzi.DaylightDate, t.wYear);
    const TDateTime x = SystemTimeToDateTime(t);
    if (d < s) return d <= x && x < s;
    return x < s || x >= d;
}

TSystemTime UtcToZoneTime(const TTimeZoneInformation& tzi, const TSystemTime& utc) {
    const TSystemTime s = DateTimeToSystemTime(ShiftMinutes(SystemTimeToDateTime(utc), -int64_t{tzi.Bias}));
    const bool dst = IsDaylightTime(tzi, s);
    const int64_t shift = dst ? tzi.DaylightBias : tzi.StandardBias;
    return DateTimeToSystemTime(ShiftMinutes(SystemTimeToDateTime(s), -shift));
}

TSystemTime ZoneTimeToUtc(const TTimeZoneInformation& tzi, const TSystemTime& local) {
    const TDateTime u = ShiftMinutes(SystemTimeToDateTime(local), tzi.Bias);
    const bool dst = IsDaylightTime(tzi, local);
    return DateTimeToSystemTime(ShiftMinutes(u, dst ? tzi.DaylightBias : tzi.StandardBias));
}

}  // namespace velkaro

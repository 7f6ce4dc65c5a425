#include "tools/time_conv.h"

#include <algorithm>

#include "timemodel/time_format.h"
#include "timemodel/zone_list.h"

namespace velkaro {

TVelkaroSpins VelkaroSpinsAt(TDateTime utc) {
    TDateTimeFields f = DecodeDateTime(UtcToZoneLocal(VelkaroZone(), utc));
    TVelkaroSpins s;
    s.Minute = f.Hour * 60 + f.Minute;
    s.Year = std::clamp(f.Year - 2000, kYearSpinMin, kYearSpinMax);
    s.DayMax = VelkaroDaysInYear(s.Year);
    s.Day = std::min(DayOfYear(f.Year, f.Month, f.Day), s.DayMax);
    return s;
}

int VelkaroDaysInYear(int yearSpin) { return IsLeapYear(yearSpin + 2000) ? 366 : 365; }

TDate DateOfDayOfYear(int n, int year) {
    int month = 0, total = 0;
    while (n > total && month < 12) total += DaysInMonth(++month, year);
    return {year, month, DaysInMonth(month, year) - (total - n)};
}

TDateTime VelkaroSpinsToUtc(int minute, int day, int yearSpin) {
    TDate d = DateOfDayOfYear(std::clamp(day, 1, VelkaroDaysInYear(yearSpin)), yearSpin + 2000);
    TDateTime velkaro = EncodeDateTime(d.Year, d.Month, d.Day, minute / 60, minute % 60);
    return ZoneLocalToUtc(VelkaroZone(), velkaro);
}

std::string ConvertToVelkaro(const TTimeQuestion& q, int cityIndex) {
    const TCity* city = CityAt(cityIndex);
    std::optional<TDateTime> local = QuestionDateTime(q);
    if (!city || !local) return {};
    TDateTime utc = ZoneLocalToUtc(ZoneOfCity(*city), *local);
    return VelkaroTimeText(VelkaroZone(), 0, utc);
}

std::optional<std::string> ConvertFromVelkaro(int minute, int day, int yearSpin, int cityIndex,
                                              const std::string& pattern) {
    const TCity* city = CityAt(cityIndex);
    if (!city) return std::nullopt;
    return CityTimeText(*city, pattern, VelkaroSpinsToUtc(minute, day, yearSpin));
}

}  // namespace velkaro

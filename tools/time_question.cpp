#include "tools/time_question.h"

#include <algorithm>
#include <cstdio>

#include "platform/locale.h"
#include "timemodel/zone_list.h"

namespace velkaro {

namespace {

std::string TwoDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

}  // namespace

std::vector<std::string> HourItems() {
    std::vector<std::string> items{"12"};
    for (int h = 1; h < 12; ++h) items.push_back(TwoDigits(h));
    return items;
}

std::vector<std::string> MinuteItems() {
    std::vector<std::string> items;
    for (int m = 0; m < 60; ++m) items.push_back(TwoDigits(m));
    return items;
}

std::vector<std::string> AmPmItems() { return {"AM", "PM"}; }

std::vector<std::string> MonthItems() {
    const auto& names = ThreadLocale().ShortMonthNames;
    return {names.begin(), names.end()};
}

std::vector<std::string> YearItems() {
    std::vector<std::string> items;
    for (int y = kFirstListYear; y <= kLastListYear; ++y) items.push_back(std::to_string(y));
    return items;
}

std::vector<std::string> DayItems(int month, int year) {
    std::vector<std::string> items;
    for (int d = 1, n = DaysInMonth(month, year); d <= n; ++d) items.push_back(std::to_string(d));
    return items;
}

int YearIndex(int year) { return std::clamp(year, kFirstListYear, kLastListYear) - kFirstListYear; }

TTimeQuestion QuestionAt(TDateTime local) {
    TDateTimeFields f = DecodeDateTime(local);
    TTimeQuestion q;
    q.Hour = f.Hour % 12;
    q.AmPm = f.Hour < 12 ? 0 : 1;
    q.Minute = f.Minute;
    q.Year = YearIndex(f.Year);
    q.Month = f.Month - 1;
    // The clamped year may lack the day (29 February).
    q.Day = RebuildDayIndex(f.Day - 1, DaysInMonth(f.Month, kFirstListYear + q.Year));
    return q;
}

int RebuildDayIndex(int dayIndex, int dayCount) {
    return dayIndex >= 0 && dayIndex < dayCount ? dayIndex : dayCount - 1;
}

std::optional<TDateTime> QuestionDateTime(const TTimeQuestion& q) {
    if (q.Hour < 0 || q.Minute < 0 || q.AmPm < 0 || q.Day < 0 || q.Month < 0 || q.Year < 0)
        return std::nullopt;
    int year = kFirstListYear + q.Year, month = q.Month + 1, day = q.Day + 1;
    if (!IsValidDate(year, month, day)) return std::nullopt;
    return EncodeDateTime(year, month, day, q.Hour + 12 * q.AmPm, q.Minute, 0);
}

const TCity* CityAt(int index) {
    if (index < 0 || index >= int(CityList.size())) return nullptr;
    return CityList[size_t(index)].get();
}

std::vector<std::string> CityItems() {
    std::vector<std::string> items;
    for (const auto& city : CityList) items.push_back(city->Name);
    return items;
}

}  // namespace velkaro

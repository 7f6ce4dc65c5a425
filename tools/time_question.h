// The date-and-time question that the converter and the calculator both ask: hour, minute,
// AM/PM, day, month and year lists, their presets from a clock reading, and the day-list
// rebuild. Selections are list indexes, -1 meaning no selection, as the lists report them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "timemodel/date_time.h"
#include "timemodel/zone_list.h"

namespace velkaro {

constexpr int kFirstListYear = 1970;
constexpr int kLastListYear = 2099;

std::vector<std::string> HourItems();    // "12", "01" .. "11": item i is hour i of the half day
std::vector<std::string> MinuteItems();  // "00" .. "59"
std::vector<std::string> AmPmItems();    // "AM", "PM"
std::vector<std::string> MonthItems();   // the locale's short month names, January first
std::vector<std::string> YearItems();    // "1970" .. "2099"
std::vector<std::string> DayItems(int month, int year);  // "1" .. days of that month

struct TTimeQuestion {
    int Hour = -1, Minute = -1, AmPm = -1;
    int Day = -1, Month = -1, Year = -1;
    bool operator==(const TTimeQuestion&) const = default;
};

// A year outside the list selects its nearer end, so the question never holds a year the
// list cannot show.
int YearIndex(int year);
TTimeQuestion QuestionAt(TDateTime local);

// The day list after a month or year change: the same day when the month has it, else the
// month's last day.
int RebuildDayIndex(int dayIndex, int dayCount);

// The date and time asked about; nullopt while any list has no selection.
std::optional<TDateTime> QuestionDateTime(const TTimeQuestion& q);

// The city at a list index; nullptr when the index is no city (an empty list, no selection).
const TCity* CityAt(int index);
std::vector<std::string> CityItems();

}  // namespace velkaro

// The converter's two halves as plain functions: a city's civil time to Velkaro time, and a
// Velkaro minute, day and year back to a city's wall-clock time.
#pragma once

#include <optional>
#include <string>

#include "timemodel/date_time.h"
#include "tools/time_question.h"

namespace velkaro {

// The spin edits of the Velkaro half: minute of the day, day of the year (with the year's
// length as its maximum) and the year counted from 2000.
struct TVelkaroSpins {
    int Minute = 0, Day = 1, DayMax = 365, Year = 0;
    bool operator==(const TVelkaroSpins&) const = default;
};

constexpr int kMinuteSpinMax = 1439;
constexpr int kYearSpinMin = -30;
constexpr int kYearSpinMax = 999;

// The Velkaro time at a UTC instant, as the spin edits show it.
TVelkaroSpins VelkaroSpinsAt(TDateTime utc);
// 366 in a leap year, else 365; yearSpin is the year minus 2000.
int VelkaroDaysInYear(int yearSpin);

struct TDate {
    int Year = 0, Month = 0, Day = 0;
    bool operator==(const TDate&) const = default;
};
// Day n (1 .. length of the year) of year y as a calendar date.
TDate DateOfDayOfYear(int n, int year);

// The UTC instant of a Velkaro minute, day and year.
TDateTime VelkaroSpinsToUtc(int minute, int day, int yearSpin);

// Left result: the Velkaro text (full notation) of the question taken as the wall-clock time
// of the city at cityIndex. Empty when there is no city or the question is incomplete.
std::string ConvertToVelkaro(const TTimeQuestion& q, int cityIndex);

// Right result: the wall-clock time, in the pattern, of the city at cityIndex at the given
// Velkaro time. nullopt when no city is selected (the result keeps its text).
std::optional<std::string> ConvertFromVelkaro(int minute, int day, int yearSpin, int cityIndex,
                                              const std::string& pattern);

}  // namespace velkaro

// The meeting planner's model: for each chosen place, the 24 hours of a day coloured by that
// place's own working hours, the hours where everyone works, and where the clocks or the date
// change inside the day; then the chosen slot as text and as an iCalendar event.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "planner/working_hours.h"
#include "timemodel/date_time.h"
#include "timemodel/zone_list.h"

namespace velkaro {

constexpr int kPlanHours = 24;

enum class THourKind {
    hkWorking,    // the whole hour inside the place's working hours on one of its working days
    hkEarlyLate,  // awake (07:00 to 22:00 local) but not working
    hkNight,
};

struct TPlanPlace {
    std::string Label;
    const TZone* Zone = nullptr;
    TWorkingHours Hours;
};

struct TPlanCell {
    int64_t UtcMs = 0;  // the hour's start, milliseconds since 1899-12-30 UTC
    TDateTime Local = 0;
    int DayShift = 0;  // local date minus the chosen date, in days
    THourKind Kind = THourKind::hkNight;
};

// A remark that belongs at one hour of a row: "clocks go back at 03:00", "+1 day".
struct TPlanNote {
    int Hour = 0;
    std::string Text;
    bool operator==(const TPlanNote&) const = default;
};

struct TPlanRow {
    TPlanPlace Place;
    std::array<TPlanCell, kPlanHours> Cells;
    std::vector<TPlanNote> Notes;
};

struct TMeetingPlan {
    int Year = 0, Month = 0, Day = 0;
    std::vector<TPlanRow> Rows;
    // The hours at which every place works.
    std::array<bool, kPlanHours> Common{};
    int FirstCommon() const;
};

// The chosen date in the first place's time, from its midnight for 24 hours. Throws
// velkaro::Error for no places or an impossible date.
TMeetingPlan PlanMeeting(const std::vector<TPlanPlace>& places, int year, int month, int day);

// "09-17 (UTC+01:00)" style text of an hour range for one row: local start of the hour.
std::string HourLabel(const TPlanCell& cell);

// The slot of `hours` hours from column `hour`, one line per place in its own time:
// "Paris: Tuesday 8 December 2026, 15:00-16:00" (CR LF between lines).
std::string SlotText(const TMeetingPlan& plan, int hour, int hours = 1);

// The whole plan as a text table with the common hours and the notes (the command-line view).
std::string PlanText(const TMeetingPlan& plan);
std::string PlanJson(const TMeetingPlan& plan);

// One VEVENT in a VCALENDAR (RFC 5545): UTC times, CR LF line ends, long lines folded at 75
// octets, text escaped. `stampUtc` is DTSTAMP (when the file is made).
std::string MeetingIcs(const TMeetingPlan& plan, int hour, int hours, TDateTime stampUtc,
                       const std::string& summary = "Meeting");

}  // namespace velkaro

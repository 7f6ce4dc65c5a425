// Working hours of a place: the times of day and the weekdays on which its people work.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velkaro {

struct TWorkingHours {
    int StartMinute = 9 * 60;  // minutes after midnight, local time
    int EndMinute = 17 * 60;   // exclusive; after StartMinute
    // Working weekdays, bit 0 = Sunday .. bit 6 = Saturday; Monday to Friday by default.
    uint8_t Days = 0x3E;
    bool WorksOn(int dayOfWeek) const { return (Days >> dayOfWeek) & 1; }
    bool operator==(const TWorkingHours&) const = default;
};

// "9-17", "09:00-17:30", "8:30-12": hours of one day, start before end, within 00:00..24:00.
// Nothing else is accepted.
std::optional<TWorkingHours> ParseWorkingHours(const std::string& text);
// "09:00-17:00"; with days other than Monday to Friday, followed by them: " Sun,Mon".
std::string WorkingHoursText(const TWorkingHours& hours);
// The form kept in the settings: "540,1020,62" (start, end, days); nullopt when damaged.
std::string StoreWorkingHours(const TWorkingHours& hours);
std::optional<TWorkingHours> LoadWorkingHours(const std::string& stored);

}  // namespace velkaro

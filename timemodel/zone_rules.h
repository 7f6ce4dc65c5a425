// The zone rule record and the daylight-saving arithmetic over it.
#pragma once

#include <cstdint>

#include "timemodel/date_time.h"

namespace velkaro {

// Biases in minutes, UTC = local + bias.
struct TTimeZoneInformation {
    int32_t Bias = 0;
    char16_t StandardName[32] = {};
    TSystemTime StandardDate;
    int32_t StandardBias = 0;
    char16_t DaylightName[32] = {};
    TSystemTime DaylightDate;
    int32_t DaylightBias = 0;
};

// The concrete date of a recurring rule in the given year. Switch hours outside 0..23 are kept
// as they stand here; they roll into neighbouring days when the rule is turned into a moment.
TSystemTime ResolveRuleDate(int year, TSystemTime rule);
bool IsDaylightTime(const TTimeZoneInformation& tzi, const TSystemTime& t);
TSystemTime UtcToZoneTime(const TTimeZoneInformation& tzi, const TSystemTime& utc);
TSystemTime ZoneTimeToUtc(const TTimeZoneInformation& tzi, const TSystemTime& local);

}  // namespace velkaro

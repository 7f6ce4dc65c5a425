// The two text notations of times: Velkaro time and the pattern formatter.
#pragma once

#include <string>

#include "timemodel/date_time.h"
#include "timemodel/zone_list.h"

namespace velkaro {

std::string VelkaroTimeText(const TZone& zone, int variant, TDateTime utc);
// The template that sets the width of the Velkaro box for a variant.
std::string VelkaroTemplate(int variant);
int WeekOfYear(int year, int month, int day);
std::string FormatTimePattern(const std::string& pattern, TDateTime t);
std::string CityTimeText(const TCity& city, const std::string& pattern, TDateTime utc);

}  // namespace velkaro

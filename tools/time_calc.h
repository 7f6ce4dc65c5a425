// The calculator's answer: the wall-clock time of one city at the instant another city shows
// the asked date and time.
#pragma once

#include <string>

#include "tools/time_question.h"

namespace velkaro {

// Empty when either city is missing or the question is incomplete.
std::string ComputeAnswer(const TTimeQuestion& q, int cityIndex1, int cityIndex2,
                          const std::string& pattern);

}  // namespace velkaro

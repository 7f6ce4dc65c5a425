// ISO 8601 texts for the command-line tool: a UTC instant (2006-05-03T17:12:05Z, optional
// .123) and a wall-clock time (2006-05-03T09:12:05).
#pragma once

#include <optional>
#include <string>

#include "timemodel/date_time.h"

namespace velkaro {

std::optional<TDateTime> ParseIsoUtc(const std::string& text);
std::optional<TDateTime> ParseIsoLocal(const std::string& text);
// 2006-05-03T17:12:05.000Z
std::string FormatIsoUtc(TDateTime utc);

}  // namespace velkaro

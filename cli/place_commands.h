// velkaro-time's commands over the place index and the user's own places:
//   places QUERY [--json]          towns whose names fit the query, best first
//   place add QUERY [--label L]    keeps the best fit among the towns as one of the user's places
//   place remove LABEL             forgets the user's place of that label
//   place list [--json]            the user's places, in their order, with their times
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "places/my_places.h"

namespace velkaro {

class TIniStore;

struct TPlaceCommand {
    std::vector<std::string> Positional;  // the command's words, "places" or "place" first
    bool Json = false;
    std::string Label;                    // --label, for "place add"
    std::string DataDir;                  // ends with a separator
    double UtcNow = 0;                    // the instant the times are shown for
};

// Runs the command. Returns the exit status (0, or 2 for a usage or data error, whose one-line
// message goes to err); throws velkaro::Error for the caller to report the same way.
int RunPlaceCommand(const TPlaceCommand& command, TIniStore& store, std::ostream& out, std::ostream& err);

// The user's places as city records after the loaded cities, so that every command that takes
// a city name also takes a place's label. Problems with damaged entries go to err.
void AppendMyPlaces(TIniStore& store, std::ostream& err);

}  // namespace velkaro

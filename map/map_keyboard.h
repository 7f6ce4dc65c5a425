// Keyboard navigation over the cities of the map, without any window: the nearest city in an
// arrow's direction, and list-view style type-ahead on the city names.
#pragma once

#include <cstdint>
#include <string>

#include "timemodel/zone_list.h"

namespace velkaro {

enum class TMapDirection { mdLeft, mdRight, mdUp, mdDown };

// Half the opening of the cone an arrow key searches, in degrees.
constexpr double kArrowConeDegrees = 45.0;
// Letters typed closer together than this extend the type-ahead text.
constexpr int64_t kTypeAheadMs = 1000;

// The index of the city nearest to city `from` whose direction from it lies within
// kArrowConeDegrees of the arrow's; -1 when there is none. Screen coordinates: up is -Y.
// Ties go to the earlier entry of the list.
int NearestCityInDirection(const TCityList& cities, int from, TMapDirection direction);

// Case-insensitive prefix test on 8-bit names.
bool NameStartsWith(const std::string& name, const std::string& prefix);

// Type-ahead as list views do it: letters typed within kTypeAheadMs of each other form a
// prefix; the search starts at the current city for a longer prefix (so it stays put while it
// still matches) and after it for a new one, wrapping round. Repeating one letter steps through
// the cities starting with it.
class TTypeAhead {
public:
    // The index to go to after typing `ch` at time nowMs (any monotonic clock), or -1.
    int Type(const TCityList& cities, int current, char ch, int64_t nowMs);
    void Reset() { typed_.clear(); }
    const std::string& Typed() const { return typed_; }

private:
    std::string typed_;
    int64_t last_ = 0;
};

}  // namespace velkaro

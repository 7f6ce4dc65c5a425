// Find city's search over everything the program knows by name: the map's cities first where
// they match, then the user's own places, then the towns of the place index, each group ranked
// by how well the name fits (exact, prefix, word prefix, anywhere) and then by its own order.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "places/my_places.h"
#include "places/place_index.h"

namespace velkaro {

struct TFoundPlace {
    enum TKind { fkCity, fkMyPlace, fkPlace };
    TKind Kind = fkCity;
    uint32_t Index = 0;  // into the city list, the user's places or the place index
    TPlaceMatch Match = pmNone;
    // For a city: the town of the index it is, to describe it by (-1 when none was met).
    int64_t Twin = -1;
};

using TCitySpan = std::span<const std::unique_ptr<TCity>>;

// At most `limit` results. Cities are 8-bit names, the rest UTF-8. A town of the index that is
// one of the map's cities (same name, within picking reach of its dot) or one of the user's own
// places is not listed again. index may be null while it is still loading.
std::vector<TFoundPlace> FindPlaces(std::string_view query, TCitySpan cities, const std::vector<TMyPlace>& mine,
                                    const TPlaceIndex* index, size_t limit);

}  // namespace velkaro

#include "places/place_search.h"

#include <algorithm>
#include <cmath>

#include "map/map_logic.h"
#include "map/map_projection.h"
#include "timemodel/city_match.h"

namespace velkaro {

namespace {

// Stable sort by match, so the group's own order decides between equals.
void Rank(std::vector<TFoundPlace>& found) {
    std::stable_sort(found.begin(), found.end(), [](const TFoundPlace& a, const TFoundPlace& b) { return a.Match < b.Match; });
}

bool NearDot(const TCity& city, double lat, double lon) {
    double x = 0, y = 0;
    LatLonMapPoint({lat, lon}, x, y);
    return std::hypot(std::floor(x) - (city.X + 2), std::floor(y) - city.Y) <= kPickRadius;
}

}  // namespace

std::vector<TFoundPlace> FindPlaces(std::string_view query, TCitySpan cities, const std::vector<TMyPlace>& mine,
                                    const TPlaceIndex* index, size_t limit) {
    const std::string q = FoldUtf8Name(query);
    std::vector<TFoundPlace> found;
    std::vector<TFoundPlace> own;
    for (uint32_t i = 0; i < cities.size(); ++i)
        if (const TPlaceMatch m = MatchFolded(FoldName(cities[i]->Name), q); m != pmNone) found.push_back({TFoundPlace::fkCity, i, m});
    for (uint32_t i = 0; i < mine.size(); ++i) {
        const TPlaceMatch m = std::min(MatchFolded(FoldUtf8Name(mine[i].Label), q), MatchFolded(FoldUtf8Name(mine[i].Name), q));
        if (m != pmNone) own.push_back({TFoundPlace::fkMyPlace, i, m});
    }
    Rank(found);
    Rank(own);
    found.insert(found.end(), own.begin(), own.end());
    if (found.size() > limit) found.resize(limit);
    if (!index) return found;
    const size_t known = found.size();
    for (const TPlaceHit& hit : index->Search(query, limit + known)) {
        if (found.size() >= limit) break;
        const std::string name = FoldUtf8Name(index->Name(hit.Place));
        const double lat = index->Lat(hit.Place), lon = index->Lon(hit.Place);
        const auto listed = std::find_if(found.begin(), found.begin() + std::ptrdiff_t(known), [&](const TFoundPlace& f) {
            if (f.Kind == TFoundPlace::fkCity) return FoldName(cities[f.Index]->Name) == name && NearDot(*cities[f.Index], lat, lon);
            const TMyPlace& p = mine[f.Index];
            return std::abs(p.Lat - lat) < 0.01 && std::abs(p.Lon - lon) < 0.01 && FoldUtf8Name(p.Name) == name;
        });
        if (listed != found.begin() + std::ptrdiff_t(known)) {
            if (listed->Twin < 0) listed->Twin = hit.Place;
            continue;
        }
        found.push_back({TFoundPlace::fkPlace, hit.Place, hit.Match});
    }
    return found;
}

}  // namespace velkaro

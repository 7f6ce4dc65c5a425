#include "map/map_keyboard.h"

#include <cmath>
#include <numbers>

#include "timemodel/city_match.h"

namespace velkaro {

int NearestCityInDirection(const TCityList& cities, int from, TMapDirection direction) {
    if (from < 0 || from >= int(cities.size())) return -1;
    double ux = 0, uy = 0;
    switch (direction) {
        case TMapDirection::mdLeft: ux = -1; break;
        case TMapDirection::mdRight: ux = 1; break;
        case TMapDirection::mdUp: uy = -1; break;
        case TMapDirection::mdDown: uy = 1; break;
    }
    const double minCos = std::cos(kArrowConeDegrees * std::numbers::pi / 180.0);
    const TCity& origin = *cities[from];
    int best = -1;
    double bestDistance = 0;
    for (int i = 0; i < int(cities.size()); ++i) {
        if (i == from) continue;
        const double dx = double(cities[i]->X) - origin.X;
        const double dy = double(cities[i]->Y) - origin.Y;
        const double d = std::hypot(dx, dy);
        // A city on the same spot has no direction.
        if (d == 0) continue;
        // A little slack so that a city exactly on the cone's edge counts.
        if ((dx * ux + dy * uy) / d < minCos - 1e-9) continue;
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// Case and accents do not matter, as in "Find city"; and nothing here reads the C library's
// locale, which Qt sets from the user's environment.
bool NameStartsWith(const std::string& name, const std::string& prefix) {
    return FoldName(name).starts_with(FoldName(prefix));
}

int TTypeAhead::Type(const TCityList& cities, int current, char ch, int64_t nowMs) {
    if (typed_.empty() || nowMs - last_ > kTypeAheadMs || nowMs < last_) typed_.clear();
    last_ = nowMs;
    typed_ += ch;
    const int n = int(cities.size());
    if (n == 0) return -1;

    // One letter typed again and again steps on through the cities starting with it.
    bool repeated = typed_.size() > 1;
    for (char c : typed_)
        if (FoldName(std::string(1, c)) != FoldName(typed_.substr(0, 1))) repeated = false;
    const std::string prefix = repeated ? typed_.substr(0, 1) : typed_;
    const bool fresh = typed_.size() == 1 || repeated;

    const int start = current < 0 || current >= n ? 0 : (fresh ? current + 1 : current);
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        if (NameStartsWith(cities[i]->Name, prefix)) return i;
    }
    return -1;
}

}  // namespace velkaro

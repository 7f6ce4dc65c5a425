#include "map/map_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "timemodel/time_format.h"

namespace velkaro {

const TCity* CityAt(const TCityList& cities, int x, int y) {
    for (const auto& city : cities) {
        const double dx = double(city->X) - x + 2;
        const double dy = double(city->Y) - y;
        if (std::sqrt(dx * dx + dy * dy) <= kPickRadius) return city.get();
    }
    return nullptr;
}

int FontPixelHeight(uint32_t points, int dpi) {
    // The store hands over whatever number it holds; a size beyond any screen would make the
    // window unusable, so it is held to a sane range.
    constexpr uint32_t kMaxPoints = 1000;
    // Rounded as the classic MulDiv does, so 8 points at 96 dpi are 11 pixels.
    const int64_t num = int64_t(std::min(points, kMaxPoints)) * dpi;
    return std::clamp(int((num * 2 + 72) / 144), 1, 2000);
}

int StripHeight(int mvtPixelHeight, int statusPixelHeight, int logoHeight) {
    return std::max({2 * (std::abs(mvtPixelHeight) + 4), 2 * (std::abs(statusPixelHeight) + 4), logoHeight});
}

TStripLayout LayoutStrip(int panelWidth, int panelHeight, int velkaroTextWidth) {
    const int velkaroLeft = panelWidth - velkaroTextWidth - 8;
    TStripLayout l;
    l.Logo = {0, kMapHeight, kLogoWidth, panelHeight};
    l.City = {kLogoWidth, kMapHeight, velkaroLeft, panelHeight};
    l.Velkaro = {velkaroLeft, kMapHeight, panelWidth, panelHeight};
    return l;
}

std::string CityStripText(const TCity* selected, const std::string& pattern, TDateTime utc) {
    if (!selected) return kPromptText;
    return selected->Name + " time:\r\n" + CityTimeText(*selected, pattern, utc);
}

std::string VelkaroStripText(int variant, TDateTime utc) {
    return std::string(kVelkaroCaption) + "\r\n" + VelkaroTimeText(VelkaroZone(), variant, utc);
}

std::string CityHintText(const TCity& city, const std::string& pattern, TDateTime utc) {
    return city.Name + ": " + CityTimeText(city, pattern, utc);
}

std::string TrayHintText(int variant, TDateTime utc, const std::string& localPattern, TDateTime local) {
    return VelkaroTimeText(VelkaroZone(), variant, utc) + "    " + FormatTimePattern(localPattern, local);
}

}  // namespace velkaro

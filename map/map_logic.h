// The rules of the map panel that need no window: city picking, the geometry of the status
// strip, and the texts of the strip, the city hint and the notification icon.
#pragma once

#include <cstdint>
#include <string>

#include "timemodel/date_time.h"
#include "timemodel/zone_list.h"

namespace velkaro {

// Size of the map picture; city coordinates are pixels of it.
constexpr int kMapWidth = 530;
constexpr int kMapHeight = 248;
constexpr int kLogoWidth = 120;
constexpr int kLogoHeight = 31;
constexpr int kButtonHeight = 21;
constexpr int kButtonWidth = 106;
// How far from its pick point a city still answers to the pointer.
constexpr double kPickRadius = 5.0;

constexpr const char* kPromptText = "Click on the city to display its time here";
constexpr const char* kVelkaroCaption = "Velkaro:";

// The first city of the list within kPickRadius of (x, y); a city answers to (X + 2, Y).
const TCity* CityAt(const TCityList& cities, int x, int y);

// Pixel height of a font of the given point size at the given resolution, rounded to nearest.
int FontPixelHeight(uint32_t points, int dpi);
// Height of the status strip for the two fonts' pixel heights and the logo's height.
int StripHeight(int mvtPixelHeight, int statusPixelHeight, int logoHeight);

struct TStripRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TStripRect&) const = default;
};
struct TStripLayout {
    TStripRect Logo, City, Velkaro;
};
// The three areas of the strip on a panel of width w and height p, with a Velkaro text width.
TStripLayout LayoutStrip(int panelWidth, int panelHeight, int velkaroTextWidth);

// The strip's city text: name, " time:", CR LF and time; or the prompt without a city.
std::string CityStripText(const TCity* selected, const std::string& pattern, TDateTime utc);
std::string VelkaroStripText(int variant, TDateTime utc);
std::string CityHintText(const TCity& city, const std::string& pattern, TDateTime utc);
// The notification icon's tooltip: Velkaro time, four blanks, the local clock time.
std::string TrayHintText(int variant, TDateTime utc, const std::string& localPattern, TDateTime local);

}  // namespace velkaro

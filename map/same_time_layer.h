// The light highlight over every land region whose clock reads the same as a chosen city's.
#pragma once

#include <QColor>
#include <QImage>
#include <vector>

#include "map/zone_raster.h"

namespace velkaro {

inline const QColor kSameTimeColor{255, 255, 240, 170};

// A transparent picture of the raster's size with `color` on every pixel whose zone is marked
// in `same`; the caller gives it the device pixel ratio of the map picture it lies over.
QImage SameTimeOverlay(const TZoneRaster& raster, const std::vector<bool>& same, QColor color = kSameTimeColor);

}  // namespace velkaro

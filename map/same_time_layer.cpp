#include "map/same_time_layer.h"

namespace velkaro {

QImage SameTimeOverlay(const TZoneRaster& raster, const std::vector<bool>& same, QColor color) {
    QImage image(raster.Width, raster.Height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRgb paint = qPremultiply(color.rgba());
    const uint16_t* zone = raster.Pixels.data();
    for (int y = 0; y < raster.Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < raster.Width; ++x, ++zone)
            if (*zone != TZoneRaster::kNoZone && same[*zone]) line[x] = paint;
    }
    return image;
}

}  // namespace velkaro

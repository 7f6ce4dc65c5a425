#include "map/daylight_layer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "map/map_projection.h"
#include "timemodel/solar.h"

namespace velkaro {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
// How far each shade darkens towards the night colour (of 256).
constexpr int kTwilightAlpha = 72;
constexpr int kNightAlpha = 136;
constexpr int kNightRgb[3] = {6, 12, 40};
// Each edge is softened over this much of the sun's elevation (degrees), about a pixel.
constexpr double kEdgeDeg = 0.6;

}  // namespace

QImage ShadeDaylight(const QImage& picture, TDateTime utc) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    const double ratio = picture.devicePixelRatio();
    out.setDevicePixelRatio(ratio);
    const int width = out.width();
    const int rows = std::min(out.height(), int(std::lround(kMapAreaHeight * ratio)));

    // sin(elevation) = sin(lat) sin(decl) + cos(lat) cos(decl) cos(hour angle): one factor
    // per column, two per row, so a pixel costs a multiply and an add.
    const TSunPosition sun = SunPosition(utc);
    const double sinDecl = std::sin(sun.DeclinationDeg * kDeg);
    const double cosDecl = std::cos(sun.DeclinationDeg * kDeg);
    std::vector<double> cosHour(width);
    for (int x = 0; x < width; ++x) {
        const double lon = MapPointLatLon((x + 0.5) / ratio, 0).Lon;
        cosHour[x] = std::cos(SolarHourAngle(sun, utc, lon) * kDeg);
    }
    // Near the horizon sin(elevation) is the elevation in radians, close enough for the edges.
    const double dayEdge = std::sin(kSunriseElevation * kDeg);
    const double nightEdge = std::sin(kCivilTwilightElevation * kDeg);
    const double ramp = kEdgeDeg * kDeg;

    for (int y = 0; y < rows; ++y) {
        const double lat = MapPointLatLon(0, (y + 0.5) / ratio).Lat * kDeg;
        const double a = std::sin(lat) * sinDecl;
        const double b = std::cos(lat) * cosDecl;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double s = a + b * cosHour[x];
            if (s >= dayEdge) continue;
            const double twilight = std::min(1.0, (dayEdge - s) / ramp);
            const double night = std::clamp((nightEdge - s) / ramp, 0.0, 1.0);
            const int alpha = int(kTwilightAlpha * twilight + (kNightAlpha - kTwilightAlpha) * night);
            const QRgb p = line[x];
            const int r = qRed(p) + (kNightRgb[0] - qRed(p)) * alpha / 256;
            const int g = qGreen(p) + (kNightRgb[1] - qGreen(p)) * alpha / 256;
            const int bl = qBlue(p) + (kNightRgb[2] - qBlue(p)) * alpha / 256;
            line[x] = qRgb(r, g, bl);
        }
    }
    return out;
}

}  // namespace velkaro

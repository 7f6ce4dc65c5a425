// The night shading over the map: where the sun is up the picture stays, the twilight band is
// darkened less than the night, at both pixel ratios, and the hour labels are never touched.
#include "map/daylight_layer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "map/map_logic.h"
#include "map/map_projection.h"
#include "timemodel/solar.h"

namespace velkaro {
namespace {

// The pixel (of a picture at the ratio) whose centre is nearest to a place.
QPoint PixelOf(double lat, double lon, double ratio) {
    double l = lon < kMapWestEdgeDeg ? lon + 360 : lon;
    return QPoint(int((l - kMapWestEdgeDeg) * kMapPxPerDegX * ratio), int((kMapNorthEdgeDeg - lat) * kMapPxPerDegY * ratio));
}

TEST(DaylightLayer, ShadesNightMoreThanTwilightAndLeavesDayAndLabels) {
    const TDateTime utc = EncodeDateTime(2026, 6, 21, 12);
    for (const double ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        QImage picture(QSize(kMapWidth, kMapHeight) * ratio, QImage::Format_RGB32);
        picture.setDevicePixelRatio(ratio);
        picture.fill(qRgb(200, 200, 200));
        const QImage shaded = ShadeDaylight(picture, utc);
        ASSERT_EQ(shaded.size(), picture.size());
        EXPECT_EQ(shaded.devicePixelRatio(), ratio);

        // Places picked for their state at the pixel's own centre, which the layer uses.
        std::vector<std::pair<QPoint, TSunState>> places;
        for (double lon = -170; lon < 180; lon += 10) {
            for (double lat = -60; lat <= 80; lat += 10) {
                const QPoint p = PixelOf(lat, lon, ratio);
                const TLatLon at = MapPointLatLon((p.x() + 0.5) / ratio, (p.y() + 0.5) / ratio);
                const double e = SunElevation(utc, at.Lat, at.Lon);
                // Clear of the softened edges.
                if (std::abs(e - kSunriseElevation) > 1 && std::abs(e - kCivilTwilightElevation) > 1)
                    places.emplace_back(p, SunStateFor(e));
            }
        }
        int seen[3] = {};
        for (const auto& [p, state] : places) {
            const int grey = qRed(shaded.pixel(p));
            switch (state) {
                case TSunState::Day: EXPECT_EQ(grey, 200) << p.x() << "," << p.y(); break;
                case TSunState::Twilight: EXPECT_TRUE(grey < 200 && grey > 120) << grey; break;
                case TSunState::Night: EXPECT_LT(grey, 120) << p.x() << "," << p.y(); break;
            }
            ++seen[int(state)];
        }
        EXPECT_GT(seen[0], 0);
        EXPECT_GT(seen[2], 0);
        // The midnight meridian lies at 180 degrees, the map's dark middle of the night there.
        EXPECT_LT(qRed(shaded.pixel(PixelOf(0, 179, ratio))), 120);
        for (int y = int(kMapAreaHeight * ratio); y < shaded.height(); ++y)
            for (int x = 0; x < shaded.width(); x += 7) ASSERT_EQ(shaded.pixel(x, y), qRgb(200, 200, 200));
    }
}

}  // namespace
}  // namespace velkaro

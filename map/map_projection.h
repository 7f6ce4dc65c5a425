// The map picture's projection, as the generator draws it (plate carree):
//     x = (lon + 172.5) * 530 / 360,   y = (84 - lat) * 1.6
// in the picture's 530 x 248 logical pixels; rows 0 .. 237 are map, the rest the hour labels.
// Header only, so the command-line program can place cities without the window code.
#pragma once

#include "timemodel/zone_list.h"

namespace velkaro {

constexpr double kMapWestEdgeDeg = -172.5;
constexpr double kMapNorthEdgeDeg = 84.0;
constexpr double kMapPxPerDegX = 530.0 / 360.0;
constexpr double kMapPxPerDegY = 1.6;
constexpr int kMapAreaHeight = 238;

struct TLatLon {
    double Lat = 0, Lon = 0;  // degrees north, degrees east (-180 .. 180)
};

// The place at a point of the picture (logical pixels, fractions allowed).
inline TLatLon MapPointLatLon(double x, double y) {
    double lon = kMapWestEdgeDeg + x / kMapPxPerDegX;
    if (lon >= 180.0) lon -= 360.0;
    return {kMapNorthEdgeDeg - y / kMapPxPerDegY, lon};
}

// The point of the picture at a place: the other way round (lon < -172.5 wraps to the east).
inline void LatLonMapPoint(TLatLon at, double& x, double& y) {
    const double lon = at.Lon < kMapWestEdgeDeg ? at.Lon + 360.0 : at.Lon;
    x = (lon - kMapWestEdgeDeg) * kMapPxPerDegX;
    y = (kMapNorthEdgeDeg - at.Lat) * kMapPxPerDegY;
}

// A city's place: the centre of its dot's pixel, the point it answers to (X + 2, Y as loaded),
// within half a pixel (about 0.35 degrees) of the coordinates it was placed from.
inline TLatLon CityLatLon(const TCity& city) { return MapPointLatLon(city.X + 2.5, city.Y + 0.5); }

}  // namespace velkaro

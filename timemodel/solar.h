// The sun's position and the day's sunrise and sunset, from the equations of NOAA's solar
// calculator (the sun's apparent longitude and the obliquity in Julian centuries, after Meeus),
// with sunrise and sunset where the upper limb meets the horizon under 34' of refraction.
// Within a minute of an almanac below 60 degrees of latitude, within three up to the polar
// circles, for any year from 1900 to 2100.
#pragma once

#include <optional>

#include "timemodel/date_time.h"

namespace velkaro {

// The sun's declination (degrees north) and the equation of time (minutes) at an instant (UTC).
struct TSunPosition {
    double DeclinationDeg = 0;
    double EquationOfTimeMin = 0;
};
TSunPosition SunPosition(TDateTime utc);

// The sun's elevation above the horizon (degrees) at a place, at an instant (UTC); latitude
// degrees north, longitude degrees east.
double SunElevation(TDateTime utc, double latDeg, double lonDeg);
// The hour angle (degrees, 0 at local solar noon, growing westwards) for a sun position.
double SolarHourAngle(const TSunPosition& sun, TDateTime utc, double lonDeg);

// The sun's disc touches the horizon, refraction included, at this elevation.
constexpr double kSunriseElevation = -0.833;
// Civil twilight ends when the sun is this far below the horizon.
constexpr double kCivilTwilightElevation = -6.0;

enum class TSunState { Day, Twilight, Night };
TSunState SunStateFor(double elevationDeg);
TSunState SunStateAt(TDateTime utc, double latDeg, double lonDeg);

// The day of a given local date at a place: sunrise and sunset as local times of that date
// (may fall outside it by a little where the zone is far from its meridian), or the sun
// staying up or down all day.
struct TSunDay {
    enum TKind { Normal, PolarDay, PolarNight };
    TKind Kind = Normal;
    TDateTime Sunrise = 0;  // local, with the given offset
    TDateTime Sunset = 0;
    double DayLengthMin = 0;
};
// offsetMin: the zone's offset from UTC (minutes east) on that date, daylight saving included.
TSunDay SunDay(int year, int month, int day, int offsetMin, double latDeg, double lonDeg);

}  // namespace velkaro

#include "timemodel/solar.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velkaro {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// The fractional year (radians) of a UTC instant, as NOAA defines it.
double FractionalYear(TDateTime utc) {
    const TDateTimeFields f = DecodeDateTime(utc);
    const double hours = f.Hour + f.Minute / 60.0 + (f.Second + f.Millisecond / 1000.0) / 3600.0;
    const double daysInYear = IsLeapYear(f.Year) ? 366.0 : 365.0;
    return 2.0 * std::numbers::pi / daysInYear * (DayOfYear(f.Year, f.Month, f.Day) - 1 + (hours - 12.0) / 24.0);
}

// Minutes of the UTC day.
double MinutesOfDay(TDateTime utc) { return (utc - std::floor(utc)) * 1440.0; }

}  // namespace

TSunPosition SunPosition(TDateTime utc) {
    const double g = FractionalYear(utc);
    TSunPosition p;
    p.EquationOfTimeMin = 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                                    0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
    p.DeclinationDeg = (0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
                        0.000907 * std::sin(2 * g) - 0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g)) /
                       kDeg;
    return p;
}

double SolarHourAngle(const TSunPosition& sun, TDateTime utc, double lonDeg) {
    // True solar time (minutes) at the longitude, then degrees from solar noon.
    const double trueSolar = MinutesOfDay(utc) + sun.EquationOfTimeMin + 4.0 * lonDeg;
    return trueSolar / 4.0 - 180.0;
}

double SunElevation(TDateTime utc, double latDeg, double lonDeg) {
    const TSunPosition sun = SunPosition(utc);
    const double lat = latDeg * kDeg;
    const double decl = sun.DeclinationDeg * kDeg;
    const double ha = SolarHourAngle(sun, utc, lonDeg) * kDeg;
    const double cosZenith = std::sin(lat) * std::sin(decl) + std::cos(lat) * std::cos(decl) * std::cos(ha);
    return 90.0 - std::acos(std::clamp(cosZenith, -1.0, 1.0)) / kDeg;
}

TSunState SunStateFor(double elevationDeg) {
    if (elevationDeg > kSunriseElevation) return TSunState::Day;
    if (elevationDeg > kCivilTwilightElevation) return TSunState::Twilight;
    return TSunState::Night;
}

TSunState SunStateAt(TDateTime utc, double latDeg, double lonDeg) {
    return SunStateFor(SunElevation(utc, latDeg, lonDeg));
}

TSunDay SunDay(int year, int month, int day, int offsetMin, double latDeg, double lonDeg) {
    const TDateTime localMidnight = EncodeDateTime(year, month, day);
    // The sun's position at local noon stands for the whole day.
    const TSunPosition sun = SunPosition(localMidnight + (720.0 - offsetMin) / 1440.0);
    const double lat = latDeg * kDeg;
    const double decl = sun.DeclinationDeg * kDeg;
    const double cosHa = std::cos((90.0 - kSunriseElevation) * kDeg) / (std::cos(lat) * std::cos(decl)) -
                         std::tan(lat) * std::tan(decl);
    TSunDay d;
    if (!(cosHa <= 1.0)) {
        d.Kind = TSunDay::PolarNight;
        return d;
    }
    if (cosHa < -1.0) {
        d.Kind = TSunDay::PolarDay;
        d.DayLengthMin = 1440;
        return d;
    }
    const double ha = std::acos(cosHa) / kDeg;
    const double noon = 720.0 - 4.0 * lonDeg - sun.EquationOfTimeMin + offsetMin;
    d.Sunrise = localMidnight + (noon - 4.0 * ha) / 1440.0;
    d.Sunset = localMidnight + (noon + 4.0 * ha) / 1440.0;
    d.DayLengthMin = 8.0 * ha;
    return d;
}

}  // namespace velkaro

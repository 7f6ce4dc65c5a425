#include "timemodel/solar.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velkaro {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// Julian centuries since J2000.0 of a UTC instant (the day-count value's day 0 is JD 2415018.5).
double JulianCentury(TDateTime utc) { return (utc + 2415018.5 - 2451545.0) / 36525.0; }

// Minutes of the UTC day.
double MinutesOfDay(TDateTime utc) { return (utc - std::floor(utc)) * 1440.0; }

double Sin(double deg) { return std::sin(deg * kDeg); }
double Cos(double deg) { return std::cos(deg * kDeg); }

}  // namespace

TSunPosition SunPosition(TDateTime utc) {
    const double t = JulianCentury(utc);
    const double meanLong = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
    const double meanAnomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double centre = Sin(meanAnomaly) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          Sin(2 * meanAnomaly) * (0.019993 - 0.000101 * t) + Sin(3 * meanAnomaly) * 0.000289;
    const double node = 125.04 - 1934.136 * t;
    const double apparentLong = meanLong + centre - 0.00569 - 0.00478 * Sin(node);
    const double meanObliquity = 23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
    const double obliquity = meanObliquity + 0.00256 * Cos(node);
    const double y = std::pow(std::tan(obliquity / 2 * kDeg), 2);
    TSunPosition p;
    p.DeclinationDeg = std::asin(Sin(obliquity) * Sin(apparentLong)) / kDeg;
    p.EquationOfTimeMin = 4.0 / kDeg *
                          (y * Sin(2 * meanLong) - 2 * eccentricity * Sin(meanAnomaly) +
                           4 * eccentricity * y * Sin(meanAnomaly) * Cos(2 * meanLong) -
                           0.5 * y * y * Sin(4 * meanLong) - 1.25 * eccentricity * eccentricity * Sin(2 * meanAnomaly));
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

namespace {

// The cosine of the hour angle at which the sun's upper limb meets the horizon.
double SunriseCosHourAngle(const TSunPosition& sun, double latDeg) {
    return Cos(90.0 - kSunriseElevation) / (Cos(latDeg) * Cos(sun.DeclinationDeg)) -
           std::tan(latDeg * kDeg) * std::tan(sun.DeclinationDeg * kDeg);
}

// Local solar noon of the local date, in minutes after local midnight. Taken modulo a day: a
// zone far from its meridian (across the date line) would otherwise land on the next or the
// previous day's noon.
double LocalSolarNoonMin(const TSunPosition& sun, int offsetMin, double lonDeg) {
    const double noon = std::fmod(720.0 - 4.0 * lonDeg - sun.EquationOfTimeMin + offsetMin, 1440.0);
    return noon < 0 ? noon + 1440.0 : noon;
}

}  // namespace

TSunDay SunDay(int year, int month, int day, int offsetMin, double latDeg, double lonDeg) {
    const TDateTime localMidnight = EncodeDateTime(year, month, day);
    const TDateTime utcMidnight = localMidnight - offsetMin / 1440.0;
    // The kind of day is decided by the sun at local noon.
    const TSunPosition noonSun = SunPosition(utcMidnight + 0.5);
    const double cosHa = SunriseCosHourAngle(noonSun, latDeg);
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
    // Each event from the sun's position at that event: a few rounds from noon settle it to
    // well under a second (the declination moves up to 0.4 degrees a day).
    const auto event = [&](double sign) {
        double minutes = LocalSolarNoonMin(noonSun, offsetMin, lonDeg) + sign * 4.0 * std::acos(cosHa) / kDeg;
        for (int round = 0; round < 3; ++round) {
            const TSunPosition sun = SunPosition(utcMidnight + minutes / 1440.0);
            const double c = std::clamp(SunriseCosHourAngle(sun, latDeg), -1.0, 1.0);
            minutes = LocalSolarNoonMin(sun, offsetMin, lonDeg) + sign * 4.0 * std::acos(c) / kDeg;
        }
        return minutes;
    };
    const double rise = event(-1), set = event(+1);
    d.Sunrise = localMidnight + rise / 1440.0;
    d.Sunset = localMidnight + set / 1440.0;
    d.DayLengthMin = set - rise;
    return d;
}

}  // namespace velkaro

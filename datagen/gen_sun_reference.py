#!/usr/bin/python3
"""Writes tests/timemodel/sun_reference.csv: every city of datagen/cities.csv, and a few places
beyond the polar circles, on a few dates,
with sunrise and sunset from an almanac computation (PyEphem, Debian's python3-ephem: the
upper limb on a horizon lowered by 34' of refraction, as the almanacs define it), to hold the
program's own sunrise and sunset against. Run by hand when cities.csv changes (needs
python3-ephem); commit the result.

Each line: name,lat,lon, then one field per date of DATES: "offset rise set", the zone's
offset (minutes east) at local noon, and sunrise and sunset as minutes after local midnight;
"day" or "night" for both when the sun stays up or down the whole local day; "-" when only
one of them lies within half a day of the day's solar noon (the day a polar day or night
begins or ends), which no comparison can use.
"""
import csv
import datetime as dt
import pathlib
import zoneinfo

import ephem

DATES = [(2026, 1, 20), (2026, 3, 20), (2026, 5, 20), (2026, 6, 21), (2026, 9, 23), (2026, 11, 20), (2026, 12, 21)]
ROOT = pathlib.Path(__file__).resolve().parent.parent
# No city lies beyond a polar circle: these places test polar days and nights.
POLAR = [("Utqiagvik", "America/Anchorage", 71.29, -156.79), ("Longyearbyen", "Arctic/Longyearbyen", 78.22, 15.65),
         ("Tromso", "Europe/Oslo", 69.65, 18.96), ("Murmansk", "Europe/Moscow", 68.97, 33.08),
         ("McMurdo", "Antarctica/McMurdo", -77.85, 166.67), ("Vostok", "Antarctica/Vostok", -78.46, 106.84)]


def day_fields(lat, lon, zone, year, month, day):
    noon = dt.datetime(year, month, day, 12, tzinfo=zoneinfo.ZoneInfo(zone))
    offset = round(noon.utcoffset().total_seconds() / 60)
    midnight = dt.datetime(year, month, day) - dt.timedelta(minutes=offset)  # local midnight, in UTC
    start = ephem.Date(midnight)
    obs = ephem.Observer()
    obs.lat, obs.lon = str(lat), str(lon)
    obs.elevation = 0
    obs.pressure = 0
    obs.horizon = "-0:34"
    sun = ephem.Sun()
    # The day's sunrise and sunset are those around its solar noon (either may fall just
    # outside the local date).
    transit = obs.next_transit(sun, start=start)
    events = []
    try:
        events = [obs.previous_rising(sun, start=transit), obs.next_setting(sun, start=transit)]
    except ephem.AlwaysUpError:
        return f"{offset} day day"
    except ephem.NeverUpError:
        return f"{offset} night night"
    if any(abs(t - transit) > 0.5 for t in events):
        return f"{offset} - -"
    rise, set_ = ((t - start) * 1440 for t in events)
    return f"{offset} {rise:.2f} {set_:.2f}"


def main():
    places = []
    with open(ROOT / "datagen" / "cities.csv", newline="") as f:
        for rec in csv.reader(line for line in f if not line.startswith("#")):
            if rec[0] != "name":
                places.append((rec[0], rec[1], float(rec[2]), float(rec[3])))
    rows = []
    for name, zone, lat, lon in places + POLAR:
        fields = [day_fields(lat, lon, zone, *d) for d in DATES]
        rows.append(",".join([name, f"{lat:g}", f"{lon:g}"] + fields))
    out = ROOT / "tests" / "timemodel" / "sun_reference.csv"
    dates = " ".join(f"{y}-{m:02d}-{d:02d}" for y, m, d in DATES)
    header = (f"# Sunrise and sunset of every city and a few polar places, from PyEphem {ephem.__version__} by datagen/gen_sun_reference.py.\n"
              f"# name,lat,lon, then per date ({dates}): offset rise set (minutes; day, night or - instead)\n")
    out.write_text(header + "\n".join(rows) + "\n", encoding="utf-8")
    print(f"wrote {out} ({len(rows)} places)")


if __name__ == "__main__":
    main()

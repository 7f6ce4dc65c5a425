#!/usr/bin/python3
"""The meeting file of `velkaro-time plan --ics` as a calendar library imports it: one event,
UTC times that the system's zone database places at the planned local hours, and the
description with each place's time. Usage: ics_import_test.py VELKARO_TIME"""
import datetime
import os
import subprocess
import sys
import tempfile
import zoneinfo

import icalendar


def main(tool):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "meeting.ics")
        run = subprocess.run([tool, "plan", "Paris", "New York", "--date", "2026-12-08", "--ics", path],
                             capture_output=True, text=True, timeout=60)
        assert run.returncode == 0, run.stderr
        calendar = icalendar.Calendar.from_ical(open(path, "rb").read())
        events = list(calendar.walk("VEVENT"))
        assert len(events) == 1, events
        event = events[0]
        start, end = event.decoded("DTSTART"), event.decoded("DTEND")
        utc = datetime.timezone.utc
        assert start == datetime.datetime(2026, 12, 8, 14, 0, tzinfo=utc), start
        assert end - start == datetime.timedelta(hours=1), end
        # The first hour both work: 15:00 in Paris, 09:00 in New York.
        assert start.astimezone(zoneinfo.ZoneInfo("Europe/Paris")).hour == 15
        assert start.astimezone(zoneinfo.ZoneInfo("America/New_York")).hour == 9
        assert event.decoded("DTSTAMP").tzinfo is not None
        assert str(event["UID"]).endswith("@velkaro.org")
        assert str(event["DESCRIPTION"]) == ("Paris: Tuesday 8 December 2026, 15:00-16:00\n"
                                             "New York: Tuesday 8 December 2026, 09:00-10:00"), event["DESCRIPTION"]
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1])

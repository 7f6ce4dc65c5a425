// Zone lines for azones.lst from the compiled zone files of the IANA database.
//
// A zone line carries one yearly rule, which is what the POSIX TZ string at the end of a
// compiled zone file describes. Two conversions sit between them: the file's months are
// 0-based and its weekdays 1 = Sunday, and the program compares both switch moments with the
// zone's standard time, while the TZ string gives the end of daylight time in daylight time.
//
// A zone is "not expressible" when its TZ string uses a rule form the file has no field for
// (Julian days), or when the database's own transitions in the years we check differ from what
// the TZ string alone would give (for example Morocco's changes around Ramadan, which follow
// the lunar calendar). Such a zone still gets a line: the yearly rule of its TZ string, which is
// what the zone follows outside those irregular changes. It is listed in the file's header and
// by the generator, so nobody mistakes the line for an exact one.
'use strict';
const fs = require('fs');
const { readTzif, parsePosixTz, dayStart } = require('./lib/tzif');

const ZONEINFO = '/usr/share/zoneinfo';
// The span over which the data must agree with the database (also checked by the C++ test).
const CHECK_FROM = dayStart(2026, 1, 1);
const CHECK_TO = dayStart(2037, 1, 1);

function tzdataVersion() {
  const zi = fs.readFileSync(`${ZONEINFO}/tzdata.zi`, 'latin1');
  const m = /^# version (\S+)/.exec(zi);
  if (!m) throw new Error(`${ZONEINFO}/tzdata.zi: no version line`);
  return m[1];
}

// Offsets (minutes east) in force from `at` on, under the TZ string alone.
function posixOffsetAt(tz, at) {
  if (!tz.dstStart) return tz.stdOffset;
  const { posixTransitions } = require('./lib/tzif');
  const year = new Date(at * 1000).getUTCFullYear();
  let offset = null;
  for (const t of posixTransitions(tz, year - 1, year + 1)) if (t.at <= at) offset = t.offset / 60;
  return offset;
}

// Offset under the zone file: its explicit transitions, then the TZ string after the last one.
function fileOffsetAt(zif, tz, at) {
  const tr = zif.transitions;
  if (tr.length === 0 || at < tr[0].at) return tr.length ? zif.initial.offset / 60 : posixOffsetAt(tz, at);
  if (at >= tr[tr.length - 1].at && tr[tr.length - 1].at < CHECK_TO) return posixOffsetAt(tz, at);
  let lo = 0;
  let hi = tr.length - 1;
  while (lo < hi) {
    const mid = (lo + hi + 1) >> 1;
    if (tr[mid].at <= at) lo = mid; else hi = mid - 1;
  }
  return tr[lo].offset / 60;
}

// Stretches of the check span in which the file and its TZ string disagree: [from, until).
function disagreements(zif, tz) {
  const { posixTransitions } = require('./lib/tzif');
  const y0 = new Date(CHECK_FROM * 1000).getUTCFullYear();
  const y1 = new Date(CHECK_TO * 1000).getUTCFullYear();
  const cuts = new Set([CHECK_FROM]);
  for (const t of zif.transitions) if (t.at > CHECK_FROM && t.at < CHECK_TO) cuts.add(t.at);
  for (const t of posixTransitions(tz, y0, y1)) if (t.at > CHECK_FROM && t.at < CHECK_TO) cuts.add(t.at);
  const points = [...cuts].sort((a, b) => a - b);
  const spans = [];
  points.forEach((at, i) => {
    const until = i + 1 < points.length ? points[i + 1] : CHECK_TO;
    if (fileOffsetAt(zif, tz, at) === posixOffsetAt(tz, at)) return;
    const last = spans[spans.length - 1];
    if (last && last[1] === at) last[1] = until; else spans.push([at, until]);
  });
  return spans;
}

const isoDay = (at) => new Date(at * 1000).toISOString().slice(0, 10);

// Splits a switch time in minutes into hour and minute; hours outside 0..23 roll into the
// neighbouring days when the program resolves the rule (hour 26 of a Thursday is 02:00 Friday).
function hourMinute(minutes) {
  const hour = Math.floor(minutes / 60);
  return [hour, minutes - hour * 60];
}

// The zone line and what we know of its fidelity.
function zoneLine(zoneId) {
  const path = `${ZONEINFO}/${zoneId}`;
  if (!fs.existsSync(path)) throw new Error(`zone ${zoneId}: no compiled zone file at ${path}`);
  const zif = readTzif(path);
  const tz = parsePosixTz(zif.footer);
  const problems = [];
  let fields = [zoneId, tz.stdOffset, tz.stdOffset];
  if (tz.dstStart) {
    const forms = [tz.dstStart, tz.dstEnd];
    if (forms.every((d) => d.kind === 'M')) {
      const start = tz.dstStart;
      const end = tz.dstEnd;
      // The end of daylight time, given in daylight time, moved into standard time.
      const endInStandard = end.time - (tz.dstOffset - tz.stdOffset);
      const week = (w) => (w === 5 ? -1 : w);
      fields = [zoneId, tz.stdOffset, tz.dstOffset,
        start.month - 1, start.weekday + 1, week(start.week), ...hourMinute(start.time),
        end.month - 1, end.weekday + 1, week(end.week), ...hourMinute(endInStandard)];
    } else {
      problems.push(`its rule "${zif.footer}" counts days of the year, which a zone line cannot`);
    }
  }
  const spans = disagreements(zif, tz);
  if (spans.length) {
    const seconds = spans.reduce((sum, [a, b]) => sum + (b - a), 0);
    const share = (100 * seconds) / (CHECK_TO - CHECK_FROM);
    const when = spans.length === 1 ? `from ${isoDay(spans[0][0])} to ${isoDay(spans[0][1])}`
      : `in ${spans.length} stretches from ${isoDay(spans[0][0])} to ${isoDay(spans[spans.length - 1][1])}`;
    problems.push(`the database leaves its yearly rule "${zif.footer}" ${when}, ` +
      `${(seconds / 86400).toFixed(1)} days or ${share.toFixed(2)}% of 2026..2036`);
  }
  return { zoneId, line: fields.join(','), footer: zif.footer, stdOffset: tz.stdOffset,
    dstOffset: tz.dstOffset ?? tz.stdOffset, problems };
}

// Standard offsets in use today: those of every zone in zone1970.tab. A zone whose "daylight"
// time lies behind its standard time (Europe/Dublin) counts its winter offset as standard.
function standardOffsetsInUse() {
  const tab = fs.readFileSync(`${ZONEINFO}/zone1970.tab`, 'latin1');
  const offsets = new Map();
  for (const line of tab.split('\n')) {
    if (!line || line.startsWith('#')) continue;
    const zoneId = line.split('\t')[2];
    const tz = parsePosixTz(readTzif(`${ZONEINFO}/${zoneId}`).footer);
    const std = Math.min(tz.stdOffset, tz.dstOffset ?? tz.stdOffset);
    if (!offsets.has(std)) offsets.set(std, zoneId);
  }
  return offsets;
}

// zone id -> [lat, lon] of the zone's own city, from zone1970.tab.
function zoneTabCoordinates() {
  const tab = fs.readFileSync(`${ZONEINFO}/zone1970.tab`, 'latin1');
  const coords = new Map();
  const angle = (s, degDigits) => {
    const sign = s[0] === '-' ? -1 : 1;
    const d = s.slice(1);
    const deg = Number(d.slice(0, degDigits));
    const min = Number(d.slice(degDigits, degDigits + 2));
    const sec = Number(d.slice(degDigits + 2) || 0);
    return sign * (deg + min / 60 + sec / 3600);
  };
  for (const line of tab.split('\n')) {
    if (!line || line.startsWith('#')) continue;
    const [, c, zoneId] = line.split('\t');
    const m = /^([+-]\d+)([+-]\d+)$/.exec(c);
    coords.set(zoneId, [angle(m[1], 2), angle(m[2], 3)]);
  }
  return coords;
}

function formatOffset(minutes) {
  const sign = minutes < 0 ? '-' : '+';
  const a = Math.abs(minutes);
  return `${sign}${String(Math.floor(a / 60)).padStart(2, '0')}:${String(a % 60).padStart(2, '0')}`;
}

module.exports = { zoneLine, tzdataVersion, standardOffsetsInUse, zoneTabCoordinates, formatOffset };

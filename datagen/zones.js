// Zone lines for azones.lst from the compiled zone files of the IANA database.
//
// A zone line's thirteen fields carry one yearly rule, which is what the POSIX TZ string at the
// end of a compiled zone file describes. Two conversions sit between them: the file's months
// are 0-based and its weekdays 1 = Sunday, and the program compares both switch moments with
// the zone's standard time, while the TZ string gives the end of daylight time in daylight time.
//
// After them comes the zone's history: every offset the database gives from 1970 until the
// 1 January from which the yearly rule alone gives what the database gives (compared up to 2040,
// or past the last change the database lists), as UTC instants. So changes of standard offset,
// years without daylight time and Morocco's pauses for Ramadan all convert exactly. A zone
// whose rule the thirteen fields cannot hold (Julian days) is exact only as far as its history
// reaches; the generator and the file's header say so.
'use strict';
const fs = require('fs');
const { readTzif, parsePosixTz, posixTransitions, dayStart } = require('./lib/tzif');

const ZONEINFO = '/usr/share/zoneinfo';

function tzdataVersion() {
  const zi = fs.readFileSync(`${ZONEINFO}/tzdata.zi`, 'latin1');
  const m = /^# version (\S+)/.exec(zi);
  if (!m) throw new Error(`${ZONEINFO}/tzdata.zi: no version line`);
  return m[1];
}

// The history reaches from 1970 until the year from which the yearly rule holds unchanged.
const HISTORY_FROM = dayStart(1970, 1, 1);

// How far the database is compared with the rule: 2040, past the end of 32-bit time where the
// compiled files' explicit transitions mostly stop and their TZ string takes over, or two years
// past the last explicit transition where a file lists more (Palestine's predicted changes
// around Ramadan run to the 2080s).
function horizonOf(zif) {
  const tr = zif.transitions;
  const last = tr.length ? new Date(tr[tr.length - 1].at * 1000).getUTCFullYear() : 0;
  return dayStart(Math.max(2040, last + 2), 1, 1);
}

// Offset (seconds east) under the TZ string alone, Julian-day rules included.
function posixAt(tz, at) {
  if (!tz.dstStart) return tz.stdOffset * 60;
  const year = new Date(at * 1000).getUTCFullYear();
  let offset = null;
  for (const t of posixTransitions(tz, year - 1, year + 1)) if (t.at <= at) offset = t.offset;
  return offset;
}

const expressible = (tz) => !tz.dstStart || [tz.dstStart, tz.dstEnd].every((d) => d.kind === 'M');

// Offset (seconds east) under the zone line's yearly rule: a rule the line cannot hold is
// written as the standard offset alone.
const ruleOffsetAt = (tz, at) => (expressible(tz) ? posixAt(tz, at) : tz.stdOffset * 60);

// Offset (seconds east) under the zone file: its first type before its transitions, the TZ string
// after the last one (RFC 8536).
function databaseOffsetAt(zif, tz, at) {
  const tr = zif.transitions;
  if (tr.length === 0 || at > tr[tr.length - 1].at) return posixAt(tz, at);
  if (at < tr[0].at) return zif.initial.offset;
  let lo = 0;
  let hi = tr.length - 1;
  while (lo < hi) {
    const mid = (lo + hi + 1) >> 1;
    if (tr[mid].at <= at) lo = mid; else hi = mid - 1;
  }
  return tr[lo].offset;
}

// The end of the last stretch in [HISTORY_FROM, horizon) where the database and the zone line's
// yearly rule disagree; null when they agree throughout.
function lastDisagreement(zif, tz, horizon) {
  const cuts = new Set([HISTORY_FROM]);
  const inSpan = (at) => at > HISTORY_FROM && at < horizon;
  for (const t of zif.transitions) if (inSpan(t.at)) cuts.add(t.at);
  if (tz.dstStart) {
    const y1 = new Date(horizon * 1000).getUTCFullYear();
    for (const t of posixTransitions(tz, 1969, y1)) if (inSpan(t.at)) cuts.add(t.at);
  }
  const points = [...cuts].sort((a, b) => a - b);
  let end = null;
  points.forEach((at, i) => {
    if (databaseOffsetAt(zif, tz, at) !== ruleOffsetAt(tz, at)) end = i + 1 < points.length ? points[i + 1] : horizon;
  });
  return end;
}

// A UTC instant as YYYYMMDDhhmm, with seconds only when it has them.
function historyTime(at) {
  const iso = new Date(at * 1000).toISOString();
  const text = iso.slice(0, 4) + iso.slice(5, 7) + iso.slice(8, 10) + iso.slice(11, 13) + iso.slice(14, 16);
  return at % 60 ? text + iso.slice(17, 19) : text;
}

// Seconds east as minutes, with ":ss" only when there are seconds (Monrovia until 1972).
function historyOffset(seconds) {
  const sign = seconds < 0 ? '-' : '';
  const a = Math.abs(seconds);
  const minutes = Math.floor(a / 60);
  return a % 60 ? `${sign}${minutes}:${String(a % 60).padStart(2, '0')}` : `${sign}${minutes}`;
}

// The history fields: the offset in force from 1970 and each change of it, as "time=offset" in
// UTC, then "time=rule" from which the yearly rule holds. Empty when the rule holds since 1970.
// The end is rounded up to the next 1 January, so that it falls far from any switch.
function historyFields(zif, tz) {
  const horizon = horizonOf(zif);
  const last = lastDisagreement(zif, tz, horizon);
  if (last === null) return { fields: [], until: null, horizon };
  const lastYear = new Date((last - 1) * 1000).getUTCFullYear();
  const until = Math.min(dayStart(lastYear + 1, 1, 1), horizon);
  // The file's own transitions, then its TZ string's beyond the last of them.
  const tr = zif.transitions;
  const lastListed = tr.length ? tr[tr.length - 1].at : -Infinity;
  const changes = [...tr];
  if (tz.dstStart) {
    const from = new Date(Math.max(lastListed, HISTORY_FROM) * 1000).getUTCFullYear();
    const to = new Date(until * 1000).getUTCFullYear();
    changes.push(...posixTransitions(tz, from, to).filter((t) => t.at > lastListed));
  }
  let offset = databaseOffsetAt(zif, tz, HISTORY_FROM);
  const fields = [`${historyTime(HISTORY_FROM)}=${historyOffset(offset)}`];
  for (const t of changes) {
    if (t.at <= HISTORY_FROM || t.at >= until || t.offset === offset) continue;
    offset = t.offset;
    fields.push(`${historyTime(t.at)}=${historyOffset(offset)}`);
  }
  fields.push(`${historyTime(until)}=rule`);
  return { fields, until, horizon };
}

const isoDay = (at) => new Date(at * 1000).toISOString().slice(0, 10);

// Splits a switch time in minutes into hour and minute; hours outside 0..23 roll into the
// neighbouring days when the program resolves the rule (hour 26 of a Thursday is 02:00 Friday).
function hourMinute(minutes) {
  const hour = Math.floor(minutes / 60);
  return [hour, minutes - hour * 60];
}

// The zone line: the yearly rule in the thirteen fields, the history after them.
function zoneLine(zoneId) {
  const path = `${ZONEINFO}/${zoneId}`;
  if (!fs.existsSync(path)) throw new Error(`zone ${zoneId}: no compiled zone file at ${path}`);
  const zif = readTzif(path);
  const tz = parsePosixTz(zif.footer);
  const problems = [];
  let fields = [zoneId, tz.stdOffset, tz.stdOffset];
  if (tz.dstStart && expressible(tz)) {
    const start = tz.dstStart;
    const end = tz.dstEnd;
    // The end of daylight time, given in daylight time, moved into standard time.
    const endInStandard = end.time - (tz.dstOffset - tz.stdOffset);
    const week = (w) => (w === 5 ? -1 : w);
    fields = [zoneId, tz.stdOffset, tz.dstOffset,
      start.month - 1, start.weekday + 1, week(start.week), ...hourMinute(start.time),
      end.month - 1, end.weekday + 1, week(end.week), ...hourMinute(endInStandard)];
  }
  const history = historyFields(zif, tz);
  if (history.until === history.horizon) {
    problems.push(`its rule "${zif.footer}" is not one a zone line can hold; exact until ${isoDay(history.horizon)}`);
  }
  // The history begins at the fourteenth field, so a line without daylight time spells out all
  // thirteen (months -1).
  if (history.fields.length && fields.length === 3) fields.push(-1, 1, 1, 0, 0, -1, 1, 1, 0, 0);
  return { zoneId, line: [...fields, ...history.fields].join(','), footer: zif.footer, stdOffset: tz.stdOffset,
    dstOffset: tz.dstOffset ?? tz.stdOffset, history: history.fields, problems };
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

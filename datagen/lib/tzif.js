// Reading the compiled zone files of the IANA database (TZif, RFC 8536) as Debian installs
// them, and the POSIX TZ rule string at their end.
'use strict';
const fs = require('fs');

// { transitions: [{ at: unix seconds, offset: seconds east, isDst }], initial: type, footer }
function readTzif(path) {
  const b = fs.readFileSync(path);
  if (b.toString('latin1', 0, 4) !== 'TZif') throw new Error(`${path}: not a TZif file`);
  const version = b[4];
  const counts = (at) => [0, 1, 2, 3, 4, 5].map((i) => b.readUInt32BE(at + 20 + i * 4));
  let [isut, isstd, leap, timecnt, typecnt, charcnt] = counts(0);
  if (version === 0) throw new Error(`${path}: version 1 TZif has no rule string`);
  // Skip the 32-bit block; the 64-bit one follows with its own header.
  let p = 44 + timecnt * 5 + typecnt * 6 + charcnt + leap * 8 + isstd + isut;
  [isut, isstd, leap, timecnt, typecnt, charcnt] = counts(p);
  p += 44;
  const times = [];
  for (let i = 0; i < timecnt; i++) times.push(Number(b.readBigInt64BE(p + i * 8)));
  p += timecnt * 8;
  const idx = [...b.subarray(p, p + timecnt)];
  p += timecnt;
  const types = [];
  for (let i = 0; i < typecnt; i++) {
    types.push({ offset: b.readInt32BE(p + i * 6), isDst: b[p + i * 6 + 4] === 1 });
  }
  p += typecnt * 6 + charcnt + leap * 12 + isstd + isut;
  const footer = b.toString('latin1', p).trim();
  return {
    transitions: times.map((at, i) => ({ at, ...types[idx[i]] })),
    initial: types[0],
    footer,
  };
}

// Parses a POSIX TZ string such as "CET-1CEST,M3.5.0,M10.5.0/3". Offsets come back east-positive
// in minutes; rule dates as { kind: 'M', month, week, weekday } or { kind: 'J'|'n', day } with
// their time in minutes (which may lie outside 0..24 h, as RFC 8536 allows).
function parsePosixTz(s) {
  let i = 0;
  const fail = (what) => { throw new Error(`TZ string "${s}": ${what} at ${i}`); };
  const name = () => {
    if (s[i] === '<') {
      const end = s.indexOf('>', i);
      if (end < 0) fail('unclosed <');
      const n = s.slice(i + 1, end);
      i = end + 1;
      return n;
    }
    const m = /^[A-Za-z]{3,}/.exec(s.slice(i));
    if (!m) fail('expected a zone abbreviation');
    i += m[0].length;
    return m[0];
  };
  // [+-]hh[:mm[:ss]] in minutes (seconds must be 0 for our files).
  const time = () => {
    const m = /^([+-]?)(\d{1,3})(?::(\d{2}))?(?::(\d{2}))?/.exec(s.slice(i));
    if (!m) fail('expected a time');
    i += m[0].length;
    if (m[4] && Number(m[4]) !== 0) fail('seconds are not supported');
    const v = Number(m[2]) * 60 + Number(m[3] || 0);
    return m[1] === '-' ? -v : v;
  };
  const date = () => {
    let d;
    let m;
    if ((m = /^M(\d{1,2})\.(\d)\.(\d)/.exec(s.slice(i)))) {
      d = { kind: 'M', month: Number(m[1]), week: Number(m[2]), weekday: Number(m[3]) };
    } else if ((m = /^J(\d{1,3})/.exec(s.slice(i)))) {
      d = { kind: 'J', day: Number(m[1]) };
    } else if ((m = /^(\d{1,3})/.exec(s.slice(i)))) {
      d = { kind: 'n', day: Number(m[1]) };
    } else fail('expected a rule date');
    i += m[0].length;
    d.time = 120;
    if (s[i] === '/') { i++; d.time = time(); }
    return d;
  };
  const tz = { stdName: name() };
  tz.stdOffset = -time();
  if (i === s.length) return tz;
  tz.dstName = name();
  tz.dstOffset = (i < s.length && s[i] !== ',') ? -time() : tz.stdOffset + 60;
  if (s[i] !== ',') fail('expected the daylight rule');
  i++;
  tz.dstStart = date();
  if (s[i] !== ',') fail('expected the end of daylight time');
  i++;
  tz.dstEnd = date();
  if (i !== s.length) fail('trailing text');
  return tz;
}

// Unix seconds of 00:00 UTC on the given date.
const dayStart = (year, month, day) => Date.UTC(year, month - 1, day) / 1000;

// Local midnight (as if UTC) of a POSIX rule date in a year, in unix seconds.
function posixRuleDay(year, r) {
  if (r.kind === 'J') {           // 1..365, February 29 never counted
    const leap = (year % 4 === 0 && year % 100 !== 0) || year % 400 === 0;
    return dayStart(year, 1, 1) + (r.day - 1 + (leap && r.day >= 60 ? 1 : 0)) * 86400;
  }
  if (r.kind === 'n') return dayStart(year, 1, 1) + r.day * 86400;
  const first = new Date(Date.UTC(year, r.month - 1, 1)).getUTCDay();
  let day = 1 + ((r.weekday - first + 7) % 7) + (r.week - 1) * 7;
  const days = new Date(Date.UTC(year, r.month, 0)).getUTCDate();
  while (day > days) day -= 7;
  return dayStart(year, r.month, day);
}

// Offset changes that the TZ string alone gives from year y0 through y1, in unix seconds.
function posixTransitions(tz, y0, y1) {
  const out = [];
  if (!tz.dstStart) return out;
  for (let y = y0; y <= y1; y++) {
    const start = posixRuleDay(y, tz.dstStart) + tz.dstStart.time * 60 - tz.stdOffset * 60;
    const end = posixRuleDay(y, tz.dstEnd) + tz.dstEnd.time * 60 - tz.dstOffset * 60;
    out.push({ at: start, offset: tz.dstOffset * 60, isDst: true });
    out.push({ at: end, offset: tz.stdOffset * 60, isDst: false });
  }
  return out.sort((a, b) => a.at - b.at);
}

module.exports = { readTzif, parsePosixTz, posixTransitions, dayStart };

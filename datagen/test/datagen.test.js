// Unit tests of the generator's conversions; run with `node --test datagen/test` (scripts/gen-data
// runs them first). They need the installed tzdata but no npm package.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { parsePosixTz, posixTransitions, dayStart } = require('../lib/tzif');
const { zoneLine } = require('../zones');
const { project, placeCities } = require('../gen_data');

test('TZ strings: offsets east-positive, rule dates and times as written', () => {
  const paris = parsePosixTz('CET-1CEST,M3.5.0,M10.5.0/3');
  assert.deepStrictEqual([paris.stdOffset, paris.dstOffset], [60, 120]);
  assert.deepStrictEqual(paris.dstStart, { kind: 'M', month: 3, week: 5, weekday: 0, time: 120 });
  assert.strictEqual(paris.dstEnd.time, 180);
  assert.strictEqual(parsePosixTz('<-0930>9:30').stdOffset, -570);
  assert.strictEqual(parsePosixTz('<-02>2<-01>,M3.5.0/-1,M10.5.0/0').dstStart.time, -60);
  assert.strictEqual(parsePosixTz('<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45').dstOffset, 825);
  assert.strictEqual(parsePosixTz('XXX3YYY,J60/2,300').dstStart.kind, 'J');
  assert.throws(() => parsePosixTz('CET-1CEST'), /daylight rule/);
});

test('TZ string transitions land on the right instants', () => {
  const [start, end] = posixTransitions(parsePosixTz('CET-1CEST,M3.5.0,M10.5.0/3'), 2026, 2026);
  assert.strictEqual(start.at, dayStart(2026, 3, 29) + 3600);   // 01:00 UTC
  assert.strictEqual(end.at, dayStart(2026, 10, 25) + 3600);
});

// The zone line: 0-based months, weekday 1 = Sunday, week -1 = last, both switches in standard time.
test('zone lines from the installed database', () => {
  const cases = [
    ['Asia/Tokyo', 'Asia/Tokyo,540,540'],
    ['Europe/Paris', 'Europe/Paris,60,120,2,1,-1,2,0,9,1,-1,2,0'],
    ['America/New_York', 'America/New_York,-300,-240,2,1,2,2,0,10,1,1,1,0'],
    ['Australia/Sydney', 'Australia/Sydney,600,660,9,1,1,2,0,3,1,1,2,0'],
    // daylight time behind standard time: a southern-pattern rule with a positive daylight bias
    ['Europe/Dublin', 'Europe/Dublin,60,0,9,1,-1,2,0,2,1,-1,2,0'],
    // hour 26 of the fourth Thursday: 02:00 on the Friday
    ['Asia/Jerusalem', 'Asia/Jerusalem,120,180,2,5,4,26,0,9,1,-1,1,0'],
    // switch hours below 0 stay negative: 23:00 of the day before
    ['America/Nuuk', 'America/Nuuk,-120,-60,2,1,-1,-1,0,9,1,-1,-1,0'],
    ['Pacific/Chatham', 'Pacific/Chatham,765,825,8,1,-1,2,45,3,1,1,2,45'],
    ['Australia/Lord_Howe', 'Australia/Lord_Howe,630,660,9,1,1,2,0,3,1,1,1,30'],
  ];
  for (const [zone, line] of cases) {
    const z = zoneLine(zone);
    assert.strictEqual(z.line.split(',').slice(0, line.split(',').length).join(','), line, zone);
    assert.deepStrictEqual(z.problems, [], zone);
  }
});

// The history: UTC times, offsets east, up to the 1 January from which the yearly rule holds.
test('zone histories from the installed database', () => {
  const history = (zone) => zoneLine(zone).history;
  assert.deepStrictEqual(history('Asia/Tokyo'), []);
  const ny = history('America/New_York');
  assert.strictEqual(ny[0], '197001010000=-300');
  assert.ok(ny.includes('200004020700=-240'), 'the rule of 1987 in 2000');
  assert.strictEqual(ny[ny.length - 1], '200701010000=rule');
  assert.ok(history('Pacific/Apia').includes('201112301000=840'), 'Samoa skips 30 December 2011');
  assert.deepStrictEqual(history('Africa/Monrovia'), ['197001010000=-44:30', '19720107004430=0', '197301010000=rule']);
  // Morocco pauses daylight time for Ramadan: two daylight periods in one year.
  const morocco = history('Africa/Casablanca').filter((f) => f.startsWith('2012'));
  assert.deepStrictEqual(morocco.map((f) => f.split('=')[1]), ['60', '0', '60', '0']);
  // A line without daylight time spells out all thirteen fields before its history.
  assert.strictEqual(zoneLine('Europe/Moscow').line.split(',')[13], '197001010000=180');
  assert.deepStrictEqual(zoneLine('Africa/Casablanca').problems, []);
});

test('projection: corners and the hour bands', () => {
  assert.deepStrictEqual(project(84, -172.5), [0, 0]);
  const [x0] = project(0, 0);
  assert.ok(Math.abs(x0 - 11.5 * 530 / 24) < 1e-9, 'Greenwich in the middle of the UTC band');
  assert.ok(Math.abs(project(0, -175)[0] - project(0, 185)[0]) < 1e-9, 'west of the seam wraps east');
});

test('a city within 5 px of an earlier one is refused, naming both', () => {
  const city = (name, lat, lon) => ({ name, zone: 'Etc/UTC', lat, lon, where: name });
  const problems = placeCities([city('Vienna', 48.21, 16.37), city('Bratislava', 48.15, 17.11), city('Oslo', 59.91, 10.75)]);
  assert.strictEqual(problems.length, 1);
  assert.match(problems[0], /Bratislava .* earlier Vienna/);
});

// Zone regions on a small synthetic grid: 0 and 60 are land offsets, S is sea.
test('zone boundaries: marked between land of different offsets, never against the sea', () => {
  const { SEA: S, boundaryMask } = require('../zone_regions');
  const grid = [
    0, 0, 60, S,
    0, 0, 60, 60,
    S, 330, 330, 60,
  ];
  const mask = Array.from(boundaryMask(grid, 4, 3));
  assert.deepStrictEqual(mask, [
    0, 1, 0, 0,
    0, 1, 1, 0,
    0, 0, 1, 0,
  ]);
  assert.ok(boundaryMask([S, S, 0, 0], 2, 2).every((v) => v === 0));
});

test('zone shades: whole hours alternate, half and quarter hours their own', () => {
  const { shadeKind } = require('../zone_regions');
  const cases = [[0, 0], [60, 1], [-60, 1], [-120, 0], [330, 2], [-570, 2], [345, 3], [525, 3], [825, 3]];
  for (const [offset, kind] of cases) assert.strictEqual(shadeKind(offset), kind, `offset ${offset}`);
});

test('agreement check: a miss is excused only at a boundary or where the data has no land', () => {
  const { checkAgreement } = require('../zone_regions');
  // Columns 0..1 show +1 (land), column 2 shows 0 (land), column 3 is sea showing 0.
  const shown = (x, y) => (x < 0 || x > 3 || y < 0 || y > 2 ? null : x < 2 ? 60 : 0);
  const land = (x) => x < 3;
  const city = (name, dotX, offset) => ({ name, dotX, dotY: 1, offset });
  const r = checkAgreement([city('in', 0, 60), city('edge', 2, 60), city('island', 3, 120), city('wrong', 0, 120)], shown, land);
  assert.strictEqual(r.agree, 1);
  assert.strictEqual(r.passed, 3);
  assert.deepStrictEqual(r.misses.map((m) => [m.city.name, m.reason]), [['edge', 'boundary'], ['island', 'no extent'], ['wrong', 'differs']]);
});

test('zone raster: runs round-trip, long runs split, unlisted zones stand under a listed twin', () => {
  const { encodeZoneRaster, decodeZoneRaster, listedNames } = require('../zone_raster');
  const names = [...Array(70000).fill(null), 'Europe/Paris', 'Asia/Tokyo', 'Asia/Tokyo', null];
  const back = decodeZoneRaster(encodeZoneRaster(17501, 4, names));
  assert.deepStrictEqual([back.width, back.height], [17501, 4]);
  assert.deepStrictEqual(back.names, names);
  assert.throws(() => encodeZoneRaster(3, 1, names), /size/);
  const listed = ['Europe/Paris,60,120,2,1,-1,2,0,9,1,-1,2,0', 'Asia/Tokyo,540,540'];
  const lineOf = (z) => ({ 'Europe/Bratislava': 'Europe/Bratislava,60,120,2,1,-1,2,0,9,1,-1,2,0',
    'Asia/Yakutsk': 'Asia/Yakutsk,540,540', 'Asia/Kabul': 'Asia/Kabul,270,270' })[z];
  assert.deepStrictEqual(listedNames(['Europe/Bratislava', 'Asia/Yakutsk', 'Asia/Kabul', 'Nowhere', null], listed, lineOf),
    ['Europe/Paris', 'Asia/Tokyo', null, null, null]);
});

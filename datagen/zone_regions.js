// Civil time-zone regions for the map: which standard offset rules each pixel, where two
// regions of different offset meet, and whether the picture agrees with the city list.
//
// Over land a pixel's zone comes from @photostructure/tz-lookup (the IANA zones' extents,
// from timezone-boundary-builder); its offset is the zone's standard (winter) offset from the
// installed tzdata. Over the sea the 15-degree nautical bands rule: UTC-11 at the map's left
// edge to UTC+12 at its right.
//
// The pure functions here (boundaryMask, shadeKind, checkAgreement) work on plain grids, so
// datagen/test can check them without the npm packages.
'use strict';
const fs = require('fs');
const { readTzif, parsePosixTz } = require('./lib/tzif');

const ZONEINFO = '/usr/share/zoneinfo';
// A grid cell with no land: the sea's nautical band decides.
const SEA = null;

// Standard offset of a zone in minutes east: the smaller of its two offsets, so a zone whose
// "daylight" time is its winter time (Europe/Dublin) still shows its winter offset.
function standardOffset(zoneId) {
  const tz = parsePosixTz(readTzif(`${ZONEINFO}/${zoneId}`).footer);
  return Math.min(tz.stdOffset, tz.dstOffset ?? tz.stdOffset);
}

// The land-zone lookup: (lat, lon) -> { zone, offset } or null where the data gives only a
// nautical zone (Etc/GMT+n) or a zone the installed database lacks.
function makeLookup() {
  const tzlookup = require('@photostructure/tz-lookup');
  const offsets = new Map();
  return (lat, lon) => {
    let zone;
    try {
      zone = tzlookup(lat, lon);
    } catch {
      return null;
    }
    if (!zone || zone.startsWith('Etc/')) return null;
    if (!offsets.has(zone)) {
      let offset = null;
      try {
        if (fs.existsSync(`${ZONEINFO}/${zone}`)) offset = standardOffset(zone);
      } catch {
        offset = null;
      }
      offsets.set(zone, offset);
    }
    const offset = offsets.get(zone);
    return offset === null ? null : { zone, offset };
  };
}

// The tint of a land region: whole hours alternate between two close shades (0 even, 1 odd)
// so neighbours differ; half hours (2) and quarter hours (3) have their own.
function shadeKind(offsetMinutes) {
  const m = ((offsetMinutes % 60) + 60) % 60;
  if (m === 30) return 2;
  if (m !== 0) return 3;
  return (((offsetMinutes / 60) % 2) + 2) % 2;
}

// Pixels on a boundary between land regions of different offset: a land cell whose right or
// lower neighbour is land of another offset. offsets: width * height array, SEA where no land.
function boundaryMask(offsets, width, height) {
  const mask = new Uint8Array(width * height);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const i = y * width + x;
      const here = offsets[i];
      if (here === SEA) continue;
      const right = x + 1 < width ? offsets[i + 1] : SEA;
      const below = y + 1 < height ? offsets[i + width] : SEA;
      if ((right !== SEA && right !== here) || (below !== SEA && below !== here)) mask[i] = 1;
    }
  }
  return mask;
}

// Whether the region under each city's pick point shows its zone's standard offset.
// offsetAtPixel(x, y) -> the offset the picture shows there (land region or nautical band);
// landAt(x, y) -> whether the data gave a land zone there. Cities that disagree get a reason;
// those with one of the first two still pass:
//   "boundary"  a pixel within one of the pick point shows the city's offset;
//   "no extent" the data gives no land zone under the pick point (a small island, a coast);
//   "differs"   neither: the picture is wrong there.
function checkAgreement(cities, offsetAtPixel, landAt) {
  const misses = [];
  for (const c of cities) {
    const shown = offsetAtPixel(c.dotX, c.dotY);
    if (shown === c.offset) continue;
    let reason = 'differs';
    const near = [[-1, 0], [1, 0], [0, -1], [0, 1], [-1, -1], [1, -1], [-1, 1], [1, 1]];
    if (near.some(([dx, dy]) => offsetAtPixel(c.dotX + dx, c.dotY + dy) === c.offset)) reason = 'boundary';
    else if (!landAt(c.dotX, c.dotY)) reason = 'no extent';
    misses.push({ city: c, shown, reason });
  }
  const agree = cities.length - misses.length;
  const passed = agree + misses.filter((m) => m.reason !== 'differs').length;
  return { agree, passed, total: cities.length, misses };
}

module.exports = { SEA, standardOffset, makeLookup, shadeKind, boundaryMask, checkAgreement };

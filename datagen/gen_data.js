#!/usr/bin/env node
// Generates Velkaro's world data: resources/azones.lst, resources/acities.lst, resources/places.tsv,
// resources/map.bmp and map@2x.bmp, resources/logo.bmp and logo@2x.bmp, and the program icons.
// Run by scripts/gen-data; the outputs are committed.
//
// Projection of the map picture (530 x 248 pixels), plate carree (equirectangular):
//
//     x = (lon + 172.5) * 530 / 360        lon in degrees east; lon < -172.5 is taken as lon + 360
//     y = (84 - lat) * 1.6                 lat in degrees north
//
// so the picture spans 172.5 W eastwards round to 172.5 W again, 24 time-zone bands of 15
// degrees each 22.08 pixels wide, the band of UTC-11 at the left edge and UTC+12 at the right.
// From 84 N down to about 64.9 S (y = 0 .. 237) is map; rows 238 .. 247 carry the hour offsets.
// A city sits in the pixel that contains its projected point; that pixel is its dot and the
// point it answers to when picked: X + 2 and Y as the program stores them, so the file holds
// X = dot x - 2 and Y = dot y - 1.
'use strict';
const fs = require('fs');
const path = require('path');
const zones = require('./zones');
const { encodeBmp8, encodeIndexedPng, encodeRgbaPng, writeFile } = require('./lib/image_files');

const MAP_WIDTH = 530;
const MAP_HEIGHT = 248;
const MAP_AREA_HEIGHT = 238;
const WEST_EDGE = -172.5;
const PX_PER_DEG_X = MAP_WIDTH / 360;
const NORTH_EDGE = 84;
const PX_PER_DEG_Y = 1.6;
// A city answers within this distance of its pick point (the program's picking reach).
const PICK_REACH = 5.0;
// Share of cities whose pick point must lie in a region of their own standard offset.
const MIN_AGREEMENT = 0.97;

function project(lat, lon) {
  const l = lon < WEST_EDGE ? lon + 360 : lon;
  return [(l - WEST_EDGE) * PX_PER_DEG_X, (NORTH_EDGE - lat) * PX_PER_DEG_Y];
}

const ROOT = path.resolve(__dirname, '..');
const RESOURCES = path.join(ROOT, 'resources');

function readCityTable() {
  const text = fs.readFileSync(path.join(__dirname, 'cities.csv'), 'utf8');
  const cities = [];
  text.split('\n').forEach((raw, i) => {
    const line = raw.trim();
    if (!line || line.startsWith('#') || line === 'name,zone,lat,lon') return;
    const f = line.split(',');
    const where = `cities.csv:${i + 1}`;
    if (f.length !== 4) throw new Error(`${where}: expected name,zone,lat,lon`);
    const [name, zone] = f;
    const lat = Number(f[2]);
    const lon = Number(f[3]);
    if (!/^[\x20-\x7e]+$/.test(name) || name.includes(';')) throw new Error(`${where}: name must be plain ASCII`);
    if (!(Math.abs(lat) <= 90 && Math.abs(lon) <= 180)) throw new Error(`${where}: bad coordinates`);
    cities.push({ name, zone, lat, lon, where });
  });
  return cities;
}

// Places every city and finds those an earlier city would steal the pick from.
function placeCities(cities) {
  const problems = [];
  const seen = new Set();
  for (const c of cities) {
    if (seen.has(c.name)) problems.push(`${c.where}: ${c.name} is listed twice`);
    seen.add(c.name);
    const [x, y] = project(c.lat, c.lon);
    c.dotX = Math.floor(x);
    c.dotY = Math.floor(y);
    if (c.dotX < 0 || c.dotX >= MAP_WIDTH || c.dotY < 0 || c.dotY >= MAP_AREA_HEIGHT) {
      problems.push(`${c.where}: ${c.name} falls outside the map (${c.dotX}, ${c.dotY})`);
    }
  }
  cities.forEach((c, i) => {
    for (const e of cities.slice(0, i)) {
      const d = Math.hypot(c.dotX - e.dotX, c.dotY - e.dotY);
      if (d <= PICK_REACH) {
        problems.push(`${c.where}: ${c.name} (${c.dotX}, ${c.dotY}) is ${d.toFixed(2)} px from the ` +
          `earlier ${e.name} (${e.dotX}, ${e.dotY}); pointing at it would pick ${e.name}`);
      }
    }
  });
  return problems;
}

// Facts the lists must show: every standard offset in use has a city, coordinates of a zone's
// own city agree with zone1970.tab.
function coverageProblems(cities, lines) {
  const problems = [];
  const have = new Set(lines.flatMap((z) => [Math.min(z.stdOffset, z.dstOffset)]));
  for (const [offset, zoneId] of zones.standardOffsetsInUse()) {
    if (!have.has(offset)) problems.push(`no city keeps standard time ${zones.formatOffset(offset)} (for example ${zoneId})`);
  }
  const tab = zones.zoneTabCoordinates();
  for (const c of cities) {
    const own = c.zone.split('/').pop().replace(/_/g, ' ');
    const at = tab.get(c.zone);
    if (own === c.name && at && Math.hypot(at[0] - c.lat, at[1] - c.lon) > 0.5) {
      problems.push(`${c.where}: ${c.name} at ${c.lat},${c.lon} but zone1970.tab puts it at ${at.map((v) => v.toFixed(2))}`);
    }
  }
  return problems;
}

function latin1File(file, lines) {
  fs.writeFileSync(file, Buffer.from(lines.join('\n') + '\n', 'latin1'));
  console.log(`wrote ${file} (${lines.length} lines)`);
}

function main() {
  // The drawing modules need the npm packages; the list checks and their tests do not.
  const { drawMap } = require('./draw_map');
  const { drawLogo, markPng, markSvg, textRings } = require('./draw_logo');
  const { makeLookup, checkAgreement, standardOffset } = require('./zone_regions');
  const { buildPlaceIndex, writePlaceIndex, reportPlaceStats } = require('./places');
  const version = zones.tzdataVersion();
  const cities = readCityTable();
  const lookup = makeLookup();
  // The cities' zones keep their positions; the zones only places name follow, sorted.
  const cityZones = [...new Set(cities.map((c) => c.zone))];
  const zoneLines = new Map();
  const lineOf = (zoneId) => {
    if (!zoneLines.has(zoneId)) zoneLines.set(zoneId, zones.zoneLine(zoneId));
    return zoneLines.get(zoneId);
  };
  const usable = (zoneId) => {
    try {
      return Boolean(lineOf(zoneId));
    } catch {
      return false;
    }
  };
  usable.offset = standardOffset;
  const placeIndex = buildPlaceIndex(lookup, usable);
  reportPlaceStats(placeIndex.stats);
  const zoneOrder = [...cityZones, ...placeIndex.zones.filter((z) => !cityZones.includes(z))];
  const problems = [];
  const lines = zoneOrder.map((zoneId) => {
    try {
      return lineOf(zoneId);
    } catch (e) {
      problems.push(e.message);
      return null;
    }
  });
  problems.push(...placeCities(cities));
  if (!problems.length) problems.push(...coverageProblems(cities, lines.slice(0, cityZones.length)));
  if (problems.length) {
    console.error(`Refusing to write the data files:\n  ${problems.join('\n  ')}`);
    process.exit(1);
  }
  const inexact = lines.filter((z) => z.problems.length);
  for (const z of inexact) console.log(`not exact: ${z.zoneId}: ${z.problems.join('; ')}`);

  latin1File(path.join(RESOURCES, 'azones.lst'), [
    '; Velkaro time zones, generated by datagen/gen_data.js from the IANA time zone database',
    `; tzdata ${version}`,
    '; Name,StdOffset,DstOffset,DstMonth0,DstWeekday,DstWeek,DstHour,DstMin,StdMonth0,StdWeekday,StdWeek,StdHour,StdMin,History...',
    '; Offsets in minutes east of UTC; months 0 = January; weekdays 1 = Sunday; week -1 = last;',
    '; both switch times in standard time, hours past 23 or below 0 roll into the next or previous day.',
    '; History: YYYYMMDDhhmm=offset from that UTC time on (from 1970), up to YYYYMMDDhhmm=rule, from',
    '; which the yearly rule holds; a zone without one has kept its yearly rule since 1970.',
    ...inexact.map((z) => `; not exact ${z.zoneId}: ${z.problems.join('; ')}`),
    ...lines.map((z) => z.line),
  ]);
  latin1File(path.join(RESOURCES, 'acities.lst'), [
    '; Velkaro cities, generated by datagen/gen_data.js from datagen/cities.csv',
    '; Name,ZonePosition,X,Y,Lat,Lon (the city answers to the map point X + 2, Y + 1; it lies at',
    '; Lat degrees north and Lon east, in hundredths, which its whole pixel cannot tell)',
    ...cities.map((c) => `${c.name},${zoneOrder.indexOf(c.zone)},${c.dotX - 2},${c.dotY - 1},` +
      `${Math.round(c.lat * 100)},${Math.round(c.lon * 100)}`),
  ]);
  const histories = lines.filter((z) => z.history.length);
  console.log(`${cities.length} cities in ${zoneOrder.length} zones, ${histories.length} with a history ` +
    `(${histories.reduce((n, z) => n + z.history.length - 2, 0)} changes), ${inexact.length} not exact`);
  writePlaceIndex(path.join(RESOURCES, 'places.tsv'), placeIndex.lines);

  const topology = JSON.parse(fs.readFileSync(require.resolve('world-atlas/countries-50m.json'), 'utf8'));
  const m = mapGeometry();
  const started = Date.now();
  const { img: map, grid } = drawMap(cities, m, topology, lookup, 1);
  const { img: map2, grid: grid2 } = drawMap(cities, m, topology, lookup, 2, textRings);
  console.log(`drew the map at 1x and 2x in ${((Date.now() - started) / 1000).toFixed(1)} s`);

  // The picture must tell the truth about the cities' own offsets.
  cities.forEach((c) => {
    const z = lines[zoneOrder.indexOf(c.zone)];
    c.offset = Math.min(z.stdOffset, z.dstOffset);
  });
  const inGrid = (x, y) => x >= 0 && y >= 0 && x < grid.width && y < grid.height;
  const agreement = checkAgreement(cities,
    (x, y) => (inGrid(x, y) ? grid.shown[y * grid.width + x] : null),
    (x, y) => inGrid(x, y) && grid.land[y * grid.width + x] !== null);
  for (const { city, shown, reason } of agreement.misses) {
    console.log(`  map shows ${zones.formatOffset(shown)} under ${city.name} (${city.zone}, ` +
      `${zones.formatOffset(city.offset)}): ${reason}`);
  }
  const pct = (n) => `${n} of ${agreement.total} cities (${((100 * n) / agreement.total).toFixed(1)}%)`;
  console.log(`map shows the city's own offset under ${pct(agreement.agree)}; ` +
    `with the listed reasons (boundary, no extent) ${pct(agreement.passed)}`);
  if (agreement.passed < MIN_AGREEMENT * agreement.total) {
    console.error(`Refusing to write the map: agreement below ${100 * MIN_AGREEMENT}%`);
    process.exit(1);
  }

  writeFile(path.join(RESOURCES, 'map.bmp'), encodeBmp8(map));
  writeFile(path.join(RESOURCES, 'map@2x.bmp'), encodeBmp8(map2));
  const { encodeZoneRaster, listedNames } = require('./zone_raster');
  const listed = lines.map((z) => z.line);
  for (const [g, name] of [[grid, 'zones.vzr'], [grid2, 'zones@2x.vzr']]) {
    const names = listedNames(g.zones, listed, (z) => lineOf(z).line);
    writeFile(path.join(RESOURCES, name), encodeZoneRaster(g.width, g.height, names));
  }
  const preview = path.join(ROOT, 'build', 'map-preview.png');
  fs.mkdirSync(path.dirname(preview), { recursive: true });
  writeFile(preview, encodeIndexedPng(map2, 1));

  const logo = drawLogo();
  writeFile(path.join(RESOURCES, 'logo.bmp'), encodeBmp8(logo));
  writeFile(path.join(RESOURCES, 'logo@2x.bmp'), encodeBmp8(drawLogo(2)));
  writeFile(path.join(ROOT, 'build', 'logo-preview.png'), encodeIndexedPng(logo, 4));
  const icons = [16, 32, 48, 256].map((size) => ({ size, png: encodeRgbaPng(size, size, markPng(size)) }));
  for (const { size, png } of icons) writeFile(path.join(RESOURCES, 'icons', `velkaro-${size}.png`), png);
  writeFile(path.join(RESOURCES, 'icons', 'velkaro.ico'), encodeIco(icons));
  writeFile(path.join(RESOURCES, 'icons', 'velkaro.svg'), Buffer.from(markSvg()));
  return { cities, lines, version };
}

// The Windows program icon: an ICO file whose entries are the PNG pictures themselves, which
// Windows reads since Vista. A size of 256 is written as 0 in the one-byte fields.
function encodeIco(icons) {
  const header = Buffer.alloc(6 + 16 * icons.length);
  header.writeUInt16LE(1, 2);
  header.writeUInt16LE(icons.length, 4);
  let offset = header.length;
  icons.forEach(({ size, png }, i) => {
    const entry = 6 + 16 * i;
    header.writeUInt8(size % 256, entry);
    header.writeUInt8(size % 256, entry + 1);
    header.writeUInt16LE(1, entry + 4); // planes
    header.writeUInt16LE(32, entry + 6); // bits per pixel
    header.writeUInt32LE(png.length, entry + 8);
    header.writeUInt32LE(offset, entry + 12);
    offset += png.length;
  });
  return Buffer.concat([header, ...icons.map((icon) => icon.png)]);
}

// The projection and the picture's sizes, as the drawing modules take them.
function mapGeometry() {
  return { project, MAP_WIDTH, MAP_HEIGHT, MAP_AREA_HEIGHT, WEST_EDGE, PX_PER_DEG_X, NORTH_EDGE, PX_PER_DEG_Y };
}

module.exports = { project, placeCities, mapGeometry, encodeIco };
if (require.main === module) main();

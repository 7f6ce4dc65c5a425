// The zone raster beside the map pictures: for every pixel of the map area, the IANA zone of
// the land under it (none over the sea). The program takes each zone's offset from its zone
// list at the moment it shows, so it can light up every region whose clock reads the same as a
// city's, daylight saving included.
//
// Format (little-endian): "VZR1", width u16, height u16, zone count u16, each zone name as a
// length byte and Latin-1 bytes (sorted), then runs over the pixels in row order, each a zone
// position u16 (0xFFFF: no land zone) and a length u16 (1 .. 65535). At 1x about 20 kB.
//
// Run alone (node datagen/zone_raster.js) it writes resources/zones.vzr and zones@2x.vzr from
// the same outlines and lookup as the map pictures; gen_data.js writes them with the maps.
'use strict';
const NONE = 0xffff;
const MAGIC = 'VZR1';

function u16(v) {
  const b = Buffer.alloc(2);
  b.writeUInt16LE(v);
  return b;
}

// names: one zone name (or null) per pixel, row by row.
function encodeZoneRaster(width, height, names) {
  if (names.length !== width * height) throw new Error('raster size mismatch');
  const table = [...new Set(names.filter(Boolean))].sort();
  if (table.length >= NONE) throw new Error('too many zones for the raster');
  const index = new Map(table.map((n, i) => [n, i]));
  const at = (i) => (names[i] ? index.get(names[i]) : NONE);
  const parts = [Buffer.from(MAGIC, 'latin1'), u16(width), u16(height), u16(table.length)];
  for (const n of table) parts.push(Buffer.from([n.length]), Buffer.from(n, 'latin1'));
  for (let i = 0; i < names.length;) {
    const v = at(i);
    let n = 1;
    while (i + n < names.length && n < 0xffff && at(i + n) === v) n++;
    parts.push(u16(v), u16(n));
    i += n;
  }
  return Buffer.concat(parts);
}

// Zones the zone list lacks (links such as Europe/Bratislava, small zones no city or place
// names) stand in the raster under a listed zone with the same yearly rule, so the program can
// convert them; with none, they are left out. listed: the zone list's lines.
function listedNames(names, listedLines, lineOf) {
  const rule = (line) => line.split(',').slice(1, 13).join(',');
  const byName = new Map(listedLines.map((l) => [l.split(',')[0], l]));
  const byRule = new Map();
  for (const l of listedLines) if (!byRule.has(rule(l))) byRule.set(rule(l), l.split(',')[0]);
  const chosen = new Map();
  const pick = (n) => {
    if (byName.has(n)) return n;
    if (!chosen.has(n)) {
      let line = null;
      try {
        line = lineOf(n);
      } catch {
        line = null;
      }
      chosen.set(n, line ? byRule.get(rule(line)) ?? null : null);
    }
    return chosen.get(n);
  };
  return names.map((n) => (n ? pick(n) : null));
}

// The inverse, for the tests: { width, height, names }.
function decodeZoneRaster(buf) {
  if (buf.toString('latin1', 0, 4) !== MAGIC) throw new Error('not a zone raster');
  const width = buf.readUInt16LE(4);
  const height = buf.readUInt16LE(6);
  const count = buf.readUInt16LE(8);
  let p = 10;
  const table = [];
  for (let k = 0; k < count; k++) {
    const len = buf[p++];
    table.push(buf.toString('latin1', p, p + len));
    p += len;
  }
  const names = [];
  while (p < buf.length) {
    const v = buf.readUInt16LE(p);
    const n = buf.readUInt16LE(p + 2);
    p += 4;
    for (let k = 0; k < n; k++) names.push(v === NONE ? null : table[v]);
  }
  return { width, height, names };
}

module.exports = { encodeZoneRaster, decodeZoneRaster, listedNames };

if (require.main === module) {
  const fs = require('fs');
  const path = require('path');
  const { drawMap } = require('./draw_map');
  const { makeLookup } = require('./zone_regions');
  const { mapGeometry } = require('./gen_data');
  const { writeFile } = require('./lib/image_files');
  const topology = JSON.parse(fs.readFileSync(require.resolve('world-atlas/countries-50m.json'), 'utf8'));
  const lookup = makeLookup();
  const zones = require('./zones');
  const resources = path.resolve(__dirname, '..', 'resources');
  const listed = fs.readFileSync(path.join(resources, 'azones.lst'), 'latin1').split('\n').filter((l) => l && l[0] !== ';');
  for (const [s, name] of [[1, 'zones.vzr'], [2, 'zones@2x.vzr']]) {
    const { grid } = drawMap([], mapGeometry(), topology, lookup, s, () => ({ rings: [], advance: 0 }));
    const names = listedNames(grid.zones, listed, (z) => zones.zoneLine(z).line);
    writeFile(path.join(resources, name), encodeZoneRaster(grid.width, grid.height, names));
  }
}

// Draws the map picture: land and sea from Natural Earth, the hour bands with their offsets
// along the bottom, and a red dot on every city's pick point. The projection comes from
// gen_data.js, so the dots and the cities' coordinates cannot drift apart.
'use strict';
const topojson = require('topojson-client');
const { IndexedImage } = require('./lib/image_files');
const { polygonCoverage, linePixels, drawText, textWidth, GLYPH_HEIGHT } = require('./lib/raster');

const SEA = [52, 98, 156];
const LAND = [226, 214, 166];
const COAST_SHADES = 4;            // blends between sea and land for the coastline's edge
const PALETTE = [
  SEA,                                                         // 0
  ...Array.from({ length: COAST_SHADES }, (_, i) => mix(SEA, LAND, (i + 1) / (COAST_SHADES + 1))), // 1..4
  LAND,                                                        // 5
  [188, 170, 122],                                             // 6 country border
  [34, 70, 120],                                               // 7 band boundary over sea
  [150, 134, 92],                                              // 8 band boundary over land
  [28, 36, 64],                                                // 9 label strip
  [240, 240, 240],                                             // 10 label text
  [96, 110, 150],                                              // 11 band tick in the strip
  [235, 20, 20],                                               // 12 city dot
  [120, 0, 0],                                                 // 13 city dot rim
];
const C = { SEA: 0, LAND: 5, BORDER: 6, BAND_SEA: 7, BAND_LAND: 8, STRIP: 9, LABEL: 10, TICK: 11, DOT: 12, DOT_RIM: 13 };
const isLand = (i) => i >= 1 && i <= 6;

function mix(a, b, t) {
  return a.map((v, i) => Math.round(v + (b[i] - v) * t));
}

// Rings of the world's countries in pixels. Longitudes are made continuous along each ring, so
// a ring crossing the map's seam runs off one edge; it is drawn again a map width over.
function projectedRings(geometries, m) {
  const rings = [];
  for (const g of geometries) {
    const polygons = g.type === 'Polygon' ? [g.coordinates] : g.type === 'MultiPolygon' ? g.coordinates : [];
    for (const polygon of polygons) {
      for (const ring of polygon) {
        let prev = null;
        const pts = ring.map(([lon, lat]) => {
          let l = lon < m.WEST_EDGE ? lon + 360 : lon;
          if (prev !== null) while (l - prev > 180) l -= 360;
          if (prev !== null) while (prev - l > 180) l += 360;
          prev = l;
          return [(l - m.WEST_EDGE) * m.PX_PER_DEG_X, (m.NORTH_EDGE - lat) * m.PX_PER_DEG_Y];
        });
        for (const shift of [-m.MAP_WIDTH, 0, m.MAP_WIDTH]) rings.push(pts.map(([x, y]) => [x + shift, y]));
      }
    }
  }
  return rings;
}

function drawLand(img, topology, m) {
  // Antarctica lies almost wholly below the map's southern edge; its outline also wraps the
  // pole, which a flat ring cannot follow.
  const countries = topology.objects.countries.geometries.filter((g) => g.properties.name !== 'Antarctica');
  const shapes = countries.map((g) => topojson.feature(topology, g).geometry).filter(Boolean);
  const coverage = polygonCoverage(m.MAP_WIDTH, m.MAP_AREA_HEIGHT, projectedRings(shapes, m));
  for (let y = 0; y < m.MAP_AREA_HEIGHT; y++) {
    for (let x = 0; x < m.MAP_WIDTH; x++) {
      const c = Math.min(1, coverage[y * m.MAP_WIDTH + x]);
      img.set(x, y, Math.round(c * (COAST_SHADES + 1)));
    }
  }
  // Borders between countries, drawn only where there is land under them.
  const borders = topojson.mesh(topology, topology.objects.countries, (a, b) => a !== b);
  for (const line of borders.coordinates) {
    for (const [x0, y0, x1, y1] of segments(line, m)) {
      linePixels(x0, y0, x1, y1, (x, y) => {
        if (y < m.MAP_AREA_HEIGHT && x >= 0 && x < m.MAP_WIDTH && img.get(x, y) === C.LAND) img.set(x, y, C.BORDER);
      });
    }
  }
}

// Line segments of a lon/lat polyline in pixels, skipping those that jump across the seam.
function* segments(line, m) {
  for (let i = 0; i + 1 < line.length; i++) {
    const p = line[i].map(Number);
    const q = line[i + 1].map(Number);
    const [x0, y0] = m.project(p[1], p[0]);
    const [x1, y1] = m.project(q[1], q[0]);
    if (Math.abs(x1 - x0) < m.MAP_WIDTH / 2) yield [x0, y0, x1, y1];
  }
}

// The 24 hour bands of 15 degrees, centred on the meridians of whole hours: dashed boundaries
// over the map, the offsets -11 .. +12 in the strip below it.
function drawBands(img, m) {
  const bandWidth = m.MAP_WIDTH / 24;
  for (let b = 1; b < 24; b++) {
    const x = Math.round(b * bandWidth);
    for (let y = 0; y < m.MAP_AREA_HEIGHT; y++) {
      if (y % 4 === 3) continue;
      img.set(x, y, isLand(img.get(x, y)) ? C.BAND_LAND : C.BAND_SEA);
    }
  }
  for (let y = m.MAP_AREA_HEIGHT; y < m.MAP_HEIGHT; y++) for (let x = 0; x < m.MAP_WIDTH; x++) img.set(x, y, C.STRIP);
  for (let b = 0; b < 24; b++) {
    if (b > 0) for (let y = m.MAP_AREA_HEIGHT; y < m.MAP_HEIGHT; y++) img.set(Math.round(b * bandWidth), y, C.TICK);
    const hours = b - 11;
    const label = hours > 0 ? `+${hours}` : String(hours);
    const left = Math.round((b + 0.5) * bandWidth - textWidth(label) / 2);
    const top = m.MAP_AREA_HEIGHT + Math.floor((m.MAP_HEIGHT - m.MAP_AREA_HEIGHT - GLYPH_HEIGHT) / 2) + 1;
    drawText(label, left, top, (x, y) => img.set(x, y, C.LABEL));
  }
}

// A round 3 x 3 dot with a dark rim, centred on the pixel the city answers to.
function drawCityDot(img, x, y) {
  for (const [dx, dy] of [[-1, -1], [1, -1], [-1, 1], [1, 1], [0, -2], [0, 2], [-2, 0], [2, 0]]) img.set(x + dx, y + dy, C.DOT_RIM);
  for (const [dx, dy] of [[0, 0], [-1, 0], [1, 0], [0, -1], [0, 1]]) img.set(x + dx, y + dy, C.DOT);
}

function drawMap(cities, m, topology) {
  const img = new IndexedImage(m.MAP_WIDTH, m.MAP_HEIGHT, PALETTE, C.SEA);
  drawLand(img, topology, m);
  drawBands(img, m);
  for (const c of cities) drawCityDot(img, c.dotX, c.dotY);
  return img;
}

module.exports = { drawMap };

// Draws the map picture: land and sea from Natural Earth, the land tinted by civil time-zone
// region with the boundaries between regions of different standard offset, the 15-degree
// nautical bands over the sea with their offsets along the bottom, and a red dot on every
// city's pick point. The projection comes from gen_data.js, so the dots and the cities'
// coordinates cannot drift apart. Drawn at scale 1 (530 x 248) and 2 (1060 x 496) from the
// same outlines; every coordinate is in scale-1 pixels times the scale.
'use strict';
const topojson = require('topojson-client');
const { IndexedImage } = require('./lib/image_files');
const { polygonCoverage, linePixels, drawText, textWidth, GLYPH_HEIGHT } = require('./lib/raster');
const { SEA: NO_LAND, shadeKind, boundaryMask } = require('./zone_regions');

const SEA = [52, 98, 156];
// Whole hours alternate between two close shades; half and quarter hours have their own.
const LANDS = [[226, 214, 166], [238, 229, 190], [206, 222, 160], [236, 200, 168]];
const COAST_SHADES = 4;            // blends between sea and land for the coastline's edge
const LABEL_SHADES = 4;            // blends between the strip and the label text (scale 2)
const STRIP = [28, 36, 64];
const LABEL = [240, 240, 240];
const C = {
  SEA: 0,
  land: (kind, shade) => 1 + kind * (COAST_SHADES + 1) + shade - 1,   // shade 1..5, 5 = all land
  BORDER: 21, ZONE_EDGE: 22, BAND_SEA: 23, STRIP: 24, LABEL: 25, TICK: 26, DOT: 27, DOT_RIM: 28,
  labelShade: (i) => 29 + i,
};
const PALETTE = [
  SEA,
  ...LANDS.flatMap((land) => Array.from({ length: COAST_SHADES + 1 }, (_, i) => mix(SEA, land, (i + 1) / (COAST_SHADES + 1)))),
  [188, 170, 122],                 // country border
  [120, 96, 60],                   // boundary between time-zone regions
  [34, 70, 120],                   // nautical band boundary
  STRIP,
  LABEL,
  [96, 110, 150],                  // band tick in the strip
  [235, 20, 20],                   // city dot
  [120, 0, 0],                     // city dot rim
  ...Array.from({ length: LABEL_SHADES }, (_, i) => mix(STRIP, LABEL, (i + 1) / (LABEL_SHADES + 1))),
];
const FULL_LAND = new Set(LANDS.map((_, k) => C.land(k, COAST_SHADES + 1)));
const isLand = (i) => i >= 1 && i <= C.ZONE_EDGE;

function mix(a, b, t) {
  return a.map((v, i) => Math.round(v + (b[i] - v) * t));
}

// Rings of the world's countries in pixels. Longitudes are made continuous along each ring, so
// a ring crossing the map's seam runs off one edge; it is drawn again a map width over.
function projectedRings(geometries, m, s) {
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
          return [(l - m.WEST_EDGE) * m.PX_PER_DEG_X * s, (m.NORTH_EDGE - lat) * m.PX_PER_DEG_Y * s];
        });
        for (const shift of [-m.MAP_WIDTH * s, 0, m.MAP_WIDTH * s]) rings.push(pts.map(([x, y]) => [x + shift, y]));
      }
    }
  }
  return rings;
}

// The nautical offset (minutes) of a pixel column: 24 bands of 15 degrees from UTC-11.
function nauticalOffset(x, width) {
  return (Math.min(23, Math.floor((x * 24) / width)) - 11) * 60;
}

// The standard offset each pixel of the map area shows, at scale s: the land region's where
// the lookup gives one under land, else the nautical band's. Also says which are land regions,
// and the zone of each (for the zone raster).
function offsetGrid(coverage, m, s, lookup) {
  const width = m.MAP_WIDTH * s;
  const height = m.MAP_AREA_HEIGHT * s;
  const land = new Array(width * height).fill(NO_LAND);
  const zones = new Array(width * height).fill(null);
  const shown = new Int32Array(width * height);
  for (let y = 0; y < height; y++) {
    const lat = m.NORTH_EDGE - (y + 0.5) / (m.PX_PER_DEG_Y * s);
    for (let x = 0; x < width; x++) {
      const i = y * width + x;
      shown[i] = nauticalOffset(x, width);
      if (coverage[i] <= 0) continue;
      let lon = m.WEST_EDGE + (x + 0.5) / (m.PX_PER_DEG_X * s);
      if (lon >= 180) lon -= 360;
      const region = lookup(lat, lon);
      if (region) {
        shown[i] = land[i] = region.offset;
        zones[i] = region.zone;
      }
    }
  }
  return { width, height, land, shown, zones };
}

function drawLand(img, topology, m, s, lookup) {
  // Antarctica lies almost wholly below the map's southern edge; its outline also wraps the
  // pole, which a flat ring cannot follow.
  const countries = topology.objects.countries.geometries.filter((g) => g.properties.name !== 'Antarctica');
  const shapes = countries.map((g) => topojson.feature(topology, g).geometry).filter(Boolean);
  const width = m.MAP_WIDTH * s;
  const coverage = polygonCoverage(width, m.MAP_AREA_HEIGHT * s, projectedRings(shapes, m, s));
  const grid = offsetGrid(coverage, m, s, lookup);
  for (let y = 0; y < grid.height; y++) {
    for (let x = 0; x < width; x++) {
      const i = y * width + x;
      const shade = Math.round(Math.min(1, coverage[i]) * (COAST_SHADES + 1));
      img.set(x, y, shade === 0 ? C.SEA : C.land(shadeKind(grid.shown[i]), shade));
    }
  }
  // Borders between countries, drawn only where there is land under them.
  const borders = topojson.mesh(topology, topology.objects.countries, (a, b) => a !== b);
  for (const line of borders.coordinates) {
    for (const [x0, y0, x1, y1] of segments(line, m, s)) {
      linePixels(x0, y0, x1, y1, (x, y) => {
        if (y < grid.height && x >= 0 && x < width && FULL_LAND.has(img.get(x, y))) img.set(x, y, C.BORDER);
      });
    }
  }
  // Time-zone boundaries over them: where they follow a border, the border shows the zone edge.
  const edges = boundaryMask(grid.land, width, grid.height);
  for (let i = 0; i < edges.length; i++) if (edges[i]) img.pixels[i] = C.ZONE_EDGE;
  return grid;
}

// Line segments of a lon/lat polyline in pixels, skipping those that jump across the seam.
function* segments(line, m, s) {
  for (let i = 0; i + 1 < line.length; i++) {
    const p = line[i].map(Number);
    const q = line[i + 1].map(Number);
    const [x0, y0] = m.project(p[1], p[0]);
    const [x1, y1] = m.project(q[1], q[0]);
    if (Math.abs(x1 - x0) < m.MAP_WIDTH / 2) yield [x0 * s, y0 * s, x1 * s, y1 * s];
  }
}

// The 24 nautical bands of 15 degrees, centred on the meridians of whole hours: dashed
// boundaries over the sea, the offsets -11 .. +12 in the strip below the map.
function drawBands(img, m, s, labelRings) {
  const width = m.MAP_WIDTH * s;
  const top = m.MAP_AREA_HEIGHT * s;
  const bandWidth = width / 24;
  for (let b = 1; b < 24; b++) {
    const x = Math.round(b * bandWidth);
    for (let y = 0; y < top; y++) {
      if (Math.floor(y / s) % 4 === 3 || isLand(img.get(x, y))) continue;
      img.set(x, y, C.BAND_SEA);
    }
  }
  for (let y = top; y < img.height; y++) for (let x = 0; x < width; x++) img.set(x, y, C.STRIP);
  for (let b = 0; b < 24; b++) {
    if (b > 0) for (let y = top; y < img.height; y++) for (let k = 0; k < s; k++) img.set(Math.round(b * bandWidth) + k - (s - 1), y, C.TICK);
    const hours = b - 11;
    const label = hours > 0 ? `+${hours}` : String(hours);
    const centre = (b + 0.5) * bandWidth;
    if (s === 1) {
      // One pixel per glyph cell is as sharp as 10 rows allow.
      const left = Math.round(centre - textWidth(label) / 2);
      const y0 = top + Math.floor((m.MAP_HEIGHT - m.MAP_AREA_HEIGHT - GLYPH_HEIGHT) / 2) + 1;
      drawText(label, left, y0, (x, y) => img.set(x, y, C.LABEL));
    } else {
      // At higher density the labels are set from the font's outlines at that size.
      const { rings, advance } = labelRings(label, 0, 0, 8.5 * s);
      const dx = centre - advance / 2;
      const dy = top + 8.5 * s;
      const shifted = rings.map((r) => r.map(([x, y]) => [x + dx, y + dy]));
      const cover = polygonCoverage(width, img.height, shifted, 4);
      for (let y = top; y < img.height; y++) {
        for (let x = Math.floor(dx) - 1; x < dx + advance + 1; x++) {
          const a = Math.min(1, cover[y * width + x] || 0);
          const shade = Math.round(a * (LABEL_SHADES + 1));
          if (shade > 0) img.set(x, y, shade > LABEL_SHADES ? C.LABEL : C.labelShade(shade - 1));
        }
      }
    }
  }
}

// A round dot with a dark rim, centred on the pixel the city answers to: at scale 1 a 3 x 3
// cross in a rim of 8 pixels; at scale s a disc of the same size in logical pixels.
function drawCityDot(img, x, y, s) {
  if (s === 1) {
    for (const [dx, dy] of [[-1, -1], [1, -1], [-1, 1], [1, 1], [0, -2], [0, 2], [-2, 0], [2, 0]]) img.set(x + dx, y + dy, C.DOT_RIM);
    for (const [dx, dy] of [[0, 0], [-1, 0], [1, 0], [0, -1], [0, 1]]) img.set(x + dx, y + dy, C.DOT);
    return;
  }
  const cx = (x + 0.5) * s;
  const cy = (y + 0.5) * s;
  const reach = Math.ceil(2.5 * s);
  for (let py = Math.floor(cy) - reach; py <= cy + reach; py++) {
    for (let px = Math.floor(cx) - reach; px <= cx + reach; px++) {
      const d = Math.hypot(px + 0.5 - cx, py + 0.5 - cy) / s;
      if (d <= 1.55) img.set(px, py, C.DOT);
      else if (d <= 2.45) img.set(px, py, C.DOT_RIM);
    }
  }
}

// The picture at scale s (1 or 2); lookup(lat, lon) gives the land zone's region or null.
// Returns the picture and, for the agreement check, the offset grid of its map area.
function drawMap(cities, m, topology, lookup, s = 1, labelRings = null) {
  const img = new IndexedImage(m.MAP_WIDTH * s, m.MAP_HEIGHT * s, PALETTE, C.SEA);
  const grid = drawLand(img, topology, m, s, lookup);
  drawBands(img, m, s, labelRings);
  for (const c of cities) drawCityDot(img, c.dotX, c.dotY, s);
  return { img, grid };
}

module.exports = { drawMap, nauticalOffset };

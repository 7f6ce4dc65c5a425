// Small drawing primitives over plain arrays: anti-aliased polygon coverage by supersampling,
// straight lines, and a 5 x 7 pixel font for the hour labels.
'use strict';

// Fraction (0..1) of each pixel covered by the polygons, even-odd rule over all rings.
// rings: arrays of [x, y] in pixels (not closed: the last point joins the first).
function polygonCoverage(width, height, rings, samples = 4) {
  const coverage = new Float32Array(width * height);
  const rows = height * samples;
  // Edges bucketed by the first sample row they cross, so each row sees only its own.
  const buckets = Array.from({ length: rows }, () => []);
  for (const ring of rings) {
    for (let i = 0; i < ring.length; i++) {
      const [x0, y0] = ring[i];
      const [x1, y1] = ring[(i + 1) % ring.length];
      if (y0 === y1) continue;
      const top = Math.min(y0, y1) * samples;
      const bottom = Math.max(y0, y1) * samples;
      const first = Math.max(0, Math.ceil(top - 0.5));
      const last = Math.min(rows - 1, Math.ceil(bottom - 0.5) - 1);
      if (first > last) continue;
      buckets[first].push({ last, x0: x0 * samples, y0: y0 * samples, dxdy: (x1 - x0) / (y1 - y0) });
    }
  }
  let active = [];
  const weight = 1 / (samples * samples);
  for (let row = 0; row < rows; row++) {
    active = active.filter((e) => e.last >= row).concat(buckets[row]);
    const sy = row + 0.5;
    const xs = active.map((e) => e.x0 + (sy - e.y0) * e.dxdy).sort((a, b) => a - b);
    const py = Math.floor(row / samples);
    for (let k = 0; k + 1 < xs.length; k += 2) {
      // Sample columns whose centres lie inside [xs[k], xs[k+1]).
      const from = Math.max(0, Math.ceil(xs[k] - 0.5));
      const to = Math.min(width * samples - 1, Math.ceil(xs[k + 1] - 0.5) - 1);
      for (let sx = from; sx <= to; sx++) coverage[py * width + Math.floor(sx / samples)] += weight;
    }
  }
  return coverage;
}

// Pixels of a straight line from (x0, y0) to (x1, y1), ends included (Bresenham).
function linePixels(x0, y0, x1, y1, plot) {
  x0 = Math.round(x0); y0 = Math.round(y0); x1 = Math.round(x1); y1 = Math.round(y1);
  const dx = Math.abs(x1 - x0);
  const dy = -Math.abs(y1 - y0);
  const sx = x0 < x1 ? 1 : -1;
  const sy = y0 < y1 ? 1 : -1;
  let err = dx + dy;
  for (;;) {
    plot(x0, y0);
    if (x0 === x1 && y0 === y1) return;
    const e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
}

// 5 x 7 glyphs for the hour labels, one string per row, '#' is ink.
const GLYPHS = {
  0: ['.###.', '#...#', '#..##', '#.#.#', '##..#', '#...#', '.###.'],
  1: ['..#..', '.##..', '..#..', '..#..', '..#..', '..#..', '.###.'],
  2: ['.###.', '#...#', '....#', '...#.', '..#..', '.#...', '#####'],
  3: ['#####', '...#.', '..#..', '...#.', '....#', '#...#', '.###.'],
  4: ['...#.', '..##.', '.#.#.', '#..#.', '#####', '...#.', '...#.'],
  5: ['#####', '#....', '####.', '....#', '....#', '#...#', '.###.'],
  6: ['..##.', '.#...', '#....', '####.', '#...#', '#...#', '.###.'],
  7: ['#####', '....#', '...#.', '..#..', '.#...', '.#...', '.#...'],
  8: ['.###.', '#...#', '#...#', '.###.', '#...#', '#...#', '.###.'],
  9: ['.###.', '#...#', '#...#', '.####', '....#', '...#.', '.##..'],
  '+': ['.....', '..#..', '..#..', '#####', '..#..', '..#..', '.....'],
  '-': ['.....', '.....', '.....', '#####', '.....', '.....', '.....'],
};
const GLYPH_WIDTH = 5;
const GLYPH_HEIGHT = 7;
const GLYPH_GAP = 1;

function textWidth(text) {
  return text.length * (GLYPH_WIDTH + GLYPH_GAP) - GLYPH_GAP;
}

function drawText(text, left, top, plot) {
  [...text].forEach((ch, i) => {
    const glyph = GLYPHS[ch];
    if (!glyph) throw new Error(`no glyph for "${ch}"`);
    glyph.forEach((row, y) => [...row].forEach((c, x) => {
      if (c === '#') plot(left + i * (GLYPH_WIDTH + GLYPH_GAP) + x, top + y);
    }));
  });
}

module.exports = { polygonCoverage, linePixels, drawText, textWidth, GLYPH_HEIGHT };

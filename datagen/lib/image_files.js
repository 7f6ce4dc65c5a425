// Writers for the two picture formats the program and its build use: 8-bit palette BMP
// (what the main window and the dialogs load) and PNG (icons and previews).
'use strict';
const fs = require('fs');
const zlib = require('zlib');

// An indexed picture: one palette index per pixel, palette entries are [r, g, b].
class IndexedImage {
  constructor(width, height, palette, fill = 0) {
    if (palette.length > 256) throw new Error(`palette has ${palette.length} colours, at most 256 fit`);
    this.width = width;
    this.height = height;
    this.palette = palette;
    this.pixels = new Uint8Array(width * height).fill(fill);
  }
  get(x, y) { return this.pixels[y * this.width + x]; }
  set(x, y, index) {
    if (x >= 0 && y >= 0 && x < this.width && y < this.height) this.pixels[y * this.width + x] = index;
  }
}

// BMP, BITMAPINFOHEADER, 8 bits per pixel, uncompressed, bottom-up rows padded to 4 bytes.
function encodeBmp8(image) {
  const { width, height, palette, pixels } = image;
  const rowSize = (width + 3) & ~3;
  const paletteSize = 256 * 4;
  const offset = 14 + 40 + paletteSize;
  const buf = Buffer.alloc(offset + rowSize * height);
  buf.write('BM', 0, 'latin1');
  buf.writeUInt32LE(buf.length, 2);
  buf.writeUInt32LE(offset, 10);
  buf.writeUInt32LE(40, 14);
  buf.writeInt32LE(width, 18);
  buf.writeInt32LE(height, 22);
  buf.writeUInt16LE(1, 26);
  buf.writeUInt16LE(8, 28);
  buf.writeUInt32LE(0, 30);                     // BI_RGB
  buf.writeUInt32LE(rowSize * height, 34);
  buf.writeInt32LE(2835, 38);                   // 72 dpi
  buf.writeInt32LE(2835, 42);
  buf.writeUInt32LE(256, 46);
  buf.writeUInt32LE(0, 50);
  palette.forEach(([r, g, b], i) => {
    buf[54 + i * 4] = b;
    buf[54 + i * 4 + 1] = g;
    buf[54 + i * 4 + 2] = r;
  });
  for (let y = 0; y < height; y++) {
    const row = offset + (height - 1 - y) * rowSize;
    buf.set(pixels.subarray(y * width, (y + 1) * width), row);
  }
  return buf;
}

const CRC_TABLE = (() => {
  const t = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    t[n] = c >>> 0;
  }
  return t;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function pngChunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

function encodePng(width, height, colourType, bytesPerPixel, rowBytes, extraChunks = []) {
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(width, 0);
  ihdr.writeUInt32BE(height, 4);
  ihdr[8] = 8;
  ihdr[9] = colourType;
  const raw = Buffer.alloc((width * bytesPerPixel + 1) * height);
  for (let y = 0; y < height; y++) {
    raw[y * (width * bytesPerPixel + 1)] = 0;   // filter: none
    rowBytes(y, raw.subarray(y * (width * bytesPerPixel + 1) + 1, (y + 1) * (width * bytesPerPixel + 1)));
  }
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    pngChunk('IHDR', ihdr),
    ...extraChunks,
    pngChunk('IDAT', zlib.deflateSync(raw, { level: 9 })),
    pngChunk('IEND', Buffer.alloc(0)),
  ]);
}

function encodeIndexedPng(image, scale = 1) {
  const plte = Buffer.alloc(image.palette.length * 3);
  image.palette.forEach(([r, g, b], i) => plte.set([r, g, b], i * 3));
  const w = image.width * scale;
  return encodePng(w, image.height * scale, 3, 1, (y, row) => {
    const sy = Math.floor(y / scale);
    for (let x = 0; x < w; x++) row[x] = image.get(Math.floor(x / scale), sy);
  }, [pngChunk('PLTE', plte)]);
}

// rgba: Uint8ClampedArray of width * height * 4, not premultiplied.
function encodeRgbaPng(width, height, rgba) {
  return encodePng(width, height, 6, 4, (y, row) => row.set(rgba.subarray(y * width * 4, (y + 1) * width * 4)));
}

function writeFile(path, data) {
  fs.writeFileSync(path, data);
  console.log(`wrote ${path} (${data.length} bytes)`);
}

module.exports = { IndexedImage, encodeBmp8, encodeIndexedPng, encodeRgbaPng, writeFile };

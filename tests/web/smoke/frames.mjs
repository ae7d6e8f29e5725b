// SPDX-License-Identifier: GPL-3.0-or-later
// A screenshot's pixels, for checking the page's colours by region.

import assert from 'node:assert/strict';
import { inflateSync } from 'node:zlib';

// The pixels of a PNG as playwright writes it: 8 bits a channel, RGB or
// RGBA, not interlaced.
export function decodePng(png) {
  const width = png.readUInt32BE(16);
  const height = png.readUInt32BE(20);
  assert.equal(png[24], 8, 'eight bits a channel');
  assert.equal(png[28], 0, 'not interlaced');
  const channels = { 2: 3, 6: 4 }[png[25]];
  assert.ok(channels, `colour type ${png[25]}`);
  const idat = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    if (type === 'IDAT') idat.push(png.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const v = raw[y * (stride + 1) + 1 + x];
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c;
      const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      const predicted = [0, a, b, (a + b) >> 1, paeth][filter];
      pixels[y * stride + x] = (v + predicted) & 0xff;
    }
  }
  return { width, height, channels, pixels };
}

// share(box, test): the part of the box's pixels (CSS pixels at scale 1)
// whose r, g, b pass test.
export const shareIn = (frame) => (box, test) => {
  let n = 0;
  for (let y = Math.round(box.y); y < Math.round(box.y + box.h); ++y) {
    for (let x = Math.round(box.x); x < Math.round(box.x + box.w); ++x) {
      const i = (y * frame.width + x) * frame.channels;
      if (test(frame.pixels[i], frame.pixels[i + 1], frame.pixels[i + 2])) ++n;
    }
  }
  return n / (Math.round(box.w) * Math.round(box.h));
};

export const boxOf = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return { x: r.left, y: r.top, w: r.width, h: r.height };
});

// SPDX-License-Identifier: GPL-3.0-or-later
// The page's zip reader in node: the names archivers write (UTF-8 with and
// without the flag, Russian Windows' code page 866), names that would leave
// the project, and the caps counted while inflating.
//   node --test tests/web/zip.test.mjs

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { deflateRawSync } from 'node:zlib';
import { unzip, ZipError } from '../../web/js/zip.js';

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let crc = 0xffffffff;
  for (const b of bytes) crc = crcTable[(crc ^ b) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// A zip of [nameBytes, content, { flags, method }] entries, written the
// plain way (local headers, central directory, end record).
function makeZip(entries) {
  const locals = [];
  const central = [];
  let offset = 0;
  for (const [name, content, { flags = 0, method = 8 } = {}] of entries) {
    const packed = method === 8 ? deflateRawSync(content) : content;
    const head = Buffer.alloc(30);
    head.writeUInt32LE(0x04034b50, 0);
    head.writeUInt16LE(flags, 6);
    head.writeUInt16LE(method, 8);
    head.writeUInt32LE(crc32(content), 14);
    head.writeUInt32LE(packed.length, 18);
    head.writeUInt32LE(content.length, 22);
    head.writeUInt16LE(name.length, 26);
    locals.push(head, name, packed);
    const dir = Buffer.alloc(46);
    dir.writeUInt32LE(0x02014b50, 0);
    dir.writeUInt16LE(flags, 8);
    dir.writeUInt16LE(method, 10);
    dir.writeUInt32LE(crc32(content), 16);
    dir.writeUInt32LE(packed.length, 20);
    dir.writeUInt32LE(content.length, 24);
    dir.writeUInt16LE(name.length, 28);
    dir.writeUInt32LE(offset, 42);
    central.push(dir, name);
    offset += 30 + name.length + packed.length;
  }
  const dirBytes = Buffer.concat(central);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0);
  end.writeUInt16LE(entries.length, 8);
  end.writeUInt16LE(entries.length, 10);
  end.writeUInt32LE(dirBytes.length, 12);
  end.writeUInt32LE(offset, 16);
  return Buffer.concat([...locals, dirBytes, end]);
}

const limits = { maxBytes: 1000, maxFiles: 3, tooBig: 'too big', tooMany: 'too many' };
const text = Buffer.from('[game]\n');
const cp866 = Buffer.from([0x88, 0xa3, 0xe0, 0xa0]); // «Игра» in code page 866

test('zip names, folders and caps', async () => {
  const cases = [
    ['UTF-8, flagged', [[Buffer.from('Игра/game.ini'), text, { flags: 0x800 }]], ['Игра/game.ini']],
    ['UTF-8, not flagged', [[Buffer.from('Игра/game.ini'), text]], ['Игра/game.ini']],
    ['code page 866', [[Buffer.concat([cp866, Buffer.from('/game.ini')]), text]], ['Игра/game.ini']],
    ['stored, backslashes', [[Buffer.from('a\\game.ini'), text, { method: 0 }]], ['a/game.ini']],
    ['folders and escapes left out', [
      [Buffer.from('a/'), Buffer.alloc(0)],
      [Buffer.from('../evil.ini'), text],
      [Buffer.from('/etc/evil.ini'), text],
      [Buffer.from('C:/evil.ini'), text],
      [Buffer.from('__MACOSX/._game.ini'), text],
      [Buffer.from('game.ini'), text],
    ], ['game.ini'], { ...limits, maxFiles: 10 }],
    ['inflated past the cap', [[Buffer.from('game.ini'), Buffer.alloc(1001)]], 'too big'],
    ['the cap over several files', [[Buffer.from('a'), Buffer.alloc(600)], [Buffer.from('b'), Buffer.alloc(600), { method: 0 }]], 'too big'],
    ['too many files', [1, 2, 3, 4].map((n) => [Buffer.from(`f${n}`), text]), 'too many'],
    ['encrypted', [[Buffer.from('game.ini'), text, { flags: 1 }]], /зашифрован/],
    ['another method', [[Buffer.from('game.ini'), text, { method: 12 }]], /способом/],
  ];
  for (const [what, entries, expected, caps = limits] of cases) {
    const zip = makeZip(entries.map(([n, c, o]) => [n, c, o]));
    if (Array.isArray(expected)) {
      const files = await unzip(zip, caps);
      assert.deepEqual([...files.keys()], expected, what);
      for (const bytes of files.values()) assert.deepEqual(Buffer.from(bytes), text, what);
    } else {
      await assert.rejects(unzip(zip, caps), (e) => e instanceof ZipError &&
        (typeof expected === 'string' ? e.message === expected : expected.test(e.message)), what);
    }
  }
  // A browser without DecompressionStream says so, not that the zip is damaged.
  const saved = globalThis.DecompressionStream;
  delete globalThis.DecompressionStream;
  try {
    await assert.rejects(unzip(makeZip([[Buffer.from('game.ini'), text]]), limits), /не распаковывает/);
  } finally {
    globalThis.DecompressionStream = saved;
  }
  // A wrong CRC, a method 12 entry's bytes, or a cut archive: damaged.
  const good = makeZip([[Buffer.from('game.ini'), text, { method: 0 }]]);
  const flipped = Buffer.from(good);
  flipped[30 + 8] ^= 1;
  for (const bad of [flipped, good.subarray(0, good.length - 1), good.subarray(0, 40), Buffer.alloc(0)]) {
    await assert.rejects(unzip(bad, limits), /повреждён/);
  }
});

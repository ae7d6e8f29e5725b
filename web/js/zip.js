// SPDX-License-Identifier: GPL-3.0-or-later
//
// A player's project from a zip file, read in the page. The browser's own
// DecompressionStream('deflate-raw') inflates (Chromium 103, Firefox 113,
// Safari 16.4): no library to vendor or keep up to date, and the byte cap is
// counted while inflating, so a zip bomb stops at the cap whatever its
// headers claim. Stored and deflated entries are read, each checked against
// its CRC-32; anything else is refused with a message the page says.

export class ZipError extends Error {}

const kDamaged = 'Архив повреждён или это не zip.';

let crcTable = null;

function crc32(bytes, crc = 0) {
  if (!crcTable) {
    crcTable = new Uint32Array(256);
    for (let n = 0; n < 256; ++n) {
      let c = n;
      for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
      crcTable[n] = c >>> 0;
    }
  }
  crc = ~crc >>> 0;
  for (let i = 0; i < bytes.length; ++i) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return ~crc >>> 0;
}

// The end of central directory record: the last one in the file's final
// 64 KiB + 22 bytes (its comment may be up to 64 KiB long).
function findEnd(view) {
  const lowest = Math.max(0, view.byteLength - 22 - 0xffff);
  for (let at = view.byteLength - 22; at >= lowest; --at) {
    if (view.getUint32(at, true) === 0x06054b50) return at;
  }
  throw new ZipError(kDamaged);
}

// A name as written: UTF-8 when the entry says so or when it reads as UTF-8
// (Linux and macOS archivers write UTF-8 without the flag), else the OEM code
// page a Russian Windows writes names in (866); ASCII reads the same in all.
function entryName(bytes) {
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return new TextDecoder('ibm866').decode(bytes);
  }
}

// Zip64's sizes and offset, when the 32-bit fields say "see the extra field".
function zip64(view, at, end, entry) {
  while (at + 4 <= end) {
    const id = view.getUint16(at, true);
    const size = view.getUint16(at + 2, true);
    if (id === 1) {
      let p = at + 4;
      const next = () => {
        if (p + 8 > at + 4 + size) throw new ZipError(kDamaged);
        const value = Number(view.getBigUint64(p, true));
        p += 8;
        return value;
      };
      if (entry.size === 0xffffffff) entry.size = next();
      if (entry.packed === 0xffffffff) entry.packed = next();
      if (entry.offset === 0xffffffff) entry.offset = next();
      return;
    }
    at += 4 + size;
  }
}

function centralDirectory(view) {
  const end = findEnd(view);
  const count = view.getUint16(end + 10, true);
  const dirSize = view.getUint32(end + 12, true);
  const dirStart = view.getUint32(end + 16, true);
  if (count === 0xffff || dirStart === 0xffffffff) {
    throw new ZipError('Архив zip64 с таким числом файлов не читается: это не игра.');
  }
  if (dirStart + dirSize > end) throw new ZipError(kDamaged);
  const entries = [];
  let at = dirStart;
  for (let i = 0; i < count; ++i) {
    if (at + 46 > end || view.getUint32(at, true) !== 0x02014b50) throw new ZipError(kDamaged);
    const flags = view.getUint16(at + 8, true);
    const nameLength = view.getUint16(at + 28, true);
    const extraLength = view.getUint16(at + 30, true);
    const commentLength = view.getUint16(at + 32, true);
    const nameAt = at + 46;
    if (nameAt + nameLength + extraLength + commentLength > end) throw new ZipError(kDamaged);
    const entry = {
      flags,
      method: view.getUint16(at + 10, true),
      crc: view.getUint32(at + 16, true),
      packed: view.getUint32(at + 20, true),
      size: view.getUint32(at + 24, true),
      offset: view.getUint32(at + 42, true),
      name: entryName(new Uint8Array(view.buffer, view.byteOffset + nameAt, nameLength)),
    };
    zip64(view, nameAt + nameLength, nameAt + nameLength + extraLength, entry);
    entries.push(entry);
    at = nameAt + nameLength + extraLength + commentLength;
  }
  return entries;
}

// The inflated bytes, never more than `room`: past it the stream is given up.
async function inflate(packed, room, tooBig) {
  if (typeof DecompressionStream === 'undefined') {
    throw new ZipError('Этот браузер не распаковывает zip: откройте папку игры.');
  }
  const reader = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const parts = [];
  let total = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > room) throw new ZipError(tooBig);
      parts.push(value);
    }
  } catch (e) {
    if (e instanceof ZipError) throw e;
    throw new ZipError(kDamaged);
  } finally {
    reader.cancel().catch(() => {});
  }
  const out = new Uint8Array(total);
  let at = 0;
  for (const part of parts) {
    out.set(part, at);
    at += part.length;
  }
  return out;
}

// The files of a zip (ArrayBuffer or Uint8Array) as a Map from '/'-separated
// names to bytes. Folders, macOS's __MACOSX, and names that would leave the
// project (absolute, '..'), are left out. limits: { maxBytes, maxFiles, tooBig, tooMany }, the
// last two the messages thrown past the caps.
export async function unzip(data, limits) {
  const bytes = data instanceof Uint8Array ? data : new Uint8Array(data);
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const entries = centralDirectory(view);
  if (entries.length > limits.maxFiles) throw new ZipError(limits.tooMany);
  const files = new Map();
  let total = 0;
  for (const entry of entries) {
    const name = entry.name.replaceAll('\\', '/');
    if (name.endsWith('/')) continue;
    const parts = name.split('/');
    if (parts.some((p) => p === '' || p === '.' || p === '..') || /^[a-z]:/i.test(name)) continue;
    // macOS's archiver adds its own file attributes beside the folder.
    if (parts[0] === '__MACOSX') continue;
    if (entry.flags & 1) throw new ZipError('Архив зашифрован: откройте его без пароля.');
    const at = entry.offset;
    if (at + 30 > bytes.length || view.getUint32(at, true) !== 0x04034b50) throw new ZipError(kDamaged);
    const start = at + 30 + view.getUint16(at + 26, true) + view.getUint16(at + 28, true);
    if (start + entry.packed > bytes.length) throw new ZipError(kDamaged);
    const packed = bytes.subarray(start, start + entry.packed);
    const room = limits.maxBytes - total;
    let content;
    if (entry.method === 0) {
      if (packed.length > room) throw new ZipError(limits.tooBig);
      content = packed.slice();
    } else if (entry.method === 8) {
      content = await inflate(packed, room, limits.tooBig);
    } else {
      throw new ZipError(`Файл ${name} сжат способом, который страница не читает: сожмите архив заново обычным zip.`);
    }
    if (content.length !== entry.size || crc32(content) !== entry.crc) throw new ZipError(kDamaged);
    total += content.length;
    files.set(parts.join('/'), content);
  }
  return files;
}

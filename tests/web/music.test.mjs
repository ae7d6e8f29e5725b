// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped music rendered for the page: every MIDI piece becomes an MP3
// as long as the piece, audible, the same bytes on every run.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

// Not import.meta.dirname: Debian 12's node 18 lacks it.
const root = fileURLToPath(new URL('../..', import.meta.url));
const game = join(root, 'game/Projects/Default');

// A standard MIDI file's playing time in seconds: the last track's end
// through the tempo map.
export function midiSeconds(bytes) {
  const u16 = (i) => (bytes[i] << 8) | bytes[i + 1];
  const u32 = (i) => ((bytes[i] << 24) >>> 0) + (bytes[i + 1] << 16) + (bytes[i + 2] << 8) + bytes[i + 3];
  assert.equal(String.fromCharCode(...bytes.subarray(0, 4)), 'MThd');
  const tracks = u16(10);
  const division = u16(12);
  assert.ok(!(division & 0x8000), 'SMPTE time is not used by the shipped pieces');
  const tempos = [];
  let endTick = 0;
  let at = 8 + u32(4);
  for (let t = 0; t < tracks; ++t) {
    assert.equal(String.fromCharCode(...bytes.subarray(at, at + 4)), 'MTrk');
    const end = at + 8 + u32(at + 4);
    let i = at + 8;
    let tick = 0;
    let status = 0;
    const varLen = () => {
      let v = 0;
      for (;;) {
        const b = bytes[i++];
        v = v * 128 + (b & 0x7f);
        if (!(b & 0x80)) return v;
      }
    };
    while (i < end) {
      tick += varLen();
      if (bytes[i] & 0x80) status = bytes[i++];
      if (status === 0xff) {
        const type = bytes[i++];
        const len = varLen();
        if (type === 0x51) tempos.push([tick, (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2]]);
        i += len;
        // Meta and sysex events do not set running status.
        status = 0;
      } else if (status === 0xf0 || status === 0xf7) {
        i += varLen();
        status = 0;
      } else {
        i += (status & 0xf0) === 0xc0 || (status & 0xf0) === 0xd0 ? 1 : 2;
      }
    }
    endTick = Math.max(endTick, tick);
    at = end;
  }
  tempos.sort((a, b) => a[0] - b[0]);
  let seconds = 0;
  let tick = 0;
  let tempo = 500000;
  for (const [when, value] of tempos) {
    if (when >= endTick) break;
    seconds += ((when - tick) * tempo) / division / 1e6;
    tick = when;
    tempo = value;
  }
  return seconds + ((endTick - tick) * tempo) / division / 1e6;
}

// 16-bit PCM of a wave file: { rate, channels, samples }.
function readWave(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  let i = 12;
  let rate = 0;
  let channels = 0;
  while (i + 8 <= bytes.length) {
    const id = String.fromCharCode(...bytes.subarray(i, i + 4));
    const size = view.getUint32(i + 4, true);
    if (id === 'fmt ') {
      channels = view.getUint16(i + 10, true);
      rate = view.getUint32(i + 12, true);
    } else if (id === 'data') {
      const samples = new Int16Array(bytes.buffer.slice(bytes.byteOffset + i + 8, bytes.byteOffset + i + 8 + size));
      return { rate, channels, samples };
    }
    i += 8 + size + (size & 1);
  }
  throw new Error('no data chunk');
}

test('every shipped MIDI piece is rendered to an MP3 of its length, audible and reproducible', () => {
  const work = mkdtempSync(join(tmpdir(), 'velmora-music-'));
  try {
    const first = join(work, 'a');
    const second = join(work, 'b');
    execFileSync(join(root, 'scripts/render-web-music'), [first], { stdio: 'pipe' });
    execFileSync(join(root, 'scripts/render-web-music'), [second, game], { stdio: 'pipe' });

    const pieces = readdirSync(game).filter((n) => /\.mid$/i.test(n)).sort();
    assert.ok(pieces.length >= 5, 'the shipped adventure has its music');
    const expected = pieces.map((n) => n.replace(/\.[^.]*$/, '') + '.mp3');
    assert.deepEqual(readdirSync(first).sort(), expected, 'one MP3 per piece, no leftovers');

    for (const piece of pieces) {
      const mp3 = expected[pieces.indexOf(piece)];
      const bytes = readFileSync(join(first, mp3));
      assert.ok(bytes.equals(readFileSync(join(second, mp3))), `${mp3} is the same on every run`);

      const wav = join(work, mp3 + '.wav');
      execFileSync('lame', ['--decode', '--quiet', join(first, mp3), wav]);
      const { rate, channels, samples } = readWave(readFileSync(wav));
      assert.equal(rate, 44100);
      assert.equal(channels, 2);
      const seconds = samples.length / channels / rate;
      const want = midiSeconds(readFileSync(join(game, piece)));
      // FluidSynth holds the player open while the last notes ring out and
      // a little after, as it does on the desktop, where the piece ends at
      // the same moment: the sound itself must end just after the notes.
      const perQuarter = (rate * channels) / 4;
      let audibleEnd = 0;
      let quietQuarters = 0;
      for (let s = 0; s + perQuarter <= samples.length; s += perQuarter) {
        let sum = 0;
        for (let k = s; k < s + perQuarter; ++k) sum += samples[k] * samples[k];
        if (Math.sqrt(sum / perQuarter) >= 30) audibleEnd = (s + perQuarter) / channels / rate;
        else if ((s + perQuarter) / channels / rate < want) ++quietQuarters;
      }
      const what = `${mp3}: sound ends at ${audibleEnd.toFixed(2)} s of ${seconds.toFixed(2)} s, the notes at ${want.toFixed(2)} s`;
      assert.ok(audibleEnd > want - 0.5 && audibleEnd < want + 2.5, what);
      assert.ok(seconds < want + 6, what);
      // Audible through the piece, not only at its start.
      assert.ok(quietQuarters < want * 4 * 0.1, `${mp3}: ${quietQuarters / 4} s of the piece are silent`);
    }
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});

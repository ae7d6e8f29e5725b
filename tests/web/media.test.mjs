// SPDX-License-Identifier: GPL-3.0-or-later
// The page's sound, voice and saved games, run in headless Chromium:
// web/js/audio.js rendered through an OfflineAudioContext and measured,
// web/js/speech.js against a recording speechSynthesis, web/js/storage.js
// across reloads and interrupted writes.

import { describe, test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch, serve } from './browser.mjs';

// Not import.meta.dirname: Debian 12's node 18 lacks it.
const root = fileURLToPath(new URL('../..', import.meta.url));

// A mono 16-bit wave file holding one value throughout.
function constantWave(value, seconds, rate = 22050) {
  const n = Math.round(seconds * rate);
  const b = Buffer.alloc(44 + 2 * n);
  b.write('RIFF', 0);
  b.writeUInt32LE(36 + 2 * n, 4);
  b.write('WAVEfmt ', 8);
  b.writeUInt32LE(16, 16);
  b.writeUInt16LE(1, 20);
  b.writeUInt16LE(1, 22);
  b.writeUInt32LE(rate, 24);
  b.writeUInt32LE(rate * 2, 28);
  b.writeUInt16LE(2, 32);
  b.writeUInt16LE(16, 34);
  b.write('data', 36);
  b.writeUInt32LE(2 * n, 40);
  for (let i = 0; i < n; ++i) b.writeInt16LE(Math.round(value * 32768), 44 + 2 * i);
  return b;
}

// The desktop's cue table, read from its source so the two cannot drift apart.
function desktopCues() {
  const source = readFileSync(join(root, 'src/sound/cue_sounds.cpp'), 'utf8');
  // The table names its cues as src/base/cues.h numbers them.
  const numbers = new Map(
    [...readFileSync(join(root, 'src/base/cues.h'), 'utf8').matchAll(/constexpr int (kCue\w+) = (\d+);/g)].map(
      (m) => [m[1], +m[2]]));
  const notes = (text) =>
    [...text.matchAll(/\{(\d+),\s*(\d+),\s*(\d+)(,\s*true)?\}/g)].map((m) => ({
      from: +m[1], to: +m[2], ms: +m[3], ping: !!m[4],
    }));
  const cues = new Map();
  for (const m of source.matchAll(/case base::(kCue\w+):\s*return Render\(\{(.*?)\}\);/gs)) {
    assert.ok(numbers.has(m[1]), `${m[1]} is numbered in cues.h`);
    cues.set(numbers.get(m[1]), notes(m[2]));
  }
  const beep = notes(/MakeBeepSound\(\) \{\s*return Render\(\{(.*?)\}\);/s.exec(source)[1]);
  assert.ok(cues.size >= 10 && beep.length === 1, 'the desktop cue table was found');
  return { cues, beep };
}

let site;
let work;
let b;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'velmora-web-media-'));
  const folder = join(work, 'site');
  mkdirSync(join(folder, 'media'), { recursive: true });
  writeFileSync(join(folder, 'index.html'), '<!doctype html><meta charset="utf-8"><title>media</title>');
  symlinkSync(join(root, 'web/js'), join(folder, 'js'));
  writeFileSync(join(folder, 'media/a.wav'), constantWave(0.25, 0.5));
  writeFileSync(join(folder, 'media/b.wav'), constantWave(0.5, 0.5));
  execFileSync(join(root, 'scripts/render-web-music'), [join(folder, 'music')], { stdio: 'pipe' });
  copyFileSync(join(root, 'game/Projects/Default/map1.mid'), join(folder, 'music/map1.mid'));
  site = await serve(folder);
  b = await launch();
  await b.page.goto(site.url);
});

after(async () => {
  await b?.close();
  await site?.close();
  rmSync(work, { recursive: true, force: true });
});

describe('audio', () => {
  test('every cue sounds as the desktop table says, and unknown numbers, beep and tone as they should', async () => {
    const { cues, beep } = desktopCues();
    const tone = [{ from: 300, to: 300, ms: 100, ping: false }];
    const cases = [...cues].map(([n, notes]) => ({ call: ['playCue', n], notes }));
    for (const n of [4, 99, -1]) cases.push({ call: ['playCue', n], notes: beep });
    cases.push({ call: ['beep'], notes: beep }, { call: ['tone', 300, 100], notes: tone });

    for (const { call, notes } of cases) {
      const lengths = notes.map((n) => Math.trunc((22050 * n.ms) / 1000));
      const total = lengths.reduce((x, y) => x + y, 0);
      const samples = await b.page.evaluate(async ({ call, total }) => {
        const a = await import('/js/audio.js');
        const ctx = new OfflineAudioContext(1, total + 200, 22050);
        a.useContext(ctx);
        a[call[0]](...call.slice(1));
        return Array.from((await ctx.startRendering()).getChannelData(0));
      }, { call, total });
      const what = `${call.join(' ')}`;
      let at = 0;
      notes.forEach((note, k) => {
        const part = samples.slice(at, at + lengths[k]);
        at += lengths[k];
        const peak = Math.max(...part.map(Math.abs));
        if (note.from === 0) {
          assert.equal(peak, 0, `${what}: pause ${k} is silent`);
          return;
        }
        // sin + 0.15 sin(2x) crosses zero twice a cycle.
        let crossings = 0;
        for (let i = 1; i < part.length; ++i) if ((part[i - 1] < 0) !== (part[i] < 0)) ++crossings;
        const hz = crossings / 2 / (part.length / 22050);
        const wantHz = (note.from + note.to) / 2;
        assert.ok(Math.abs(hz - wantHz) < wantHz * 0.05 + 15, `${what}: note ${k} at ${hz.toFixed(0)} Hz, not ${wantHz}`);
        assert.ok(peak > 0.2 && peak <= (12000 * 1.15) / 32768 + 1e-6, `${what}: note ${k} peak ${peak}`);
        // Soft edges: no click at either end.
        assert.ok(Math.abs(part[0]) < 0.01 && Math.abs(part[part.length - 1]) < 0.02, `${what}: note ${k} clicks`);
        const rms = (xs) => Math.sqrt(xs.reduce((s, x) => s + x * x, 0) / xs.length);
        const quarter = Math.trunc(part.length / 4);
        const early = rms(part.slice(quarter / 2, quarter));
        const late = rms(part.slice(2 * quarter, 3 * quarter));
        if (note.ping) assert.ok(late < early * 0.6, `${what}: note ${k} dies away`);
        else assert.ok(late > early * 0.8, `${what}: note ${k} holds`);
      });
      assert.equal(Math.max(...samples.slice(at).map(Math.abs)), 0, `${what}: nothing after the sound`);
    }
  });

  test('music keeps one piece at a time under the desktop volume rule, and plays the rendered MP3', async () => {
    const result = await b.page.evaluate(async () => {
      const a = await import('/js/audio.js');
      const ended = [];
      a.onMusicEnd((url) => ended.push(url));
      // Renders 1 s of whatever the steps start; the level is taken where both test pieces play.
      const run = async (steps, channels = 1, rate = 22050) => {
        const ctx = new OfflineAudioContext(channels, rate, rate);
        a.useContext(ctx);
        // A silent sound that ends after every test piece (0.5 s) would:
        // once its end is heard, so are theirs.
        const probe = ctx.createBufferSource();
        probe.buffer = ctx.createBuffer(1, Math.trunc(rate * 0.9), rate);
        probe.connect(ctx.destination);
        const probeEnded = new Promise((done) => { probe.onended = done; });
        probe.start();
        const plays = await steps(a);
        const data = (await ctx.startRendering()).getChannelData(0);
        await probeEnded;
        let sum = 0;
        for (let i = 1000; i < 10000; ++i) sum += data[i];
        let late = 0;
        for (let i = 13000; i < 22050; ++i) late = Math.max(late, Math.abs(data[i]));
        let energy = 0;
        for (const x of data) energy += x * x;
        return { plays, level: +(sum / 9000).toFixed(5), late, rms: Math.sqrt(energy / data.length), url: a.musicUrl() };
      };
      const out = {};
      out.neverChanged = await run(async (a) => { a.setMusicVolume(0); return [await a.playMusic('media/a.wav')]; });
      out.endedOnce = ended.splice(0);
      out.v35 = await run(async (a) => { a.setMusicVolume(35); return [await a.playMusic('media/a.wav')]; });
      out.v5 = await run(async (a) => { a.setMusicVolume(5); return [await a.playMusic('media/a.wav')]; });
      out.restored = await run(async (a) => { a.setMusicVolume(-1); return [await a.playMusic('media/b.wav')]; });
      out.v150 = await run(async (a) => { a.setMusicVolume(150); return [await a.playMusic('media/b.wav')]; });
      out.race = await run(async (a) => {
        a.setMusicVolume(50);
        return Promise.all([a.playMusic('media/a.wav'), a.playMusic('media/b.wav')]);
      });
      out.stoppedWhileLoading = await run(async (a) => {
        const p = a.playMusic('media/b.wav', true);
        window.loadingUrl = a.musicUrl();
        a.stopMusic();
        return [await p];
      });
      ended.splice(0);
      out.looped = await run(async (a) => [await a.playMusic('media/b.wav', true)]);
      out.loopedEnded = ended.splice(0);
      out.bad = await run(async (a) => [await a.playMusic('media/none.mp3'), await a.playMusic('music/map1.mid')]);
      a.setMusicVolume(0);
      out.mp3 = await run(async (a) => [await a.playMusic('music/map1.mp3')], 2, 44100);
      a.stopMusic();
      out.loadingUrl = window.loadingUrl;
      return out;
    });
    const gain = (percent) => ({ 35: 45 / 128, 5: 6 / 128, 50: 0.5, 100: 1 })[percent];
    const near = (x, want, what) => assert.ok(Math.abs(x - want) < 0.002, `${what}: ${x}, not ${want}`);
    near(result.neverChanged.level, 0.25, 'a volume of 0 before any change leaves full volume');
    assert.deepEqual(result.endedOnce, ['media/a.wav'], 'a piece played once reports its end');
    assert.equal(result.neverChanged.late, 0, 'a piece played once stops at its end');
    near(result.v35.level, 0.25 * gain(35), '35 percent');
    near(result.v5.level, 0.25 * gain(5), '5 percent');
    near(result.restored.level, 0.5, 'a volume of 0 gives back the volume before the first change');
    near(result.v150.level, 0.5, 'above 100 percent is full volume, not more');
    assert.deepEqual(result.race.plays, [false, true], 'the later of two pieces wins');
    near(result.race.level, 0.5 * gain(50), 'only the later piece sounds');
    assert.deepEqual(result.stoppedWhileLoading.plays, [false]);
    assert.equal(result.stoppedWhileLoading.rms, 0, 'a piece stopped while it loads never starts');
    assert.equal(result.stoppedWhileLoading.url, null);
    assert.equal(result.loadingUrl, 'media/b.wav', 'a piece loading is the music, so the game can stop it');
    assert.ok(result.looped.late > 0.2, 'a looped piece starts again');
    assert.deepEqual(result.loopedEnded, [], 'a looped piece reports no end');
    assert.deepEqual(result.bad.plays, [false, false], 'a missing file or a MIDI file is not played');
    assert.deepEqual(result.mp3.plays, [true], 'Chromium decodes the rendered music');
    assert.ok(result.mp3.rms > 0.005, `the rendered music is heard (rms ${result.mp3.rms})`);
  });

  test('a sound cuts off the sound before it, effects sound together, nothing plays before unlock', async () => {
    const result = await b.page.evaluate(async () => {
      const a = await import('/js/audio.js');
      const ctx = new OfflineAudioContext(1, 22050, 22050);
      a.useContext(ctx);
      const lengths = [await a.playSound('media/a.wav'), await a.playSound('media/b.wav'), await a.playSound('media/x.wav')];
      const effects = [await a.playEffect('media/a.wav'), await a.playEffect('media/a.wav'), await a.playEffect('media/x.wav')];
      const data = (await ctx.startRendering()).getChannelData(0);
      return { lengths, effects, level: data[5000] };
    });
    assert.deepEqual(result.lengths, [0.5, 0.5, null]);
    assert.deepEqual(result.effects, [true, true, false]);
    // b alone (0.5) plus two effects of a (0.25 each); a's sound was cut off.
    assert.ok(Math.abs(result.level - 1.0) < 0.002, `level ${result.level}`);

    // A fresh page: the browser's own context, unlocked by the first key.
    await b.page.reload();
    const before = await b.page.evaluate(async () => {
      const a = await import('/js/audio.js');
      a.playCue(13);
      const plays = await a.playMusic('media/b.wav', true);
      const effect = await a.playEffect('media/a.wav');
      document.addEventListener('keydown', () => a.unlock(), { once: true });
      return { plays, effect, url: a.musicUrl() };
    });
    assert.deepEqual(before, { plays: false, effect: false, url: 'media/b.wav' }, 'music waits for the first key');
    await b.page.keyboard.press('Enter');
    // Polled here: waitForFunction would take the first promise for a true
    // value, before the browser has opened its audio.
    let playing = false;
    for (let i = 0; i < 200 && !playing; ++i) {
      if (i > 0) await new Promise((done) => setTimeout(done, 50));
      playing = await b.page.evaluate(async () => {
        const a = await import('/js/audio.js');
        return a.musicUrl() === 'media/b.wav' && (await a.playEffect('media/a.wav'));
      });
    }
    assert.ok(playing, 'after the first key music and effects play');
    await b.page.evaluate(async () => (await import('/js/audio.js')).stopMusic());
  });
});

// A speechSynthesis that records what it is asked; finish() ends the text
// it speaks, and a cancel sends the cancelled texts an "interrupted" error
// a moment later, as Chrome does (interrupted() resolves once every one
// sent so far has come). polls counts the page's looks at speaking.
function recordingSpeech() {
  window.spoken = [];
  const synth = {
    voices: [],
    listeners: new Map(),
    queue: [],
    refuse: false,
    get speaking() { this.polls += 1; return this.queue.length > 0 && !this.mute; },
    polls: 0,
    pending: false,
    sent: [],
    interrupted() { return Promise.all(this.sent); },
    getVoices() { return this.voices; },
    addEventListener(type, f) { this.listeners.set(f, type); },
    removeEventListener(type, f) { this.listeners.delete(f); },
    announceVoices() { for (const [f, type] of this.listeners) if (type === 'voiceschanged') f(); },
    speak(u) {
      window.spoken.push({ op: 'speak', text: u.text, rate: u.rate, lang: u.lang, voice: u.voice?.name ?? null });
      if (this.refuse) u.onerror?.({ error: 'not-allowed' });
      else this.queue.push(u);
    },
    cancel() {
      window.spoken.push({ op: 'cancel' });
      const cut = this.queue.splice(0);
      this.sent.push(new Promise((done) => setTimeout(() => {
        cut.forEach((u) => u.onerror?.({ error: 'interrupted' }));
        done();
      }, 0)));
    },
    finish() { this.queue.shift()?.onend?.({}); },
  };
  Object.defineProperty(window, 'speechSynthesis', { value: synth, configurable: true });
  window.SpeechSynthesisUtterance = class {
    constructor(text) { Object.assign(this, { text, rate: 1, lang: '', voice: null, onend: null, onerror: null }); }
  };
}

describe('speech', () => {
  test('the page voice picks a Russian voice, maps the rate, cuts off the old text and reports every stop once', async () => {
    const page = await b.context.newPage();
    await page.addInitScript(recordingSpeech);
    await page.goto(site.url);
    const r = await page.evaluate(async () => {
      const s = await import('/js/speech.js');
      const synth = window.speechSynthesis;
      const tick = () => new Promise((done) => setTimeout(done, 5));
      const ends = [];
      s.onEnd((e) => ends.push(e));
      const out = {};
      const russian = [
        { name: 'English', lang: 'en-US', default: true },
        { name: 'Milena', lang: 'ru-RU', localService: true },
        { name: 'Yuri', lang: 'ru_RU', localService: true, default: true },
        { name: 'Google русский', lang: 'ru-RU' },
      ];
      synth.voices = russian;
      out.voices = [await s.init(), await s.init('MILENA')];
      synth.voices = [];
      const late = s.init('', 60000);
      synth.voices = [{ name: 'Irina', lang: 'ru' }];
      synth.announceVoices();
      out.voices.push(await late);
      synth.voices = [{ name: 'English', lang: 'en-US' }, { name: 'Rudolf', lang: 'rue' }];
      out.voices.push(await s.init('', 1));
      // speech-dispatcher's list: a regional voice first, and the default.
      synth.voices = [
        { name: 'Russian (Latvia)', lang: 'ru-LV', localService: true, default: true },
        { name: 'Russian', lang: 'ru', localService: true },
      ];
      out.voices.push(await s.init());
      synth.voices = russian;
      await s.init();

      out.rates = [];
      for (const setting of [60, 0, 120, 40, 500, -5, 'x']) {
        s.setRate(setting);
        s.speak('ПРИВЕТ, Мир Ёж. Главное меню: НЕбо');
        synth.finish();
      }
      out.rates = window.spoken.filter((e) => e.op === 'speak').map((e) => e.rate);
      out.first = window.spoken.find((e) => e.op === 'speak');
      s.setRate(60);
      window.spoken.length = 0;
      ends.length = 0;

      s.speak('один');
      s.speak('два');
      out.cutOff = { spoken: [...window.spoken], ends: [...ends], speaking: s.speaking() };
      await synth.interrupted();
      synth.finish();
      out.afterEnd = { ends: [...ends], speaking: s.speaking() };
      ends.length = 0;
      window.spoken.length = 0;

      s.speak('три');
      s.cancel();
      s.cancel();
      s.speak('   ');
      const blankAtOnce = ends.length;
      await synth.interrupted();
      synth.refuse = true;
      s.speak('четыре');
      await synth.interrupted();
      out.rest = { spoken: [...window.spoken], ends: [...ends], blankAtOnce, speaking: s.speaking() };

      // A voice that falls silent without an end event.
      synth.refuse = false;
      ends.length = 0;
      s.setWatchInterval(5);
      s.speak('пять');
      // Three looks at a voice still speaking: two would end a silent one.
      const polled = synth.polls;
      for (let i = 0; i < 200 && synth.polls < polled + 3; ++i) await tick();
      out.heldWhileSpeaking = { speaking: s.speaking(), looked: synth.polls - polled >= 3 };
      synth.mute = true;
      for (let i = 0; i < 200 && s.speaking(); ++i) await tick();
      out.silentEnd = [...ends];
      return out;
    });
    await page.close();
    assert.deepEqual(r.voices, ['Yuri', 'Milena', 'Irina', null, 'Russian'],
      'default Russian voice, a named one, one listed late, none, plain Russian before a regional one');
    assert.deepEqual(r.rates, [1, 0.4, 1.6, 0.8, 1.6, 0.4, 1]);
    assert.deepEqual(r.first, { op: 'speak', text: 'привет, Мир Ёж. Главное меню: НЕбо', rate: 1, lang: 'ru-RU', voice: 'Yuri' },
      'texts keep their letter case; only words in capitals are lowered, lest they be spelt');
    assert.deepEqual(r.cutOff.spoken.map((e) => e.text ?? e.op), ['один', 'cancel', 'два']);
    assert.deepEqual(r.cutOff.ends, [{ text: 'один', finished: false }], 'the cut-off text is reported before the next');
    assert.equal(r.cutOff.speaking, true);
    assert.deepEqual(r.afterEnd, {
      ends: [{ text: 'один', finished: false }, { text: 'два', finished: true }],
      speaking: false,
    }, 'the browser\'s late "interrupted" is not a second report');
    assert.deepEqual(r.rest.spoken.map((e) => e.text ?? e.op), ['три', 'cancel', 'cancel', 'четыре']);
    assert.deepEqual(r.rest.ends, [
      { text: 'три', finished: false },
      { text: '   ', finished: true },
      { text: 'четыре', finished: false },
    ], 'a cancel, a blank text and a refused text each end once, so no wait hangs');
    assert.equal(r.rest.blankAtOnce, 1, 'a blank text ends after speak() returns, not inside it');
    assert.equal(r.rest.speaking, false);
    assert.deepEqual(r.heldWhileSpeaking, { speaking: true, looked: true }, 'a text the browser still speaks is not taken for ended');
    assert.deepEqual(r.silentEnd, [{ text: 'пять', finished: true }], 'a voice that stops unreported still ends the text');
  });
});

describe('storage', () => {
  test('saved sets survive a reload, and a write that fails or is cut off leaves the whole old set', async () => {
    const page = await b.context.newPage();
    await page.goto(site.url);
    const summary = async () => page.evaluate(async () => {
      const s = await import('/js/storage.js');
      const out = { list: await s.list() };
      for (const name of [...out.list, 'missing']) {
        const files = await s.load(name);
        out[name] = files && Object.fromEntries([...files].map(([f, v]) => [f, [v.length, v[0], v[v.length - 1]]]));
      }
      return out;
    });
    const first = await page.evaluate(async () => {
      const s = await import('/js/storage.js');
      for (const n of await s.list()) await s.remove(n);
      const hero = new Uint8Array(70000).fill(7);
      hero[69999] = 8;
      await s.store('slot1', new Map([['map1.sav', new Uint8Array([1, 2, 3])], ['hero.sav', hero]]));
      await s.store('settings', { 'main.ini': new TextEncoder().encode('[User]\nSpeed=80\n') });
      await s.store('autosave', { 'hero.sav': new Uint8Array([5]) });
      await s.remove('autosave');
      const errors = [];
      try {
        await s.store('slot1', { 'map1.sav': new Uint8Array([9]), 'hero.sav': 'not bytes' });
      } catch (e) {
        errors.push(e.name);
      }
      // A write the database takes and then gives up (a full disk, a crash).
      const put = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = function (...args) {
        const req = put.apply(this, args);
        this.transaction.abort();
        return req;
      };
      try {
        await s.store('slot1', { 'map1.sav': new Uint8Array([9]) });
      } catch (e) {
        errors.push(e.name);
      }
      IDBObjectStore.prototype.put = put;
      return errors;
    });
    assert.deepEqual(first, ['TypeError', 'AbortError'], 'a failed write is reported, never taken for done');
    const whole = {
      list: ['settings', 'slot1'],
      settings: { 'main.ini': [16, 91, 10] },
      slot1: { 'map1.sav': [3, 1, 3], 'hero.sav': [70000, 7, 8] },
      missing: null,
    };
    await page.reload();
    assert.deepEqual(await summary(), whole, 'after a reload the sets are there, the old slot whole');

    // A big write cut off by a reload: the slot is then all old or all new.
    await Promise.all([
      page.waitForEvent('load'),
      page.evaluate(async () => {
        const s = await import('/js/storage.js');
        const files = {};
        for (let i = 0; i < 40; ++i) files[`map${i}.sav`] = new Uint8Array(1 << 20).fill(i + 1);
        s.store('slot1', files).catch(() => {});
        setTimeout(() => location.reload(), 5);
      }),
    ]);
    const after = await summary();
    const slot = after.slot1;
    const isOld = JSON.stringify(slot) === JSON.stringify(whole.slot1);
    const isNew = Object.keys(slot).length === 40 &&
      Object.entries(slot).every(([f, v]) => v[0] === 1 << 20 && v[1] === +f.slice(3, -4) + 1 && v[2] === v[1]);
    assert.ok(isOld || isNew, `the slot is whole: ${JSON.stringify(slot).slice(0, 200)}`);
    await page.evaluate(async () => (await import('/js/storage.js')).remove('slot1'));
    await page.close();
  });
});

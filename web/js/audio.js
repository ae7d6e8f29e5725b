// SPDX-License-Identifier: GPL-3.0-or-later
//
// The page's sounds through Web Audio: the game's cue sounds and beep (the
// same tones and shapes the desktop makes), the project's effects and sound
// files, and one piece of music at a time under the game's volume rule;
// and the game's sounds by the numbers the program holds them by.
//
// Browsers keep audio silent until the player's first key or click: the
// page calls unlock() from its first key handler. Cues, effects and sounds
// asked for before then are dropped (heard late they would mislead); the
// music asked for is remembered and starts on unlock.

import * as midi from './midi.js';

const AudioContextClass = globalThis.AudioContext ?? globalThis.webkitAudioContext;

let ctx = null;
let musicGain = null;
let musicGainValue = 1;
let savedMusicGain = null;
let music = null; // { source, url, loop } of the piece playing
let pendingMusic = null; // { url, loop } asked for before unlock
let loadingMusic = null; // the url of the piece being decoded, to be stopped as if it played
let musicRequest = 0; // bumped by every playMusic/stopMusic: a slower load never wins
let currentSound = null;
let musicEndHandler = null;
const effectCache = new Map(); // url -> Promise<AudioBuffer|null>

// Null in a browser without Web Audio: everything is then silent.
function context() {
  if (!ctx && AudioContextClass) useContext(new AudioContextClass());
  return ctx;
}

// An offline context renders at once and needs no unlock.
function running() {
  if (!ctx) return false;
  if (globalThis.OfflineAudioContext && ctx instanceof globalThis.OfflineAudioContext) return true;
  return ctx.state === 'running';
}

/** Plays through the given context from now on (tests pass an OfflineAudioContext). */
export function useContext(context) {
  ctx = context;
  musicGain = ctx.createGain();
  musicGain.gain.value = musicGainValue;
  musicGain.connect(ctx.destination);
  music = null;
  currentSound = null;
  effectCache.clear();
}

/** Whether the browser lets the page sound now, before any key (true in a browser without Web Audio: nothing is waited for). */
export function mayPlay() {
  const c = context();
  return !c || running();
}

/** Called from the first key handler: lets the browser play, then starts any music asked for. */
export async function unlock() {
  const c = context();
  if (!c) return;
  // Older Safari opens its audio only for a sound started inside the key's
  // handler, before anything is awaited.
  const silence = c.createBufferSource();
  silence.buffer = c.createBuffer(1, 1, c.sampleRate);
  silence.connect(c.destination);
  silence.start();
  if (c.state === 'suspended' && c.resume) await c.resume();
  if (pendingMusic && running()) {
    const { url, loop, midi: isMidi } = pendingMusic;
    pendingMusic = null;
    await playMusic(url, loop, { midi: isMidi });
  }
}

// --- Made sounds: the desktop's cue table, rendered the desktop's way. ---

const kCueRate = 22050;

// Each note: [from Hz, to Hz, ms, dies away]; a zero frequency is a pause.
const kCues = new Map([
  [0, [[660, 660, 70], [0, 0, 20], [990, 990, 70]]],
  [1, [[990, 990, 70], [0, 0, 20], [660, 660, 70]]],
  [2, [[820, 820, 60], [0, 0, 40], [820, 820, 60]]],
  [3, [[900, 450, 110]]],
  [13, [[520, 520, 70, true]]],
  [14, [[1568, 1568, 120, true]]],
  [31, [[300, 220, 160]]],
  [35, [[600, 1200, 90]]],
  [36, [[1200, 600, 90]]],
  [37, [[2093, 2093, 40, true]]],
]);
const kBeep = [[880, 880, 150]];

// std::lround's rounding, so the samples are the desktop's to the bit.
const roundHalfAway = (x) => Math.sign(x) * Math.round(Math.abs(x));

/** The samples (at 22050 Hz, -1..1) of the given notes, shaped as the desktop shapes its cues. */
export function renderNotes(notes) {
  const out = [];
  for (const [from, to, ms, ping = false] of notes) {
    const n = Math.trunc((kCueRate * ms) / 1000);
    if (from <= 0) {
      for (let i = 0; i < n; ++i) out.push(0);
      continue;
    }
    // Raised-cosine edges: a few milliseconds are enough to avoid a click.
    const attack = Math.min(n / 4, kCueRate * 0.004);
    const release = Math.min(n / 3, kCueRate * 0.015);
    let phase = 0;
    for (let i = 0; i < n; ++i) {
      const t = i / n;
      phase += (2 * Math.PI * (from + (to - from) * t)) / kCueRate;
      let env = ping ? Math.exp(-4 * t) : 1;
      if (i < attack) env *= 0.5 - 0.5 * Math.cos((Math.PI * i) / attack);
      const left = n - 1 - i;
      if (left < release) env *= 0.5 - 0.5 * Math.cos((Math.PI * left) / release);
      // A little of the octave makes small speakers carry the tone.
      const wave = Math.sin(phase) + 0.15 * Math.sin(2 * phase);
      out.push(roundHalfAway(wave * env * 12000) / 32768);
    }
  }
  return Float32Array.from(out);
}

/** The samples of cue n; numbers without a sound of their own give the beep. */
export function cueSamples(n) {
  return renderNotes(kCues.get(n) ?? kBeep);
}

const madeBuffers = new Map(); // key -> AudioBuffer, per context

// key: where the sound is kept once made; null makes it afresh.
function playSamples(key, makeSamples) {
  if (!running()) return;
  let buffer = key === null ? null : madeBuffers.get(key);
  if (!buffer || buffer.ctx !== ctx) {
    const samples = makeSamples();
    buffer = { ctx, audio: ctx.createBuffer(1, samples.length, kCueRate) };
    buffer.audio.getChannelData(0).set(samples);
    if (key !== null) madeBuffers.set(key, buffer);
  }
  const source = ctx.createBufferSource();
  source.buffer = buffer.audio;
  source.connect(ctx.destination);
  source.start();
}

/** Plays the game's sound for cue number n (the beep when n has none). */
export function playCue(n) {
  playSamples(kCues.has(n) ? `cue${n}` : 'beep', () => cueSamples(n));
}

/** Plays the game's beep (880 Hz, 150 ms). */
export function beep() {
  playSamples('beep', () => renderNotes(kBeep));
}

/** Plays a plain tone of hz for ms milliseconds, shaped like the beep. */
export function tone(hz, ms) {
  // The desktop can only sound its beep here; the page plays the tone asked for.
  const f = Number(hz);
  const d = Number(ms);
  if (!(f > 0 && f < kCueRate / 2 && d > 0)) return;
  const length = Math.min(d, 5000);
  playSamples(null, () => renderNotes([[f, f, length]]));
}

// --- Files: effects, sounds and music. ---

async function decode(url) {
  try {
    const response = await fetch(url);
    if (!response.ok) return null;
    const bytes = await response.arrayBuffer();
    const c = context();
    return c ? await c.decodeAudioData(bytes) : null;
  } catch {
    return null; // missing, refused or not audio: silence, as on the desktop
  }
}

function start(buffer, destination, loop = false) {
  const source = ctx.createBufferSource();
  source.buffer = buffer;
  source.loop = loop;
  source.connect(destination);
  source.start();
  return source;
}

/** Plays one of the game's effects (kept decoded); several may sound at once. */
export async function playEffect(url) {
  if (!running()) return false;
  if (!effectCache.has(url)) effectCache.set(url, decode(url));
  const buffer = await effectCache.get(url);
  if (!buffer || !running()) return false;
  start(buffer, ctx.destination);
  return true;
}

/** Plays a sound file of the project, cutting off the previous one; resolves to its length in seconds, or null. */
export async function playSound(url) {
  if (!running()) return null;
  const buffer = await decode(url);
  if (!buffer || !running()) return null;
  // As on the desktop, a new sound replaces the one still playing.
  if (currentSound) currentSound.stop();
  currentSound = start(buffer, ctx.destination);
  return buffer.duration;
}

/**
 * Starts a piece of music (once, or looped), replacing the one playing;
 * resolves to whether it plays. With midi, url is a MIDI file for the
 * synthesizer (a player's own project's music), else audio the browser
 * decodes.
 */
export async function playMusic(url, loop = false, { midi: isMidi = false } = {}) {
  const request = ++musicRequest;
  stopSource();
  if (!running()) {
    pendingMusic = { url, loop, midi: isMidi };
    return false;
  }
  pendingMusic = null;
  loadingMusic = url;
  let source;
  if (isMidi) {
    source = await midi.start(ctx, musicGain, url, loop);
    if (source && request !== musicRequest) source.stop();
  } else {
    const buffer = await decode(url);
    if (buffer && request === musicRequest) source = start(buffer, musicGain, loop);
  }
  // A later playMusic or stopMusic came while this one loaded.
  if (request !== musicRequest) return false;
  loadingMusic = null;
  if (!source) return false;
  music = { source, url, loop };
  source.onended = () => {
    if (music?.source !== source) return;
    music = null;
    if (musicEndHandler) musicEndHandler(url);
  };
  return true;
}

function stopSource() {
  if (!music) return;
  const { source } = music;
  music = null; // before stop(), so its end is not reported as the piece ending
  source.stop();
}

/** Stops the music (and any piece still loading). */
export function stopMusic() {
  ++musicRequest;
  pendingMusic = null;
  loadingMusic = null;
  stopSource();
}

/** The URL of the music playing, loading, or waiting for unlock(); null when there is none. */
export function musicUrl() {
  // A piece still loading counts: the game may stop it before it sounds.
  return music?.url ?? loadingMusic ?? pendingMusic?.url ?? null;
}

/** Whether a MIDI file can be played (loads the synthesizer on first use). */
export async function midiReady() {
  const c = context();
  return c ? midi.ready(c) : false;
}

/** Calls handler(url) when a piece of music reaches its end by itself. */
export function onMusicEnd(handler) {
  musicEndHandler = handler;
}

/** The music's gain for a volume percent, by the desktop's rule; null means "as before the first change". */
export function musicGainFor(percent) {
  if (!(percent > 0)) return null;
  // Each 16-bit channel of the full wave volume divided by 100 / percent,
  // truncated and held to 16 bits, then the mixer's 0..128 volume of their mean.
  const channel = Math.min(Math.trunc(0xffff / (100 / percent)), 0xffff);
  return Math.round((channel * 128) / 0xffff) / 128;
}

/** Sets the music volume as the game's setting does: a percent, 0 or less for the volume before the first change. */
export function setMusicVolume(percent) {
  const gain = musicGainFor(Number(percent));
  if (gain === null) {
    if (savedMusicGain === null) return;
    musicGainValue = savedMusicGain;
  } else {
    if (savedMusicGain === null) savedMusicGain = musicGainValue;
    musicGainValue = gain;
  }
  if (musicGain) musicGain.gain.value = musicGainValue;
}

// --- The game's sounds by number, as the program holds them. ---

// Sounds by the game's number: { url, music, midi, keyed }. A sample read
// from a file keeps one URL per file, so a sound played again is decoded once.
const sounds = new Map();
const urlByFile = new Map();
const ownMusic = new Map(); // a player's own music file -> { url, midi }
let lastSound = 0;
let readGameFile = null;
let renderedFolder = null;
let midiMissingHandler = null;

// The shipped adventure's music, rendered at build time (scripts/build-web).
const kShippedProject = '/game/Projects/Default/';

/** Where the game's files are read (readFile(path): their bytes), and the project folder whose MIDI the site rendered (null: none). */
export function useGameFiles(readFile, folder = null) {
  readGameFile = readFile;
  renderedFolder = folder;
}

/** Calls handler() when a piece of MIDI music is asked for and no synthesizer can play it. */
export function onMidiMissing(handler) {
  midiMissingHandler = handler;
}

function addSound(entry) {
  sounds.set(++lastSound, entry);
  return lastSound;
}

/** A sound of the game's, from its wave bytes (file: the file they were read from, if any); its number. */
export function makeSound(bytes, file) {
  let url = file ? urlByFile.get(file) : undefined;
  if (!url) {
    url = URL.createObjectURL(new Blob([bytes], { type: 'audio/wav' }));
    if (file) urlByFile.set(file, url);
  }
  return addSound({ url, music: false, keyed: Boolean(file) });
}

// A standard MIDI file, bare or in a RIFF RMID wrapper.
function isMidi(bytes) {
  const tag = (at) => String.fromCharCode(...bytes.subarray(at, at + 4));
  return bytes.length >= 14 && (tag(0) === 'MThd' || (tag(0) === 'RIFF' && tag(8) === 'RMID'));
}

/** A piece of the game's music by its file's path; its number, or 0 when it cannot be read. */
export function loadMusic(path) {
  const lower = path.toLowerCase();
  if (lower.startsWith(kShippedProject.toLowerCase()) && lower.endsWith('.mid')) {
    // The shipped music, rendered at build time.
    const name = path.slice(kShippedProject.length, -'.mid'.length);
    if (name.includes('/')) return 0;
    return addSound({ url: `music/${name}.mp3`, music: true });
  }
  // A site that velmora-tool web wrote plays its game's MIDI as it rendered
  // it, as the shipped music is (the file's base name, any letter case).
  if (renderedFolder !== null && lower.startsWith(`${renderedFolder}/`) && lower.endsWith('.mid')) {
    const name = path.slice(renderedFolder.length + 1, -'.mid'.length);
    if (!name.includes('/')) return addSound({ url: `music/${name}.mp3`, music: true });
  }
  // A player's own project's music, as its file holds it: MIDI for the
  // page's synthesizer, anything else for the browser to decode.
  let piece = ownMusic.get(path);
  if (!piece) {
    let bytes;
    try {
      bytes = readGameFile(path);
    } catch {
      return 0;  // as the desktop's library refuses a file it cannot read
    }
    piece = { url: URL.createObjectURL(new Blob([bytes])), midi: isMidi(bytes) };
    ownMusic.set(path, piece);
  }
  if (piece.midi) midiReady().then((ok) => ok || midiMissingHandler?.());
  return addSound({ ...piece, music: true, keyed: true });
}

/** Starts the game's sound number id; false when there is none. */
export function playNumbered(id) {
  const s = sounds.get(id);
  if (!s) return false;
  // Both start once decoded; the game hears at once that they play.
  if (s.music) playMusic(s.url, false, { midi: s.midi });
  else playEffect(s.url);
  return true;
}

/** Stops the game's music number id if it is the one playing; false when id is no music. */
export function stopNumbered(id) {
  const s = sounds.get(id);
  if (!s || !s.music) return false;
  if (musicUrl() === s.url) stopMusic();
  return true;
}

/** Lets the game's sound number id go. */
export function freeNumbered(id) {
  const s = sounds.get(id);
  if (!s) return;
  // A song let go stops, as the desktop's mixer halts freed music (looked
  // up before it is forgotten).
  if (s.music) stopNumbered(id);
  else if (!s.keyed) URL.revokeObjectURL(s.url);
  sounds.delete(id);
}

/** Sets the music volume from the game's channel levels (0..1 each). */
export function setChannelVolume(left, right) {
  // The channels' mean as a percent gives the desktop mixer's gain. Silence
  // must stay silence, not "as before".
  setMusicVolume(Math.max(((left + right) / 2) * 100, 1e-9));
}

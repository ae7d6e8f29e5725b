// SPDX-License-Identifier: GPL-3.0-or-later
//
// The page's own voice through the Web Speech API, for players without a
// screen reader. It behaves as the desktop's in-process voice does: a new
// text cuts off the old one, and every text that stops, finished or cut
// off, is reported exactly once, so the game's waits for the end of speech
// never hang on a text the browser forgot to report.

let voice = null;
let rate = 1;
let current = null; // the utterance speaking, kept alive until it stops
let endHandler = null;

const synth = () => globalThis.speechSynthesis;
const isRussian = (v) => /^ru([-_]|$)/i.test(v.lang ?? '');

/** The Russian voice to use among voices: the one named wanted, else a local one (the default first), else any (the default first); null when none is Russian. */
export function chooseVoice(voices, wanted = '') {
  const russian = [...voices].filter(isRussian);
  const name = wanted.trim().toLowerCase();
  // Russia's Russian before a regional one (speech-dispatcher lists
  // «Russian (Latvia)», ru-LV, beside ru).
  const plain = (v) => /^ru([-_]ru)?$/i.test(v.lang ?? '');
  // A voice on the device starts sooner than one over the network, and
  // Chrome's network voices fall silent without a word on long texts.
  const ranks = [
    (v) => v.localService && plain(v) && v.default,
    (v) => v.localService && plain(v),
    (v) => v.localService && v.default,
    (v) => v.localService,
    (v) => plain(v) && v.default,
    (v) => plain(v),
    (v) => v.default,
  ];
  if (name) {
    const named = russian.find((v) => v.name.toLowerCase() === name);
    if (named) return named;
  }
  for (const rank of ranks) {
    const found = russian.find(rank);
    if (found) return found;
  }
  return russian[0] ?? null;
}

/** The text as the voice gets it: in its own letter case, but for words in capitals, which a voice would spell letter by letter. */
export function spokenCase(text) {
  return text.replace(/[A-ZА-ЯЁ]{2,}/gu, (word, at, all) => {
    // Only a whole word: "НЕ" alone, not the "НЕ" of "НЕбо".
    const after = all[at + word.length] ?? '';
    return /\p{Ll}/u.test(after) ? word : word.toLocaleLowerCase('ru');
  });
}

/** Finds the voice (waiting up to waitMs for the browser to list its voices); resolves to its name, or null when there is no Russian voice. */
export async function init(wanted = '', waitMs = 2000) {
  const s = synth();
  if (!s) return null;
  let voices = s.getVoices();
  // Chrome lists its voices only after a voiceschanged event.
  if (!voices.some(isRussian) && s.addEventListener) {
    await new Promise((done) => {
      const timer = setTimeout(finish, waitMs);
      function finish() {
        clearTimeout(timer);
        s.removeEventListener('voiceschanged', finish);
        done();
      }
      s.addEventListener('voiceschanged', finish);
    });
    voices = s.getVoices();
  }
  voice = chooseVoice(voices, wanted);
  return voice ? voice.name : null;
}

/** The utterance rate for the game's speech-rate setting (0..120, 60 the default). */
export function rateFor(setting) {
  // The desktop's voice speaks 80 + 2 * setting words a minute; the page's
  // voice takes that relative to the default setting, whose rate is 1.
  const s = Math.min(Math.max(Number.isFinite(Number(setting)) ? Number(setting) : 60, 0), 120);
  return (80 + 2 * s) / 200;
}

/** Sets the rate of the texts spoken from now on, from the game's speech-rate setting. */
export function setRate(setting) {
  rate = rateFor(setting);
}

/** Calls handler({ text, finished }) once for each text that stops: finished, or cut off by cancel() or a new text. */
export function onEnd(handler) {
  endHandler = handler;
}

let watchMs = 1000;

/** How often a text is checked for having stopped unreported (tests shorten it). */
export function setWatchInterval(ms) {
  watchMs = ms;
}

function stopped(entry, finished) {
  if (entry.done) return;
  entry.done = true;
  clearInterval(entry.watch);
  if (current === entry) current = null;
  if (endHandler) endHandler({ text: entry.text, finished });
}

// Some voices stop without an end event. When the browser twice in a row
// says nothing is spoken or queued, the text has ended: a wait for the end
// of speech must not hang on it.
function watch(entry, s) {
  let idle = 0;
  entry.watch = setInterval(() => {
    idle = s.speaking || s.pending ? 0 : idle + 1;
    if (idle >= 2) stopped(entry, true);
  }, watchMs);
}

/** Stops the text being spoken (reported through onEnd as not finished). */
export function cancel() {
  const entry = current;
  current = null;
  const s = synth();
  if (s) s.cancel();
  // Reported here, not on the browser's event: some browsers send none for a
  // cancelled text, and the report must come before the next text's.
  if (entry) stopped(entry, false);
}

/** Speaks text, cutting off whatever is being spoken. */
export function speak(text) {
  if (current) cancel();
  const s = synth();
  const entry = { text: String(text), done: false, utterance: null, watch: 0 };
  current = entry;
  const spoken = entry.text.trim();
  if (!s || !globalThis.SpeechSynthesisUtterance || !spoken) {
    // Nothing to say, or nobody to say it: the text ends at once, after
    // the caller has seen speak() return.
    queueMicrotask(() => stopped(entry, true));
    return;
  }
  const utterance = new globalThis.SpeechSynthesisUtterance(spokenCase(spoken));
  // Some systems name the language ru_RU; the utterance takes a language tag.
  utterance.lang = (voice?.lang ?? 'ru-RU').replace('_', '-');
  if (voice) utterance.voice = voice;
  utterance.rate = rate;
  utterance.onend = () => stopped(entry, true);
  // Refused (no user gesture yet, no voice) or broken off: it has stopped.
  utterance.onerror = () => stopped(entry, false);
  entry.utterance = utterance;
  s.speak(utterance);
  if (!entry.done) watch(entry, s);
}

/** Whether a text is being spoken (from speak() until its stop is reported). */
export function speaking() {
  return current !== null;
}

// How the game speaks: 'reader' (the player's screen reader, through the
// live region) or 'voice' (the page's own). ?speech= chooses, and is
// remembered for the next visit.
const kSpeechKey = 'velmora.speech';

function chosenMode(search) {
  const asked = new URLSearchParams(search).get('speech');
  let stored = null;
  try {
    if (asked === 'voice' || asked === 'reader') localStorage.setItem(kSpeechKey, asked);
    stored = localStorage.getItem(kSpeechKey);
  } catch {
    // Storage refused (a private window): the choice lasts this visit.
  }
  const mode = asked ?? stored;
  return mode === 'voice' ? 'voice' : 'reader';
}

/** The way the game speaks for the page's address (search): 'voice' or 'reader'; noVoice() is called when the voice is asked for and the browser has no Russian one. */
export async function speechMode(search, noVoice) {
  if (chosenMode(search) !== 'voice') return 'reader';
  if (await init()) return 'voice';
  // Nobody may be left in silence: the screen reader gets the texts.
  noVoice();
  return 'reader';
}

// SPDX-License-Identifier: GPL-3.0-or-later
//
// The page around the game: starts the WebAssembly program, hands it the
// keys, puts every text it says into the live region and draws its window.

import * as audio from './audio.js';
import { mapKey } from './keys.js';
import { attachGestures, kGestureHelp } from './touch.js';
import * as voice from './speech.js';
import * as storage from './storage.js';
import { unzip, ZipError } from './zip.js';

const speech = document.getElementById('speech');
const game = document.getElementById('game');
const screen = document.getElementById('screen');
const menu = document.getElementById('menu');
const gameKeys = document.getElementById('game-keys');
const choices = document.getElementById('choices');
const status = document.getElementById('status');

// The live region keeps this many texts: enough to read back, bounded.
const kSpokenKept = 100;

// The game's fonts and the families that stand in for them.
const kFonts = {
  'arial black': '"Arial Black", "DejaVu Sans", "Liberation Sans", sans-serif',
  'monotype corsiva': '"Monotype Corsiva", "URW Chancery L", "DejaVu Serif", serif',
};

// The shipped adventure's music, rendered at build time (scripts/build-web).
const kShippedProject = '/game/Projects/Default/';

const module = {};
const pictures = new Map();  // file -> object URL of its bytes
const images = new Map();    // control name -> its <img>, kept so a GIF animates on

// A text of several lines (a menu: its title, then one entry a line) is
// heard line by line: a reader runs lines together unless each ends as a
// sentence does, so a line without its own closing mark gets a full stop.
export function spokenLines(text) {
  const lines = text.split(/\r\n|\r|\n/).map((l) => l.trim()).filter((l) => l !== '');
  if (lines.length < 2) return lines.join('');
  return lines.map((l, i) => (i < lines.length - 1 && !/[.!?:;,…»)]$/.test(l) ? `${l}.` : l)).join(' ');
}

function say(text, again) {
  const line = document.createElement('p');
  line.textContent = spokenLines(text);
  if (again) line.dataset.again = '1';
  speech.append(line);
  while (speech.childElementCount > kSpokenKept) speech.firstElementChild.remove();
}

// The page's own words: through the game while it runs, so the page's voice
// says them too and F10 repeats them; into the live region before and after.
function tell(text) {
  if (gameRunning() && module._velmora_say) {
    module.ccall('velmora_say', null, ['string'], [text]);
    wake();
    return;
  }
  say(text, false);
}

function gameRunning() {
  return document.body.dataset.view !== 'loading' && document.body.dataset.view !== 'closed' &&
    Boolean(module._velmora_key);
}

function wake() {
  if (module.velmoraWake) module.velmoraWake();
}

function pictureUrl(file) {
  if (!file) return '';
  let url = pictures.get(file);
  if (url === undefined) {
    url = '';
    try {
      const bytes = module.FS.readFile(file);
      url = URL.createObjectURL(new Blob([bytes]));
    } catch (e) {
      console.warn(`velmora: ${file}: ${e}`);
    }
    pictures.set(file, url);
  }
  return url;
}

function fontStyle(el, font) {
  const family = kFonts[font.name.toLowerCase()] ?? 'sans-serif';
  el.style.fontFamily = family;
  if (font.name.toLowerCase() === 'arial black') el.style.fontWeight = '900';
  el.style.fontSize = `${(font.size * 4) / 3}px`;
  el.style.color = font.color;
  if (font.italic || font.name.toLowerCase() === 'monotype corsiva') el.style.fontStyle = 'italic';
}

function place(el, box) {
  el.style.left = `${box.x}px`;
  el.style.top = `${box.y}px`;
  el.style.width = `${box.w}px`;
  el.style.height = `${box.h}px`;
}

function drawImage(c) {
  let img = images.get(c.name);
  if (!img) {
    img = document.createElement('img');
    img.alt = '';
    images.set(c.name, img);
  }
  const url = pictureUrl(c.picture);
  if (img.getAttribute('src') !== url) {
    if (url) img.src = url;
    else img.removeAttribute('src');
  }
  img.style.visibility = url ? 'visible' : 'hidden';
  place(img, c);
  if (!c.stretch) {
    img.style.width = 'auto';
    img.style.height = 'auto';
  }
  return img;
}

function drawControl(c) {
  if (c.kind === 'image') return drawImage(c);
  const el = document.createElement('div');
  el.dataset.name = c.name;
  place(el, c);
  if (c.kind !== 'label' || !c.transparent) el.style.background = c.bg;
  if (c.font) fontStyle(el, c.font);
  if (c.kind === 'label') {
    el.classList.add('text', 'nowrap');
    el.style.overflow = 'visible';
    el.textContent = c.text;
  } else if (c.kind === 'edit') {
    el.classList.add('text', 'nowrap');
    const text = [...c.text];
    const before = text.slice(0, c.selStart).join('');
    const chosen = text.slice(c.selStart, c.selStart + c.selLength).join('');
    el.append(before);
    if (chosen) {
      const sel = document.createElement('span');
      sel.style.background = '#0078d7';
      sel.style.color = '#fff';
      sel.textContent = chosen;
      el.append(sel);
    }
    if (c.focus) {
      const caret = document.createElement('span');
      caret.textContent = '\u200b';
      caret.style.borderLeft = '2px solid';
      el.append(caret);
    }
    el.append(text.slice(c.selStart + c.selLength).join(''));
  } else if (c.kind === 'list') {
    for (const row of c.rows) {
      const r = document.createElement('div');
      place(r, row);
      r.style.background = row.bg;
      for (const run of row.runs) {
        const t = document.createElement('div');
        t.className = 'text nowrap';
        // Runs are placed in the list, as rows are.
        place(t, { x: run.x - row.x, y: run.y - row.y, w: run.w, h: run.h });
        t.style.color = run.color;
        t.style.fontSize = `${(run.size * 4) / 3}px`;
        t.textContent = run.text;
        r.append(t);
      }
      el.append(r);
    }
  } else if (c.kind === 'rich') {
    el.classList.add('text');
    if (!c.wrap) el.classList.add('nowrap');
    if (c.center) el.style.textAlign = 'center';
    if (c.scrollBars) el.style.overflowY = 'scroll';
    const lines = c.text.split(/\r\n|\r|\n/);
    lines.forEach((line, i) => {
      const l = document.createElement('div');
      l.style.position = 'static';
      l.textContent = line || '\u200b';
      if (c.focus && i === c.caretLine) l.dataset.caret = '1';
      el.append(l);
    });
  }
  for (const child of c.children) el.append(drawControl(child));
  return el;
}

// The window's layout needs room for its columns: on a smaller page (a
// phone, upright or on its side) it is laid out at a size it fits in, with
// the page's proportions, and drawn scaled down.
const kLayoutMin = { width: 800, height: 600 };

export function layoutFor(width, height) {
  const scale = Math.min(1, width / kLayoutMin.width, height / kLayoutMin.height);
  return { width: Math.round(width / scale), height: Math.round(height / scale), scale };
}

function layoutSize() {
  return layoutFor(Math.max(1, window.innerWidth), Math.max(1, window.innerHeight));
}

function render(json) {
  const form = JSON.parse(json);
  const tree = form ? drawControl(form) : document.createDocumentFragment();
  const { scale } = layoutSize();
  screen.style.transform = scale < 1 ? `scale(${scale})` : '';
  screen.replaceChildren(tree);
  // The line being read stays in sight, as the window scrolls to its caret.
  for (const line of screen.querySelectorAll('[data-caret]')) line.scrollIntoView({ block: 'nearest' });
}

// Sounds by the game's id: { url, music, midi, keyed }. A sample read from a file
// keeps one URL per file, so a sound played again is decoded once.
const sounds = new Map();
const urlByFile = new Map();
const ownMusic = new Map(); // a player's own music file -> { url, midi }
let lastSound = 0;

function addSound(entry) {
  sounds.set(++lastSound, entry);
  return lastSound;
}

function makeSound(bytes, file) {
  let url = file ? urlByFile.get(file) : undefined;
  if (!url) {
    url = URL.createObjectURL(new Blob([bytes], { type: 'audio/wav' }));
    if (file) urlByFile.set(file, url);
  }
  return addSound({ url, music: false, keyed: Boolean(file) });
}

let toldNoMusic = false;

function tellNoMusic() {
  if (!toldNoMusic) say('Музыка этой игры в браузере не звучит.', false);
  toldNoMusic = true;
}

// A standard MIDI file, bare or in a RIFF RMID wrapper.
function isMidi(bytes) {
  const tag = (at) => String.fromCharCode(...bytes.subarray(at, at + 4));
  return bytes.length >= 14 && (tag(0) === 'MThd' || (tag(0) === 'RIFF' && tag(8) === 'RMID'));
}

function loadMusic(path) {
  const lower = path.toLowerCase();
  if (lower.startsWith(kShippedProject.toLowerCase()) && lower.endsWith('.mid')) {
    // The shipped music, rendered at build time.
    const name = path.slice(kShippedProject.length, -'.mid'.length);
    if (name.includes('/')) return 0;
    return addSound({ url: `music/${name}.mp3`, music: true });
  }
  // A site that velmora-tool web wrote plays its game's MIDI as it rendered
  // it, as the shipped music is (the file's base name, any letter case).
  if (document.documentElement.dataset.music === 'rendered' &&
      lower.startsWith(`${kProjectFolder}/`) && lower.endsWith('.mid')) {
    const name = path.slice(kProjectFolder.length + 1, -'.mid'.length);
    if (!name.includes('/')) return addSound({ url: `music/${name}.mp3`, music: true });
  }
  // A player's own project's music, as its file holds it: MIDI for the
  // page's synthesizer, anything else for the browser to decode.
  let piece = ownMusic.get(path);
  if (!piece) {
    let bytes;
    try {
      bytes = module.FS.readFile(path);
    } catch {
      return 0;  // as the desktop's library refuses a file it cannot read
    }
    piece = { url: URL.createObjectURL(new Blob([bytes])), midi: isMidi(bytes) };
    ownMusic.set(path, piece);
  }
  if (piece.midi) audio.midiReady().then((ok) => ok || tellNoMusic());
  return addSound({ ...piece, music: true, keyed: true });
}

function playSound(id) {
  const s = sounds.get(id);
  if (!s) return false;
  // Both start once decoded; the game hears at once that they play.
  if (s.music) audio.playMusic(s.url, false, { midi: s.midi });
  else audio.playEffect(s.url);
  return true;
}

function stopSound(id) {
  const s = sounds.get(id);
  if (!s || !s.music) return false;
  if (audio.musicUrl() === s.url) audio.stopMusic();
  return true;
}

function freeSound(id) {
  const s = sounds.get(id);
  if (!s) return;
  // A song let go stops, as the desktop's mixer halts freed music (looked
  // up before it is forgotten).
  if (s.music) stopSound(id);
  else if (!s.keyed) URL.revokeObjectURL(s.url);
  sounds.delete(id);
}

function musicVolume(left, right) {
  // audio.js takes the game's percent; the channels' mean as a percent gives
  // the desktop mixer's gain. Silence must stay silence, not "as before".
  audio.setMusicVolume(Math.max(((left + right) / 2) * 100, 1e-9));
}

audio.onMusicEnd(() => {
  if (module._velmora_music_ended) module._velmora_music_ended();
  if (module.velmoraWake) module.velmoraWake();
});

let unlocked = false;

// While set, the start's key takes the page's keys instead of the game.
let gate = null;

// Keys that stay the browser's: reload, the address bar, find, the
// browser's panes, history, tabs, and Tab itself, which leaves the game
// for the page's buttons.
export function isBrowserKey(event) {
  const { code } = event;
  const ctrl = event.ctrlKey || event.metaKey;
  if (code === 'Tab' || code === 'F5' || code === 'F6') return true;
  if (ctrl && !event.altKey && ['KeyR', 'KeyL', 'KeyF', 'KeyG', 'PageUp', 'PageDown'].includes(code)) return true;
  return event.altKey && !ctrl && ['KeyD', 'ArrowLeft', 'ArrowRight', 'Home'].includes(code);
}

// The game has the keys while the focus is in it (its list, or nowhere in
// particular); on the page's buttons they are the buttons'.
function keysAreTheGames(target) {
  return target === menu || target === game || target === document.body ||
    target === document.documentElement || target === null || screen.contains(target);
}

function unlock() {
  // Browsers let a page sound only after the player's first key.
  if (!unlocked) {
    unlocked = true;
    audio.unlock();
  }
}

function onKey(event, down) {
  if (!keysAreTheGames(event.target) || isBrowserKey(event)) {
    if (down && event.code === 'Tab' && event.target === menu && !event.shiftKey) tellTabOnce();
    return;
  }
  if (gate) {
    event.preventDefault();
    event.stopPropagation();
    gate(event, down);
    return;
  }
  unlock();
  const k = mapKey(event);
  if (!k || !module._velmora_key) return;
  event.preventDefault();
  event.stopPropagation();
  const typed = down && k.typed ? k.typed.codePointAt(0) : 0;
  module._velmora_key(down ? 1 : 0, k.key, k.mods, typed);
  wake();
}

// A key of the game pressed and let go: the page's buttons and gestures.
const kKeys = { Enter: 13, Escape: 27, Space: 32, Up: 38, Down: 40, F1: 112, F2: 113, F4: 115, F10: 121 };

function pressKey(name) {
  const key = kKeys[name];
  if (!key || !module._velmora_key) return;
  unlock();
  // Enter, Escape and Space type their character too, as a keyboard's do:
  // the game's lists choose on the character.
  const typed = key === 13 || key === 27 || key === 32 ? key : 0;
  module._velmora_key(1, key, 0, typed);
  module._velmora_key(0, key, 0, 0);
  wake();
}

// The first time Tab leaves the game, the player hears how to come back.
let toldTab = false;
const kTabNote = 'Вы вышли из игры к кнопкам страницы. Вернуться в игру — Shift+Tab или кнопка «Вернуться в игру».';

function tellTabOnce() {
  if (!toldTab) tell(kTabNote);
  toldTab = true;
}

// The menu of the game as elements: its entries as options of the list a
// screen reader is in (and swipes through by touch); choosing one is a
// double tap or a click. The game tells what is there after each batch of
// events that changed it (Module.velmoraPage.mirror).
let mirrorNow = { kind: 'none', title: '', entries: [], active: -1 };
const kGameName = 'Игра Вельмора';

export function menuOptions(m) {
  switch (m.kind) {
    case 'menu':
      return { label: m.title || kGameName, options: m.entries, active: m.active };
    case 'wait':
      return { label: m.title || kGameName, options: ['Дальше'], active: -1 };
    case 'edit':
      return { label: 'Ввод', options: [m.title || '…'], active: 0 };
    case 'reading': {
      // The instructions' lines with text, the one being read marked.
      const options = [];
      let active = -1;
      m.entries.forEach((line, i) => {
        if (!line.trim()) return;
        if (i === m.active) active = options.length;
        options.push(line);
      });
      return { label: 'Инструкция', options, active };
    }
    default:
      return { label: kGameName, options: ['…'], active: -1 };
  }
}

// The entry under the game's cursor is marked aria-current, not selected:
// a reader announces a list's selection as it changes, and the player would
// hear each entry twice (the game says it). Entries that stay are kept as
// they are, so a reader's place among them is never lost.
function showMenu(label, options, active) {
  const name = label.replace(/\s+/g, ' ').trim().slice(0, 300) || kGameName;
  if (menu.getAttribute('aria-label') !== name) menu.setAttribute('aria-label', name);
  const shown = [...menu.children];
  const same = shown.length === options.length && shown.every((o, i) => o.textContent === options[i]);
  if (!same) {
    menu.replaceChildren(...options.map((text, i) => {
      const option = document.createElement('div');
      option.setAttribute('role', 'option');
      option.setAttribute('aria-selected', 'false');
      option.id = `menu-${i}`;
      option.dataset.index = String(i);
      option.textContent = text;
      return option;
    }));
  }
  [...menu.children].forEach((option, i) => {
    if (i === active) option.setAttribute('aria-current', 'true');
    else option.removeAttribute('aria-current');
  });
}

function mirror(json) {
  mirrorNow = JSON.parse(json);
  if (gate) return;  // the start's request stays until its key
  const { label, options, active } = menuOptions(mirrorNow);
  showMenu(label, options, active);
}

// An option chosen by a click (a touch screen reader's double tap).
function chooseOption(index) {
  if (gate) {
    gate.open();
    return;
  }
  if (!module._velmora_choose) return;
  unlock();
  if (mirrorNow.kind === 'menu') {
    module._velmora_choose(index);
    wake();
  } else if (mirrorNow.kind === 'wait') {
    pressKey('Space');
  } else if (mirrorNow.kind === 'edit') {
    pressKey('Enter');
  }
}

menu.addEventListener('click', (event) => {
  const option = event.target.closest('[role=option]');
  if (!option || gestureJustEnded()) return;
  chooseOption(Number(option.dataset.index));
});

for (const button of gameKeys.querySelectorAll('button[data-key]')) {
  button.addEventListener('click', () => {
    if (gate) gate.open();
    else pressKey(button.dataset.key);
  });
}
document.getElementById('back-to-game').addEventListener('click', () => menu.focus());

// Gestures on the game, for a player with the page's voice and no keyboard
// (a touch screen reader keeps the gestures for itself and acts on the
// list's entries instead). The taps of a gesture are no clicks on an entry.
const kGestureKeys = {
  previous: 'Up', next: 'Down', choose: 'Enter', back: 'Escape', again: 'F10', where: 'F4',
};
let gestureAt = -Infinity;

function gestureJustEnded() {
  return performance.now() - gestureAt < 700;
}

attachGestures(game, (name) => {
  gestureAt = performance.now();
  if (gate) {
    gate.open();
    return;
  }
  if (name === 'help') tell(kGestureHelp.join(' '));
  else if (kGestureKeys[name]) pressKey(kGestureKeys[name]);
  else unlock();
});

// The player's files (main.ini, Saves/, Settings/) live in /state while the
// game runs and are kept in IndexedDB as one set, so a reload finds them
// all as they were at one moment: never a slot from one moment and the
// autosave from another.
const kStateFolder = '/state';
const kStateSet = 'state';
const kKeepEveryMs = 250;
let keptState = new Map();
let keptAt = 0;
let keeping = Promise.resolve();
let keepFailed = false;

function readTree(folder, out = new Map(), prefix = '') {
  for (const name of module.FS.readdir(folder)) {
    if (name === '.' || name === '..') continue;
    const path = `${folder}/${name}`;
    const relative = prefix + name;
    if (module.FS.isDir(module.FS.stat(path).mode)) readTree(path, out, `${relative}/`);
    else out.set(relative, module.FS.readFile(path));
  }
  return out;
}

function sameTree(a, b) {
  if (a.size !== b.size) return false;
  for (const [name, bytes] of a) {
    const other = b.get(name);
    if (!other || other.length !== bytes.length) return false;
    for (let i = 0; i < bytes.length; ++i) if (bytes[i] !== other[i]) return false;
  }
  return true;
}

function keepState(force = false) {
  const now = performance.now();
  if (!module.FS || (!force && now - keptAt < kKeepEveryMs)) return;
  keptAt = now;
  let files;
  try {
    files = readTree(kStateFolder);
  } catch {
    return;  // no folder yet
  }
  if (sameTree(files, keptState)) return;
  keptState = files;
  // One write after another, so the last state is the one that stays.
  keeping = keeping.then(() => storage.store(kStateSet, files)).then(() => {
    document.body.dataset.kept = String(Number(document.body.dataset.kept ?? 0) + 1);
  }, (e) => {
    // The game believes it saved: the player must hear that the browser did not.
    if (!keepFailed) say(`Браузер не сохранил игру: ${e?.message ?? e}`, false);
    keepFailed = true;
  });
}

async function restoreState() {
  let files = null;
  try {
    files = await storage.load(kStateSet);
  } catch (e) {
    say(`Сохранённые игры браузера не прочитаны: ${e?.message ?? e}`, false);
  }
  keptState = files ?? new Map();
  return () => writeTree(kStateFolder, keptState);
}

// Writes files (relative name -> bytes) under folder, which is made.
function writeTree(folder, files) {
  const FS = module.FS;
  const mkdir = (path) => {
    try {
      FS.mkdir(path);
    } catch {
      // already there
    }
  };
  let path = '';
  for (const part of folder.split('/').slice(1)) mkdir((path += `/${part}`));
  for (const [name, bytes] of files) {
    // A name from storage never leaves the folder.
    const parts = name.split('/');
    if (parts.some((p) => p === '' || p === '.' || p === '..')) continue;
    let at = folder;
    for (const part of parts.slice(0, -1)) mkdir((at += `/${part}`));
    FS.writeFile(`${folder}/${name}`, bytes);
  }
}

// A player's own project: a folder chosen in the page, kept in IndexedDB as
// one set and unpacked into /projects/own before the program starts, which
// checks it (?project=1).
const kProjectSet = 'project';
const kProjectFolder = '/projects/own';
const kProjectMaxBytes = 256 * 1024 * 1024;
const kProjectMaxFiles = 20000;

async function openProject(files) {
  const chosen = [...files];
  if (chosen.length === 0) return;
  if (chosen.length > kProjectMaxFiles) {
    say(`В папке больше ${kProjectMaxFiles} файлов: это не игра.`, false);
    return;
  }
  let total = 0;
  for (const f of chosen) total += f.size;
  if (total > kProjectMaxBytes) {
    say('Папка больше 256 мегабайт: это не игра.', false);
    return;
  }
  const project = new Map();
  for (const f of chosen) {
    // The chosen folder's own name is left out: its content is the project.
    const relative = (f.webkitRelativePath || f.name).split('/').slice(1).join('/');
    if (relative) project.set(relative, new Uint8Array(await f.arrayBuffer()));
  }
  if (!hasGameIni(project)) {
    say('В этой папке нет game.ini: это не папка игры.', false);
    return;
  }
  await keepProject(project);
}

function hasGameIni(project) {
  return [...project.keys()].some((name) => name.toLowerCase() === 'game.ini');
}

// A zip holds the project's files at its top or in one folder, as a zipped
// folder does; the same caps as a folder's, counted while it is unpacked.
async function openProjectZip(file) {
  if (!file) return;
  if (file.size > kProjectMaxBytes) {
    say('Архив больше 256 мегабайт: это не игра.', false);
    return;
  }
  let project;
  try {
    project = await unzip(await file.arrayBuffer(), {
      maxBytes: kProjectMaxBytes,
      maxFiles: kProjectMaxFiles,
      tooBig: 'В архиве больше 256 мегабайт: это не игра.',
      tooMany: `В архиве больше ${kProjectMaxFiles} файлов: это не игра.`,
    });
  } catch (e) {
    say(e instanceof ZipError ? e.message : `Архив не прочитан: ${e?.message ?? e}`, false);
    return;
  }
  project = projectInside(project);
  if (!hasGameIni(project)) {
    say('В этом архиве нет game.ini: это не архив игры.', false);
    return;
  }
  await keepProject(project);
}

// The files of a zip whose one top folder holds the project, from inside it.
function projectInside(project) {
  if (hasGameIni(project)) return project;
  const tops = new Set([...project.keys()].map((name) => name.split('/')[0]));
  if (tops.size !== 1) return project;
  const [top] = tops;
  const inner = new Map();
  for (const [name, bytes] of project) {
    if (name.length > top.length) inner.set(name.slice(top.length + 1), bytes);
  }
  return inner;
}

async function keepProject(project) {
  try {
    await storage.store(kProjectSet, project);
  } catch (e) {
    say(`Браузер не сохранил игру: ${e?.message ?? e}`, false);
    return;
  }
  const url = new URL(location.href);
  url.searchParams.set('project', '1');
  await leaveFor(url);
}

// A game from the page's own site, by address: ?game=NAME.zip, or the game a
// site made by velmora-tool web names in <html data-game>. Only a plain
// file name beside the page is taken, never a path or an address: a link a
// stranger sends cannot make this page fetch from another site, climb out of
// the site's folder or ask another server under this site's name, so the
// page only ever plays what the site's owner put there.
const kGameZipName = /^[A-Za-z0-9_\-][A-Za-z0-9_.\-]*\.zip$/i;

function gameAsked(search, html) {
  const asked = new URLSearchParams(search).get('game') ?? html ?? null;
  if (asked === null || asked === '') return null;
  return kGameZipName.test(asked) && !asked.includes('..') ? { name: asked } : { bad: asked };
}

class GameFetchError extends Error {}

async function fetchGame(name) {
  let response;
  try {
    response = await fetch(new URL(name, location.href), { cache: 'no-cache' });
  } catch (e) {
    throw new GameFetchError(`Игра ${name} не загружена: нет связи с сайтом.`);
  }
  if (!response.ok) {
    throw new GameFetchError(`Игра ${name} не загружена: сайт ответил ${response.status}.`);
  }
  const size = Number(response.headers.get('content-length') ?? 0);
  if (size > kProjectMaxBytes) throw new GameFetchError(`Архив ${name} больше 256 мегабайт: это не игра.`);
  let project;
  try {
    project = await unzip(await response.arrayBuffer(), {
      maxBytes: kProjectMaxBytes,
      maxFiles: kProjectMaxFiles,
      tooBig: `В архиве ${name} больше 256 мегабайт: это не игра.`,
      tooMany: `В архиве ${name} больше ${kProjectMaxFiles} файлов: это не игра.`,
    });
  } catch (e) {
    throw new GameFetchError(e instanceof ZipError ? `${name}: ${e.message}` : `Архив ${name} не прочитан: ${e?.message ?? e}`);
  }
  project = projectInside(project);
  if (!hasGameIni(project)) throw new GameFetchError(`В архиве ${name} нет game.ini: это не архив игры.`);
  return project;
}

async function restoreProject() {
  let files = null;
  const asked = gameAsked(location.search, document.documentElement.dataset.game);
  if (asked?.bad !== undefined) {
    throw new GameFetchError(`«${asked.bad.slice(0, 100)}» не имя архива игры: нужно имя файла .zip рядом со страницей, без папок и адреса.`);
  }
  if (asked) {
    files = await fetchGame(asked.name);
    // Played as a player's own project is, checked first; the browser keeps
    // it no longer than the visit: the site holds it.
    module.velmoraPage.options.project = '1';
  } else if (module.velmoraPage.options.project === '1') {
    try {
      files = await storage.load(kProjectSet);
    } catch (e) {
      say(`Своя игра не прочитана: ${e?.message ?? e}`, false);
    }
  }
  return () => {
    if (files) writeTree(kProjectFolder, files);
  };
}

function report(text) {
  const box = document.getElementById('report');
  box.textContent = text;
  box.hidden = false;
  for (const line of text.split('\n')) if (line.trim()) say(line, false);
}

// How the game speaks: 'reader' (the player's screen reader, through the
// live region) or 'voice' (the page's own). ?speech= chooses, and is
// remembered for the next visit.
const kSpeechKey = 'velmora.speech';

function chosenSpeech() {
  const asked = new URLSearchParams(location.search).get('speech');
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

async function speechMode() {
  if (chosenSpeech() !== 'voice') return 'reader';
  if (await voice.init()) return 'voice';
  // Nobody may be left in silence: the screen reader gets the texts.
  say('В браузере нет русского голоса: игра говорит через экранного диктора.', false);
  return 'reader';
}

const projectInput = document.getElementById('project-folder');
document.getElementById('open-project').addEventListener('click', () => projectInput.click());
projectInput.addEventListener('change', () => openProject(projectInput.files));
const zipInput = document.getElementById('project-zip');
document.getElementById('open-zip').addEventListener('click', () => zipInput.click());
zipInput.addEventListener('change', () => openProjectZip(zipInput.files[0]));

// Leaving the page on purpose (another speech, a player's own project):
// the game is left first, as closing its window leaves it, so its autosave
// is written and kept in the browser, and the next start offers it.
let leaving = false;

async function leaveFor(url) {
  if (gameRunning() && module._velmora_quit) {
    leaving = true;
    module._velmora_quit();
    wake();
    const deadline = performance.now() + 3000;
    while (document.body.dataset.view !== 'closed' && performance.now() < deadline) {
      await new Promise((done) => setTimeout(done, 20));
    }
    keepState(true);
    await keeping;
  }
  location.assign(url);
}

// A button chooses, remembers and starts the page again with that speech.
for (const button of choices.querySelectorAll('button[data-speech]')) {
  button.addEventListener('click', () => {
    const url = new URL(location.href);
    url.searchParams.set('speech', button.dataset.speech);
    leaveFor(url);
  });
}

voice.onEnd(() => {
  if (module._velmora_voice_stopped) module._velmora_voice_stopped();
  if (module.velmoraWake) module.velmoraWake();
});

Object.assign(module, {
  velmoraPage: {
    say,
    render,
    mirror,
    mirrorKind: () => mirrorNow.kind,  // for the page's tests
    layoutSize,
    view(name) {
      document.body.dataset.view = name;
      if (name === 'closed' && !leaving) {
        const text = 'Игра закрыта. Чтобы сыграть снова, обновите страницу.';
        status.textContent = text;
        say(text, false);
      }
    },
    makeSound,
    loadMusic,
    playSound,
    stopSound,
    freeSound,
    musicVolume,
    speechMode: 'reader',
    // What the address asks for: nomenu=1, seed=N, transcript=1.
    options: Object.fromEntries(new URLSearchParams(location.search)),
    idle: () => keepState(),
    report,
    voiceSpeak: voice.speak,
    voiceCancel: voice.cancel,
    voiceSpeaking: voice.speaking,
    voiceRate: voice.setRate,
  },
  locateFile: (file) => file,
  onRuntimeInitialized() {
    status.textContent = '';
    document.body.dataset.view = 'started';
  },
  onAbort(what) {
    status.textContent = `Игра остановлена: ${what}`;
  },
});

window.addEventListener('keydown', (e) => onKey(e, true), true);
window.addEventListener('keyup', (e) => onKey(e, false), true);
window.addEventListener('resize', () => {
  const { width, height } = layoutSize();
  if (module._velmora_resize) module._velmora_resize(width, height);
  if (module.velmoraWake) module.velmoraWake();
});
menu.focus();

window.addEventListener('pagehide', () => keepState(true));
document.addEventListener('visibilitychange', () => keepState(true));

// Browsers let a page sound and speak only after the player's first key or
// click. Started before it, the game would lose its introduction: the wind
// dropped, and with the page's voice every text refused until a key, which
// would already have left the introduction. So the page asks for a key and
// starts the game with it; that key goes no further. The program loads
// meanwhile (a run dependency holds back only its start). Key scripts
// (?speech=instant) never wait here.
const kStartPrompt = 'Игра Вельмора. Нажмите любую клавишу или коснитесь экрана, чтобы начать.';
// Read before anything is awaited: a key the player presses on the prompt
// must not count as one pressed before it. The audio context is made now
// for the same reason: made after a key, it would be let sound at once.
const activeAtStart = navigator.userActivation?.hasBeenActive ?? false;
audio.mayPlay();

async function mustAskForKey(mode) {
  if (new URLSearchParams(location.search).get('speech') === 'instant') return false;
  if (activeAtStart) return false;
  if (mode === 'voice') return true;
  if (audio.mayPlay()) return false;
  // Some browsers open an allowed context a moment after making it.
  await new Promise((done) => setTimeout(done, 150));
  return !audio.mayPlay();
}

async function startGate(mode) {
  if (!(await mustAskForKey(mode))) return () => {};
  document.body.dataset.gate = 'waiting';
  // Shown for the companion; the reader hears it once, from the live region.
  status.setAttribute('aria-hidden', 'true');
  status.textContent = kStartPrompt;
  say(kStartPrompt, false);
  // The key may come before the program has loaded: the start is held back
  // only while no key has come.
  let opened = false;
  let holding = false;
  const open = () => {
    window.removeEventListener('pointerdown', onPointer, true);
    opened = true;
    unlocked = true;
    audio.unlock();
    status.textContent = 'Игра загружается…';
    status.removeAttribute('aria-hidden');
    delete document.body.dataset.gate;
    if (holding) module.removeRunDependency('start-key');
    const { label, options, active } = menuOptions(mirrorNow);
    showMenu(label, options, active);
  };
  const onPointer = () => {
    gate = null;
    open();
  };
  let pressed = null;
  gate = (event, down) => {
    if (pressed === null) {
      if (!down) return;
      pressed = event.code;
      open();
    } else if (!down && event.code === pressed) {
      gate = null;  // the key's release goes no further either
    } else if (down && event.code !== pressed) {
      gate = null;  // its release was never heard: the next key is the game's
      onKey(event, down);
    }
  };
  // A click or a touch screen reader's double tap on the start's entry.
  gate.open = onPointer;
  showMenu(kGameName, ['Начать игру'], -1);
  window.addEventListener('pointerdown', onPointer, true);
  return () => {
    if (opened) return;
    holding = true;
    module.addRunDependency('start-key');
  };
}

window.velmora = module;  // for the page's tests
module.velmoraPage.speechMode = await speechMode();
let ownGame = null;
try {
  ownGame = await restoreProject();
} catch (e) {
  if (!(e instanceof GameFetchError)) throw e;
  // The game asked for is not there: said, and no other game is started in
  // its place, so the player knows the link is at fault.
  status.textContent = e.message;
  say(e.message, false);
  document.body.dataset.view = 'no-game';
}
if (ownGame) {
  module.preRun = [await restoreState(), ownGame, await startGate(module.velmoraPage.speechMode)];
  document.body.dataset.speech = module.velmoraPage.speechMode;
  for (const button of choices.querySelectorAll('button[data-speech]')) {
    button.setAttribute('aria-pressed', String(button.dataset.speech === module.velmoraPage.speechMode));
  }
  window.createVelmora(module).catch((e) => {
    status.textContent = `Игра не запустилась: ${e}`;
  });
}

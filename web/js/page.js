// SPDX-License-Identifier: GPL-3.0-or-later
//
// The page around the game: starts the WebAssembly program with what the
// page's modules give it (Module.velmoraPage: its words, its window, its
// sounds, the player's files), and leaves it when the player goes.
//
//   game.js    the running program      live.js     the live region
//   draw.js    the game's window        menu.js     the game's list
//   input.js   keys, buttons, gestures  gate.js     the first key
//   audio.js   the sounds, by number    speech.js   the page's voice
//   storage.js the player's files       project.js  a player's own project

import * as audio from './audio.js';
import { layoutSize, render } from './draw.js';
import { module, gameRunning, wake } from './game.js';
import { startGate } from './gate.js';
import { listen } from './input.js';
import { report, say } from './live.js';
import { mirror, mirrorKind } from './menu.js';
import { GameFetchError, kProjectFolder, openProject, openProjectZip, restoreProject } from './project.js';
import * as voice from './speech.js';
import * as storage from './storage.js';

const menu = document.getElementById('menu');
const choices = document.getElementById('choices');
const status = document.getElementById('status');

audio.useGameFiles((path) => module.FS.readFile(path),
  document.documentElement.dataset.music === 'rendered' ? kProjectFolder : null);
let toldNoMusic = false;
audio.onMidiMissing(() => {
  if (!toldNoMusic) say('Музыка этой игры в браузере не звучит.', false);
  toldNoMusic = true;
});
audio.onMusicEnd(() => {
  if (module._velmora_music_ended) module._velmora_music_ended();
  wake();
});
voice.onEnd(() => {
  if (module._velmora_voice_stopped) module._velmora_voice_stopped();
  wake();
});

// The player's files (main.ini, Saves/, Settings/) live in /state while the
// game runs and are kept in IndexedDB as one set, so a reload finds them
// all as they were at one moment: never a slot from one moment and the
// autosave from another.
let keepFailed = false;
const state = new storage.KeptFolder(() => module.FS, '/state', 'state', {
  everyMs: 250,
  onKept() {
    document.body.dataset.kept = String(Number(document.body.dataset.kept ?? 0) + 1);
  },
  onFailed(e) {
    // The game believes it saved: the player must hear that the browser did not.
    if (!keepFailed) say(`Браузер не сохранил игру: ${e?.message ?? e}`, false);
    keepFailed = true;
  },
});

async function restoreState() {
  try {
    await state.load();
  } catch (e) {
    say(`Сохранённые игры браузера не прочитаны: ${e?.message ?? e}`, false);
  }
  return () => state.restore();
}

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
    state.keep(true);
    await state.flushed();
  }
  location.assign(url);
}

// A player's own project, once kept, is played by the page started again.
async function playOwn(kept) {
  if (!(await kept)) return;
  const url = new URL(location.href);
  url.searchParams.set('project', '1');
  await leaveFor(url);
}

const projectInput = document.getElementById('project-folder');
document.getElementById('open-project').addEventListener('click', () => projectInput.click());
projectInput.addEventListener('change', () => playOwn(openProject(projectInput.files)));
const zipInput = document.getElementById('project-zip');
document.getElementById('open-zip').addEventListener('click', () => zipInput.click());
zipInput.addEventListener('change', () => playOwn(openProjectZip(zipInput.files[0])));

// A button chooses, remembers and starts the page again with that speech.
for (const button of choices.querySelectorAll('button[data-speech]')) {
  button.addEventListener('click', () => {
    const url = new URL(location.href);
    url.searchParams.set('speech', button.dataset.speech);
    leaveFor(url);
  });
}

Object.assign(module, {
  velmoraPage: {
    say,
    render,
    mirror,
    mirrorKind,  // for the page's tests
    layoutSize,
    view(name) {
      document.body.dataset.view = name;
      if (name === 'closed' && !leaving) {
        const text = 'Игра закрыта. Чтобы сыграть снова, обновите страницу.';
        status.textContent = text;
        say(text, false);
      }
    },
    makeSound: audio.makeSound,
    loadMusic: audio.loadMusic,
    playSound: audio.playNumbered,
    stopSound: audio.stopNumbered,
    freeSound: audio.freeNumbered,
    musicVolume: audio.setChannelVolume,
    speechMode: 'reader',
    // What the address asks for: nomenu=1, seed=N, transcript=1.
    options: Object.fromEntries(new URLSearchParams(location.search)),
    idle: () => state.keep(),
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

listen();
window.addEventListener('resize', () => {
  const { width, height } = layoutSize();
  if (module._velmora_resize) module._velmora_resize(width, height);
  wake();
});
menu.focus();

window.addEventListener('pagehide', () => state.keep(true));
document.addEventListener('visibilitychange', () => state.keep(true));

window.velmora = module;  // for the page's tests
const page = module.velmoraPage;
page.speechMode = await voice.speechMode(location.search,
  () => say('В браузере нет русского голоса: игра говорит через экранного диктора.', false));
let ownGame = null;
try {
  ownGame = await restoreProject(page.options, () => module.FS);
} catch (e) {
  if (!(e instanceof GameFetchError)) throw e;
  // The game asked for is not there: said, and no other game is started in
  // its place, so the player knows the link is at fault.
  status.textContent = e.message;
  say(e.message, false);
  document.body.dataset.view = 'no-game';
}
if (ownGame) {
  module.preRun = [await restoreState(), ownGame, await startGate(page.speechMode)];
  document.body.dataset.speech = page.speechMode;
  for (const button of choices.querySelectorAll('button[data-speech]')) {
    button.setAttribute('aria-pressed', String(button.dataset.speech === page.speechMode));
  }
  window.createVelmora(module).catch((e) => {
    status.textContent = `Игра не запустилась: ${e}`;
  });
}

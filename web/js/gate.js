// SPDX-License-Identifier: GPL-3.0-or-later
//
// The first key. Browsers let a page sound and speak only after the
// player's first key or click. Started before it, the game would lose its
// introduction: the wind dropped, and with the page's voice every text
// refused until a key, which would already have left the introduction. So
// the page asks for a key and starts the game with it; that key goes no
// further. The program loads meanwhile (a run dependency holds back only
// its start). Key scripts (?speech=instant) never wait here.

import * as audio from './audio.js';
import { module } from './game.js';
import { say } from './live.js';
import { holdFor, showNow } from './menu.js';

const status = document.getElementById('status');

const kStartPrompt = 'Игра Вельмора. Нажмите любую клавишу или коснитесь экрана, чтобы начать.';
// Read before anything is awaited: a key the player presses on the prompt
// must not count as one pressed before it. The audio context is made now
// for the same reason: made after a key, it would be let sound at once.
const activeAtStart = navigator.userActivation?.hasBeenActive ?? false;
audio.mayPlay();

let unlocked = false;

/** Lets the page sound: called on the player's keys, clicks and gestures for the game. */
export function unlock() {
  if (!unlocked) {
    unlocked = true;
    audio.unlock();
  }
}

// While set, the start's key takes the page's keys instead of the game.
let gate = null;

/** Whether the start's request is up (or its key still held). */
export function gated() {
  return gate !== null;
}

/** A key while gated(): the start's key, or the first key of the game (false: the game's to handle). */
export function gateKey(event, down) {
  event.preventDefault();
  event.stopPropagation();
  return gate(event, down);
}

/** Starts the game without a key (a click, a tap, a gesture while gated()). */
export function openGate() {
  gate.open();
}

async function mustAskForKey(mode) {
  if (new URLSearchParams(location.search).get('speech') === 'instant') return false;
  if (activeAtStart) return false;
  if (mode === 'voice') return true;
  if (audio.mayPlay()) return false;
  // Some browsers open an allowed context a moment after making it.
  await new Promise((done) => setTimeout(done, 150));
  return !audio.mayPlay();
}

/**
 * Asks for the start's key when the browser would keep the game silent
 * without one (speech mode: 'voice' or 'reader'); resolves to the
 * program's preRun step, which holds its start until the key.
 */
export async function startGate(mode) {
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
    if (opened) return;
    window.removeEventListener('pointerdown', onPointer, true);
    opened = true;
    unlocked = true;
    audio.unlock();
    status.textContent = 'Игра загружается…';
    status.removeAttribute('aria-hidden');
    delete document.body.dataset.gate;
    delete document.body.dataset.held;
    if (holding) module.removeRunDependency('start-key');
    showNow();
  };
  const onPointer = () => {
    gate = null;
    open();
  };
  let pressed = null;
  gate = (event, down) => {
    if (pressed === null) {
      if (down) {
        pressed = event.code;
        open();
      }
    } else if (!down && event.code === pressed) {
      gate = null;  // the key's release goes no further either
    } else if (down && event.code !== pressed) {
      gate = null;  // its release was never heard: the next key is the game's
      return false;
    }
    return true;
  };
  // A click or a touch screen reader's double tap on the start's entry.
  gate.open = onPointer;
  holdFor('Начать игру');
  window.addEventListener('pointerdown', onPointer, true);
  return () => {
    if (opened) return;
    holding = true;
    module.addRunDependency('start-key');
    // The program has loaded and waits for the key alone (the page's tests
    // see that nothing started meanwhile).
    document.body.dataset.held = 'start-key';
  };
}

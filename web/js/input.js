// SPDX-License-Identifier: GPL-3.0-or-later
//
// The player's way to the game: keys while the focus is in it, the page's
// key buttons, a click on an entry of the game's list, and gestures on the
// game. Each unlocks the page's sound, and goes to the start's gate first
// while it is up.

import { gated, gateKey, openGate, unlock } from './gate.js';
import { module, tell, wake } from './game.js';
import { isBrowserKey, mapKey } from './keys.js';
import { mirrorKind } from './menu.js';
import { attachGestures, kGestureHelp } from './touch.js';

const game = document.getElementById('game');
const screen = document.getElementById('screen');
const menu = document.getElementById('menu');
const gameKeys = document.getElementById('game-keys');

// The game has the keys while the focus is in it (its list, or nowhere in
// particular); on the page's buttons they are the buttons'.
function keysAreTheGames(target) {
  return target === menu || target === game || target === document.body ||
    target === document.documentElement || target === null || screen.contains(target);
}

function onKey(event, down) {
  if (!keysAreTheGames(event.target) || isBrowserKey(event)) {
    if (down && event.code === 'Tab' && event.target === menu && !event.shiftKey) tellTabOnce();
    return;
  }
  if (gated() && gateKey(event, down)) return;
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

// An option chosen by a click (a touch screen reader's double tap).
function chooseOption(index) {
  if (gated()) {
    openGate();
    return;
  }
  if (!module._velmora_choose) return;
  unlock();
  const kind = mirrorKind();
  if (kind === 'menu') {
    module._velmora_choose(index);
    wake();
  } else if (kind === 'wait') {
    pressKey('Space');
  } else if (kind === 'edit') {
    pressKey('Enter');
  }
}

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

/** Listens to the player: the keys, the page's buttons, the game's list and gestures. */
export function listen() {
  menu.addEventListener('click', (event) => {
    const option = event.target.closest('[role=option]');
    if (!option || gestureJustEnded()) return;
    chooseOption(Number(option.dataset.index));
  });
  for (const button of gameKeys.querySelectorAll('button[data-key]')) {
    button.addEventListener('click', () => {
      if (gated()) openGate();
      else pressKey(button.dataset.key);
    });
  }
  document.getElementById('back-to-game').addEventListener('click', () => menu.focus());
  attachGestures(game, (name) => {
    gestureAt = performance.now();
    if (gated()) {
      openGate();
      return;
    }
    if (name === 'help') tell(kGestureHelp.join(' '));
    else if (kGestureKeys[name]) pressKey(kGestureKeys[name]);
    else unlock();
  });
  window.addEventListener('keydown', (e) => onKey(e, true), true);
  window.addEventListener('keyup', (e) => onKey(e, false), true);
}

// SPDX-License-Identifier: GPL-3.0-or-later
//
// DOM key events as the game's keys: Windows virtual-key numbers, by the
// key's place on the keyboard (event.code), as Windows numbers them whatever
// the layout; the character it types comes from event.key.
//
//   const k = mapKey(event);   // { key, mods, typed } or null
//   // mods: 1 Shift, 2 Ctrl, 4 Alt, 8 Caps Lock on
//   isBrowserKey(event)        // the browser's own key, never the game's

const kByCode = new Map([
  ['Enter', 13], ['NumpadEnter', 13], ['Escape', 27], ['Backspace', 8], ['Tab', 9],
  ['Space', 32], ['ShiftLeft', 16], ['ShiftRight', 16], ['ControlLeft', 17],
  ['ControlRight', 17], ['AltLeft', 18], ['AltRight', 18], ['MetaLeft', 91],
  ['MetaRight', 92], ['OSLeft', 91], ['OSRight', 92], ['CapsLock', 20], ['NumLock', 144],
  ['ScrollLock', 145], ['Pause', 19], ['PrintScreen', 44], ['ContextMenu', 93],
  ['ArrowUp', 38], ['ArrowDown', 40], ['ArrowLeft', 37], ['ArrowRight', 39],
  ['Home', 36], ['End', 35], ['PageUp', 33], ['PageDown', 34], ['Insert', 45],
  ['Delete', 46], ['NumpadMultiply', 106], ['NumpadAdd', 107], ['NumpadSubtract', 109],
  ['NumpadDivide', 111],
  // The punctuation keys keep their US numbers on the Russian layout too.
  ['Semicolon', 186], ['Equal', 187], ['Comma', 188], ['Minus', 189], ['Period', 190],
  ['Slash', 191], ['Backquote', 192], ['BracketLeft', 219], ['Backslash', 220],
  ['BracketRight', 221], ['Quote', 222], ['IntlBackslash', 226],
]);

// The numeric pad: its digit with Num Lock, else the navigation key.
const kPad = new Map([
  ['Numpad0', [96, 45]], ['Numpad1', [97, 35]], ['Numpad2', [98, 40]], ['Numpad3', [99, 34]],
  ['Numpad4', [100, 37]], ['Numpad5', [101, 12]], ['Numpad6', [102, 39]],
  ['Numpad7', [103, 36]], ['Numpad8', [104, 38]], ['Numpad9', [105, 33]],
  ['NumpadDecimal', [110, 46]],
]);

// Keys whose character the browser does not give as text.
const kControlCharacters = new Map([[13, '\r'], [27, '\x1b'], [8, '\b'], [9, '\t']]);

function modifiers(event) {
  return (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0) |
    (event.getModifierState && event.getModifierState('CapsLock') ? 8 : 0);
}

export function virtualKey(code) {
  let m = /^Key([A-Z])$/.exec(code);
  if (m) return m[1].charCodeAt(0);
  m = /^Digit([0-9])$/.exec(code);
  if (m) return 48 + Number(m[1]);
  m = /^F([0-9]{1,2})$/.exec(code);
  if (m && Number(m[1]) >= 1 && Number(m[1]) <= 24) return 111 + Number(m[1]);
  return kByCode.get(code) ?? 0;
}

export function mapKey(event) {
  let mods = modifiers(event);
  let key = 0;
  const pad = kPad.get(event.code);
  if (pad) {
    // The system has already applied Num Lock and Shift: a digit means the
    // digit key; Windows then reports Shift released for a navigation key
    // that Num Lock would have made a digit.
    const digit = /^[0-9.,]$/.test(event.key);
    key = digit ? pad[0] : pad[1];
    if (!digit && event.getModifierState && event.getModifierState('NumLock')) mods &= ~1;
  } else {
    key = virtualKey(event.code);
  }
  // A key without a known place: its letter, if any.
  if (key === 0 && /^[a-zA-Z]$/.test(event.key)) key = event.key.toUpperCase().charCodeAt(0);
  if (key === 0) return null;
  let typed = '';
  if (!event.ctrlKey && !event.altKey) {
    if (kControlCharacters.has(key) && event.code !== 'Space') typed = kControlCharacters.get(key);
    else if ([...event.key].length === 1) typed = event.key;
  }
  return { key, mods, typed };
}

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

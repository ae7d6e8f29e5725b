// SPDX-License-Identifier: GPL-3.0-or-later
//
// The live region (#speech): every text the game says, for the player's
// screen reader and to be read back; and the checker's findings (#report).

const speech = document.getElementById('speech');

// The live region keeps this many texts: enough to read back, bounded.
const kSpokenKept = 100;

// A text of several lines (a menu: its title, then one entry a line) is
// heard line by line: a reader runs lines together unless each ends as a
// sentence does, so a line without its own closing mark gets a full stop.
export function spokenLines(text) {
  const lines = text.split(/\r\n|\r|\n/).map((l) => l.trim()).filter((l) => l !== '');
  if (lines.length < 2) return lines.join('');
  return lines.map((l, i) => (i < lines.length - 1 && !/[.!?:;,…»)]$/.test(l) ? `${l}.` : l)).join(' ');
}

/** Puts text into the live region; again marks a text said once more. */
export function say(text, again) {
  const line = document.createElement('p');
  line.textContent = spokenLines(text);
  if (again) line.dataset.again = '1';
  speech.append(line);
  while (speech.childElementCount > kSpokenKept) speech.firstElementChild.remove();
}

/** Shows the checker's findings on a player's own project, and says each. */
export function report(text) {
  const box = document.getElementById('report');
  box.textContent = text;
  box.hidden = false;
  for (const line of text.split('\n')) if (line.trim()) say(line, false);
}

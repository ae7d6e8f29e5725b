// SPDX-License-Identifier: GPL-3.0-or-later
//
// The menu of the game as elements: its entries as options of the list a
// screen reader is in (#menu, and swipes through by touch); choosing one is
// a double tap or a click. The game tells what is there after each batch of
// events that changed it (Module.velmoraPage.mirror).

const menu = document.getElementById('menu');

let mirrorNow = { kind: 'none', title: '', entries: [], active: -1 };
// While set, the start's request stays in the list instead of the game's menu.
let holding = false;

export const kGameName = 'Игра Вельмора';

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

/** Takes what the game has to act on (JSON), and shows it unless the start's request holds the list. */
export function mirror(json) {
  mirrorNow = JSON.parse(json);
  if (holding) return;  // the start's request stays until its key
  showNow();
}

/** The kind of what the game has to act on: 'menu', 'wait', 'edit', 'reading' or 'none'. */
export function mirrorKind() {
  return mirrorNow.kind;
}

/** Shows one entry, the start's request, until showNow(). */
export function holdFor(entry) {
  holding = true;
  showMenu(kGameName, [entry], -1);
}

/** Shows what the game has to act on now, and from now on. */
export function showNow() {
  holding = false;
  const { label, options, active } = menuOptions(mirrorNow);
  showMenu(label, options, active);
}

// SPDX-License-Identifier: GPL-3.0-or-later
//
// Draws the game's window: the component tree the program sends after each
// batch of changes (JSON) as positioned elements in #screen, at a layout
// size the page fits.

import { module } from './game.js';

const screen = document.getElementById('screen');

// The game's fonts and the families that stand in for them.
const kFonts = {
  'arial black': '"Arial Black", "DejaVu Sans", "Liberation Sans", sans-serif',
  'monotype corsiva': '"Monotype Corsiva", "URW Chancery L", "DejaVu Serif", serif',
};

const pictures = new Map();  // file -> object URL of its bytes
const images = new Map();    // control name -> its <img>, kept so a GIF animates on

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

/** The size the window is laid out at on this page, and the scale it is drawn at. */
export function layoutSize() {
  return layoutFor(Math.max(1, window.innerWidth), Math.max(1, window.innerHeight));
}

/** Draws the window from its component tree (JSON; null draws nothing). */
export function render(json) {
  const form = JSON.parse(json);
  const tree = form ? drawControl(form) : document.createDocumentFragment();
  const { scale } = layoutSize();
  screen.style.transform = scale < 1 ? `scale(${scale})` : '';
  screen.replaceChildren(tree);
  // The line being read stays in sight, as the window scrolls to its caret.
  for (const line of screen.querySelectorAll('[data-caret]')) line.scrollIntoView({ block: 'nearest' });
}

// SPDX-License-Identifier: GPL-3.0-or-later
//
// Playing the built page as a player does, for the browser tests: the page
// opened past its request for a first key, what the live region said, and
// waits with deadlines.
//
//   import { inPage, openPage, heard, spoken, until } from './play.mjs';
//   await inPage({}, async (b, url) => { await openPage(b.page, url + 'index.html'); ... });

import assert from 'node:assert/strict';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve, launch } from './browser.mjs';

export const root = fileURLToPath(new URL('../..', import.meta.url));
export const site = process.env.VELMORA_SITE ?? join(root, 'build-web/site');

// Runs body(b, url) with the built site served and a fresh browser; no page
// error may happen meanwhile.
export async function inPage(launchOptions, body) {
  const server = await serve(site);
  const b = await launch(launchOptions);
  try {
    await body(b, server.url);
    assert.deepEqual(b.errors, []);
  } finally {
    await b.close();
    await server.close();
  }
}

// Plays a key script as the headless game reads one: blank lines and
// comments skipped, the game settled before each step (a timed wait runs
// out), a `wait N` as much time (pages heard to their end); every other step
// goes to act(step, its line number).
export async function playKeyScript(page, text, act) {
  for (const [n, line] of text.split('\n').entries()) {
    const step = line.trim();
    if (!step || step.startsWith('#')) continue;
    await until(page, () => window.velmora._velmora_busy() === 0);
    if (step.startsWith('wait ')) {
      await new Promise((done) => setTimeout(done, Number(step.slice(5))));
      continue;
    }
    await act(step, n + 1);
  }
}

// Waits until fn (run in the page, awaited) gives a true value.
export async function until(page, fn, arg, timeoutMs = 20000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    if (await page.evaluate(fn, arg)) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${fn}`);
    await new Promise((done) => setTimeout(done, 50));
  }
}

export const spoken = (page) => page.$$eval('#speech > p', (ps) => ps.map((p) => p.textContent));

// Waits until the live region holds a text that contains `part`, said after
// the first `after` texts.
export async function heard(page, part, after = 0) {
  await page.waitForFunction(
    ([p, n]) => [...document.querySelectorAll('#speech > p')].slice(n).some((e) => e.textContent.includes(p)),
    [part, after], { timeout: 20000 });
}

// Past the page's request for a first key (a browser that lets a page sound
// only after one makes it ask), with a key or, on a touch screen, a tap.
export async function startGame(page, { tap = false } = {}) {
  await page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
    document.body.dataset.view !== 'loading', null, { timeout: 20000 });
  if (await page.evaluate(() => document.body.dataset.gate === 'waiting')) {
    if (tap) await page.touchscreen.tap(100, 100);
    else await page.keyboard.press('Space');
  }
  await page.waitForFunction(() => document.body.dataset.view !== 'loading', null, { timeout: 20000 });
}

export async function openPage(page, address, options) {
  await page.goto(address);
  await startGame(page, options);
}

// The page's menu as a screen reader finds it: its name, its entries and
// the one marked selected.
export const menuOf = (page) => page.$eval('#menu', (m) => ({
  role: m.getAttribute('role'),
  label: m.getAttribute('aria-label'),
  options: [...m.querySelectorAll('[role=option]')].map((o) => o.textContent),
  selected: [...m.querySelectorAll('[role=option]')].findIndex((o) => o.getAttribute('aria-current') === 'true'),
}));

// SPDX-License-Identifier: GPL-3.0-or-later
// The built page as the smoke tests open and play it: where the site and
// the screenshot are, and the steps every test shares.

import { existsSync } from 'node:fs';
import { join } from 'node:path';
import { heard, root, site } from '../play.mjs';

export { heard, inPage, playKeyScript, root, spoken, until } from '../play.mjs';

export const shot = process.env.VELMORA_SMOKE_SHOT ?? join(root, 'build-web/smoke.png');

const built = existsSync(join(site, 'velmora.wasm'));
export const skip = !built && 'run scripts/build-web first';

// Opens the page as a player does: Escape leaves the introduction (a page
// waits for a key: the live region is a reader that reports no end), and 1
// starts a new game.
export async function startNewGame(page, url) {
  await openPage(page, url + 'index.html');
  await heard(page, 'Над озером Вельмой');
  await page.keyboard.press('Escape');
  await heard(page, 'Главное меню');
  await page.keyboard.press('1');
  await heard(page, 'Сторожка маяка');
}

export const kStartPrompt = 'Игра Вельмора. Нажмите любую клавишу или коснитесь экрана, чтобы начать.';

// Past the page's request for a first key, which a browser that lets a page
// sound only after one makes it ask for (headless chromium does).
export async function startGame(page) {
  await page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
    document.body.dataset.view !== 'loading', null, { timeout: 20000 });
  if (await page.evaluate(() => document.body.dataset.gate === 'waiting')) await page.keyboard.press('Space');
}

// Opens a player's own project with the page's picker (input) and plays it
// past the checker's word of a clean project, to the introduction.
export async function playOwnProject(page, input, path) {
  await page.setInputFiles(input, path);
  await page.waitForURL(/project=1/);
  await startGame(page);
  await heard(page, 'check: 0 errors, 0 warnings');
  await heard(page, 'Над озером Вельмой');
}

export async function openPage(page, address) {
  await page.goto(address);
  await startGame(page);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The built page in headless chromium, as a player starts it: the game
// loads, Escape leaves the introduction, 1 starts a new game, and the live
// region holds what was said, each text once. A screenshot is left for a
// person to look at.
//   node --test tests/web/smoke.mjs     (after scripts/build-web)

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { launch, serve } from './browser.mjs';

const root = resolve(import.meta.dirname, '../..');
const site = join(root, 'build-web/site');
const shot = process.env.VELMORA_SMOKE_SHOT ?? join(root, 'build-web/smoke.png');

const spoken = (page) => page.$$eval('#speech > p', (ps) => ps.map((p) => p.textContent));

// Waits until the live region holds a text that contains `part`.
async function heard(page, part) {
  await page.waitForFunction(
    (p) => [...document.querySelectorAll('#speech > p')].some((e) => e.textContent.includes(p)),
    part, { timeout: 20000 });
}

test('the shipped adventure starts in the page', { skip: !existsSync(join(site, 'velmora.wasm')) && 'run scripts/build-web first' }, async () => {
  const server = await serve(site);
  const b = await launch({ contextOptions: { viewport: { width: 1280, height: 720 }, locale: 'ru-RU' } });
  try {
    await b.page.goto(server.url + 'index.html');
    await heard(b.page, 'Над озером Вельмой');
    // A page waits for a key: the live region is a reader that reports no end.
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    await b.page.keyboard.press('1');
    await heard(b.page, 'Сторожка маяка');
    await b.page.waitForFunction(() => document.body.dataset.view === 'game');

    const texts = await spoken(b.page);
    assert.deepEqual(texts.filter((t) => t.startsWith('Сторожка маяка')).length, 1, texts.join('\n'));
    const menu = texts.find((t) => t.startsWith('Главное меню'));
    assert.match(menu, /Новая игра\nЗагрузить игру/, 'menu lines stay lines');
    assert.ok(texts.indexOf(menu) < texts.findIndex((t) => t.startsWith('Сторожка')), 'in order');
    assert.equal(await b.page.$eval('#speech', (e) => e.getAttribute('aria-live')), 'assertive');

    // The place's music, rendered from the shipped MIDI, follows the game.
    await b.page.waitForFunction(() => import('./js/audio.js').then((a) => a.musicUrl() === 'music/map1.mp3'));

    // The place's picture is drawn, and the message area holds the text.
    await b.page.waitForFunction(() => [...document.querySelectorAll('#screen img')]
      .some((i) => i.complete && i.naturalWidth > 0 && i.style.visibility !== 'hidden'));
    assert.match(await b.page.$eval('#screen', (e) => e.textContent), /Сторожка маяка/);
    await b.page.screenshot({ path: shot });
    assert.deepEqual(b.errors, []);
  } finally {
    await b.close();
    await server.close();
  }
});

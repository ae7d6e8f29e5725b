// SPDX-License-Identifier: GPL-3.0-or-later
// The game kept in IndexedDB across reloads, and leaving the game.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { heard, inPage, openPage, skip, spoken, startGame, startNewGame, until } from './page.mjs';

test('the game kept in the browser is offered again after a reload, and a saved slot loads after one', { skip }, async () => {
  await inPage({}, async (b, url) => {
    await startNewGame(b.page, url);
    // A first step, to the shore: the autosave is written, then kept in IndexedDB.
    for (const key of ['ArrowDown', 'Enter', 'ArrowDown', 'Enter']) await b.page.keyboard.press(key);
    await heard(b.page, 'Экран: Берег');
    await until(b.page, () => import('./js/storage.js')
      .then((s) => s.load('state'))
      .then((files) => files?.has('Saves/autosave.sav')));
    // And into the first slot, through the game's menu.
    for (const key of ['0', '2', '1']) await b.page.keyboard.press(key);
    await heard(b.page, 'Игра сохранена: 1 (первая игра)');
    await until(b.page, () => import('./js/storage.js')
      .then((s) => s.load('state'))
      .then((files) => files?.has('Saves/1-game.ini') && files?.has('Saves/1-map1.ini')));
    await b.page.reload();
    await startGame(b.page);
    await heard(b.page, 'Продолжить прошлую игру?');
    let before = (await spoken(b.page)).length;
    await b.page.keyboard.press('Enter');
    await b.page.waitForFunction((n) => document.querySelectorAll('#speech > p').length > n, before);
    await heard(b.page, 'Берег');

    // The slot after another reload: declined autosave, main menu, load.
    await b.page.reload();
    await startGame(b.page);
    await heard(b.page, 'Продолжить прошлую игру?');
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Над озером Вельмой');
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    before = (await spoken(b.page)).length;
    for (const key of ['2', '1']) await b.page.keyboard.press(key);
    await b.page.waitForFunction((n) => [...document.querySelectorAll('#speech > p')].slice(n)
      .some((p) => p.textContent.startsWith('Экран: Берег')), before);
  });
});

test('leaving the game from the main menu is told in the page', { skip }, async () => {
  await inPage({}, async (b, url) => {
    await openPage(b.page, url + 'index.html');
    await heard(b.page, 'Над озером Вельмой');
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    await b.page.keyboard.press('6');
    await heard(b.page, 'Игра закрыта');
    assert.equal(await b.page.evaluate(() => document.body.dataset.view), 'closed');
    // The menu's music stops with the game.
    assert.equal(await b.page.evaluate(() => import('./js/audio.js').then((a) => a.musicUrl())), null);
  });
});

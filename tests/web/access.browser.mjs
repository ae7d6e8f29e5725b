// SPDX-License-Identifier: GPL-3.0-or-later
//
// The page as a screen reader's user and a phone's player meet it: the
// game's menu mirrored as a list a reader is in by itself, Tab and the
// browser's keys left to the browser, the speech chosen without losing the
// game, no accessibility violation (axe-core) on any view, the drawing within
// a phone's screen, and the shipped adventure won by touch alone: by
// gestures with the page's voice, and by the list's entries as a touch
// screen reader chooses them.

import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { inPage, openPage, heard, spoken, until, menuOf, root, site } from './play.mjs';

const skip = existsSync(join(site, 'velmora.wasm')) ? false : `no page built in ${site}`;

// Dispatches a key on the focused element as the browser would and tells
// whether the page kept it from the browser.
const keptFromBrowser = (page, init) => page.evaluate((k) => {
  const target = document.activeElement ?? document.body;
  const down = new KeyboardEvent('keydown', { bubbles: true, cancelable: true, ...k });
  target.dispatchEvent(down);
  target.dispatchEvent(new KeyboardEvent('keyup', { bubbles: true, cancelable: true, ...k }));
  return down.defaultPrevented;
}, init);

test('a screen reader is in the game\'s menu: its entries follow the game, a click chooses, Tab and the browser\'s keys stay the browser\'s', { skip }, async () => {
  await inPage({}, async (b, url) => {
    await openPage(b.page, url + 'index.html');
    await heard(b.page, 'Над озером Вельмой');
    // Nothing asks the reader to stay out (no application role); the list
    // has the focus, and a page of the introduction is one entry: go on.
    assert.equal(await b.page.$$eval('[role=application]', (e) => e.length), 0);
    assert.equal(await b.page.evaluate(() => document.activeElement.id), 'menu');
    assert.deepEqual((await menuOf(b.page)).options, ['Дальше']);

    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    // The menu is heard line by line, and is the list's entries.
    assert.ok((await spoken(b.page)).includes(
      'Главное меню: Новая игра. Загрузить игру. Инструкция. Вступление. Об авторах. Выход'));
    await until(b.page, () => document.querySelectorAll('#menu [role=option]').length === 6);
    let menu = await menuOf(b.page);
    assert.deepEqual({ ...menu, options: menu.options.length }, {
      role: 'listbox', label: 'Главное меню', options: 6, selected: 0,
    });
    await b.page.keyboard.press('ArrowDown');
    await heard(b.page, 'Загрузить игру');
    await until(b.page, () => document.querySelector('#menu-1')?.getAttribute('aria-selected') === 'true');

    // A click on an entry (a touch screen reader's double tap) chooses it.
    const before = (await spoken(b.page)).length;
    await b.page.$eval('#menu-0', (o) => o.click());
    await heard(b.page, 'Сторожка маяка', before);
    await until(b.page, () => document.querySelectorAll('#menu [role=option]').length > 3);
    menu = await menuOf(b.page);
    assert.ok(menu.options.some((o) => /Осмотреть/.test(o)), `the action menu's entries: ${menu.options}`);

    // The game's keys are kept from the browser; the browser's own are not.
    assert.equal(await keptFromBrowser(b.page, { key: 'ArrowDown', code: 'ArrowDown' }), true);
    for (const k of [
      { key: 'F5', code: 'F5' }, { key: 'r', code: 'KeyR', ctrlKey: true }, { key: 'l', code: 'KeyL', ctrlKey: true },
      { key: 'F6', code: 'F6' }, { key: 'd', code: 'KeyD', altKey: true }, { key: 'f', code: 'KeyF', ctrlKey: true },
      { key: 'ArrowLeft', code: 'ArrowLeft', altKey: true }, { key: 'Tab', code: 'Tab' },
    ]) {
      assert.equal(await keptFromBrowser(b.page, k), false, `${JSON.stringify(k)} is the browser's`);
      await b.page.focus('#menu');
    }

    // Tab leaves the game for the page's buttons, once told how to come
    // back; there the keys are the buttons'; Shift+Tab comes back.
    // (F10 says it again, marked as a repeat.)
    const tabNote = () => b.page.$$eval('#speech > p:not([data-again])',
      (ps) => ps.filter((p) => p.textContent.includes('Shift+Tab')).length);
    await b.page.keyboard.press('Tab');
    assert.equal(await b.page.evaluate(() => document.activeElement.textContent), 'Назад');
    await heard(b.page, 'Вернуться в игру — Shift+Tab');
    await b.page.keyboard.press('Tab');
    // The page's «Повторить» is F10 to the game: the last text again.
    const atRepeat = (await spoken(b.page)).length;
    await b.page.keyboard.press('Enter');
    await until(b.page, (n) => document.querySelectorAll('#speech > p').length > n, atRepeat);
    await b.page.keyboard.press('Shift+Tab');
    await b.page.keyboard.press('Shift+Tab');
    assert.equal(await b.page.evaluate(() => document.activeElement.id), 'menu');
    await b.page.keyboard.press('Tab');
    await b.page.keyboard.press('Shift+Tab');
    assert.equal(await tabNote(), 1, 'told once');

    // Choosing the page's voice starts the page again, and the game in
    // progress is offered to continue: nothing is lost. (A step first: a
    // new game is kept once it has changed.)
    await b.page.keyboard.press('1');
    await b.page.keyboard.press('ArrowDown');
    await b.page.keyboard.press('Enter');
    await heard(b.page, 'Экран: Берег').catch(async (e) => {
      throw new Error(`${e.message}; heard: ${(await spoken(b.page)).slice(-8).join(' | ')}`);
    });
    await b.page.$eval('button[data-speech=voice]', (e) => e.click());
    await b.page.waitForURL(/speech=voice/);
    await b.page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
      document.body.dataset.view !== 'loading', null, { timeout: 20000 });
    if (await b.page.evaluate(() => document.body.dataset.gate === 'waiting')) await b.page.keyboard.press('Space');
    await heard(b.page, 'Продолжить прошлую игру').catch(async (e) => {
      throw new Error(`${e.message}; heard: ${(await spoken(b.page)).join(' | ')}`);
    });
    menu = await menuOf(b.page);
    assert.deepEqual(menu.options, ['Да, продолжить', 'Нет, начать заново']);
    await b.page.$eval('#menu-0', (o) => o.click());
    await heard(b.page, 'Экран: Берег', 1);
  });
});

// SPDX-License-Identifier: GPL-3.0-or-later
// The page's first moments: keys as the game's key numbers, and the shipped
// adventure started as a player starts it, its request for a first key,
// introduction, main menu and first place heard and seen (a screenshot is
// left for a person to look at).

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mapKey } from '../../../web/js/keys.js';
import { boxOf, decodePng, shareIn } from './frames.mjs';
import { heard, inPage, kStartPrompt, shot, skip, spoken, until } from './page.mjs';

// DOM key events as the game's keys: by the key's place, whatever the layout.
test('page keys become the Windows key numbers the game uses', () => {
  const ev = (code, key, more = {}) => ({
    code, key, shiftKey: false, ctrlKey: false, altKey: false,
    getModifierState: (m) => Boolean(more[m]), ...more,
  });
  const cases = [
    [ev('KeyA', 'a'), { key: 65, mods: 0, typed: 'a' }],
    [ev('KeyF', 'а'), { key: 70, mods: 0, typed: 'а' }],  // Russian layout: the place's number
    [ev('KeyF', 'А', { shiftKey: true, CapsLock: true }), { key: 70, mods: 9, typed: 'А' }],
    [ev('KeyC', 'c', { ctrlKey: true }), { key: 67, mods: 2, typed: '' }],
    [ev('Digit1', '1'), { key: 49, mods: 0, typed: '1' }],
    [ev('Enter', 'Enter'), { key: 13, mods: 0, typed: '\r' }],
    [ev('NumpadEnter', 'Enter'), { key: 13, mods: 0, typed: '\r' }],
    [ev('Escape', 'Escape'), { key: 27, mods: 0, typed: '\x1b' }],
    [ev('Backspace', 'Backspace'), { key: 8, mods: 0, typed: '\b' }],
    [ev('Tab', 'Tab', { shiftKey: true }), { key: 9, mods: 1, typed: '\t' }],
    [ev('Space', ' '), { key: 32, mods: 0, typed: ' ' }],
    [ev('F1', 'F1'), { key: 112, mods: 0, typed: '' }],
    [ev('F12', 'F12'), { key: 123, mods: 0, typed: '' }],
    [ev('ArrowDown', 'ArrowDown'), { key: 40, mods: 0, typed: '' }],
    [ev('ControlLeft', 'Control', { ctrlKey: true }), { key: 17, mods: 2, typed: '' }],
    [ev('Period', 'ю'), { key: 190, mods: 0, typed: 'ю' }],
    [ev('Backquote', 'ё'), { key: 192, mods: 0, typed: 'ё' }],
    [ev('NumpadAdd', '+'), { key: 107, mods: 0, typed: '+' }],
    [ev('Numpad1', '1', { NumLock: true }), { key: 97, mods: 0, typed: '1' }],
    // Num Lock on and Shift: the navigation key, with Shift reported released.
    [ev('Numpad1', 'End', { shiftKey: true, NumLock: true }), { key: 35, mods: 0, typed: '' }],
    [ev('Numpad8', 'ArrowUp'), { key: 38, mods: 0, typed: '' }],
    [ev('', 'q'), { key: 81, mods: 0, typed: 'q' }],  // no known place: its letter
    [ev('', 'Unidentified'), null],
    [ev('Fn', 'Fn'), null],
  ];
  for (const [event, expected] of cases) assert.deepEqual(mapKey(event), expected, `${event.code} ${event.key}`);
});

test('the shipped adventure starts in the page', { skip }, async () => {
  await inPage({ contextOptions: { viewport: { width: 1280, height: 720 }, locale: 'ru-RU' } }, async (b, url) => {
    // Before a key the page may not sound: it asks for one, says nothing
    // else, and the game starts with that key, which goes no further (the
    // introduction's first page stays).
    await b.page.goto(url + 'index.html');
    // The test driver's calls count as the player's activity: made while the
    // page still loads, they must not let the page start without the key.
    for (let i = 0; i < 10; ++i) await b.page.evaluate(() => 1);
    await b.page.waitForFunction(() => document.body.dataset.gate === 'waiting');
    // Loaded, the program waits for the key alone: it has not started, and
    // nothing but the request was said.
    await b.page.waitForFunction(() => document.body.dataset.held === 'start-key');
    assert.equal(await b.page.evaluate(() => document.body.dataset.view), 'loading');
    assert.deepEqual(await spoken(b.page), [kStartPrompt]);
    assert.equal(await b.page.$eval('#status', (e) => e.textContent), kStartPrompt);
    // Shown there, heard once: the status is kept from the reader meanwhile.
    assert.equal(await b.page.$eval('#status', (e) => e.getAttribute('aria-hidden')), 'true');
    // Every key the game is given from now on is counted.
    await b.page.evaluate(() => {
      const given = window.velmora._velmora_key;
      window.keysGiven = 0;
      window.velmora._velmora_key = (...args) => {
        window.keysGiven += 1;
        return given(...args);
      };
    });
    await b.page.keyboard.press('Space');
    await heard(b.page, 'Над озером Вельмой');
    // The key, pressed and let go by now, was the start's alone: it never
    // reached the game, and the introduction came right after the request.
    assert.equal(await b.page.evaluate(() => window.keysGiven), 0);
    const first = (await spoken(b.page)).slice(0, 2);
    assert.ok(first[0] === kStartPrompt && first[1].startsWith('Над озером Вельмой'), first.join('\n'));
    assert.equal(await b.page.$eval('#status', (e) => e.textContent), '');
    assert.equal(await b.page.$eval('#status', (e) => e.getAttribute('aria-hidden')), null);
    // The introduction's page: its picture, and its text in magenta on black.
    await b.page.waitForFunction(() => [...document.querySelectorAll('#screen img')]
      .some((i) => i.complete && i.naturalWidth > 0 && i.style.visibility !== 'hidden'));
    let share = shareIn(decodePng(await b.page.screenshot()));
    const magenta = (r, g, b) => r > 180 && g < 80 && b > 180;
    const intro = {
      picture: share(await boxOf(b.page, '#screen img'), (r, g, b) => r + g + b > 60),
      textMagenta: share(await boxOf(b.page, '[data-name="RichEdit2"]'), magenta),
      textBlack: share(await boxOf(b.page, '[data-name="RichEdit2"]'), (r, g, b) => r + g + b < 30),
    };
    assert.ok(intro.picture > 0.5 && intro.textMagenta > 0.01 && intro.textBlack > 0.5, JSON.stringify(intro));
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    // The main menu: its picture over the whole page.
    await b.page.waitForFunction(() => document.body.dataset.view === 'picture');
    await b.page.waitForFunction(() => [...document.querySelectorAll('#screen img')]
      .some((i) => i.complete && i.naturalWidth > 0 && i.style.visibility !== 'hidden'));
    share = shareIn(decodePng(await b.page.screenshot()));
    const menuPicture = share({ x: 0, y: 0, w: 1280, h: 720 }, (r, g, b) => r + g + b > 30);
    assert.ok(menuPicture > 0.8, `the main menu's picture covers ${menuPicture}`);
    await b.page.keyboard.press('1');
    await heard(b.page, 'Сторожка маяка');
    await b.page.waitForFunction(() => document.body.dataset.view === 'game');

    const texts = await spoken(b.page);
    assert.deepEqual(texts.filter((t) => t.startsWith('Сторожка маяка')).length, 1, texts.join('\n'));
    const menu = texts.find((t) => t.startsWith('Главное меню'));
    assert.match(menu, /Новая игра\. Загрузить игру\. /, 'menu lines are heard as lines');
    assert.ok(texts.indexOf(menu) < texts.findIndex((t) => t.startsWith('Сторожка')), 'in order');
    assert.equal(await b.page.$eval('#speech', (e) => e.getAttribute('aria-live')), 'assertive');

    // The place's music, rendered from the shipped MIDI, follows the game.
    await until(b.page, () => import('./js/audio.js').then((a) => a.musicUrl() === 'music/map1.mp3'));

    // The place's picture is drawn, and the message area holds the text.
    await b.page.waitForFunction(() => [...document.querySelectorAll('#screen img')]
      .some((i) => i.complete && i.naturalWidth > 0 && i.style.visibility !== 'hidden'));
    assert.match(await b.page.$eval('#screen', (e) => e.textContent), /Сторожка маяка/);
    const png = await b.page.screenshot({ path: shot });
    // The screenshot by colour regions, as the window's are checked: the
    // picture in the picture's box, the message in lime on black, the
    // action menu in lime and yellow.
    const boxes = await b.page.evaluate(() => Object.fromEntries(
      ['RichEdit1', 'MenuPanel', 'ImagePanel'].map((name) => {
        const r = document.querySelector(`[data-name="${name}"]`).getBoundingClientRect();
        return [name, { x: r.left, y: r.top, w: r.width, h: r.height }];
      })));
    share = shareIn(decodePng(png));
    const lime = (r, g, b) => r < 80 && g > 200 && b < 80;
    const yellow = (r, g, b) => r > 200 && g > 200 && b < 80;
    const colours = {
      picture: share(boxes.ImagePanel, (r, g, b) => r + g + b > 60),
      messageLime: share(boxes.RichEdit1, lime),
      messageBlack: share(boxes.RichEdit1, (r, g, b) => r + g + b < 30),
      menuLime: share(boxes.MenuPanel, lime),
      menuYellow: share(boxes.MenuPanel, yellow),
    };
    assert.ok(colours.picture > 0.5, JSON.stringify(colours));
    assert.ok(colours.messageLime > 0.02 && colours.messageBlack > 0.5, JSON.stringify(colours));
    assert.ok(colours.menuLime > 0.01 && colours.menuYellow > 0.001, JSON.stringify(colours));
  });
});


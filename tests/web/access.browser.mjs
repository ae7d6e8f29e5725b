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
import { inPage, openPage, heard, playKeyScript, spoken, until, menuOf, root, site } from './play.mjs';

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
    const kLines = ['Новая игра', 'Загрузить игру', 'Инструкция', 'Вступление', 'Об авторах', 'Выход'];
    assert.ok((await spoken(b.page)).some((t) => t.startsWith(`Главное меню: ${kLines.join('. ')}`)));
    await until(b.page, () => document.querySelectorAll('#menu [role=option]').length >= 6);
    let menu = await menuOf(b.page);
    assert.deepEqual({ ...menu, options: menu.options.slice(0, 6) }, {
      role: 'listbox', label: 'Главное меню', options: kLines, selected: 0,
    });
    await b.page.keyboard.press('ArrowDown');
    await heard(b.page, 'Загрузить игру');
    await until(b.page, () => document.querySelector('#menu-1')?.getAttribute('aria-current') === 'true');

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

    // F1's help in the page names no key the page leaves to the browser.
    await b.page.keyboard.press('F1');
    await heard(b.page, 'пункт «Настройки»');
    assert.ok(!(await spoken(b.page)).some((t) => t.includes('эф 5')), 'F5 and F6 are the browser\'s');

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

// axe-core's rules on the page as it stands, without a rule for the
// drawing's colours (aria-hidden, for the companion) to be wrongly skipped.
async function axeViolations(page) {
  if (!(await page.evaluate(() => Boolean(window.axe)))) {
    await page.addScriptTag({ path: join(root, 'tests/web/node_modules/axe-core/axe.min.js') });
  }
  const result = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  return result.violations.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`);
}

test('axe-core finds no violation on the request for a key, the introduction, the main menu, the game and an open list', { skip }, async () => {
  await inPage({}, async (b, url) => {
    await b.page.goto(url + 'index.html');
    const views = {};
    await b.page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
      document.body.dataset.view !== 'loading', null, { timeout: 20000 });
    if (await b.page.evaluate(() => document.body.dataset.gate === 'waiting')) {
      views.request = await axeViolations(b.page);
      await b.page.keyboard.press('Space');
    }
    await heard(b.page, 'Над озером Вельмой');
    views.introduction = await axeViolations(b.page);
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    views.mainMenu = await axeViolations(b.page);
    await b.page.keyboard.press('1');
    await heard(b.page, 'Сторожка маяка');
    views.game = await axeViolations(b.page);
    await b.page.keyboard.press('3');
    await heard(b.page, 'Осмотреть');
    await until(b.page, () => [...document.querySelectorAll('#menu [role=option]')].some((o) => /записк/i.test(o.textContent)));
    views.list = await axeViolations(b.page);
    // The page's buttons shown, as Tab shows them.
    await b.page.keyboard.press('Tab');
    views.buttons = await axeViolations(b.page);
    assert.deepEqual(views, Object.fromEntries(Object.keys(views).map((k) => [k, []])));
  });
});

const kPhone = { viewport: { width: 360, height: 640 }, hasTouch: true, isMobile: true, locale: 'ru-RU' };

// Every drawn element lies within the page, as far as its panels show it
// (a panel clips what it holds): nothing is cut off by the screen's edge.
const outside = (page) => page.evaluate(() => {
  const { innerWidth: w, innerHeight: h } = window;
  const shown = (e) => {
    let r = e.getBoundingClientRect();
    r = { left: r.left, top: r.top, right: r.right, bottom: r.bottom };
    for (let p = e.parentElement; p && p.id !== 'screen'; p = p.parentElement) {
      const c = p.getBoundingClientRect();
      r = { left: Math.max(r.left, c.left), top: Math.max(r.top, c.top),
        right: Math.min(r.right, c.right), bottom: Math.min(r.bottom, c.bottom) };
    }
    return r;
  };
  return [...document.querySelectorAll('#screen *')].map((e) => [e, shown(e)])
    .filter(([, r]) => r.right > r.left && r.bottom > r.top &&
      (r.left < -1 || r.top < -1 || r.right > w + 1 || r.bottom > h + 1))
    .map(([e, r]) => `${e.dataset.name ?? e.tagName} ${Math.round(r.left)},${Math.round(r.top)},${Math.round(r.right)},${Math.round(r.bottom)}`);
});

test('on a phone the drawing fits the screen upright and on its side', { skip }, async () => {
  await inPage({ contextOptions: kPhone }, async (b, url) => {
    await openPage(b.page, url + 'index.html?nomenu=1', { tap: true });
    await heard(b.page, 'Сторожка маяка');
    await b.page.waitForFunction(() => document.body.dataset.view === 'game');
    await until(b.page, () => document.querySelectorAll('#screen [data-name=RightPanel], #screen [data-name=MenuPanel]').length > 0);
    assert.deepEqual(await outside(b.page), [], 'upright, 360 × 640');
    await b.page.setViewportSize({ width: 640, height: 360 });
    await until(b.page, () => {
      const r = document.querySelector('#screen > div')?.getBoundingClientRect();
      return r && r.width <= 641 && r.height <= 361;
    });
    assert.deepEqual(await outside(b.page), [], 'on its side, 640 × 360');
  });
});

// The shipped adventure's winning walkthrough, its keys turned into what a
// player without a keyboard does: `act(step, look)` gets each key of the
// script and what the page's menu shows. A digit or typed letters choose an
// entry the player finds in the menu.
async function winByTouch(b, url, query, act) {
  await openPage(b.page, `${url}index.html?${query}&sound=headless&nomenu=1&seed=1&transcript=1`, { tap: true });
  await until(b.page, () => document.body.dataset.view === 'game');
  const look = () => menuOf(b.page).then(async (m) => ({
    ...m, kind: await b.page.evaluate(() => window.velmora.velmoraPage.mirrorKind?.() ?? ''),
  }));
  const tail = () => b.page.evaluate(() =>
    new TextDecoder().decode(window.velmora.FS.readFile('/transcript.txt')).split('\n').slice(-12).join('\n'));
  await playKeyScript(b.page, readFileSync(join(root, 'tests/game/win.keys'), 'utf8'), async (step, n) => {
    try {
      await act(step, look);
    } catch (e) {
      throw new Error(`win.keys:${n} ${step}: ${e.message}\n${await tail()}`);
    }
  });
  await until(b.page, () => window.velmora._velmora_busy() === 0);
  const transcript = await b.page.evaluate(() => new TextDecoder().decode(window.velmora.FS.readFile('/transcript.txt')));
  assert.match(transcript, /say: Победа! Колокол снова звонит/, 'won');
  assert.doesNotMatch(transcript, /Твоя игра окончена|Силы оставили тебя/);
}

// Where a step of the script puts the menu's cursor: a digit on its entry,
// typed letters on the first entry they begin (or a word of it begins).
function targetOf(step, options) {
  if (/^[0-9]$/.test(step)) return step === '0' ? 9 : Number(step) - 1;
  const typed = step.slice(5).toLowerCase();
  const at = options.findIndex((o) => o.toLowerCase().startsWith(typed));
  return at >= 0 ? at : options.findIndex((o) => o.toLowerCase().split(/[\s,.]+/).some((w) => w.startsWith(typed)));
}

test('on a phone the adventure is won by gestures alone, with the page\'s voice', { skip, timeout: 900000 }, async () => {
  const { gestureTouches } = await import('../../web/js/touch.js');
  await inPage({ contextOptions: kPhone }, async (b, url) => {
    // A voice that says each text in a moment, so the game reads on.
    await b.page.addInitScript(() => {
      const synth = {
        getVoices: () => [{ name: 'Тест', lang: 'ru-RU', default: true, localService: true }],
        addEventListener() {}, removeEventListener() {},
        speaking: false, pending: false,
        speak(u) { setTimeout(() => u.onend?.(), 1); },
        cancel() {},
      };
      Object.defineProperty(window, 'speechSynthesis', { value: synth, configurable: true });
      window.SpeechSynthesisUtterance = class { constructor(text) { this.text = text; } };
    });
    const cdp = await b.context.newCDPSession(b.page);
    const size = { x: 180, y: 320, width: 360, height: 640 };
    const gesture = async (name) => {
      for (const call of gestureTouches(name, size)) {
        if (call.wait) await new Promise((done) => setTimeout(done, call.wait));
        await cdp.send('Input.dispatchTouchEvent', { type: call.type, touchPoints: call.touchPoints });
      }
      await until(b.page, () => window.velmora._velmora_busy() === 0);
    };
    let chooses = 0;
    await winByTouch(b, url, 'speech=voice', async (step, look) => {
      const m = await look();
      if (/^[0-9]$/.test(step) || step.startsWith('type ')) {
        if (m.kind === 'wait') return gesture('next');
        const target = targetOf(step, m.options);
        assert.ok(target >= 0, `${step}: no entry in ${m.options}`);
        for (let at = m.selected; at !== target;) {
          await gesture(at < target ? 'next' : 'previous');
          const now = (await menuOf(b.page)).selected;
          assert.notEqual(now, at, `${step}: the cursor moves`);
          at = now;
        }
        // A digit chooses at once; typed letters wait for the script's Enter.
        if (/^[0-9]$/.test(step)) await gesture(++chooses % 2 ? 'doubleTap' : 'choose');
        return;
      }
      // The hero's state (F2) is only heard: the player skips it here.
      if (step === 'F2') return;
      const ways = { Down: 'next', Up: 'previous', Enter: ++chooses % 2 ? 'doubleTap' : 'choose', Escape: 'back' };
      assert.ok(ways[step], `no gesture for ${step}`);
      await gesture(ways[step]);
    });
    assert.equal(b.page.url().includes('speech=voice'), true, 'never left the page');
  });
});

test('on a phone the adventure is won through the menu\'s entries, as a touch screen reader chooses them', { skip, timeout: 900000 }, async () => {
  await inPage({ contextOptions: kPhone }, async (b, url) => {
    // The reader's double tap: a click on the entry it is on.
    const click = (selector) => b.page.$eval(selector, (e) => e.click());
    let cursor = null;
    await winByTouch(b, url, 'speech=instant', async (step, look) => {
      const m = await look();
      if (m.kind === 'wait') {
        cursor = null;
        return click('#menu-0');
      }
      const at = cursor ?? m.selected;
      if (step === 'Down') cursor = Math.min(at + 1, m.options.length - 1);
      else if (step === 'Up') cursor = Math.max(at - 1, 0);
      else if (step.startsWith('type ')) cursor = targetOf(step, m.options);
      else if (step === 'F2') await click('#game-keys [data-key=F2]');
      else if (step === 'Escape') await click('#game-keys [data-key=Escape]');
      else {
        const target = step === 'Enter' ? at : targetOf(step, m.options);
        assert.ok(target >= 0 && target < m.options.length, `${step}: entry ${target} of ${m.options}`);
        await click(`#menu-${target}`);
        cursor = null;
      }
    });
  });
});

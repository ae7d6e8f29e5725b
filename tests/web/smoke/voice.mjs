// SPDX-License-Identifier: GPL-3.0-or-later
// The page's own voice: a stand-in for the browser's speechSynthesis
// records what is spoken, at which rate, and each cut-off; and the speech
// chosen with the page's buttons.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { heard, inPage, kStartPrompt, openPage, skip, spoken, startGame } from './page.mjs';

// Stands in for the browser's speech: a Russian voice that takes 50 ms a
// text, and long enough over the main menu for a key to cut it off.
function stubSpeech() {
  const log = [];
  window.spokenLog = log;
  let timer = null;
  let current = null;
  const synth = {
    getVoices: () => [{ name: 'Тест', lang: 'ru-RU', default: true, localService: true }],
    addEventListener() {},
    removeEventListener() {},
    speak(u) {
      log.push({ text: u.text, rate: u.rate });
      current = u;
      timer = setTimeout(() => {
        current = null;
        u.onend?.();
      }, u.text.startsWith('Главное меню') ? 5000 : 50);
    },
    cancel() {
      log.push({ cancel: true });
      clearTimeout(timer);
      if (current) current.onerror?.();
      current = null;
    },
  };
  Object.defineProperty(window, 'speechSynthesis', { value: synth, configurable: true });
  // The real one takes only the browser's own voices.
  window.SpeechSynthesisUtterance = class {
    constructor(text) {
      this.text = text;
    }
  };
}

test("the page's own voice speaks, at the game's rate, and is cut off by a key", { skip }, async () => {
  await inPage({ contextOptions: { viewport: { width: 1280, height: 720 }, locale: 'ru-RU' } }, async (b, url) => {
    await b.page.addInitScript(stubSpeech);
    await openPage(b.page, url + 'index.html?speech=voice');
    const said = () => b.page.evaluate(() => window.spokenLog);
    // The voice reports each end, so the introduction reads on by itself.
    await b.page.waitForFunction(() => window.spokenLog.some((u) => u.text?.startsWith('Главное меню')), null, { timeout: 20000 });
    await b.page.keyboard.press('1');
    await b.page.waitForFunction(() => window.spokenLog.some((u) => u.text?.startsWith('Сторожка маяка')), null, { timeout: 20000 });
    const log = await said();
    const intro = log.find((u) => u.text?.startsWith('Над озером Вельмой'));
    assert.ok(intro, JSON.stringify(log));
    assert.equal(intro.rate, (80 + 2 * 40) / 200, 'the introduction is read at its slower rate');
    assert.equal(log.find((u) => u.text?.startsWith('Главное меню')).rate, 1);
    assert.ok(log.some((u) => u.cancel), 'a key cuts off the text being spoken');
    // The screen reader is not given the texts a second time: it had only
    // the request for the first key, which the voice may not say yet.
    assert.deepEqual((await spoken(b.page)).filter((t) => t !== kStartPrompt), []);
    assert.equal(await b.page.evaluate(() => localStorage.getItem('velmora.speech')), 'voice');
  });
});

test("the speech is chosen with the page's buttons, which keep their keys from the game", { skip }, async () => {
  await inPage({}, async (b, url) => {
    await openPage(b.page, url + 'index.html');
    await heard(b.page, 'Над озером Вельмой');
    assert.equal(await b.page.$eval('#menu', (e) => e.getAttribute('role')), 'listbox');
    assert.equal(await b.page.$eval('button[data-speech=reader]', (e) => e.getAttribute('aria-pressed')), 'true');
    await b.page.focus('button[data-speech=voice]');
    const before = (await spoken(b.page)).length;
    await b.page.keyboard.press('Enter');
    await b.page.waitForURL(/speech=voice/);
    await startGame(b.page);
    assert.equal(before > 0, true);
    // This browser has no Russian voice: the page says so, and the screen
    // reader keeps the texts.
    await heard(b.page, 'нет русского голоса');
    await heard(b.page, 'Над озером Вельмой');
    assert.equal(await b.page.evaluate(() => localStorage.getItem('velmora.speech')), 'voice');
    assert.equal(await b.page.evaluate(() => document.body.dataset.speech), 'reader');
  });
});

// SPDX-License-Identifier: GPL-3.0-or-later
// Measures, in headless chromium, how soon the page speaks: from the start
// of the page's load to its first text in the live region (the request for
// a first key), from that key to the game's first text, and with the page's
// voice (a stand-in speechSynthesis that records when it is called) from
// the key to the first speak call. Figures only, no bound.
//   node tests/web/first_word.mjs [RUNS]     (after scripts/build-web)
import { fileURLToPath } from 'node:url';
import { launch, serve } from './browser.mjs';

const runs = Number(process.argv[2] ?? 3);
const site = fileURLToPath(new URL('../../build-web/site', import.meta.url));
const server = await serve(site);

function watch() {
  window.firstWord = {};
  const seen = (name) => {
    if (!(name in window.firstWord)) window.firstWord[name] = performance.now();
  };
  window.addEventListener('keydown', () => seen('key'), true);
  // Lines the live region receives (the page is still being parsed here).
  new MutationObserver((changes) => {
    if (!changes.some((c) => c.target.id === 'speech' && c.addedNodes.length)) return;
    seen('text');
    if ('key' in window.firstWord) seen('textAfterKey');
  }).observe(document, { childList: true, subtree: true });
  // A voice that records its first call and ends each text at once.
  Object.defineProperty(window, 'speechSynthesis', {
    configurable: true,
    value: {
      getVoices: () => [{ name: 'Тест', lang: 'ru-RU', default: true, localService: true }],
      addEventListener() {},
      removeEventListener() {},
      speak(u) {
        seen('speak');
        setTimeout(() => u.onend?.(), 10);
      },
      cancel() {},
    },
  });
  window.SpeechSynthesisUtterance = class {
    constructor(text) {
      this.text = text;
    }
  };
}

const fmt = (ms) => `${(ms / 1000).toFixed(2)} s`;
try {
  for (const speech of ['reader', 'voice']) {
    for (let i = 0; i < runs; ++i) {
      const b = await launch();
      try {
        await b.page.addInitScript(watch);
        await b.page.goto(`${server.url}index.html?speech=${speech}`);
        // The speech region's first line: in the page before the game starts.
        await b.page.waitForFunction(() => document.querySelector('#speech > p'));
        const prompt = await b.page.evaluate(() => performance.now());
        await b.page.keyboard.press('Space');

        const part = speech === 'voice' ? 'speak' : 'textAfterKey';
        await b.page.waitForFunction((p) => p in window.firstWord && document.body.dataset.view !== 'loading', part,
          { timeout: 20000 });
        const t = await b.page.evaluate(() => window.firstWord);
        const firstLine = await b.page.$eval('#speech > p', (p) => p.textContent);
        console.log(`${speech}: load → first text ${fmt(t.text)} («${firstLine.slice(0, 40)}…», seen by ${fmt(prompt)}),` +
          ` key → game's first ${speech === 'voice' ? 'speak call' : 'text'} ${fmt(t[part] - t.key)}`);
      } finally {
        await b.close();
      }
    }
  }
} finally {
  await server.close();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// How soon a key's answer is in the live region: N arrow keys in the main
// menu of the built page, in headless chromium, each timed in the page from
// the keydown event to the text's arrival in #speech. A measurement, not a
// test (no pass or fail); web/README.md gives its figures.
//   node tests/web/key_latency.mjs [N]      (after scripts/build-web)

import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch, serve } from './browser.mjs';

const root = fileURLToPath(new URL('../..', import.meta.url));
const keys = Number(process.argv[2] ?? 200);

const server = await serve(join(root, 'build-web/site'));
const b = await launch();
try {
  // Before the page's own scripts: this keydown listener runs first.
  await b.page.addInitScript(() => {
    window.keyLatency = [];
    let keyAt = null;
    window.addEventListener('keydown', () => { keyAt = performance.now(); }, true);
    document.addEventListener('DOMContentLoaded', () => {
      new MutationObserver(() => {
        if (keyAt === null) return;
        window.keyLatency.push(performance.now() - keyAt);
        keyAt = null;
      }).observe(document.getElementById('speech'), { childList: true });
    });
  });
  await b.page.goto(`${server.url}index.html`);
  const heard = (part) => b.page.waitForFunction(
    (p) => [...document.querySelectorAll('#speech > p')].some((e) => e.textContent.includes(p)),
    part, { timeout: 20000 });
  await heard('Над озером Вельмой');
  await b.page.keyboard.press('Escape');
  await heard('Главное меню');
  await b.page.evaluate(() => { window.keyLatency = []; });
  for (let i = 0; i < keys; ++i) {
    await b.page.keyboard.press(i % 2 ? 'ArrowUp' : 'ArrowDown');
    await b.page.waitForFunction((n) => window.keyLatency.length > n, i, { timeout: 5000 });
  }
  const times = (await b.page.evaluate(() => window.keyLatency)).sort((x, y) => x - y);
  const at = (q) => times[Math.min(times.length - 1, Math.ceil(q * times.length) - 1)].toFixed(1);
  console.log(`key -> live region, ${times.length} keys: p50 ${at(0.5)} ms, p90 ${at(0.9)} ms, p99 ${at(0.99)} ms, max ${at(1)} ms`);
} finally {
  await b.close();
  await server.close();
}

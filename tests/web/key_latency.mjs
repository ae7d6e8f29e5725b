// SPDX-License-Identifier: GPL-3.0-or-later
// How soon a key's answer is in the live region: N arrow keys in the main
// menu of the built page, in headless chromium, each timed in the page to
// the text's arrival in #speech from the key event it answers (the main
// menu answers an arrow at its release, as on the desktop), and from the
// press (which adds the gap between the press and the release the browser
// is sent). A measurement, not a test (no pass or fail); web/README.md gives
// its figures.
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
    window.pressLatency = [];
    let pressAt = null;
    let eventAt = null;
    window.addEventListener('keydown', () => { pressAt = eventAt = performance.now(); }, true);
    window.addEventListener('keyup', () => { eventAt = performance.now(); }, true);
    document.addEventListener('DOMContentLoaded', () => {
      new MutationObserver(() => {
        if (pressAt === null) return;
        const now = performance.now();
        window.keyLatency.push(now - eventAt);
        window.pressLatency.push(now - pressAt);
        pressAt = eventAt = null;
      }).observe(document.getElementById('speech'), { childList: true });
    });
  });
  await b.page.goto(`${server.url}index.html`);
  // The page asks for a first key before it may sound.
  await b.page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
    document.body.dataset.view !== 'loading');
  if (await b.page.evaluate(() => document.body.dataset.gate === 'waiting')) await b.page.keyboard.press('Space');
  const heard = (part) => b.page.waitForFunction(
    (p) => [...document.querySelectorAll('#speech > p')].some((e) => e.textContent.includes(p)),
    part, { timeout: 20000 });
  await heard('Над озером Вельмой');
  await b.page.keyboard.press('Escape');
  await heard('Главное меню');
  await b.page.evaluate(() => { window.keyLatency = []; window.pressLatency = []; });
  for (let i = 0; i < keys; ++i) {
    await b.page.keyboard.press(i % 2 ? 'ArrowUp' : 'ArrowDown');
    await b.page.waitForFunction((n) => window.keyLatency.length > n, i, { timeout: 5000 });
  }
  const figures = (times) => {
    times.sort((x, y) => x - y);
    const at = (q) => times[Math.min(times.length - 1, Math.ceil(q * times.length) - 1)].toFixed(1);
    return `p50 ${at(0.5)} ms, p90 ${at(0.9)} ms, p99 ${at(0.99)} ms, max ${at(1)} ms`;
  };
  const { answered, pressed } = await b.page.evaluate(() => ({ answered: window.keyLatency, pressed: window.pressLatency }));
  console.log(`${answered.length} keys, to the live region`);
  console.log(`  from the key event answered: ${figures(answered)}`);
  console.log(`  from the press:              ${figures(pressed)}`);
} finally {
  await b.close();
  await server.close();
}

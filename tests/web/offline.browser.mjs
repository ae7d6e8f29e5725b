// SPDX-License-Identifier: GPL-3.0-or-later
// The page kept for play without network, and installable: after one visit
// the game starts, plays and loads a saved game with the server gone; a
// rebuilt site replaces the kept one at the next load, the saves staying;
// Lighthouse finds the site installable.
//   node --test tests/web/offline.browser.mjs     (after scripts/build-web)

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { appendFileSync, cpSync, existsSync, mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { heard, launch, serve, spoken, startGame, until } from './browser.mjs';

// Not import.meta.dirname: Debian 12's node 18 lacks it.
const root = fileURLToPath(new URL('../..', import.meta.url));
const site = join(root, 'build-web/site');
const skip = !existsSync(join(site, 'sw.js')) && 'run scripts/build-web first';

const versionOf = (folder) => readFileSync(join(folder, 'sw.js'), 'utf8').match(/"version":"([0-9a-f]+)"/)[1];
const keptOf = (folder) => Object.keys(JSON.parse(
  readFileSync(join(folder, 'sw.js'), 'utf8').match(/^const kSite = (.*);$/m)[1]).files);

// The site's caches in the page: cache name -> the paths it holds.
const cachesIn = (page) => page.evaluate(async () => {
  const out = {};
  for (const name of await caches.keys()) {
    const keys = await (await caches.open(name)).keys();
    out[name] = keys.map((r) => new URL(r.url).pathname.slice(1)).sort();
  }
  return out;
});
const versionsIn = async (page) => Object.keys(await cachesIn(page))
  .filter((name) => /^velmora \/ [0-9a-f]+$/.test(name)).map((name) => name.split(' ')[2]);

const controlled = (page) => until(page, () => navigator.serviceWorker.controller !== null);

// As a player saves: a new game, a step to the shore, and the game's menu
// (0, save, slot 1); resolves once the slot is kept in IndexedDB.
async function saveIntoSlot(page) {
  await heard(page, 'Над озером Вельмой');
  await page.keyboard.press('Escape');
  await heard(page, 'Главное меню');
  await page.keyboard.press('1');
  await heard(page, 'Сторожка маяка');
  for (const key of ['ArrowDown', 'Enter', 'ArrowDown', 'Enter']) await page.keyboard.press(key);
  await heard(page, 'Экран: Берег');
  for (const key of ['0', '2', '1']) await page.keyboard.press(key);
  await heard(page, 'Игра сохранена: 1 (первая игра)');
  await until(page, () => import('./js/storage.js')
    .then((s) => s.load('state'))
    .then((files) => files?.has('Saves/1-game.ini') && files?.has('Saves/1-map1.ini')));
}

// After a reload: the autosave declined, the introduction left, and slot 1
// loaded from the main menu.
async function loadSlot(page) {
  await startGame(page);
  await heard(page, 'Продолжить прошлую игру?');
  await page.keyboard.press('Escape');
  await heard(page, 'Над озером Вельмой');
  await page.keyboard.press('Escape');
  await heard(page, 'Главное меню');
  const before = (await spoken(page)).length;
  for (const key of ['2', '1']) await page.keyboard.press(key);
  await page.waitForFunction((n) => [...document.querySelectorAll('#speech > p')].slice(n)
    .some((p) => p.textContent.startsWith('Экран: Берег')), before, { timeout: 20000 });
}

// The browser's own lines for the downloads the network refused.
const kRefused = /net::ERR_INTERNET_DISCONNECTED|net::ERR_CONNECTION_REFUSED|net::ERR_FAILED/;

test('after one visit the game starts, plays and loads a saved game with the network gone', { skip, timeout: 180000 }, async () => {
  const server = await serve(site);
  const b = await launch();
  try {
    const { page } = b;
    await page.goto(server.url + 'index.html');
    await startGame(page);
    await controlled(page);
    await saveIntoSlot(page);

    // Kept at the visit: every file but the synthesizer's and the sound
    // font's, which are kept once fetched.
    const kept = keptOf(site);
    for (const file of ['index.html', 'velmora.wasm', 'velmora.data', 'js/offline.js', 'music/map1.mp3',
      'manifest.webmanifest', 'icons/velmora-192.png']) assert.ok(kept.includes(file), file);
    assert.deepEqual(kept.filter((f) => /^(js\/vendor|synth)\//.test(f) || f === 'sw.js'), []);
    const vendor = existsSync(join(site, 'js/vendor/stb-vorbis.js'));
    if (vendor) assert.ok(await page.evaluate(() => fetch('js/vendor/stb-vorbis.js').then((r) => r.ok)));
    // A file fetched is kept once the worker has written it, after the
    // page already has the response.
    const want = [...kept, ...(vendor ? ['js/vendor/stb-vorbis.js'] : [])].sort();
    const keptNow = async () => Object.entries(await cachesIn(page)).filter(([name]) => name.endsWith(versionOf(site)))[0][1];
    for (const end = Date.now() + 10000; Date.now() < end && (await keptNow()).length < want.length;) {
      await new Promise((done) => setTimeout(done, 50));
    }
    assert.deepEqual(await keptNow(), want);

    await b.context.setOffline(true);
    await server.close();
    await page.reload();
    await loadSlot(page);

    // Each kept file comes whole from the cache, and so does the synthesizer
    // fetched before; the sound font, never fetched, fails at once.
    const files = [...kept, ...(vendor ? ['js/vendor/stb-vorbis.js'] : [])];
    const sizes = await page.evaluate((list) => Promise.all(list.map((f) => fetch(f)
      .then((r) => r.arrayBuffer()).then((a) => a.byteLength, () => -1))), files);
    assert.deepEqual(sizes, files.map((f) => statSync(join(site, f)).size));
    assert.equal(await page.evaluate(() => fetch('synth/TimGM6mb.sf2').then(() => 'got', () => 'refused')), 'refused');

    // The installed app's start (the site's folder) with the address's
    // options: a new game at once.
    await page.goto(server.url + '?nomenu=1&speech=instant');
    await heard(page, 'Сторожка маяка');
    assert.deepEqual(b.errors.filter((e) => !kRefused.test(e)), []);
  } finally {
    await b.close();
    await server.close();
  }
});

test('a rebuilt site replaces the kept one at the next load; a page already open keeps its own; the saves stay', { skip, timeout: 180000 }, async () => {
  const tmp = mkdtempSync(join(tmpdir(), 'velmora-offline-'));
  const copy = join(tmp, 'site');
  cpSync(site, copy, { recursive: true });
  const server = await serve(copy);
  const b = await launch();
  try {
    const { page } = b;
    await page.goto(server.url + 'index.html');
    await startGame(page);
    await controlled(page);
    await saveIntoSlot(page);
    const first = versionOf(copy);
    assert.deepEqual(await versionsIn(page), [first]);
    // A second tab, served from the kept site (the first came from the network).
    const tab = await b.context.newPage();
    await tab.goto(server.url + 'index.html?nomenu=1');
    await startGame(tab);
    await heard(tab, 'Сторожка маяка');

    // The site rebuilt with one file changed: a new version.
    appendFileSync(join(copy, 'page.css'), '\n/* rebuilt */\n');
    execFileSync(join(root, 'scripts/web-offline'), [copy], { stdio: 'ignore' });
    const second = versionOf(copy);
    assert.notEqual(second, first);
    await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
    await until(page, (v) => caches.keys().then((names) => names.some((n) => n.endsWith(v))), second);
    await until(page, () => navigator.serviceWorker.getRegistration()
      .then((r) => r.active?.state === 'activated' && !r.installing && !r.waiting));
    // The open pages still get their own version's files, and play on.
    const rebuilt = () => fetch('page.css').then((r) => r.text()).then((t) => t.includes('rebuilt'));
    assert.equal(await page.evaluate(rebuilt), false);
    assert.equal(await tab.evaluate(rebuilt), false);
    await tab.close();
    assert.deepEqual((await versionsIn(page)).sort(), [first, second].sort());
    await page.keyboard.press('F4');
    await until(page, () => [...document.querySelectorAll('#speech > p')].at(-1).textContent.includes('Берег'));

    // The next load: the new version, the old one's cache gone, the slot there.
    await page.reload();
    await loadSlot(page);
    assert.equal(await page.evaluate(rebuilt), true);
    await until(page, (v) => caches.keys().then((names) => names.filter((n) => /^velmora \/ [0-9a-f]+$/.test(n))
      .join() === `velmora / ${v}`), second);
    assert.deepEqual(b.errors, []);
  } finally {
    await b.close();
    await server.close();
    rmSync(tmp, { recursive: true, force: true });
  }
});

test('a browser that refuses the service worker plays as before', { skip }, async () => {
  const server = await serve(site);
  const b = await launch({ contextOptions: { serviceWorkers: 'block' } });
  try {
    await b.page.goto(server.url + 'index.html');
    await startGame(b.page);
    await heard(b.page, 'Над озером Вельмой');
    await b.page.keyboard.press('Escape');
    await heard(b.page, 'Главное меню');
    assert.equal(await b.page.evaluate(() => navigator.serviceWorker.controller), null);
    assert.deepEqual(b.errors, []);
  } finally {
    await b.close();
    await server.close();
  }
});

// Debian's chromium, headless, with a DevTools port for Lighthouse; the
// flags keep it off the network as browser.mjs's.
async function chromiumForLighthouse(profile) {
  const chromium = spawn(process.env.VELMORA_CHROMIUM ?? '/usr/bin/chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--remote-debugging-port=0', `--user-data-dir=${profile}`, 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'pipe'] });
  const port = await new Promise((done, fail) => {
    let text = '';
    const timer = setTimeout(() => fail(new Error(`chromium gave no DevTools port:\n${text}`)), 30000);
    chromium.stderr.on('data', (chunk) => {
      text += chunk;
      const found = text.match(/DevTools listening on ws:\/\/[^:]+:(\d+)\//);
      if (found) {
        clearTimeout(timer);
        done(Number(found[1]));
      }
    });
    chromium.once('exit', (code) => fail(new Error(`chromium exited (${code}):\n${text}`)));
  });
  return { port, close: () => new Promise((done) => {
    if (chromium.exitCode !== null) return done();
    chromium.once('exit', () => done());
    chromium.kill();
  }) };
}

test("Lighthouse's installability check passes", { skip, timeout: 180000 }, async () => {
  const { default: lighthouse } = await import('lighthouse');
  const profile = mkdtempSync(join(tmpdir(), 'velmora-lighthouse-'));
  const server = await serve(site);
  const chromium = await chromiumForLighthouse(profile);
  try {
    const result = await lighthouse(server.url, {
      port: chromium.port, logLevel: 'error', output: 'json',
      onlyAudits: ['installable-manifest', 'splash-screen', 'themed-omnibox', 'maskable-icon'],
    });
    for (const [name, audit] of Object.entries(result.lhr.audits)) {
      assert.equal(audit.score, 1, `${name}: ${JSON.stringify(audit.details ?? audit)}`);
    }
    assert.equal(Object.keys(result.lhr.audits).length, 4);
  } finally {
    await chromium.close();
    await server.close();
    rmSync(profile, { recursive: true, force: true });
  }
});

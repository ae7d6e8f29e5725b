// SPDX-License-Identifier: GPL-3.0-or-later
//
// Drives Debian's chromium, headless, for the web page's tests.
//
//   import { serve, launch } from './browser.mjs';
//   const site = await serve('build-web/site');   // { url: 'http://127.0.0.1:PORT/', close() }
//   const b = await launch();                      // { browser, context, page, close() }
//   await b.page.goto(site.url + 'index.html');
//   ...
//   await b.close(); await site.close();
//
// launch(options):
//   executablePath  the browser (default $VELMORA_CHROMIUM, else /usr/bin/chromium)
//   headless        default true
//   args            extra command-line switches
//   contextOptions  passed to browser.newContext() (viewport, locale, ...)
// The page's console errors and uncaught exceptions are collected in
// `b.errors` (strings), so a test can require that none happened.
//
// serve(folder): a static file server on 127.0.0.1 and a free port, for that
// folder only (GET and HEAD). Files are sent with the MIME type browsers need
// (application/wasm streams, text/javascript for modules); nothing outside
// the folder is served. Needs no network: the browser is started with no
// proxy and downloads nothing.

import { createServer } from 'node:http';
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { extname, resolve, sep } from 'node:path';
import { chromium } from 'playwright-core';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.txt': 'text/plain; charset=utf-8',
  '.gif': 'image/gif',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
  '.svg': 'image/svg+xml',
  '.mp3': 'audio/mpeg',
  '.ogg': 'audio/ogg',
  '.opus': 'audio/ogg',
  '.wav': 'audio/wav',
  '.mid': 'audio/midi',
  '.zip': 'application/zip',
};

export async function serve(folder) {
  const root = resolve(folder);
  const server = createServer(async (req, res) => {
    try {
      if (req.method !== 'GET' && req.method !== 'HEAD') {
        res.writeHead(405).end();
        return;
      }
      const path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
      let file = resolve(root, '.' + path);
      // A request may not climb out of the folder (.., encoded slashes).
      if (file !== root && !file.startsWith(root + sep)) {
        res.writeHead(403).end();
        return;
      }
      let info = await stat(file);
      if (info.isDirectory()) {
        file = resolve(file, 'index.html');
        info = await stat(file);
      }
      if (!info.isFile()) throw new Error('not a file');
      res.writeHead(200, {
        'Content-Type': kTypes[extname(file).toLowerCase()] ?? 'application/octet-stream',
        'Content-Length': info.size,
        'Cache-Control': 'no-store',
      });
      if (req.method === 'HEAD') {
        res.end();
        return;
      }
      createReadStream(file).on('error', () => res.destroy()).pipe(res);
    } catch {
      if (!res.headersSent) res.writeHead(404).end();
    }
  });
  await new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(0, '127.0.0.1', done);
  });
  const { port } = server.address();
  return {
    url: `http://127.0.0.1:${port}/`,
    close: () => new Promise((done) => {
      server.closeAllConnections();
      server.close(() => done());
    }),
  };
}

export async function launch(options = {}) {
  const browser = await chromium.launch({
    executablePath: options.executablePath ?? process.env.VELMORA_CHROMIUM ?? '/usr/bin/chromium',
    headless: options.headless ?? true,
    args: options.args ?? [],
  });
  try {
    const context = await browser.newContext(options.contextOptions ?? {});
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    page.on('console', (m) => {
      if (m.type() === 'error') errors.push(m.text());
    });
    return { browser, context, page, errors, close: () => browser.close() };
  } catch (e) {
    await browser.close();
    throw e;
  }
}

// What a player hears and does, for the page's tests:
//   await startGame(page)        past the page's request for a first key
//   await heard(page, 'Главное меню')   a text in the live region
//   await until(page, async () => ...)   fn (run in the page, awaited) true
//   await spoken(page)           every text of the live region, in order

export const spoken = (page) => page.$$eval('#speech > p', (ps) => ps.map((p) => p.textContent));

// Waits until the live region holds a text that contains `part`.
export async function heard(page, part, timeout = 20000) {
  await page.waitForFunction(
    (p) => [...document.querySelectorAll('#speech > p')].some((e) => e.textContent.includes(p)),
    part, { timeout });
}

// Past the page's request for a first key, which a browser that lets a page
// sound only after one makes it ask for (headless chromium does).
export async function startGame(page) {
  await page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
    document.body.dataset.view !== 'loading', null, { timeout: 20000 });
  if (await page.evaluate(() => document.body.dataset.gate === 'waiting')) await page.keyboard.press('Space');
}

// Waits until fn (run in the page, awaited) gives a true value; playwright's
// waitForFunction would take the promise itself for a true value.
export async function until(page, fn, arg, timeoutMs = 20000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    if (await page.evaluate(fn, arg)) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${fn}`);
    await new Promise((done) => setTimeout(done, 50));
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The built page in headless chromium, as a player starts it: the game
// loads, Escape leaves the introduction, 1 starts a new game, and the live
// region holds what was said, each text once. A screenshot is left for a
// person to look at. With the page's voice chosen, a stand-in for the
// browser's speechSynthesis records what is spoken, at which rate, and
// each cut-off. The game kept in IndexedDB comes back after a reload, and
// the shipped adventure's winning walkthrough, played with real key events
// (Russian letters as a Russian keyboard sends them), reaches the victory.
//   node --test tests/web/smoke.mjs     (after scripts/build-web)

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';
import { launch, serve } from './browser.mjs';
import { mapKey } from '../../web/js/keys.js';

// Not import.meta.dirname: Debian 12's node 18 lacks it.
const root = fileURLToPath(new URL('../..', import.meta.url));
const site = join(root, 'build-web/site');
const shot = process.env.VELMORA_SMOKE_SHOT ?? join(root, 'build-web/smoke.png');

const built = existsSync(join(site, 'velmora.wasm'));
const skip = !built && 'run scripts/build-web first';

// The pixels of a PNG as playwright writes it: 8 bits a channel, RGB or
// RGBA, not interlaced.
function decodePng(png) {
  const width = png.readUInt32BE(16);
  const height = png.readUInt32BE(20);
  assert.equal(png[24], 8, 'eight bits a channel');
  assert.equal(png[28], 0, 'not interlaced');
  const channels = { 2: 3, 6: 4 }[png[25]];
  assert.ok(channels, `colour type ${png[25]}`);
  const idat = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    if (type === 'IDAT') idat.push(png.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const v = raw[y * (stride + 1) + 1 + x];
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c;
      const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      const predicted = [0, a, b, (a + b) >> 1, paeth][filter];
      pixels[y * stride + x] = (v + predicted) & 0xff;
    }
  }
  return { width, height, channels, pixels };
}

// share(box, test): the part of the box's pixels (CSS pixels at scale 1)
// whose r, g, b pass test.
const shareIn = (frame) => (box, test) => {
  let n = 0;
  for (let y = Math.round(box.y); y < Math.round(box.y + box.h); ++y) {
    for (let x = Math.round(box.x); x < Math.round(box.x + box.w); ++x) {
      const i = (y * frame.width + x) * frame.channels;
      if (test(frame.pixels[i], frame.pixels[i + 1], frame.pixels[i + 2])) ++n;
    }
  }
  return n / (Math.round(box.w) * Math.round(box.h));
};

const boxOf = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return { x: r.left, y: r.top, w: r.width, h: r.height };
});

// Opens the page as a player does: Escape leaves the introduction (a page
// waits for a key: the live region is a reader that reports no end), and 1
// starts a new game.
async function startNewGame(page, url) {
  await openPage(page, url + 'index.html');
  await heard(page, 'Над озером Вельмой');
  await page.keyboard.press('Escape');
  await heard(page, 'Главное меню');
  await page.keyboard.press('1');
  await heard(page, 'Сторожка маяка');
}

const kStartPrompt = 'Игра Вельмора. Нажмите любую клавишу или коснитесь экрана, чтобы начать.';

// Past the page's request for a first key, which a browser that lets a page
// sound only after one makes it ask for (headless chromium does).
async function startGame(page) {
  await page.waitForFunction(() => document.body.dataset.gate === 'waiting' ||
    document.body.dataset.view !== 'loading', null, { timeout: 20000 });
  if (await page.evaluate(() => document.body.dataset.gate === 'waiting')) await page.keyboard.press('Space');
}

// Opens a player's own project with the page's picker (input) and plays it
// past the checker's word of a clean project, to the introduction.
async function playOwnProject(page, input, path) {
  await page.setInputFiles(input, path);
  await page.waitForURL(/project=1/);
  await startGame(page);
  await heard(page, 'check: 0 errors, 0 warnings');
  await heard(page, 'Над озером Вельмой');
}

async function openPage(page, address) {
  await page.goto(address);
  await startGame(page);
}

// Waits until fn (run in the page, awaited) gives a true value; playwright's
// waitForFunction would take the promise itself for a true value.
async function until(page, fn, arg, timeoutMs = 20000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    if (await page.evaluate(fn, arg)) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${fn}`);
    await new Promise((done) => setTimeout(done, 50));
  }
}

// Runs body(b, url) with the built site served and a fresh browser; no page
// error may happen meanwhile.
async function inPage(launchOptions, body) {
  const server = await serve(site);
  const b = await launch(launchOptions);
  try {
    await body(b, server.url);
    assert.deepEqual(b.errors, []);
  } finally {
    await b.close();
    await server.close();
  }
}

const spoken = (page) => page.$$eval('#speech > p', (ps) => ps.map((p) => p.textContent));

// Waits until the live region holds a text that contains `part`.
async function heard(page, part) {
  await page.waitForFunction(
    (p) => [...document.querySelectorAll('#speech > p')].some((e) => e.textContent.includes(p)),
    part, { timeout: 20000 });
}

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

// Where each Russian letter lies on a Russian keyboard (ЙЦУКЕН).
const kRussianKeys = {
  й: 'KeyQ', ц: 'KeyW', у: 'KeyE', к: 'KeyR', е: 'KeyT', н: 'KeyY', г: 'KeyU', ш: 'KeyI',
  щ: 'KeyO', з: 'KeyP', х: 'BracketLeft', ъ: 'BracketRight', ф: 'KeyA', ы: 'KeyS', в: 'KeyD',
  а: 'KeyF', п: 'KeyG', р: 'KeyH', о: 'KeyJ', л: 'KeyK', д: 'KeyL', ж: 'Semicolon', э: 'Quote',
  я: 'KeyZ', ч: 'KeyX', с: 'KeyC', м: 'KeyV', и: 'KeyB', т: 'KeyN', ь: 'KeyM', б: 'Comma',
  ю: 'Period', ё: 'Backquote', ' ': 'Space',
};
const kWindowsKeys = {
  Space: 32, BracketLeft: 219, BracketRight: 221, Semicolon: 186, Quote: 222, Comma: 188,
  Period: 190, Backquote: 192,
};

// The desktop's transcript of the same keys, from the headless game built
// beside the page (build/, or VELMORA_DESKTOP); null when there is none.
function desktopTranscript(keys) {
  const program = process.env.VELMORA_DESKTOP ?? join(root, 'build/src/app/velmora');
  if (!existsSync(program)) return null;
  const dir = mkdtempSync(join(tmpdir(), 'velmora-web-'));
  try {
    cpSync(join(root, 'game'), join(dir, 'game'), { recursive: true });
    const env = { ...process.env, HOME: dir, XDG_DATA_HOME: join(dir, 'data') };
    execFileSync(program, ['--root', join(dir, 'game'), '--keys', keys, '-nomenu',
      '--transcript', join(dir, 'win.tr')], { env, stdio: 'ignore' });
    return readFileSync(join(dir, 'win.tr'), 'utf8');
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

test('the winning walkthrough wins in the page, heard as on the desktop', { skip, timeout: 600000 }, async () => {
  const keys = join(root, 'tests/game/win.keys');
  await inPage({}, async (b, url) => {
    // The headless game's reader (each text ended at once, after its key's
    // release) and sound (every file played at once), as the key script was
    // written for.
    await b.page.goto(url + 'index.html?speech=instant&sound=headless&nomenu=1&seed=1&transcript=1');
    await heard(b.page, 'Сторожка маяка');
    // Trusted key events with the key's place and its Russian letter, as the
    // browser gets them from a Russian keyboard.
    const cdp = await b.context.newCDPSession(b.page);
    const typeLetter = async (ch) => {
      const code = kRussianKeys[ch];
      assert.ok(code, `no key for ${ch}`);
      const key = { key: ch, code, windowsVirtualKeyCode: kWindowsKeys[code] ?? code.charCodeAt(3) };
      await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', text: ch, ...key });
      await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
    };
    const keyNames = { Down: 'ArrowDown', Up: 'ArrowUp', Left: 'ArrowLeft', Right: 'ArrowRight' };
    for (const line of readFileSync(keys, 'utf8').split('\n')) {
      const step = line.trim();
      if (!step || step.startsWith('#')) continue;
      // As the headless game settles before each key: a timed wait runs out.
      await until(b.page, () => window.velmora._velmora_busy() === 0);
      // The script's own pause (pages heard to their end): as much time.
      if (step.startsWith('wait ')) {
        await new Promise((done) => setTimeout(done, Number(step.slice(5))));
        continue;
      }
      if (step.startsWith('type ')) {
        for (const ch of step.slice(5)) await typeLetter(ch);
      } else {
        await b.page.keyboard.press(keyNames[step] ?? step);
      }
    }
    await heard(b.page, 'Победа! Колокол снова звонит');
    // The key script is over: the game closes, as the headless game does.
    await until(b.page, () => window.velmora._velmora_busy() === 0);
    await b.page.evaluate(() => window.velmora._velmora_quit());
    await until(b.page, () => document.body.dataset.view === 'closed');
    const transcript = await b.page.evaluate(() =>
      new TextDecoder().decode(window.velmora.FS.readFile('/transcript.txt')));
    assert.doesNotMatch(transcript, /Твоя игра окончена|Силы оставили тебя/);
    const desktop = desktopTranscript(keys);
    if (desktop === null) {
      // Without the desktop game the story's milestones are checked in order.
      let at = -1;
      for (const line of ['say: Сторожка маяка. Ты один', 'say: Лодка идёт к острову Безмолвного колокола.',
        'say: Победа! Колокол снова звонит над Вельмой']) {
        const next = transcript.indexOf(line, at + 1);
        assert.ok(next > at, `heard in order: ${line}`);
        at = next;
      }
      return;
    }
    const page = transcript.split('\n');
    const want = desktop.split('\n');
    let first = want.findIndex((line, i) => line !== page[i]);
    if (first === -1 && page.length !== want.length) first = want.length;
    assert.ok(first === -1,
      `the page's transcript parts from the desktop's at line ${first + 1}:\n` +
      `  page:    ${page.slice(Math.max(first - 2, 0), first + 3).join('\n           ')}\n` +
      `  desktop: ${want.slice(Math.max(first - 2, 0), first + 3).join('\n           ')}`);
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

test("a player's own project is checked, the checker's findings are said, and it plays", { skip }, async () => {
  const { cpSync, mkdtempSync, rmSync, truncateSync, writeFileSync } = await import('node:fs');
  const { tmpdir } = await import('node:os');
  const tmp = mkdtempSync(join(tmpdir(), 'velmora-web-'));
  const good = join(tmp, 'Маяк');
  const bad = join(tmp, 'Bad');
  cpSync(join(root, 'game/Projects/Default'), good, { recursive: true });
  cpSync(good, bad, { recursive: true });
  // A map cut off halfway and another of bytes no game file begins with.
  writeFileSync(join(bad, 'map1.ini'), readFileSync(join(good, 'map1.ini')).subarray(0, 300));
  writeFileSync(join(bad, 'map2.ini'), Buffer.from([0, 1, 0x67, 0xff]));
  // game.ini saved in UTF-8, and a folder with a file past the page's cap
  // (sparse: it takes no room on the disk).
  const utf8 = join(tmp, 'Utf8');
  cpSync(good, utf8, { recursive: true });
  const gameIni = new TextDecoder('windows-1251').decode(readFileSync(join(good, 'game.ini')));
  writeFileSync(join(utf8, 'game.ini'), Buffer.from(gameIni, 'utf8'));
  const huge = join(tmp, 'Huge');
  cpSync(good, huge, { recursive: true });
  writeFileSync(join(huge, 'big.wav'), '');
  truncateSync(join(huge, 'big.wav'), 300 * 1024 * 1024);
  try {
    await inPage({}, async (b, url) => {
      await openPage(b.page, url + 'index.html');
      await heard(b.page, 'Над озером Вельмой');
      await playOwnProject(b.page, '#project-folder', good);
      // Its MIDI music plays through the page's synthesizer.
      await b.page.keyboard.press('Escape');
      await heard(b.page, 'Главное меню');
      await until(b.page, () => import('./js/midi.js').then((m) => m.position()).then((t) => t > 0.5));
      assert.ok(!(await spoken(b.page)).some((t) => t.includes('не звучит')));
      // And the synthesizer is heard: a piece through an analyser peaks.
      const peak = await b.page.evaluate(async () => {
        const midi = await import('./js/midi.js');
        const ctx = new AudioContext();
        await ctx.resume();
        const analyser = ctx.createAnalyser();
        analyser.connect(ctx.destination);
        const url = URL.createObjectURL(new Blob([window.velmora.FS.readFile('/game/Projects/Default/menu.mid')]));
        if (!(await midi.start(ctx, analyser, url))) return 0;
        const data = new Float32Array(analyser.fftSize);
        let top = 0;
        for (let i = 0; i < 40 && top < 0.05; ++i) {
          await new Promise((done) => setTimeout(done, 50));
          analyser.getFloatTimeDomainData(data);
          for (const v of data) top = Math.max(top, Math.abs(v));
        }
        return top;
      });
      assert.ok(peak >= 0.05, `the synthesizer's peak ${peak}`);

      await b.page.setInputFiles('#project-folder', bad);
      await b.page.waitForFunction(() => document.getElementById('report').textContent.includes('check: 2 errors'));
      const report = await b.page.$eval('#report', (e) => e.textContent);
      assert.match(report, /^warning: map1\.ini: /m, 'files named inside the folder chosen');
      assert.match(report, /^error: map2\.ini: /m);
      assert.ok((await spoken(b.page)).includes(report.split('\n')[0]), 'findings are said');

      // A folder that is no game is refused in the page.
      await b.page.setInputFiles('#project-folder', join(bad, 'gif'));
      await heard(b.page, 'нет game.ini');
      await b.page.setInputFiles('#project-folder', huge);
      await heard(b.page, 'Папка больше 256 мегабайт');

    });
    // A game.ini saved in UTF-8 is read as its editor saved it: no finding,
    // and the game plays.
    await inPage({}, async (b, url) => {
      await openPage(b.page, url + 'index.html');
      await heard(b.page, 'Над озером Вельмой');
      await playOwnProject(b.page, '#project-folder', utf8);
    });
  } finally {
    rmSync(tmp, { recursive: true, force: true });
  }
});

// Zips as an archiver writes them (python's zipfile: UTF-8 names flagged,
// deflate): the shipped game in a folder of its own, its pictures alone, and
// one file of zeros past the page's cap, a few hundred kilobytes packed.
const kMakeZips = `
import os, sys, zipfile
game, out = sys.argv[1], sys.argv[2]
def pack(path, folder, top):
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for base, _, names in os.walk(folder):
            for n in sorted(names):
                full = os.path.join(base, n)
                z.write(full, os.path.join(top, os.path.relpath(full, folder)))
pack(os.path.join(out, 'good.zip'), game, 'Маяк')
pack(os.path.join(out, 'pictures.zip'), os.path.join(game, 'gif'), '')
with zipfile.ZipFile(os.path.join(out, 'bomb.zip'), 'w', zipfile.ZIP_DEFLATED) as z:
    with z.open('game.ini', 'w', force_zip64=True) as f:
        for _ in range(300):
            f.write(bytes(1 << 20))
`;

test("a player's own project from a zip is unpacked and checked like a folder; a damaged zip, a zip with no game and a zip bomb are refused", { skip }, async () => {
  const { execFileSync } = await import('node:child_process');
  const { mkdtempSync, rmSync, writeFileSync } = await import('node:fs');
  const { tmpdir } = await import('node:os');
  const tmp = mkdtempSync(join(tmpdir(), 'velmora-web-zip-'));
  try {
    execFileSync('python3', ['-c', kMakeZips, join(root, 'game/Projects/Default'), tmp]);
    const good = readFileSync(join(tmp, 'good.zip'));
    // A few bytes changed inside the first packed file: its inflating or
    // its CRC fails.
    const damaged = Buffer.from(good);
    for (let i = 200; i < 260; ++i) damaged[i] ^= 0x5a;
    writeFileSync(join(tmp, 'damaged.zip'), damaged);
    writeFileSync(join(tmp, 'cut.zip'), good.subarray(0, good.length >> 1));
    writeFileSync(join(tmp, 'text.zip'), 'game.ini\n');
    const refused = [
      ['damaged.zip', 'Архив повреждён'],
      ['cut.zip', 'Архив повреждён'],
      ['text.zip', 'Архив повреждён'],
      ['pictures.zip', 'нет game.ini'],
      ['bomb.zip', 'больше 256 мегабайт'],
    ];
    await inPage({}, async (b, url) => {
      await openPage(b.page, url + 'index.html');
      await heard(b.page, 'Над озером Вельмой');
      for (const [zip, said] of refused) {
        const times = async () => (await spoken(b.page)).filter((t) => t.includes(said)).length;
        const before = await times();
        await b.page.setInputFiles('#project-zip', join(tmp, zip));
        await b.page.waitForFunction(([p, n]) => [...document.querySelectorAll('#speech > p')]
          .filter((e) => e.textContent.includes(p)).length > n, [said, before], { timeout: 20000 });
        assert.equal(new URL(b.page.url()).searchParams.get('project'), null, zip);
      }
      // A site without the MIDI synthesizer (its download failed): the
      // project plays, and its music is said to be silent. Refused for the
      // whole context: the page's service worker fetches it, not the page.
      await b.context.route('**/js/vendor/**', (route) => route.abort());
      await playOwnProject(b.page, '#project-zip', join(tmp, 'good.zip'));
      await b.page.keyboard.press('Escape');
      await heard(b.page, 'Музыка этой игры в браузере не звучит.');
      await heard(b.page, 'Главное меню');
      // The browser's own line for each download refused above.
      const refusedLoads = b.errors.filter((e) => e.includes('net::ERR_FAILED'));
      assert.ok(refusedLoads.length > 0);
      b.errors.splice(0, b.errors.length, ...b.errors.filter((e) => !refusedLoads.includes(e)));
    });
  } finally {
    rmSync(tmp, { recursive: true, force: true });
  }
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

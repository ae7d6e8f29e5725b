// SPDX-License-Identifier: GPL-3.0-or-later
// What an author shares, played in headless chromium: the starter that
// velmora-tool new writes, packed by velmora-tool pack and opened from the
// page's own site by address (?game=NAME.zip), with the refusals a wrong
// address meets; and the site velmora-tool web writes, played to its win.
//   node --test tests/web/author.browser.mjs   (after scripts/build-web and
//   the desktop build; VELMORA_TOOL names another velmora-tool)

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, serve } from './browser.mjs';
import { heard, root, site, spoken, until } from './play.mjs';

const tool = process.env.VELMORA_TOOL ?? join(root, 'build/src/app/velmora-tool');
const skip = (!existsSync(join(site, 'velmora.wasm')) && 'run scripts/build-web first') ||
  (!existsSync(tool) && 'build velmora-tool first');

// The letters of the walkthrough as a Russian keyboard sends them.
const kRussianKeys = {
  к: 'KeyR', л: 'KeyK', ю: 'Period', с: 'KeyC', у: 'KeyE', н: 'KeyY', д: 'KeyL',
};
const kWindowsKeys = { Period: 190 };
const kKeyNames = { Down: 'ArrowDown', Up: 'ArrowUp', Left: 'ArrowLeft', Right: 'ArrowRight' };

// Plays a key script as the headless game does: each key once the game has
// settled, letters as trusted key events with their Russian text.
async function playKeys(b, keys) {
  const cdp = await b.context.newCDPSession(b.page);
  for (const line of keys.split('\n')) {
    const step = line.trim();
    if (!step || step.startsWith('#')) continue;
    await until(b.page, () => window.velmora._velmora_busy() === 0);
    if (step.startsWith('type ')) {
      for (const ch of step.slice(5)) {
        const code = kRussianKeys[ch];
        assert.ok(code, `no key for ${ch}`);
        const key = { key: ch, code, windowsVirtualKeyCode: kWindowsKeys[code] ?? code.charCodeAt(3) };
        await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', text: ch, ...key });
        await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
      }
    } else {
      await b.page.keyboard.press(kKeyNames[step] ?? step);
    }
  }
}

// The starter's pictures as the browser decodes them: each 320 x 120, and
// the glade's sky, sun and key in their colours (the GIF writer's LZW codes
// read back right, not only a header).
async function checkPictures(page) {
  const pixels = await page.evaluate(async () => {
    const out = {};
    for (const name of ['0', '1', 'intro', 'win']) {
      const bytes = window.velmora.FS.readFile(`/projects/own/gif/${name}.gif`);
      const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/gif' }));
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      const g = canvas.getContext('2d');
      g.drawImage(bitmap, 0, 0);
      const at = (x, y) => [...g.getImageData(x, y, 1, 1).data.slice(0, 3)];
      out[name] = { size: [bitmap.width, bitmap.height], sky: at(5, 5), sun: at(270, 25), key: at(160, 100),
        last: at(319, 119) };
    }
    return out;
  });
  for (const name of ['0', '1', 'intro', 'win']) assert.deepEqual(pixels[name].size, [320, 120], name);
  assert.deepEqual(pixels['0'].sky, [110, 170, 230]);
  assert.deepEqual(pixels['0'].sun, [250, 220, 60]);
  assert.deepEqual(pixels['0'].key, [240, 190, 20]);
  assert.deepEqual(pixels['0'].last, [60, 150, 60]);
  assert.deepEqual(pixels['1'].sky, [40, 30, 25]);
}

function starter(tmp, encode = () => {}) {
  execFileSync(tool, ['new', join(tmp, 'starter')], { stdio: 'ignore' });
  encode(join(tmp, 'starter'));
  execFileSync(tool, ['pack', join(tmp, 'starter'), join(tmp, 'starter.zip')], { stdio: 'ignore' });
  return readFileSync(join(tmp, 'starter', 'walkthrough.keys'), 'utf8');
}

async function winIn(folder, address, keys) {
  const server = await serve(folder);
  const b = await launch();
  try {
    await b.page.goto(server.url + address);
    await heard(b.page, 'Ты стоишь на поляне у леса');
    await checkPictures(b.page);
    await playKeys(b, keys);
    await heard(b.page, 'Клад твой!');
    const said = await spoken(b.page);
    assert.ok(said.some((t) => t.includes('Ключ подходит к замку')), said.join('\n'));
    assert.ok(!said.some((t) => t.includes('Ничего не выходит')), said.join('\n'));
    assert.deepEqual(b.errors, []);
    return { data: await b.page.evaluate(() => ({ ...document.documentElement.dataset })), said };
  } finally {
    await b.close();
    await server.close();
  }
}

test('the packed starter opens from the site by ?game= and wins; a wrong name or file is refused in Russian', { skip, timeout: 300000 }, async () => {
  const tmp = mkdtempSync(join(tmpdir(), 'velmora-author-'));
  try {
    const keys = starter(tmp);
    const served = join(tmp, 'site');
    cpSync(site, served, { recursive: true });
    cpSync(join(tmp, 'starter.zip'), join(served, 'starter.zip'));
    writeFileSync(join(served, 'text.zip'), 'game.ini\n');
    // A zip of the pictures only: a zip, but no game.
    execFileSync('python3', ['-c', `import zipfile,sys
z=zipfile.ZipFile(sys.argv[1],'w'); z.write(sys.argv[2],'0.gif'); z.close()`,
    join(served, 'pictures.zip'), join(tmp, 'starter', 'gif', '0.gif')]);
    await winIn(served, 'index.html?game=starter.zip&speech=instant&sound=headless&nomenu=1', keys);

    const refused = [
      ['missing.zip', 'Игра missing.zip не загружена: сайт ответил 404.'],
      ['text.zip', 'text.zip: Архив повреждён'],
      ['pictures.zip', 'В архиве pictures.zip нет game.ini: это не архив игры.'],
      ['../starter.zip', 'не имя архива игры'],
      ['sub/starter.zip', 'не имя архива игры'],
      ['http://example.org/starter.zip', 'не имя архива игры'],
      ['//example.org/starter.zip', 'не имя архива игры'],
      ['starter.ini', 'не имя архива игры'],
    ];
    const server = await serve(served);
    const b = await launch();
    const asked = [];
    b.page.on('request', (r) => asked.push(r.url()));
    try {
      for (const [name, said] of refused) {
        asked.length = 0;
        await b.page.goto(`${server.url}index.html?speech=instant&game=${encodeURIComponent(name)}`);
        await heard(b.page, said);
        assert.equal(await b.page.evaluate(() => document.body.dataset.view), 'no-game', name);
        // Nothing started in its place, and nothing asked of another site.
        assert.ok(!(await spoken(b.page)).some((t) => t.includes('Главное меню')), name);
        assert.ok(asked.every((u) => u.startsWith(server.url)), asked.join('\n'));
      }
      // A site the page's own message names in full, never the server's page.
      assert.deepEqual(b.errors.filter((e) => !/404/.test(e)), []);
    } finally {
      await b.close();
      await server.close();
    }
  } finally {
    rmSync(tmp, { recursive: true, force: true });
  }
});

test('the site velmora-tool web writes plays the starter to its win, its music rendered', { skip, timeout: 300000 }, async () => {
  const tmp = mkdtempSync(join(tmpdir(), 'velmora-author-web-'));
  try {
    const keys = starter(tmp);
    const out = join(tmp, 'published');
    execFileSync(tool, ['web', '--page', site, join(tmp, 'starter'), out], { stdio: 'ignore' });
    const { data } = await winIn(out, 'index.html?speech=instant&sound=headless&nomenu=1', keys);
    assert.equal(data.game, 'starter.zip');
    if (!existsSync(join(out, 'music'))) return;  // no fluidsynth or lame here
    assert.equal(data.music, 'rendered');
    for (const t of ['menu', 'map1', 'intro', 'win']) assert.ok(existsSync(join(out, 'music', `${t}.mp3`)), t);
    // With the page's own sound (let play without a key), the map's tune is
    // the rendered one.
    const server = await serve(out);
    const b = await launch({ args: ['--autoplay-policy=no-user-gesture-required'] });
    try {
      const music = b.page.waitForRequest((r) => r.url().endsWith('/music/map1.mp3'), { timeout: 20000 });
      await b.page.goto(server.url + 'index.html?speech=instant&nomenu=1');
      await music;
    } finally {
      await b.close();
      await server.close();
    }
  } finally {
    rmSync(tmp, { recursive: true, force: true });
  }
});

// The starter as today's editors save it: UTF-8, and UTF-8 with a byte-order
// mark on every text file; the page plays each exactly as the 1251 original.
test('a UTF-8 project, with or without a byte-order mark, plays in the page as its 1251 twin', { skip, timeout: 300000 }, async () => {
  const tmp = mkdtempSync(join(tmpdir(), 'velmora-author-utf8-'));
  const utf8 = (dir) => execFileSync(tool, ['convert', '--to', 'utf8', dir], { stdio: 'ignore' });
  const bom = (dir) => {
    utf8(dir);
    for (const name of ['game.ini', 'map1.ini', 'menu.txt', 'gmenu.txt']) {
      const file = join(dir, name);
      if (!existsSync(file)) continue;
      let bytes = readFileSync(file);
      // A scrambled file is left as it is: only a plain one has a mark.
      if (bytes.subarray(0, 3).toString('latin1') !== 'Gam' && bytes.subarray(0, 3).toString('latin1') !== 'Map' &&
          name.endsWith('.ini')) continue;
      writeFileSync(file, Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), bytes]));
    }
  };
  try {
    const served = join(tmp, 'site');
    cpSync(site, served, { recursive: true });
    const heardBy = {};
    for (const [name, encode] of [['cp1251', () => {}], ['utf8', utf8], ['bom', bom]]) {
      const dir = join(tmp, name);
      execFileSync('mkdir', ['-p', dir]);
      const keys = starter(dir, encode);
      if (name !== 'cp1251') {
        const map = readFileSync(join(dir, 'starter', 'map1.ini'));
        assert.ok(map.includes(Buffer.from('поляне')), `${name}: map1.ini is UTF-8`);
      }
      cpSync(join(dir, 'starter.zip'), join(served, `${name}.zip`));
      heardBy[name] = (await winIn(served, `index.html?game=${name}.zip&speech=instant&sound=headless&nomenu=1`,
        keys)).said;
    }
    assert.deepEqual(heardBy.utf8, heardBy.cp1251);
    assert.deepEqual(heardBy.bom, heardBy.cp1251);
  } finally {
    rmSync(tmp, { recursive: true, force: true });
  }
});

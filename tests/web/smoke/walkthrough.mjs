// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped adventure's winning walkthrough, played with real key events
// (Russian letters as a Russian keyboard sends them), reaches the victory
// and is heard as on the desktop.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { heard, inPage, playKeyScript, root, skip, until } from './page.mjs';

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
    await playKeyScript(b.page, readFileSync(keys, 'utf8'), async (step) => {
      if (step.startsWith('type ')) {
        for (const ch of step.slice(5)) await typeLetter(ch);
      } else {
        await b.page.keyboard.press(keyNames[step] ?? step);
      }
    });
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

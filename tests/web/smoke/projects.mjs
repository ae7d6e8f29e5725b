// SPDX-License-Identifier: GPL-3.0-or-later
// A player's own project, from a folder or a zip: checked, its findings
// said, and played; what is no game, damaged or too big is refused.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { heard, inPage, openPage, playOwnProject, root, skip, spoken, until } from './page.mjs';

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

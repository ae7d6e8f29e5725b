// SPDX-License-Identifier: GPL-3.0-or-later
// The page under a real screen reader: Debian's Orca, with its default
// settings, reading Debian's chromium (not headless) on a private X server,
// played with real X key events at a human pace, as a blind player plays
// it. What Orca says is read from its debug file (its SPEECH OUTPUT lines);
// what the game said, from the page's live region over the DevTools
// protocol, which is only read: every key goes through the X server, so
// Orca sees it first and may keep it (browse mode) as it would a player's.
//
//   node --test tests/web/orca.mjs   (scripts/test-orca: under dbus-run-session,
//                                     after installing and building what is missing)
// Orca's own words are English (LANG=C.UTF-8); the game's are Russian.
//
// Environment:
//   VELMORA_ORCA_SITE  the built site's folder, served here (default build-web/site)
//   VELMORA_ORCA_URL   or the address of a site served elsewhere
//   VELMORA_ORCA_PACE  milliseconds between keys, N or MIN-MAX (default 400-800)
//   VELMORA_ORCA_LOGS  folder for the readable logs (default build-web/orca)
//   VELMORA_ORCA_KEEP  1: keep the run's temporary folder (Orca's whole
//                      debug file, every program's output)
//   VELMORA_CHROMIUM   the browser (default /usr/bin/chromium)
//
// Everything it starts runs in process groups of its own on a private
// session bus, X display and speech-dispatcher socket, and is stopped at
// the end, also on failure; a last sweep stops any process left with this
// run's mark in its environment.
//
// The session's parts are in orca/: env.mjs (paths, pace, waits), keys.mjs
// (the X key sender), speech.mjs (Orca's debug file), live_region.mjs,
// processes.mjs (starting and stopping), session.mjs and steps.mjs (a key
// and its answer judged).

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { pause, root, skip, sleep, until } from './orca/env.mjs';
import { withSession } from './orca/session.mjs';
import { results, same, step } from './orca/steps.mjs';

const kPrompt = 'Игра Вельмора. Нажмите любую клавишу';
const kVictory = 'Победа! Колокол снова звонит';

// The newcomer's keys: the load's request, any key, Escape past the
// introduction, the main menu's arrows, Enter for a new game, digits of the
// action menu, Down in a list and a Russian letter in its search.
const kNewcomer = [
  { name: 'the load', load: true, expect: kPrompt },  // the request for a first key
  { name: 'Space (any key)', key: 'Space', expect: 'Над озером Вельмой' },
  { name: 'Escape', key: 'Escape', expect: 'Главное меню' },
  { name: 'Down', key: 'Down', expect: 'Загрузить игру' },
  { name: 'Up', key: 'Up', expect: 'Новая игра' },
  { name: 'Enter', key: 'Enter', expect: 'Сторожка маяка' },
  { name: '3', key: '3', expect: 'Осмотреть, 3 предмета' },
  { name: 'Escape', key: 'Escape', expect: 'Осмотреть.' },
  { name: '4', key: '4', expect: 'Что с собой.' },
  { name: '3', key: '3', expect: 'Осмотреть, 3 предмета' },
  { name: 'Down', key: 'Down', expect: 'записка.' },
  { name: 'ф', type: 'ф', expect: 'фонарь.' },
];

test('a newcomer\'s keys reach the game and Orca says its answers', { skip, timeout: 300000 }, async (t) => {
  await withSession('newcomer', '', async (s) => {
    const sent = [];
    for (const what of kNewcomer) {
      if (!what.load) await pause();
      sent.push(await step(s, what));
    }
    const rows = results(s, kNewcomer, sent, await s.heard(0), Date.now());
    for (const r of rows) {
      t.diagnostic(`${r.what.name}: ${r.problems.length ? 'FAIL ' + r.problems.join('; ') : 'ok'}` +
        ` | game: ${r.texts.map((x) => `«${same(x)}»`).join(' ') || '-'}` +
        ` | Orca's own: ${r.own.map((x) => `'${same(x)}'`).join(' ') || '-'}`);
    }
    const failed = rows.filter((r) => r.problems.length);
    assert.equal(failed.length, 0, 'keys whose answer Orca did not say once:\n' + failed.map((r) =>
      `  ${r.what.name}: ${r.problems.join('; ')}; Orca said: ${r.said.map((l) => `'${same(l.text)}'`).join(' ') || 'nothing'}`)
      .join('\n'));
  }, t);
});

test('the winning walkthrough, played with X keys under Orca, wins', { skip, timeout: 1800000 }, async (t) => {
  const lines = readFileSync(join(root, 'tests/game/win.keys'), 'utf8').split('\n')
    .map((l) => l.trim()).filter((l) => l && !l.startsWith('#'));
  // The screen reader's page, as a player has it; -nomenu and the message
  // picker's seed as the key script was written with.
  await withSession('walkthrough', '?nomenu=1&seed=1', async (s) => {
    await until(() => s.read(() => document.body.dataset.gate === 'waiting' ||
      document.body.dataset.view !== 'loading'), 'the page to load', 30000);
    if (await s.read(() => document.body.dataset.gate === 'waiting')) {
      await pause();
      await s.key('Space');
    }
    await until(async () => (await s.heard(0)).some((h) => h.text.includes('Сторожка маяка')),
      'the first screen', 30000);
    let sent = 0;
    let stuck = null;
    for (const line of lines) {
      await s.heard(0);  // gathered as it comes: a reload would lose the page's texts
      // As the headless game settles before each key: a timed wait runs out.
      try {
        await until(() => s.busy().then((b) => b === 0), `the game to settle before key ${sent + 1} (${line})`, 60000);
      } catch (e) {
        stuck = e.message;
        break;
      }
      if (line.startsWith('wait ')) {
        // The script's own pause: what the game does meanwhile is its.
        s.note('note', line);
        await sleep(Number(line.slice(5)));
      } else {
        await pause();
        if (line.startsWith('type ')) await s.type(line.slice(5));
        else await s.key(line);
      }
      ++sent;
    }
    const won = !stuck && await until(async () => (await s.heard(0)).find((h) => h.text.includes(kVictory)),
      'the victory in the live region', 60000).catch(() => null);
    const heardByOrca = won && await until(() => s.orcaSaid(0).find((l) => l.text.includes(kVictory)),
      'the victory in Orca\'s speech', 15000).catch(() => null);
    // What a failure needs explained: how much of the game Orca said, when
    // it left focus mode (the keys then are its own), and any reload (a key
    // that pressed one of the page's buttons).
    const texts = await s.heard(0);
    const orca = s.orcaSaid(0);
    const said = orca.map((l) => same(l.text)).join(' \u2016 ');
    const missed = texts.filter((h) => !said.includes(same(h.text)));
    const browse = orca.filter((l) => /^Browse mode/.test(l.text)).length;
    const summary = `${sent} of ${lines.length} key lines sent; ${texts.length} game texts, ` +
      `${missed.length} not in Orca's speech${missed.length ? ` (first: «${same(missed[0].text)}»)` : ''}; ` +
      `Orca went to browse mode ${browse} times; the page was loaded ${s.documents} times`;
    t.diagnostic(summary);
    assert.ok(!stuck, `${stuck}; ${summary}`);
    assert.ok(won, `no «${kVictory}» in the live region; ${summary}; its last texts: ` +
      texts.slice(-3).map((h) => `«${same(h.text)}»`).join(' '));
    assert.ok(heardByOrca, `the live region has «${kVictory}», Orca did not say it; ${summary}`);
  }, t);
});

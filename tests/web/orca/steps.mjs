// SPDX-License-Identifier: GPL-3.0-or-later
// A key sent and the game's answer waited for, and how Orca said it.

import { sleep } from './env.mjs';

export const same = (s) => s.replace(/\s+/g, ' ').trim();

// How the game's texts for one key stand in what Orca said meanwhile: each
// text must be there once, in the page's order. Orca's speech lines are
// joined, so a text it split over lines still counts.
function judge(texts, said) {
  const joined = said.map((l) => same(l.text)).join(' \u2016 ');
  const problems = [];
  let at = -1;
  for (const text of texts.map(same).filter(Boolean)) {
    const first = joined.indexOf(text);
    const times = first < 0 ? 0 : joined.split(text).length - 1;
    if (times === 0) problems.push(`not said: «${text}»`);
    else if (times > 1) problems.push(`said ${times} times: «${text}»`);
    else if (first < at) problems.push(`out of order: «${text}»`);
    if (first >= 0) at = Math.max(at, first);
  }
  const own = said.map((l) => l.text).filter((l) => !texts.some((text) => same(l).includes(same(text)) ||
    same(text).includes(same(l))));
  return { problems, own };
}

// Sends a key (or letters), then waits until the game has answered (new
// live-region texts, then a quiet moment), Orca has said them and Orca is
// quiet, each wait with a deadline. Gives the time the key was sent; the
// load is a step with no key, from chromium's start.
export async function step(s, what) {
  const before = what.load ? 0 : (await s.heard(0)).length;
  const sent = what.load ? s.loadT : Date.now();
  if (what.type) await s.type(what.type);
  else if (what.key) await s.key(what.key);
  const answerMs = what.load ? 30000 : 5000;
  // The game's answer; none by the deadline: the key never reached it.
  let texts = [];
  const end = Date.now() + answerMs;
  let lastCount = 0;
  let lastChange = Date.now();
  for (;;) {
    texts = await s.heard(before);
    if (texts.length !== lastCount) {
      lastCount = texts.length;
      lastChange = Date.now();
    }
    if (texts.length > 0 && Date.now() - lastChange > 1200) break;
    if (texts.length === 0 && Date.now() > end) break;
    if (Date.now() > end + 10000) break;  // a game that keeps talking
    await sleep(50);
  }
  // Orca speaks a little after the page, and may say more after that (a
  // text twice): its words until it has been quiet a moment count.
  const sayEnd = Date.now() + 6000;
  while (Date.now() < sayEnd) {
    const said = s.orcaSaid(sent);
    const quiet = Date.now() - (said.at(-1)?.t ?? sent) > 1000;
    if (quiet && (!texts.length || judge(texts.map((h) => h.text), said).problems.length === 0)) break;
    await sleep(100);
  }
  return sent;
}

// Each step's texts and Orca's words: from its key to the next one's.
export function results(s, steps, sent, history, end) {
  return steps.map((what, i) => {
    const from = sent[i];
    const to = sent[i + 1] ?? end;
    const texts = history.filter((h) => h.t >= from && h.t < to).map((h) => h.text);
    const said = s.orcaSaid(from, to);
    const verdict = judge(texts, said);
    const problems = [...verdict.problems];
    if (!texts.length) problems.unshift('the game said nothing: the key did not reach it');
    else if (!texts.some((x) => x.includes(what.expect))) problems.unshift(`the game did not say «${what.expect}»`);
    return { what, texts, said, problems, own: verdict.own };
  });
}

// The newcomer's keys: the load's request, any key, Escape past the

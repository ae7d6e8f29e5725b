// SPDX-License-Identifier: GPL-3.0-or-later
// The built page in headless chromium, as a player starts it: the game
// loads, Escape leaves the introduction, 1 starts a new game, and the live
// region holds what was said, each text once. A screenshot is left for a
// person to look at. With the page's voice chosen, a stand-in for the
// browser's speechSynthesis records what is spoken, at which rate, and
// each cut-off. The game kept in IndexedDB comes back after a reload, and
// the shipped adventure's winning walkthrough, played with real key events
// (Russian letters as a Russian keyboard sends them), reaches the victory.
// A player's own project, from a folder or a zip, is checked and played.
//   node --test tests/web/smoke.mjs     (after scripts/build-web)
//
// The tests are in smoke/, one module a subject; smoke/page.mjs has what
// they share.

import './smoke/start.mjs';
import './smoke/voice.mjs';
import './smoke/kept.mjs';
import './smoke/walkthrough.mjs';
import './smoke/projects.mjs';

// SPDX-License-Identifier: GPL-3.0-or-later
//
// The running program as the page's modules see it: the one object handed
// to createVelmora (the Module, with the program's calls and file system
// once it has loaded), and the page's own words through it.

import { say } from './live.js';

export const module = {};

/** Whether the program runs: loaded, started and not yet closed. */
export function gameRunning() {
  return document.body.dataset.view !== 'loading' && document.body.dataset.view !== 'closed' &&
    Boolean(module._velmora_key);
}

/** Ends the program's wait for its next event: something came for it. */
export function wake() {
  if (module.velmoraWake) module.velmoraWake();
}

// The page's own words: through the game while it runs, so the page's voice
// says them too and F10 repeats them; into the live region before and after.
export function tell(text) {
  if (gameRunning() && module._velmora_say) {
    module.ccall('velmora_say', null, ['string'], [text]);
    wake();
    return;
  }
  say(text, false);
}

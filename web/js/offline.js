// SPDX-License-Identifier: GPL-3.0-or-later
//
// Keeps the site for play without network: registers the service worker
// (sw.js beside index.html) once the page has loaded, so the game's own
// downloads go first. A browser without service workers, or a page opened
// from a file, plays as before.

const kWorker = new URL('../sw.js', import.meta.url);
const kScope = new URL('../', import.meta.url);

async function register() {
  try {
    await navigator.serviceWorker.register(kWorker, { scope: kScope.href });
    // The old versions' files that no open page uses any more can go: the
    // page this one replaced is gone by now.
    navigator.serviceWorker.controller?.postMessage('tidy');
  } catch (e) {
    // Refused (private mode, a full disk, an insecure address): the game
    // plays on, only not without network.
    console.warn('The game cannot be kept for play without network:', e);
  }
}

if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
  if (document.readyState === 'complete') register();
  else addEventListener('load', () => register(), { once: true });
}

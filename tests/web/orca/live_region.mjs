// SPDX-License-Identifier: GPL-3.0-or-later
// What the game says, read from the page's live region (run in the page).

// Records every <p> the live region receives (text read when asked, so a
// line filled after it is added still counts); the ones already there when
// it starts count from then. Gives this document's id and its texts from
// index `from` on, or null before the live region is there.
export function liveRegionSince(from) {
  if (!window.__orcaTestHeard) {
    const speech = document.getElementById('speech');
    if (!speech) return null;
    const heard = [];
    const now = Date.now();
    for (const p of speech.querySelectorAll('p')) heard.push({ t: now, node: p });
    new MutationObserver((records) => {
      const t = Date.now();
      for (const r of records) {
        for (const n of r.addedNodes) {
          if (n.nodeType !== Node.ELEMENT_NODE) continue;
          for (const p of n.matches('p') ? [n] : n.querySelectorAll('p')) heard.push({ t, node: p });
        }
      }
    }).observe(speech, { childList: true, subtree: true });
    window.__orcaTestHeard = heard;
    window.__orcaTestDocument = `${Date.now()}-${Math.random()}`;
  }
  return {
    id: window.__orcaTestDocument,
    texts: window.__orcaTestHeard.slice(from).map((h) => ({ t: h.t, text: h.node.textContent })),
  };
}

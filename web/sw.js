// SPDX-License-Identifier: GPL-3.0-or-later
//
// The service worker that lets the game start and play with the network
// gone. Installing it keeps every file the shipped game needs in a cache of
// the site's version; the synthesizer and its sound font, which only a
// player's own MIDI music needs, join that cache when first fetched. A new
// version is fetched whole, each file checked against its hash, before it
// is used; a page already running keeps the files of the version it was
// loaded with, and an old version's cache goes once no page uses it. Saved
// games live in IndexedDB, which nothing here touches.

// Written by scripts/web-offline: the version (a hash of the site's files)
// and the files kept at install, each with its integrity hash.
const kSite = { version: 'unbuilt', files: {} };

const kFiles = new Map(Object.entries(kSite.files));
const kLazy = ['js/vendor/', 'synth/'];
const scope = new URL(self.registration.scope);
// Named after the site's folder too: two sites on one origin keep apart.
const kPrefix = `velmora ${scope.pathname} `;
const kCache = kPrefix + kSite.version;
// Which cache each open page was loaded from: one entry per page.
const kPages = kPrefix + 'pages';
const pageKey = (id) => new URL(`velmora-page/${encodeURIComponent(id)}`, scope).href;

// The file's path inside the site ('' and folders are index.html), or null
// for a request this worker leaves to the network.
function pathOf(url) {
  if (url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return null;
  let path = url.pathname.slice(scope.pathname.length);
  if (path === '' || path.endsWith('/')) path += 'index.html';
  return kFiles.has(path) || kLazy.some((p) => path.startsWith(p)) ? path : null;
}

async function integrityOf(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return 'sha256-' + btoa(String.fromCharCode(...digest));
}

// A file of an older version's cache that is the same bytes, so an update
// downloads only what changed.
async function keptCopy(url, integrity) {
  for (const name of await caches.keys()) {
    if (!name.startsWith(kPrefix) || name === kPages || name === kCache) continue;
    const old = await caches.match(url, { cacheName: name });
    if (!old) continue;
    const bytes = await old.arrayBuffer();
    if (await integrityOf(bytes) === integrity) return new Response(bytes, old);
  }
  return null;
}

async function install() {
  // Every file is had before any is stored: a failed download fails the
  // install, and the browser tries again at a later visit.
  const got = await Promise.all([...kFiles].map(async ([path, integrity]) => {
    const url = new URL(path, scope).href;
    const kept = await keptCopy(url, integrity);
    if (kept) return [url, kept];
    // Revalidated, never an older copy from the HTTP cache: the integrity
    // check refuses a file of another version.
    const response = await fetch(new Request(url, { cache: 'no-cache', integrity }));
    if (!response.ok) throw new Error(`${path}: ${response.status}`);
    // A redirected response would be refused as the answer to a navigation.
    return [url, response.redirected ? new Response(await response.arrayBuffer(), response) : response];
  }));
  const cache = await caches.open(kCache);
  await Promise.all(got.map(([url, response]) => cache.put(url, response)));
  // At once, not when every tab has closed: pages already open keep their
  // version (cacheOf), and the next load gets this one.
  await self.skipWaiting();
}

// The pages open at activation that no worker served (the first visit's,
// loaded from the network) count as loaded with this version.
async function adopt() {
  const pages = await caches.open(kPages);
  for (const client of await self.clients.matchAll({ includeUncontrolled: true })) {
    if (!(await pages.match(pageKey(client.id)))) await pages.put(pageKey(client.id), new Response(kCache));
  }
}

// Forgets the pages that are gone, then deletes every cache of this site
// that neither this version nor an open page uses.
async function tidy() {
  const open = new Set((await self.clients.matchAll({ includeUncontrolled: true })).map((c) => c.id));
  const used = new Set([kCache, kPages]);
  const pages = await caches.open(kPages);
  for (const request of await pages.keys()) {
    const id = decodeURIComponent(request.url.slice(pageKey('').length));
    if (open.has(id)) {
      used.add(await (await pages.match(request)).text());
    } else {
      await pages.delete(request);
    }
  }
  for (const name of await caches.keys()) {
    if (name.startsWith(kPrefix) && !used.has(name)) await caches.delete(name);
  }
}

// The cache the page clientId was loaded from while it is kept, else this
// version's.
async function cacheOf(clientId) {
  if (clientId) {
    const entry = await caches.match(pageKey(clientId), { cacheName: kPages });
    const name = entry && await entry.text();
    if (name && await caches.has(name)) return name;
  }
  return kCache;
}

async function answer(event, path) {
  const { request } = event;
  const navigating = request.mode === 'navigate';
  const name = navigating ? kCache : await cacheOf(event.clientId);
  if (navigating && event.resultingClientId) {
    event.waitUntil(caches.open(kPages)
      .then((pages) => pages.put(pageKey(event.resultingClientId), new Response(name))));
  }
  const url = new URL(path, scope).href;
  const cached = await caches.match(url, { cacheName: name });
  if (cached) return cached;
  // Not kept (yet): the network, which fails at once when there is none.
  const response = await fetch(request);
  if (response.ok && response.status === 200 && !kFiles.has(path)) {
    const copy = response.clone();
    event.waitUntil(caches.has(name).then((there) => there && caches.open(name).then((c) => c.put(url, copy))));
  }
  return response;
}

self.addEventListener('install', (event) => event.waitUntil(install()));

self.addEventListener('activate', (event) => {
  // The first visit's page, loaded from the network, is served from here on.
  event.waitUntil(self.clients.claim().then(adopt).then(tidy));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const path = pathOf(new URL(event.request.url));
  if (path !== null) event.respondWith(answer(event, path));
});

// A page that has loaded says so: the page it replaced is gone by then.
self.addEventListener('message', (event) => {
  if (event.data === 'tidy') event.waitUntil(tidy());
});

// SPDX-License-Identifier: GPL-3.0-or-later
//
// Saved games, settings and the autosave kept in the browser (IndexedDB).
// A set (a slot's files, the autosave, the settings) is one record written
// in one transaction: a reload, a crash or a full disk in the middle leaves
// the whole old set or the whole new one, never a mix.

const kDatabase = 'velmora';
const kStore = 'sets';

let opening = null;

function request(req) {
  return new Promise((done, fail) => {
    req.onsuccess = () => done(req.result);
    req.onerror = () => fail(req.error);
  });
}

function database() {
  if (!opening) {
    opening = new Promise((done, fail) => {
      const req = indexedDB.open(kDatabase, 1);
      req.onupgradeneeded = () => req.result.createObjectStore(kStore);
      req.onsuccess = () => {
        const db = req.result;
        // Another tab upgrading the database: let it, and open again later.
        db.onversionchange = () => {
          db.close();
          opening = null;
        };
        done(db);
      };
      req.onerror = () => {
        opening = null;
        fail(req.error);
      };
      req.onblocked = () => {
        opening = null;
        fail(new Error('the saved games are held by another tab of the game'));
      };
    });
  }
  return opening;
}

// One transaction; resolves with body's result once it is committed (not
// merely requested), rejects when it aborts.
async function transaction(mode, body) {
  const db = await database();
  // 'strict': committed means on disk, so a save reported done survives a crash.
  const tx = db.transaction(kStore, mode, { durability: 'strict' });
  const store = tx.objectStore(kStore);
  let result;
  const finished = new Promise((done, fail) => {
    tx.oncomplete = () => done();
    tx.onabort = () => fail(tx.error ?? new Error('the transaction was aborted'));
  });
  try {
    result = await body(store);
  } catch (e) {
    try {
      tx.abort();
    } catch {
      // already finished
    }
    await finished.catch(() => {});
    throw e;
  }
  await finished;
  return result;
}

function bytesOf(name, value) {
  if (value instanceof Uint8Array) return new Uint8Array(value);
  if (value instanceof ArrayBuffer) return new Uint8Array(value.slice(0));
  if (ArrayBuffer.isView(value)) {
    return new Uint8Array(value.buffer.slice(value.byteOffset, value.byteOffset + value.byteLength));
  }
  throw new TypeError(`the file ${name} of a save holds no bytes`);
}

/** The files of the set name as a Map of file name -> Uint8Array; null when there is no such set. */
export async function load(name) {
  const record = await transaction('readonly', (store) => request(store.get(String(name))));
  if (!record || !(record.files instanceof Map)) return null;
  return new Map(record.files);
}

/** Replaces the set name by files (a Map or object of file name -> bytes), whole or not at all; resolves once written. */
export async function store(name, files) {
  const entries = files instanceof Map ? [...files] : Object.entries(files ?? {});
  // Every file is checked and copied before anything is written.
  const copy = new Map(entries.map(([file, value]) => [String(file), bytesOf(file, value)]));
  await transaction('readwrite', (s) => request(s.put({ files: copy, written: Date.now() }, String(name))));
}

/** Deletes the set name (nothing happens when there is none). */
export async function remove(name) {
  await transaction('readwrite', (store) => request(store.delete(String(name))));
}

/** The names of the sets kept, in order. */
export async function list() {
  const keys = await transaction('readonly', (store) => request(store.getAllKeys()));
  return keys.map(String).sort();
}

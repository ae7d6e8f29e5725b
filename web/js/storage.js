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

// --- A folder of the program's file system kept as one set. ---

/** The files under folder of the file system FS (emscripten's), as a Map of relative name -> bytes. */
export function readTree(FS, folder, out = new Map(), prefix = '') {
  for (const name of FS.readdir(folder)) {
    if (name === '.' || name === '..') continue;
    const path = `${folder}/${name}`;
    const relative = prefix + name;
    if (FS.isDir(FS.stat(path).mode)) readTree(FS, path, out, `${relative}/`);
    else out.set(relative, FS.readFile(path));
  }
  return out;
}

function sameTree(a, b) {
  if (a.size !== b.size) return false;
  for (const [name, bytes] of a) {
    const other = b.get(name);
    if (!other || other.length !== bytes.length) return false;
    for (let i = 0; i < bytes.length; ++i) if (bytes[i] !== other[i]) return false;
  }
  return true;
}

/** Writes files (relative name -> bytes) under folder of the file system FS, which is made. */
export function writeTree(FS, folder, files) {
  const mkdir = (path) => {
    try {
      FS.mkdir(path);
    } catch {
      // already there
    }
  };
  let path = '';
  for (const part of folder.split('/').slice(1)) mkdir((path += `/${part}`));
  for (const [name, bytes] of files) {
    // A name from storage never leaves the folder.
    const parts = name.split('/');
    if (parts.some((p) => p === '' || p === '.' || p === '..')) continue;
    let at = folder;
    for (const part of parts.slice(0, -1)) mkdir((at += `/${part}`));
    FS.writeFile(`${folder}/${name}`, bytes);
  }
}

/**
 * A folder of the program's files kept as the set name: fs() gives the file
 * system (none before the program has loaded). keep() stores the folder
 * when it changed, at most every everyMs unless forced; onKept() follows
 * each write, onFailed(error) each write refused.
 */
export class KeptFolder {
  constructor(fs, folder, name, { everyMs, onKept, onFailed }) {
    Object.assign(this, { fs, folder, name, everyMs, onKept, onFailed });
    this.kept = new Map();
    this.keptAt = 0;
    this.keeping = Promise.resolve();
  }

  /** Reads the set kept last (none when it cannot be read: the error is thrown). */
  async load() {
    this.kept = new Map();
    this.kept = (await load(this.name)) ?? new Map();
  }

  /** Writes the set read by load() into the folder. */
  restore() {
    writeTree(this.fs(), this.folder, this.kept);
  }

  keep(force = false) {
    const FS = this.fs();
    const now = performance.now();
    if (!FS || (!force && now - this.keptAt < this.everyMs)) return;
    this.keptAt = now;
    let files;
    try {
      files = readTree(FS, this.folder);
    } catch {
      return;  // no folder yet
    }
    if (sameTree(files, this.kept)) return;
    this.kept = files;
    // One write after another, so the last state is the one that stays.
    this.keeping = this.keeping.then(() => store(this.name, files)).then(() => this.onKept(), (e) => this.onFailed(e));
  }

  /** Resolves once every write asked for so far is done. */
  flushed() {
    return this.keeping;
  }
}

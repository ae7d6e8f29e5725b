// SPDX-License-Identifier: GPL-3.0-or-later
//
// A player's own project: a folder or a zip chosen in the page, kept in
// IndexedDB as one set and unpacked into /projects/own before the program
// starts, which checks it (?project=1); or a game from the page's own site,
// by address (?game=NAME.zip).

import { say } from './live.js';
import * as storage from './storage.js';
import { unzip, ZipError } from './zip.js';

const kProjectSet = 'project';
export const kProjectFolder = '/projects/own';
const kProjectMaxBytes = 256 * 1024 * 1024;
const kProjectMaxFiles = 20000;

/** Keeps the files of a folder the player chose (an input's files) as the project; resolves to whether it was kept. */
export async function openProject(files) {
  const chosen = [...files];
  if (chosen.length === 0) return false;
  if (chosen.length > kProjectMaxFiles) {
    say(`В папке больше ${kProjectMaxFiles} файлов: это не игра.`, false);
    return false;
  }
  let total = 0;
  for (const f of chosen) total += f.size;
  if (total > kProjectMaxBytes) {
    say('Папка больше 256 мегабайт: это не игра.', false);
    return false;
  }
  const project = new Map();
  for (const f of chosen) {
    // The chosen folder's own name is left out: its content is the project.
    const relative = (f.webkitRelativePath || f.name).split('/').slice(1).join('/');
    if (relative) project.set(relative, new Uint8Array(await f.arrayBuffer()));
  }
  if (!hasGameIni(project)) {
    say('В этой папке нет game.ini: это не папка игры.', false);
    return false;
  }
  return keepProject(project);
}

function hasGameIni(project) {
  return [...project.keys()].some((name) => name.toLowerCase() === 'game.ini');
}

// A zip holds the project's files at its top or in one folder, as a zipped
// folder does; the same caps as a folder's, counted while it is unpacked.
// Resolves to whether the project was kept.
export async function openProjectZip(file) {
  if (!file) return false;
  if (file.size > kProjectMaxBytes) {
    say('Архив больше 256 мегабайт: это не игра.', false);
    return false;
  }
  let project;
  try {
    project = await unzip(await file.arrayBuffer(), {
      maxBytes: kProjectMaxBytes,
      maxFiles: kProjectMaxFiles,
      tooBig: 'В архиве больше 256 мегабайт: это не игра.',
      tooMany: `В архиве больше ${kProjectMaxFiles} файлов: это не игра.`,
    });
  } catch (e) {
    say(e instanceof ZipError ? e.message : `Архив не прочитан: ${e?.message ?? e}`, false);
    return false;
  }
  project = projectInside(project);
  if (!hasGameIni(project)) {
    say('В этом архиве нет game.ini: это не архив игры.', false);
    return false;
  }
  return keepProject(project);
}

// The files of a zip whose one top folder holds the project, from inside it.
function projectInside(project) {
  if (hasGameIni(project)) return project;
  const tops = new Set([...project.keys()].map((name) => name.split('/')[0]));
  if (tops.size !== 1) return project;
  const [top] = tops;
  const inner = new Map();
  for (const [name, bytes] of project) {
    if (name.length > top.length) inner.set(name.slice(top.length + 1), bytes);
  }
  return inner;
}

async function keepProject(project) {
  try {
    await storage.store(kProjectSet, project);
  } catch (e) {
    say(`Браузер не сохранил игру: ${e?.message ?? e}`, false);
    return false;
  }
  return true;
}

// A game from the page's own site, by address: ?game=NAME.zip, or the game a
// site made by velmora-tool web names in <html data-game>. Only a plain
// file name beside the page is taken, never a path or an address: a link a
// stranger sends cannot make this page fetch from another site, climb out of
// the site's folder or ask another server under this site's name, so the
// page only ever plays what the site's owner put there.
const kGameZipName = /^[A-Za-z0-9_\-][A-Za-z0-9_.\-]*\.zip$/i;

function gameAsked(search, html) {
  const asked = new URLSearchParams(search).get('game') ?? html ?? null;
  if (asked === null || asked === '') return null;
  return kGameZipName.test(asked) && !asked.includes('..') ? { name: asked } : { bad: asked };
}

export class GameFetchError extends Error {}

async function fetchGame(name) {
  let response;
  try {
    response = await fetch(new URL(name, location.href), { cache: 'no-cache' });
  } catch (e) {
    throw new GameFetchError(`Игра ${name} не загружена: нет связи с сайтом.`);
  }
  if (!response.ok) {
    throw new GameFetchError(`Игра ${name} не загружена: сайт ответил ${response.status}.`);
  }
  const size = Number(response.headers.get('content-length') ?? 0);
  if (size > kProjectMaxBytes) throw new GameFetchError(`Архив ${name} больше 256 мегабайт: это не игра.`);
  let project;
  try {
    project = await unzip(await response.arrayBuffer(), {
      maxBytes: kProjectMaxBytes,
      maxFiles: kProjectMaxFiles,
      tooBig: `В архиве ${name} больше 256 мегабайт: это не игра.`,
      tooMany: `В архиве ${name} больше ${kProjectMaxFiles} файлов: это не игра.`,
    });
  } catch (e) {
    throw new GameFetchError(e instanceof ZipError ? `${name}: ${e.message}` : `Архив ${name} не прочитан: ${e?.message ?? e}`);
  }
  project = projectInside(project);
  if (!hasGameIni(project)) throw new GameFetchError(`В архиве ${name} нет game.ini: это не архив игры.`);
  return project;
}


/**
 * The project to play, read before the program starts: the game the
 * address asks for (fetched, and checked as a player's own project is:
 * options.project becomes '1'), or with ?project=1 the player's own; resolves
 * to the program's preRun step that unpacks it (fs() gives the file
 * system). A game asked for that cannot be had is a GameFetchError.
 */
export async function restoreProject(options, fs) {
  let files = null;
  const asked = gameAsked(location.search, document.documentElement.dataset.game);
  if (asked?.bad !== undefined) {
    throw new GameFetchError(`«${asked.bad.slice(0, 100)}» не имя архива игры: нужно имя файла .zip рядом со страницей, без папок и адреса.`);
  }
  if (asked) {
    files = await fetchGame(asked.name);
    // Played as a player's own project is, checked first; the browser keeps
    // it no longer than the visit: the site holds it.
    options.project = '1';
  } else if (options.project === '1') {
    try {
      files = await storage.load(kProjectSet);
    } catch (e) {
      say(`Своя игра не прочитана: ${e?.message ?? e}`, false);
    }
  }
  return () => {
    if (files) storage.writeTree(fs(), kProjectFolder, files);
  };
}

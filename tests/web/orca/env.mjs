// SPDX-License-Identifier: GPL-3.0-or-later
// Where the test finds its site, logs and programs, whether it can run,
// the pace of the keys and its waits.

import { accessSync, constants, existsSync } from 'node:fs';
import { delimiter, join } from 'node:path';
import { fileURLToPath } from 'node:url';

// Not import.meta.dirname: Debian 12's node 18 lacks it.
export const root = fileURLToPath(new URL('../../..', import.meta.url));
export const site = process.env.VELMORA_ORCA_SITE ?? join(root, 'build-web/site');
export const logDir = process.env.VELMORA_ORCA_LOGS ?? join(root, 'build-web/orca');
export const chromiumPath = process.env.VELMORA_CHROMIUM ?? '/usr/bin/chromium';
export const python = '/usr/bin/python3';  // Debian's: ctypes and the system's libraries

function onPath(name) {
  if (name.startsWith('/')) return existsSync(name);
  return (process.env.PATH ?? '').split(delimiter).some((dir) => {
    try {
      accessSync(join(dir, name), constants.X_OK);
      return true;
    } catch {
      return false;
    }
  });
}

const kNeeded = [
  ['orca', 'orca'], ['Xvfb', 'xvfb'], [chromiumPath, 'chromium'], ['setxkbmap', 'x11-xkb-utils'],
  ['speech-dispatcher', 'speech-dispatcher'], ['/usr/libexec/at-spi-bus-launcher', 'at-spi2-core'],
  ['dbus-daemon', 'dbus-daemon'], ['dbus-send', 'dbus-bin'], [python, 'python3'], ['script', 'bsdutils'],
];
const missing = kNeeded.filter(([tool]) => !onPath(tool)).map(([tool, pkg]) => `${tool} (${pkg})`);
export const skip = missing.length ? `not installed: ${missing.join(', ')} (scripts/test-orca installs them)`
  : !process.env.VELMORA_ORCA_URL && !existsSync(join(site, 'velmora.wasm')) && `no ${site}/velmora.wasm: run scripts/build-web first`;

function paceRange() {
  const pace = process.env.VELMORA_ORCA_PACE ?? '400-800';
  const m = /^(\d+)(?:-(\d+))?$/.exec(pace.trim());
  if (!m) throw new Error(`VELMORA_ORCA_PACE: ${pace}: want N or MIN-MAX (milliseconds)`);
  const low = Number(m[1]);
  return [low, Math.max(low, Number(m[2] ?? m[1]))];
}
const [paceLow, paceHigh] = paceRange();
export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
export const pause = () => sleep(paceLow + Math.random() * (paceHigh - paceLow));

// Waits until fn() gives a true value (awaited), polling; throws `what`
// when the deadline passes.
export async function until(fn, what, timeoutMs, everyMs = 50) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await fn();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out after ${timeoutMs / 1000} s: ${what}`);
    await sleep(everyMs);
  }
}


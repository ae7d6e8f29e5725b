// SPDX-License-Identifier: GPL-3.0-or-later
// The page under a real screen reader: Debian's Orca, with its default
// settings, reading Debian's chromium (not headless) on a private X server,
// played with real X key events at a human pace, as a blind player plays
// it. What Orca says is read from its debug file (its SPEECH OUTPUT lines);
// what the game said, from the page's live region over the DevTools
// protocol, which is only read: every key goes through the X server, so
// Orca sees it first and may keep it (browse mode) as it would a player's.
//
//   node --test tests/web/orca.mjs   (scripts/test-orca: under dbus-run-session,
//                                     after installing and building what is missing)
// Orca's own words are English (LANG=C.UTF-8); the game's are Russian.
//
// Environment:
//   VELMORA_ORCA_SITE  the built site's folder, served here (default build-web/site)
//   VELMORA_ORCA_URL   or the address of a site served elsewhere
//   VELMORA_ORCA_PACE  milliseconds between keys, N or MIN-MAX (default 400-800)
//   VELMORA_ORCA_LOGS  folder for the readable logs (default build-web/orca)
//   VELMORA_ORCA_KEEP  1: keep the run's temporary folder (Orca's whole
//                      debug file, every program's output)
//   VELMORA_CHROMIUM   the browser (default /usr/bin/chromium)
//
// Everything it starts runs in process groups of its own on a private
// session bus, X display and speech-dispatcher socket, and is stopped at
// the end, also on failure; a last sweep stops any process left with this
// run's mark in its environment.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import {
  accessSync, closeSync, constants, existsSync, mkdirSync, mkdtempSync, openSync,
  readFileSync, readSync, readdirSync, rmSync, statSync, writeFileSync,
} from 'node:fs';
import { tmpdir } from 'node:os';
import { delimiter, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serve } from './browser.mjs';

// Not import.meta.dirname: Debian 12's node 18 lacks it.
const root = fileURLToPath(new URL('../..', import.meta.url));
const site = process.env.VELMORA_ORCA_SITE ?? join(root, 'build-web/site');
const logDir = process.env.VELMORA_ORCA_LOGS ?? join(root, 'build-web/orca');
const chromiumPath = process.env.VELMORA_CHROMIUM ?? '/usr/bin/chromium';
const python = '/usr/bin/python3';  // Debian's: ctypes and the system's libraries

const kPrompt = 'Игра Вельмора. Нажмите любую клавишу';
const kVictory = 'Победа! Колокол снова звонит';

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
const skip = missing.length ? `not installed: ${missing.join(', ')} (scripts/test-orca installs them)`
  : !process.env.VELMORA_ORCA_URL && !existsSync(join(site, 'velmora.wasm')) && `no ${site}/velmora.wasm: run scripts/build-web first`;

function paceRange() {
  const pace = process.env.VELMORA_ORCA_PACE ?? '400-800';
  const m = /^(\d+)(?:-(\d+))?$/.exec(pace.trim());
  if (!m) throw new Error(`VELMORA_ORCA_PACE: ${pace}: want N or MIN-MAX (milliseconds)`);
  const low = Number(m[1]);
  return [low, Math.max(low, Number(m[2] ?? m[1]))];
}
const [paceLow, paceHigh] = paceRange();

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const pause = () => sleep(paceLow + Math.random() * (paceHigh - paceLow));

// Waits until fn() gives a true value (awaited), polling; throws `what`
// when the deadline passes.
async function until(fn, what, timeoutMs, everyMs = 50) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await fn();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out after ${timeoutMs / 1000} s: ${what}`);
    await sleep(everyMs);
  }
}

// Sends real X key events through XTest, by keycode, from the X server's own
// keymap: a Russian letter is the key at its place in the ru group (KeyA
// gives «ф»), pressed with that group locked, as a layout switch does.
// One command a line, one answer a line ("ok" or "error ...").
const kKeySender = String.raw`
import ctypes, sys, time
from ctypes import c_void_p, c_char_p, c_ulong, c_uint, c_int, c_ubyte, c_uint32
x = ctypes.CDLL('libX11.so.6')
xt = ctypes.CDLL('libXtst.so.6')
xkb = ctypes.CDLL('libxkbcommon.so.0')
x.XOpenDisplay.restype = c_void_p
x.XOpenDisplay.argtypes = [c_char_p]
x.XStringToKeysym.restype = c_ulong
x.XStringToKeysym.argtypes = [c_char_p]
x.XKeysymToKeycode.restype = c_ubyte
x.XKeysymToKeycode.argtypes = [c_void_p, c_ulong]
x.XkbKeycodeToKeysym.restype = c_ulong
x.XkbKeycodeToKeysym.argtypes = [c_void_p, c_ubyte, c_int, c_int]
x.XkbLockGroup.argtypes = [c_void_p, c_uint, c_uint]
x.XSync.argtypes = [c_void_p, c_int]
xt.XTestFakeKeyEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
xkb.xkb_keysym_to_utf32.restype = c_uint32
xkb.xkb_keysym_to_utf32.argtypes = [c_uint32]
dpy = x.XOpenDisplay(None)
if not dpy:
    print('error cannot open the display', flush=True)
    sys.exit(1)
HOLD = 0.06  # a finger's press
shift = x.XKeysymToKeycode(dpy, x.XStringToKeysym(b'Shift_L'))

def tap(code, shifted=False):
    if shifted:
        xt.XTestFakeKeyEvent(dpy, shift, 1, 0)
    xt.XTestFakeKeyEvent(dpy, code, 1, 0)
    x.XSync(dpy, 0)
    time.sleep(HOLD)
    xt.XTestFakeKeyEvent(dpy, code, 0, 0)
    if shifted:
        xt.XTestFakeKeyEvent(dpy, shift, 0, 0)
    x.XSync(dpy, 0)

def place(ch, group):
    for code in range(8, 256):
        for level in (0, 1):
            sym = x.XkbKeycodeToKeysym(dpy, code, group, level)
            if sym and xkb.xkb_keysym_to_utf32(sym) == ord(ch):
                return code, level == 1
    return None

for line in sys.stdin:
    verb, _, arg = line.rstrip('\n').partition(' ')
    try:
        if verb == 'key':
            code = x.XKeysymToKeycode(dpy, x.XStringToKeysym(arg.encode()))
            if not code:
                raise ValueError('no key for ' + arg)
            tap(code)
        elif verb == 'group':
            x.XkbLockGroup(dpy, 0x100, int(arg))
            x.XSync(dpy, 0)
        elif verb == 'char':
            found = place(arg, 1) or place(arg, 0)
            if not found:
                raise ValueError('no key for ' + arg)
            tap(*found)
        else:
            raise ValueError('unknown command ' + verb)
        print('ok', flush=True)
    except Exception as e:
        print('error', e, flush=True)
`;

// win.keys's key names as X keysyms.
const kKeysyms = {
  Enter: 'Return', Space: 'space', Backspace: 'BackSpace', PageUp: 'Prior', PageDown: 'Next',
};

// Orca's debug file, read as it grows: its SPEECH OUTPUT lines with their
// times (the file's clock is the wall clock: HH:MM:SS.micro, local time).
class OrcaSpeech {
  constructor(file) {
    this.file = file;
    this.offset = 0;
    this.rest = '';
    this.open = null;  // an utterance whose text goes on over more lines
    this.lines = [];   // { t, text }
  }

  static timeOf(stamp) {
    const [h, m, s] = stamp.split(':');
    const d = new Date();
    d.setHours(Number(h), Number(m), 0, 0);
    let t = d.getTime() + Number(s) * 1000;
    if (t > Date.now() + 3600e3) t -= 86400e3;  // written before midnight
    return t;
  }

  read() {
    let fd;
    try {
      fd = openSync(this.file, 'r');
    } catch {
      return this.lines;
    }
    try {
      const chunks = [];
      const buf = Buffer.alloc(1 << 20);
      for (;;) {
        const n = readSync(fd, buf, 0, buf.length, this.offset);
        if (n <= 0) break;
        chunks.push(Buffer.from(buf.subarray(0, n)));
        this.offset += n;
      }
      if (!chunks.length) return this.lines;
      const text = this.rest + Buffer.concat(chunks).toString('utf8');
      const parts = text.split('\n');
      this.rest = parts.pop();  // a line not yet ended
      for (const line of parts) this.take(line);
    } finally {
      closeSync(fd);
    }
    return this.lines;
  }

  take(line) {
    line = line.replace(/\r$/, '');  // the terminal's line ends
    const stamped = /^(\d\d:\d\d:\d\d\.\d+) - (.*)$/.exec(line);
    if (stamped) {
      this.finish();
      const speech = /^SPEECH OUTPUT: '(.*)$/.exec(stamped[2]);
      if (speech) this.open = { t: OrcaSpeech.timeOf(stamped[1]), parts: [speech[1]] };
    } else if (this.open) {
      this.open.parts.push(line);
    }
    // The text ends with its quote, then perhaps the voice's settings.
    if (this.open && /'(\s*\{.*\})?\s*$/.test(this.open.parts.at(-1))) this.finish();
  }

  finish() {
    if (!this.open) return;
    const text = this.open.parts.join('\n').replace(/'(\s*\{.*\})?\s*$/, '');
    this.lines.push({ t: this.open.t, text });
    this.open = null;
  }
}

// Records every <p> the live region receives (text read when asked, so a
// line filled after it is added still counts); the ones already there when
// it starts count from then. Gives this document's id and its texts from
// index `from` on, or null before the live region is there.
function liveRegionSince(from) {
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

const same = (s) => s.replace(/\s+/g, ' ').trim();

// One run: a private session bus, X server (us,ru), accessibility bus,
// speech-dispatcher without sound, Orca with default settings and
// chromium on `url`.
class Session {
  constructor(name) {
    this.name = name;
    this.tmp = mkdtempSync(join(tmpdir(), 'velmora-orca-'));
    runs.add(this.tmp);
    this.procs = [];
    this.log = [];  // { t, kind: 'key'|'page'|'orca'|'note', text }
    this.env = {
      PATH: process.env.PATH,
      LANG: 'C.UTF-8',
      TZ: process.env.TZ ?? '',
      HOME: join(this.tmp, 'home'),
      XDG_CONFIG_HOME: join(this.tmp, 'config'),
      XDG_DATA_HOME: join(this.tmp, 'data'),
      XDG_CACHE_HOME: join(this.tmp, 'cache'),
      XDG_RUNTIME_DIR: join(this.tmp, 'run'),
      // Toolkits and chromium talk to the accessibility bus.
      GNOME_ACCESSIBILITY: '1',
      ACCESSIBILITY_ENABLED: '1',
      NO_AT_BRIDGE: '0',
      GSETTINGS_BACKEND: 'memory',
      // This run's mark: the last sweep stops whatever carries it.
      VELMORA_ORCA_RUN: this.tmp,
    };
    if (!this.env.TZ) delete this.env.TZ;
    for (const dir of ['home', 'config', 'data', 'cache', 'run', 'logs']) {
      mkdirSync(join(this.tmp, dir), { mode: 0o700 });
    }
    this.orcaDebug = join(this.tmp, 'orca-debug.out');
    this.orca = new OrcaSpeech(this.orcaDebug);
  }

  // Starts a program in a process group of its own, its output in logs/.
  start(name, cmd, args, extraStdio = []) {
    const out = openSync(join(this.tmp, 'logs', `${name}.log`), 'a');
    const child = spawn(cmd, args, {
      env: this.env, detached: true, stdio: ['ignore', out, out, ...extraStdio],
    });
    closeSync(out);
    const proc = { name, child, exited: false };
    child.on('exit', () => {
      proc.exited = true;
    });
    child.on('error', () => {
      proc.exited = true;
    });
    this.procs.push(proc);
    live.add(proc);
    return proc;
  }

  alive(proc) {
    if (proc.exited) throw new Error(`${proc.name} stopped (see ${join(this.tmp, 'logs', proc.name + '.log')})`);
    return true;
  }

  run(cmd, args) {
    return spawnSync(cmd, args, { env: this.env, encoding: 'utf8', timeout: 10000 });
  }

  note(kind, text, t = Date.now()) {
    this.log.push({ t, kind, text });
  }

  async up(url) {
    // The session bus.
    const bus = join(this.tmp, 'bus');
    const dbus = this.start('dbus-daemon', 'dbus-daemon',
      ['--session', '--nofork', '--nopidfile', `--address=unix:path=${bus}`]);
    await until(() => this.alive(dbus) && existsSync(bus), 'the session bus', 10000);
    this.env.DBUS_SESSION_BUS_ADDRESS = `unix:path=${bus}`;

    // The X server, on a display it finds free.
    const xvfb = this.start('Xvfb', 'Xvfb',
      ['-displayfd', '3', '-screen', '0', '1280x800x24', '-nolisten', 'tcp', '-noreset'], ['pipe']);
    let number = '';
    xvfb.child.stdio[3].on('data', (d) => {
      number += d;
    });
    await until(() => this.alive(xvfb) && /\d+\n/.test(number), 'Xvfb to give its display', 15000);
    this.env.DISPLAY = `:${number.trim()}`;
    await until(() => this.run('setxkbmap', ['-layout', 'us,ru']).status === 0, 'setxkbmap -layout us,ru', 10000, 200);

    // The accessibility bus, as a desktop session starts it.
    const atspi = this.start('at-spi-bus-launcher', '/usr/libexec/at-spi-bus-launcher', ['--launch-immediately']);
    await until(() => this.alive(atspi) && this.run('dbus-send', ['--session', '--print-reply',
      '--dest=org.a11y.Bus', '/org/a11y/bus', 'org.a11y.Bus.GetAddress']).status === 0,
    'the accessibility bus', 15000, 200);

    // speech-dispatcher without a sound card: a module that speaks nothing
    // and ends each text at once, audio to ALSA's null device.
    const sd = join(this.tmp, 'speechd');
    mkdirSync(join(sd, 'modules'), { recursive: true });
    writeFileSync(join(sd, 'speechd.conf'), [
      'LogLevel 3',
      'AudioOutputMethod "alsa"',
      'AudioALSADevice "null"',
      `AddModule "silent" "sd_generic" "${join(sd, 'modules/silent.conf')}"`,
      'DefaultModule silent',
      'DefaultLanguage "ru"',
      '',
    ].join('\n'));
    writeFileSync(join(sd, 'modules/silent.conf'), [
      'GenericExecuteSynth "true"',
      'GenericLanguage "ru" "ru" "utf-8"',
      'GenericLanguage "en" "en" "utf-8"',
      'AddVoice "ru" "MALE1" "ru"',
      'AddVoice "en" "MALE1" "en"',
      '',
    ].join('\n'));
    const socket = join(this.tmp, 'speechd.sock');
    const speechd = this.start('speech-dispatcher', 'speech-dispatcher',
      ['-s', '-t', '0', '-C', sd, '-c', 'unix_socket', '-S', socket, '-L', join(this.tmp, 'logs')]);
    await until(() => this.alive(speechd) && existsSync(socket), 'speech-dispatcher', 15000);
    this.env.SPEECHD_ADDRESS = `unix_socket:${socket}`;

    // Orca refuses to start beside another of this user's, on any display.
    await until(() => orcas().length === 0, 'no other Orca', 10000).catch(() => {
      throw new Error(`another Orca runs for this user (pid ${orcas().join(', ')}), and Orca starts only ` +
        'when none does: run this test when it has ended');
    });
    // Orca, default settings (the empty folders above). Its debug file is a
    // terminal, which Python writes line by line (a plain file it keeps in
    // an 8 KB buffer, so a line said would show only after more came);
    // script(1) copies the terminal into the file.
    this.orcaProc = this.start('orca', 'script', ['-q', '-f', '-e', '-c',
      `exec orca --debug-file /dev/tty >'${join(this.tmp, 'logs/orca-output.log')}' 2>&1`, this.orcaDebug]);
    await until(() => this.alive(this.orcaProc) && this.orca.read().length > 0, 'Orca to speak', 30000, 200);

    await this.keySenderUp();

    // Chromium, as a player starts it, with the page.
    const profile = join(this.tmp, 'chromium');
    // A Russian page in an English browser: no offer to translate it, which
    // Orca would announce.
    mkdirSync(join(profile, 'Default'), { recursive: true });
    writeFileSync(join(profile, 'Default/Preferences'), JSON.stringify({ translate: { enabled: false } }));
    this.loadT = Date.now();
    this.browserProc = this.start('chromium', chromiumPath, [
      '--force-renderer-accessibility', '--no-first-run', '--no-default-browser-check', '--no-sandbox',
      '--disable-gpu', '--disable-quic', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--password-store=basic', '--enable-speech-dispatcher',
      `--user-data-dir=${profile}`, '--remote-debugging-port=0', '--window-position=0,0',
      '--window-size=1280,800', url,
    ]);
    this.note('note', `chromium ${url}`, this.loadT);
    const portFile = join(profile, 'DevToolsActivePort');
    const port = await until(() => this.alive(this.browserProc) && existsSync(portFile) &&
      readFileSync(portFile, 'utf8').split('\n')[0], 'chromium\'s DevTools port', 30000);
    this.cdp = await chromium.connectOverCDP(`http://127.0.0.1:${port}`);
    this.page = await until(() => this.cdp.contexts().flatMap((c) => c.pages())
      .find((p) => p.url().startsWith(url.split('?')[0])), 'the page in chromium', 30000);
    this.devtools = await this.page.context().newCDPSession(this.page);
    this.history = [];     // every live-region text of every document, { t, text }
    this.document = null;  // the current document's id and how many of its texts are in history
    await until(async () => (await this.heard(0)).length > 0 || this.document, 'the page\'s live region', 30000);
  }

  // The key sender: commands on its stdin, answers on its stdout.
  async keySenderUp() {
    const child = spawn(python, ['-c', kKeySender], { env: this.env, detached: true, stdio: ['pipe', 'pipe', 'pipe'] });
    const sender = { name: 'keys', child, exited: false };
    child.on('exit', () => {
      sender.exited = true;
    });
    this.procs.push(sender);
    live.add(sender);
    this.keys = sender;
    this.waiting = [];
    let buffered = '';
    let errors = '';
    child.stderr.on('data', (d) => {
      errors += d;
    });
    child.stdout.on('data', (d) => {
      buffered += d;
      for (let i; (i = buffered.indexOf('\n')) >= 0;) {
        const answer = buffered.slice(0, i);
        buffered = buffered.slice(i + 1);
        const w = this.waiting.shift();
        if (w) w(answer);
      }
    });
    child.on('exit', () => {
      for (const w of this.waiting.splice(0)) w(`error the key sender stopped: ${errors.trim()}`);
    });
    child.stdin.on('error', () => {});  // written after it stopped: the answer says so
    await this.command('group 0');
  }

  command(line) {
    if (this.keys.exited) return Promise.reject(new Error('the key sender stopped'));
    return new Promise((done, fail) => {
      this.waiting.push((answer) => (answer === 'ok' ? done() : fail(new Error(`${line}: ${answer}`))));
      this.keys.child.stdin.write(line + '\n');
    });
  }

  // A key as win.keys names it (Down, Enter, F2, 3, ...).
  async key(name) {
    this.note('key', name);
    await this.command(`key ${kKeysyms[name] ?? name}`);
  }

  // Russian letters, each at its place with the ru group locked.
  async type(text) {
    await this.command('group 1');
    try {
      for (const [i, ch] of [...text].entries()) {
        if (i > 0) await pause();
        this.note('key', ch);
        await this.command(`char ${ch}`);
      }
    } finally {
      await this.command('group 0');
    }
  }

  // Runs fn(arg) in the page and gives its value. Not playwright's
  // evaluate: that runs as a user gesture, which would let the page sound
  // before any key and so skip its request for one.
  async read(fn, arg) {
    const { result, exceptionDetails } = await this.devtools.send('Runtime.evaluate', {
      expression: `(${fn})(${JSON.stringify(arg ?? null)})`,
      returnByValue: true, awaitPromise: true, userGesture: false,
    });
    if (exceptionDetails) throw new Error(`in the page: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    return result.value;
  }

  // The live region's texts from the index `from` on: { t, text }, over
  // every document the tab has shown (a key may reload the page).
  async heard(from = 0) {
    this.alive(this.browserProc);
    let got = null;
    try {
      got = await this.read(liveRegionSince, this.document?.count ?? 0);
    } catch {
      // Between two documents: what was gathered so far.
    }
    if (got && got.id !== this.document?.id) {
      if (this.document) this.note('note', `a new document: ${this.page.url()}`);
      this.documents = (this.documents ?? 0) + 1;
      // Its texts from the start.
      got = await this.read(liveRegionSince, 0).catch(() => null);
      this.document = got && { id: got.id, count: 0 };
    }
    if (got && this.document && got.id === this.document.id) {
      this.history.push(...got.texts);
      this.document.count += got.texts.length;
    }
    return this.history.slice(from);
  }

  orcaSaid(from = 0, to = Infinity) {
    return this.orca.read().filter((l) => l.t >= from && l.t < to);
  }

  busy() {
    // Between two documents the page counts as busy.
    return this.read(() => (window.velmora?._velmora_busy ? window.velmora._velmora_busy() : 1)).catch(() => 1);
  }

  // The readable log: the keys, the page's texts and Orca's words, in time
  // order, from chromium's start.
  async report() {
    let page = [];
    try {
      page = await this.heard(0);
    } catch {
      // The page is gone: its texts are not in the log.
    }
    const rows = [
      ...this.log,
      ...page.map((h) => ({ t: h.t, kind: 'page', text: h.text })),
      ...this.orca.read().map((l) => ({ t: l.t, kind: 'orca', text: l.text })),
    ].sort((a, b) => a.t - b.t);
    const t0 = this.loadT ?? rows[0]?.t ?? 0;
    return rows.map((r) => {
      const at = ((r.t - t0) / 1000).toFixed(3).padStart(8);
      const text = r.text.replace(/\n/g, ' ⏎ ');
      return r.kind === 'key' ? `${at}  KEY ${text}` : `${at}       ${r.kind}: ${text}`;
    }).join('\n') + '\n';
  }

  async down() {
    try {
      await this.cdp?.close();
    } catch {
      // Chromium may be gone already.
    }
      await stopAll(this.procs, this.tmp);
    runs.delete(this.tmp);
    if (process.env.VELMORA_ORCA_KEEP === '1') {
      console.log(`# kept ${this.tmp}`);
    } else {
      rmSync(this.tmp, { recursive: true, force: true });
    }
  }
}

// Every started program, until stopped: also stopped if this process ends
// (a failure, Ctrl+C).
const live = new Set();
const runs = new Set();  // the temporary folders of the sessions up

async function stopAll(procs, tmp) {
  const signal = (proc, sig) => {
    try {
      process.kill(-proc.child.pid, sig);
    } catch {
      // The group is gone.
    }
  };
  const settle = async (ms) => {
    const end = Date.now() + ms;
    while ((procs.some((p) => !p.exited) || marked(tmp).length) && Date.now() < end) await sleep(50);
  };
  // Orca first, and until it is reaped: Orca will not start while another
  // process of this user is named orca, even a zombie.
  const orca = orcas().filter((pid) => marked(tmp).includes(pid));
  for (const pid of orca) kill(pid, 'SIGTERM');
  const gone = () => orca.every((pid) => !existsSync(`/proc/${pid}`));
  await until(gone, 'Orca to stop', 5000).catch(() => orca.forEach((pid) => kill(pid, 'SIGKILL')));
  for (const proc of procs) signal(proc, 'SIGTERM');
  await settle(5000);
  // What left its group (Orca under script(1), a bus's activated services).
  for (const pid of marked(tmp)) kill(pid, 'SIGTERM');
  await settle(2000);
  for (const proc of procs) {
    signal(proc, 'SIGKILL');
    live.delete(proc);
  }
  for (const pid of marked(tmp)) kill(pid, 'SIGKILL');
  await until(gone, 'Orca to be reaped', 5000).catch(() => {});
}

// This user's processes named orca, zombies too, as Orca counts them
// (pgrep -u UID -x orca) before it starts.
function orcas() {
  const uid = process.getuid();
  const pids = [];
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      if (readFileSync(`/proc/${entry}/comm`, 'utf8').trim() !== 'orca') continue;
      if (statSync(`/proc/${entry}`).uid === uid) pids.push(Number(entry));
    } catch {
      // Gone.
    }
  }
  return pids;
}

function kill(pid, sig) {
  try {
    process.kill(pid, sig);
  } catch {
    // Gone.
  }
}

// The processes this run started, whatever their group: they carry its
// mark in their environment.
function marked(tmp) {
  const mark = Buffer.from(`VELMORA_ORCA_RUN=${tmp}\0`);
  const pids = [];
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry) || Number(entry) === process.pid) continue;
    try {
      const status = readFileSync(`/proc/${entry}/stat`, 'utf8');
      if (/\) Z /.test(status)) continue;  // a zombie, for its parent to reap
      if (readFileSync(`/proc/${entry}/environ`).includes(mark)) pids.push(Number(entry));
    } catch {
      // Gone, or not ours to read.
    }
  }
  return pids;
}

process.on('exit', () => {
  for (const proc of live) kill(-proc.child.pid, 'SIGKILL');
  for (const tmp of runs) for (const pid of marked(tmp)) kill(pid, 'SIGKILL');
});
for (const sig of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(sig, () => process.exit(128 + ({ SIGINT: 2, SIGTERM: 15, SIGHUP: 1 })[sig]));
}

// The site: VELMORA_ORCA_URL, else the built site served here.
async function siteUrl() {
  if (process.env.VELMORA_ORCA_URL) {
    const base = process.env.VELMORA_ORCA_URL;
    return { base: base.endsWith('/') || base.endsWith('.html') ? base : base + '/', close: async () => {} };
  }
  const server = await serve(site);
  return { base: server.url, close: () => server.close() };
}

const page = (base, query) => (base.endsWith('.html') ? base : base + 'index.html') + query;

// Runs body(session) on a fresh session with chromium on the page, writes
// the readable log to logs/NAME.log, and stops everything.
async function withSession(name, query, body, t) {
  const server = await siteUrl();
  const s = new Session(name);
  try {
    await s.up(page(server.base, query));
    await body(s);
  } finally {
    try {
      mkdirSync(logDir, { recursive: true });
      const text = await s.report();
      writeFileSync(join(logDir, `${name}.log`), text);
      t.diagnostic(`log: ${join(logDir, `${name}.log`)}`);
      // One write a line: the test runner cuts its output where a write ends.
      console.log(`\n${name}: time (s from chromium's start), key sent, the page's and Orca's texts`);
      for (const line of text.trimEnd().split('\n')) console.log(line);
    } finally {
      await s.down();
      await server.close();
    }
  }
}

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
async function step(s, what) {
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
function results(s, steps, sent, history, end) {
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
// introduction, the main menu's arrows, Enter for a new game, digits of the
// action menu, Down in a list and a Russian letter in its search.
const kNewcomer = [
  { name: 'the load', load: true, expect: kPrompt },  // the request for a first key
  { name: 'Space (any key)', key: 'Space', expect: 'Над озером Вельмой' },
  { name: 'Escape', key: 'Escape', expect: 'Главное меню' },
  { name: 'Down', key: 'Down', expect: 'Загрузить игру' },
  { name: 'Up', key: 'Up', expect: 'Новая игра' },
  { name: 'Enter', key: 'Enter', expect: 'Сторожка маяка' },
  { name: '3', key: '3', expect: 'Осмотреть, 3 предмета' },
  { name: 'Escape', key: 'Escape', expect: 'Осмотреть.' },
  { name: '4', key: '4', expect: 'Что с собой.' },
  { name: '3', key: '3', expect: 'Осмотреть, 3 предмета' },
  { name: 'Down', key: 'Down', expect: 'записка.' },
  { name: 'ф', type: 'ф', expect: 'фонарь.' },
];

test('a newcomer\'s keys reach the game and Orca says its answers', { skip, timeout: 300000 }, async (t) => {
  await withSession('newcomer', '', async (s) => {
    const sent = [];
    for (const what of kNewcomer) {
      if (!what.load) await pause();
      sent.push(await step(s, what));
    }
    const rows = results(s, kNewcomer, sent, await s.heard(0), Date.now());
    for (const r of rows) {
      t.diagnostic(`${r.what.name}: ${r.problems.length ? 'FAIL ' + r.problems.join('; ') : 'ok'}` +
        ` | game: ${r.texts.map((x) => `«${same(x)}»`).join(' ') || '-'}` +
        ` | Orca's own: ${r.own.map((x) => `'${same(x)}'`).join(' ') || '-'}`);
    }
    const failed = rows.filter((r) => r.problems.length);
    assert.equal(failed.length, 0, 'keys whose answer Orca did not say once:\n' + failed.map((r) =>
      `  ${r.what.name}: ${r.problems.join('; ')}; Orca said: ${r.said.map((l) => `'${same(l.text)}'`).join(' ') || 'nothing'}`)
      .join('\n'));
  }, t);
});

test('the winning walkthrough, played with X keys under Orca, wins', { skip, timeout: 1800000 }, async (t) => {
  const lines = readFileSync(join(root, 'tests/game/win.keys'), 'utf8').split('\n')
    .map((l) => l.trim()).filter((l) => l && !l.startsWith('#'));
  // The screen reader's page, as a player has it; -nomenu and the message
  // picker's seed as the key script was written with.
  await withSession('walkthrough', '?nomenu=1&seed=1', async (s) => {
    await until(() => s.read(() => document.body.dataset.gate === 'waiting' ||
      document.body.dataset.view !== 'loading'), 'the page to load', 30000);
    if (await s.read(() => document.body.dataset.gate === 'waiting')) {
      await pause();
      await s.key('Space');
    }
    await until(async () => (await s.heard(0)).some((h) => h.text.includes('Сторожка маяка')),
      'the first screen', 30000);
    let sent = 0;
    let stuck = null;
    for (const line of lines) {
      await s.heard(0);  // gathered as it comes: a reload would lose the page's texts
      // As the headless game settles before each key: a timed wait runs out.
      try {
        await until(() => s.busy().then((b) => b === 0), `the game to settle before key ${sent + 1} (${line})`, 60000);
      } catch (e) {
        stuck = e.message;
        break;
      }
      if (line.startsWith('wait ')) {
        // The script's own pause: what the game does meanwhile is its.
        s.note('note', line);
        await sleep(Number(line.slice(5)));
      } else {
        await pause();
        if (line.startsWith('type ')) await s.type(line.slice(5));
        else await s.key(line);
      }
      ++sent;
    }
    const won = !stuck && await until(async () => (await s.heard(0)).find((h) => h.text.includes(kVictory)),
      'the victory in the live region', 60000).catch(() => null);
    const heardByOrca = won && await until(() => s.orcaSaid(0).find((l) => l.text.includes(kVictory)),
      'the victory in Orca\'s speech', 15000).catch(() => null);
    // What a failure needs explained: how much of the game Orca said, when
    // it left focus mode (the keys then are its own), and any reload (a key
    // that pressed one of the page's buttons).
    const texts = await s.heard(0);
    const orca = s.orcaSaid(0);
    const said = orca.map((l) => same(l.text)).join(' \u2016 ');
    const missed = texts.filter((h) => !said.includes(same(h.text)));
    const browse = orca.filter((l) => /^Browse mode/.test(l.text)).length;
    const summary = `${sent} of ${lines.length} key lines sent; ${texts.length} game texts, ` +
      `${missed.length} not in Orca's speech${missed.length ? ` (first: «${same(missed[0].text)}»)` : ''}; ` +
      `Orca went to browse mode ${browse} times; the page was loaded ${s.documents} times`;
    t.diagnostic(summary);
    assert.ok(!stuck, `${stuck}; ${summary}`);
    assert.ok(won, `no «${kVictory}» in the live region; ${summary}; its last texts: ` +
      texts.slice(-3).map((h) => `«${same(h.text)}»`).join(' '));
    assert.ok(heardByOrca, `the live region has «${kVictory}», Orca did not say it; ${summary}`);
  }, t);
});

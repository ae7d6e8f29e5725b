// SPDX-License-Identifier: GPL-3.0-or-later
// One session: the programs a player's desktop runs, chromium on the page,
// and the readable log of the keys, the page's texts and Orca's words.

import { spawn, spawnSync } from 'node:child_process';
import {
  closeSync, existsSync, mkdirSync, mkdtempSync, openSync, readFileSync, rmSync, writeFileSync,
} from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { serve } from '../browser.mjs';
import { chromiumPath, logDir, pause, python, site, until } from './env.mjs';
import { kKeySender, kKeysyms } from './keys.mjs';
import { liveRegionSince } from './live_region.mjs';
import { live, orcas, runs, stopAll } from './processes.mjs';
import { OrcaSpeech } from './speech.mjs';

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
export async function withSession(name, query, body, t) {
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


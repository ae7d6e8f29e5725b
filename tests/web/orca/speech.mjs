// SPDX-License-Identifier: GPL-3.0-or-later
// What Orca says, read from its debug file.

import { closeSync, openSync, readSync } from 'node:fs';

// Orca's debug file, read as it grows: its SPEECH OUTPUT lines with their
// times (the file's clock is the wall clock: HH:MM:SS.micro, local time).
export class OrcaSpeech {
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

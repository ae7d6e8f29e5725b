// SPDX-License-Identifier: GPL-3.0-or-later
// The programs a session starts: stopped at its end, and also if this
// process ends; what a run started is found by its mark.

import { existsSync, readFileSync, readdirSync, statSync } from 'node:fs';
import { sleep, until } from './env.mjs';

// Every started program, until stopped: also stopped if this process ends
// (a failure, Ctrl+C).
export const live = new Set();
export const runs = new Set();  // the temporary folders of the sessions up

export async function stopAll(procs, tmp) {
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
export function orcas() {
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

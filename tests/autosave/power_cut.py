#!/usr/bin/env python3
"""The power-cut test: the shipped adventure walked by a key script that
saves into the five slots and changes maps, killed with SIGKILL at random
moments and before each rename in turn. After each kill the next start must
leave every slot whole as one of its complete versions (never the new map
file under the old game file), leave no temporary or staged file, and offer
an autosave that loads whole and is no older than anything the player heard
after it was written.

  power_cut.py VELMORA GAME_DIR WALK_KEYS [--kills N] [--seed S] [--every-rename] [--jobs J]

A reference run records the state of the saves after every rename (through a
small LD_PRELOAD library that also kills the program before the Nth rename):
the game is deterministic headless, so a killed run is a prefix of it.
"""
import argparse
import concurrent.futures
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

SHIM = r'''
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
static long count, seq;
static void Snapshot(void) {
    const char* snap = getenv("POWERCUT_SNAPSHOT");
    if (!snap) return;
    long n = ++seq;
    struct stat st;
    long size = stat(getenv("POWERCUT_TRANSCRIPT"), &st) == 0 ? (long)st.st_size : 0;
    char cmd[8192];
    snprintf(cmd, sizeof cmd,
             "env -u LD_PRELOAD sh -c 'mkdir -p \"%s/%06ld\" && cp -p -r \"%s\"/. \"%s/%06ld/\" && echo %ld > \"%s/%06ld.size\"'",
             snap, n, getenv("POWERCUT_SAVES"), snap, n, size, snap, n);
    if (system(cmd) != 0) abort();
}
/* The autosave of a game that ended is removed: a state of its own. */
int unlink(const char* path) {
    static int (*real)(const char*);
    if (!real) real = (int (*)(const char*))dlsym(RTLD_NEXT, "unlink");
    int r = real(path);
    size_t len = strlen(path);
    if (r == 0 && len >= 12 && strcmp(path + len - 12, "autosave.sav") == 0) Snapshot();
    return r;
}
int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    if (!real) real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    long n = ++count;
    const char* at = getenv("POWERCUT_KILL_AT");
    if (at && atol(at) == n) raise(SIGKILL);
    const char* log = getenv("POWERCUT_RENAMES");
    if (log) {
        FILE* f = fopen(log, "a");
        if (f) {
            fprintf(f, "%ld %s\n", n, to);
            fclose(f);
        }
    }
    int r = real(from, to);
    Snapshot();
    return r;
}
'''

QUESTION = "say: Продолжить прошлую игру? Энтэр — да, Эскейп — нет."
SLOTS = range(1, 6)


def fail(message):
    print("power_cut: FAIL: " + message)
    sys.exit(1)


def saves_of(folder):
    return os.path.join(folder, "Saves")


def slot_version(saves, n):
    """What slot n holds: its game file, its map files and the newest of them."""
    if not os.path.isdir(saves):
        return None
    game = None
    maps = {}
    newest = None
    for name in sorted(os.listdir(saves)):
        path = os.path.join(saves, name)
        if name == "%d-game.ini" % n:
            game = open(path, "rb").read()
        elif name.startswith("%d-map" % n) and name.endswith(".ini"):
            maps[name] = open(path, "rb").read()
            t = os.stat(path).st_mtime_ns
            if newest is None or t > newest[0]:
                newest = (t, name)
    if game is None and not maps:
        return None
    return (game, tuple(sorted(maps.items())), newest[1] if newest else None)


def autosave_of(saves):
    path = os.path.join(saves, "autosave.sav")
    return open(path, "rb").read() if os.path.exists(path) else None


def leftovers(saves):
    if not os.path.isdir(saves):
        return []
    return [n for n in os.listdir(saves)
            if ".tmp-" in n or n.endswith(".new") or n.endswith("pending")]


class Run:
    def __init__(self, velmora, game, keys, work, shim):
        self.velmora, self.game, self.keys, self.work, self.shim = velmora, game, keys, work, shim

    def fresh(self, job=0):
        root = os.path.join(self.work, "root-%d" % job)
        shutil.rmtree(root, ignore_errors=True)
        shutil.copytree(self.game, root, symlinks=True)
        return root

    def env(self, extra):
        env = dict(os.environ, LD_PRELOAD=self.shim, HOME=os.path.join(self.work, "home"),
                   XDG_DATA_HOME=os.path.join(self.work, "data"),
                   ASAN_OPTIONS="verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", ""))
        env.update(extra)
        return env

    def walk(self, root, extra, transcript, kill_after=None):
        with open(transcript, "wb") as out:
            p = subprocess.Popen([self.velmora, "--root", root, "--keys", self.keys, "-nomenu"],
                                 stdout=out, stderr=subprocess.DEVNULL, env=self.env(extra))
            if kill_after is not None:
                time.sleep(kill_after)
                p.send_signal(signal.SIGKILL)
            return p.wait()

    def next_start(self, root):
        """The next start: continue, then every slot loaded from the game block."""
        keys = "Enter\nF3\n" + "".join("0\n1\n%d\n" % n for n in SLOTS)
        r = subprocess.run([self.velmora, "--root", root, "--keys", "-"], input=keys.encode(),
                           capture_output=True, env=self.env({"LD_PRELOAD": ""}), timeout=120)
        if r.returncode != 0:
            fail("the next start failed: " + r.stderr.decode(errors="replace"))
        return r.stdout.decode(errors="replace").splitlines()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("velmora")
    ap.add_argument("game")
    ap.add_argument("keys")
    ap.add_argument("--kills", type=int, default=200)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--every-rename", action="store_true")
    ap.add_argument("--jobs", type=int, default=2)
    args = ap.parse_args()
    rnd = random.Random(args.seed)

    work = tempfile.mkdtemp(prefix="velmora-power-cut-")
    try:
        shim_c = os.path.join(work, "shim.c")
        shim = os.path.join(work, "shim.so")
        open(shim_c, "w").write(SHIM)
        subprocess.run(["cc", "-shared", "-fPIC", "-O1", "-o", shim, shim_c, "-ldl"], check=True)
        run = Run(os.path.realpath(args.velmora), args.game, args.keys, work, shim)

        # The reference: the saves after every rename, and how much the
        # player had heard by then.
        root = run.fresh()
        snap = os.path.join(work, "snap")
        os.makedirs(snap)
        ref_transcript = os.path.join(work, "reference")
        started = time.monotonic()
        status = run.walk(root, {"POWERCUT_SNAPSHOT": snap, "POWERCUT_SAVES": saves_of(root),
                                 "POWERCUT_RENAMES": os.path.join(work, "renames"),
                                 "POWERCUT_TRANSCRIPT": ref_transcript}, ref_transcript)
        if status != 0:
            fail("the reference walk failed (%d)" % status)
        names = sorted(n for n in os.listdir(snap) if not n.endswith(".size"))
        renames = sum(1 for line in open(os.path.join(work, "renames")))
        # A slot's complete versions are what it held when the game said it
        # was saved (every rename of that save came before the words), and
        # nothing at the start. A state between two renames of one save is
        # not one of them, whatever mechanism wrote it.
        said = []  # (offset of the line, slot)
        offset = 0
        prefix = "say: Игра сохранена: ".encode()
        for line in open(ref_transcript, "rb"):
            if line.startswith(prefix):
                said.append((offset, int(line[len(prefix):].split()[0])))
            offset += len(line)
        states = []  # (transcript size, folder)
        autosaves = [(0, None)]  # (transcript size when written, bytes)
        for name in names:
            folder = os.path.join(snap, name)
            size = int(open(folder + ".size").read())
            states.append((size, folder))
            a = autosave_of(folder)
            if a != autosaves[-1][1]:
                autosaves.append((size, a))
        valid = {n: {None} for n in SLOTS}
        for at, n in said:
            folder = [f for size, f in states if size <= at][-1]
            valid[n].add(slot_version(folder, n))
        slot_saves = len(said)
        maps = 0
        music = None
        for line in open(ref_transcript, encoding="utf-8", errors="replace"):
            if line.startswith("music: ") and "/map" in line:
                if music is not None and line != music:
                    maps += 1
                music = line
        duration = time.monotonic() - started
        # The reference itself took longer (a copy at every rename): time a plain walk.
        root = run.fresh()
        started = time.monotonic()
        run.walk(root, {}, os.path.join(work, "plain"))
        duration = time.monotonic() - started
        print("power_cut: reference walk: %d renames, %d slot versions, %d autosaves, %.2f s"
              % (renames, slot_saves, len(autosaves) - 1, duration))
        if slot_saves < 5 or len(autosaves) < 5:
            fail("the walk saves too little to test anything")

        def check(root, what, heard):
            """The problems the next start finds after a kill."""
            saves = saves_of(root)
            before = autosave_of(saves)
            lines = run.next_start(root)
            problems = []
            errors = [line for line in lines if "Ошибка" in line]
            if errors:
                problems.append("an error at the next start: " + errors[0])
            for n in SLOTS:
                if slot_version(saves, n) not in valid[n]:
                    problems.append("slot %d is not one of its complete versions" % n)
            left = leftovers(saves)
            if left:
                problems.append("left behind: " + ", ".join(sorted(left)))
            versions = [a for _, a in autosaves]
            if before not in versions:
                problems.append("the autosave is not one the game wrote")
            else:
                # Every autosave written before the player heard anything more
                # must have been kept.
                need = max(i for i, (size, _) in enumerate(autosaves) if size < heard or i == 0)
                # The autosave on disk must be one written before the kill (at
                # most as much heard) and no older than the last one written
                # before the player heard more. No autosave is right only
                # before the first one and after the game ended.
                fits = [i for i, (size, a) in enumerate(autosaves)
                        if a == before and i >= need and size <= heard]
                if not fits:
                    problems.append("the autosave is older than what the player heard after it "
                                    "(%d bytes heard; the one written at %d is not kept)"
                                    % (heard, autosaves[need][0]))
            if before is not None and QUESTION not in lines:
                problems.append("no question to continue")
            if before is not None and not any(line.startswith("say: Экран:") for line in lines):
                problems.append("the continued game says no screen")
            return "%s: %s" % (what, "; ".join(problems)) if problems else None

        def kill_and_check(job, what, extra, kill_after):
            root = run.fresh(job)
            transcript = os.path.join(work, "killed-%d" % job)
            run.walk(root, extra, transcript, kill_after=kill_after)
            return check(root, what, os.path.getsize(transcript))

        tasks = [("kill %d" % k, {}, rnd.uniform(0, duration)) for k in range(args.kills)]
        if args.every_rename:
            tasks += [("before rename %d" % n, {"POWERCUT_KILL_AT": str(n)}, None)
                      for n in range(1, renames + 1)]
        free = list(range(args.jobs))
        lock = threading.Lock()

        def task(t):
            with lock:
                job = free.pop()
            try:
                return kill_and_check(job, *t)
            finally:
                with lock:
                    free.append(job)

        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            results = list(pool.map(task, tasks))
        found = [r for r in results if r]
        for r in found:
            print("power_cut: " + r)
        checked, torn = len(results), len(found)
        print("power_cut: %d kills checked, %d torn or stale saves, %d maps crossed in the walk"
              % (checked, torn, maps))
        return 1 if torn else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

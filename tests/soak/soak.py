"""Soak: random key scripts played under the sanitizer build on the shipped
game and on generated hostile projects. Every crash, sanitizer report or hang
is written out with its seed and a shrunk key script that repeats it.

scripts/soak is the way in; `scripts/soak --help` lists the options.
"""

import argparse
import os
import random
import shutil
import statistics
import sys
import tempfile
import threading
import time
from concurrent.futures import FIRST_COMPLETED, ThreadPoolExecutor, wait

sys.dont_write_bytecode = True  # no __pycache__ in the work tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import keygen  # noqa: E402
import projgen  # noqa: E402
from runner import SANITIZER_ENV, Runner  # noqa: E402
from shrink import Shrinker  # noqa: E402

SOURCE_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILTIN = ("shipped", "generated")


class Run:
    """One key script on one game root. The id "SEED-INDEX" fixes the keys, the
    menu mode and, for generated projects, the project."""

    def __init__(self, target, seed, index, keys):
        self.target = target
        self.id = "%s-%d" % (seed, index)
        self.keys = keys
        self.nomenu = random.Random("mode-" + self.id).random() < 0.75
        self.lines = keygen.generate(self.id, keys)

    def describe(self):
        return "%s run %s (%d keys%s)" % (self.target, self.id, self.keys,
                                        ", -nomenu" if self.nomenu else "")


class Soak:
    def __init__(self, options):
        self.o = options
        self.scratch = tempfile.mkdtemp(prefix="velmora-soak-", dir=scratch_parent())
        self.runner = Runner(options.binary, self.scratch)
        self.lock = threading.Lock()
        self.durations = []
        self.findings = {}  # signature -> [(run, outcome)]
        self.keys_played = 0
        self.runs = 0

    # Game roots.

    def root_for(self, run):
        """The folder each play of `run` copies; a generated one is made once."""
        if run.target == "shipped":
            return os.path.join(SOURCE_ROOT, "game")
        if run.target == "generated":
            path = os.path.join(self.scratch, "project-" + run.id)
            if not os.path.isdir(path):
                projgen.generate(run.id, path)
            return path
        return run.target

    def drop_root(self, run):
        if run.target == "generated":
            shutil.rmtree(os.path.join(self.scratch, "project-" + run.id), ignore_errors=True)

    # Hangs: a run far slower than the runs before it.

    def timeout(self):
        if self.o.timeout:
            return self.o.timeout
        with self.lock:
            recent = self.durations[-200:]
        if len(recent) < 3:
            return 120.0
        return max(10.0, 20 * statistics.median(recent))

    def calibrate(self):
        """The normal time of a run on this machine, before any run of the soak:
        a few plays of the shipped game."""
        runs = [Run("shipped", "calibration", i, self.o.run_keys) for i in range(3)]
        with ThreadPoolExecutor(self.o.jobs) as pool:
            for outcome in pool.map(self.play, runs):
                if outcome.ok:
                    self.durations.append(outcome.seconds)

    def play(self, run, lines=None):
        return self.runner.play(self.root_for(run), run.lines if lines is None else lines,
                                run.nomenu, self.timeout())

    # The soak.

    def soak_one(self, run):
        outcome = self.play(run)
        with self.lock:
            self.runs += 1
            self.keys_played += run.keys
            if outcome.ok:
                self.durations.append(outcome.seconds)
                self.drop_root(run)
                return
            first = outcome.signature not in self.findings
            self.findings.setdefault(outcome.signature, []).append((run, outcome))
        if not first:
            self.drop_root(run)
        say("FOUND %s: %s" % (run.describe(), outcome.signature))

    def schedule(self):
        o = self.o
        targets = o.game or list(BUILTIN)
        index = 0
        remaining = o.keys
        while remaining > 0:
            keys = min(o.run_keys, remaining)
            remaining -= keys
            yield Run(targets[index % len(targets)], o.seed, index, keys)
            index += 1

    def soak(self):
        o = self.o
        start = time.monotonic()
        deadline = start + o.budget if o.budget else None
        last_report = start
        runs = self.schedule()
        pending = set()
        with ThreadPoolExecutor(o.jobs) as pool:
            while True:
                while len(pending) < o.jobs and (deadline is None or time.monotonic() < deadline):
                    run = next(runs, None)
                    if run is None:
                        break
                    pending.add(pool.submit(self.soak_one, run))
                if not pending:
                    break
                done, pending = wait(pending, timeout=5, return_when=FIRST_COMPLETED)
                for future in done:
                    future.result()  # a fault of the soak itself ends it
                now = time.monotonic()
                if now - last_report >= 30:
                    last_report = now
                    self.progress(now - start)
        elapsed = time.monotonic() - start
        if deadline is not None and self.keys_played < o.keys:
            say("the time budget of %ds ran out" % o.budget)
        self.progress(elapsed)
        return elapsed

    def progress(self, elapsed):
        with self.lock:
            say("%d keys in %d runs, %.0fs, %.0f keys/s, %d kinds of failure" % (
                self.keys_played, self.runs, elapsed, self.keys_played / max(elapsed, 1e-9),
                len(self.findings)))

    # Findings.

    def shrink(self, run, outcome):
        """The shrunk lines and the outcome of playing them, or None when the
        failure did not come back at all."""
        signature = outcome.signature
        seen = {}  # the outcome of each failing script, for its report

        def fails(lines):
            got = self.play(run, lines)
            if got.ok or got.signature != signature:
                return False
            with self.lock:
                seen[tuple(lines)] = got
            return True

        if not fails(run.lines) and not fails(run.lines):
            return None
        shrinker = Shrinker(fails, self.o.jobs, time.monotonic() + self.o.shrink_time)
        lines = shrinker.shrink(run.lines)
        got = seen.get(tuple(lines), outcome)
        if shrinker.out_of_time():
            say("  shrinking stopped after %ds (%d plays)" % (self.o.shrink_time, shrinker.tests))
        return lines, got

    def report(self, out):
        """Writes and prints the findings; returns how many count as failures.
        A hang that does not come back was a slow moment of a loaded machine."""
        os.makedirs(out, exist_ok=True)
        summary = []
        failures = 0
        for number, (signature, seen) in enumerate(sorted(self.findings.items()), 1):
            run, outcome = seen[0]
            folder = os.path.join(out, "%02d-%s" % (number, slug(outcome.kind)))
            os.makedirs(folder)
            say("shrinking %s (%s, %d keys)" % (signature, run.describe(), len(run.lines)))
            shrunk = self.shrink(run, outcome)
            write_lines(os.path.join(folder, "original.keys"), run.lines)
            if shrunk is None:
                lines, final, note = run.lines, outcome, "it did not repeat when played again"
                if not outcome.kind.startswith("hang"):
                    failures += 1
            else:
                failures += 1
                lines, final = shrunk
                note = "shrunk from %d to %d keys" % (len(run.lines), len(lines))
            write_lines(os.path.join(folder, "shrunk.keys"), lines)
            root = os.path.join(folder, "root")
            shutil.copytree(self.root_for(run), root, symlinks=True)
            with open(os.path.join(folder, "report.txt"), "w", encoding="utf-8") as f:
                f.write(final.stderr)
            with open(os.path.join(folder, "transcript-tail.txt"), "w", encoding="utf-8") as f:
                f.write("\n".join(final.transcript_tail.splitlines()[-60:]) + "\n")
            write_repro(folder, self.o.binary, run.nomenu)
            replay = "scripts/soak --game %s --seed %s --replay %s --run-keys %d" % (
                run.target, self.o.seed, run.id.rsplit("-", 1)[1], run.keys)
            if self.o.binary != default_binary():
                replay += " --binary " + self.o.binary
            with open(os.path.join(folder, "finding.txt"), "w", encoding="utf-8") as f:
                f.write("failure: %s\n" % signature)
                f.write("first seen: %s, seed %s\n" % (run.describe(), self.o.seed))
                f.write("seen in %d runs: %s\n" % (len(seen), " ".join(r.id for r, _ in seen)))
                f.write("%s\n" % note)
                f.write("again from the seed: %s\n" % replay)
                f.write("again from the script: %s/repro.sh\n" % folder)
            summary.append((signature, run, len(seen), note, folder, lines))
            self.drop_root(run)
        with open(os.path.join(out, "summary.txt"), "w", encoding="utf-8") as f:
            for signature, run, count, note, folder, lines in summary:
                f.write("%s\n  %s, seen in %d runs, %s\n  %s\n" % (
                    signature, run.describe(), count, note, folder))
        print()
        for signature, run, count, note, folder, lines in summary:
            print("== %s" % signature)
            print("   %s; seen in %d runs; %s" % (run.describe(), count, note))
            print("   %s" % folder)
            for line in lines[:40]:
                print("     " + line)
            if len(lines) > 40:
                print("     ... (%d keys in all)" % len(lines))
        print("\nfindings are in %s" % out)
        return failures

    def close(self):
        shutil.rmtree(self.scratch, ignore_errors=True)


def clear_findings(out):
    """Findings of an earlier soak with this seed go; nothing else there is touched."""
    if not os.path.isdir(out):
        return
    for name in os.listdir(out):
        path = os.path.join(out, name)
        if name == "summary.txt":
            os.remove(path)
        elif name[:2].isdigit() and name[2:3] == "-" and os.path.isdir(path):
            shutil.rmtree(path)


def slug(text):
    s = "".join(c if c.isalnum() else "-" for c in text.lower())
    return "-".join(part for part in s.split("-") if part)[:40] or "failure"


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8") as f:
        f.write("".join(l + "\n" for l in lines))


def write_repro(folder, binary, nomenu):
    env = " ".join("%s=%s" % item for item in SANITIZER_ENV.items())
    text = """#!/usr/bin/env bash
# Plays shrunk.keys on a fresh copy of root/ with the sanitizer settings of the soak.
set -u
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-%s}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -R "$here/root" "$tmp/root"
mkdir -p "$tmp/home/data"
HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/data" %s \\
  "$binary" --root "$tmp/root" --keys "$here/shrunk.keys"%s
""" % (binary, env, " -nomenu" if nomenu else "")
    path = os.path.join(folder, "repro.sh")
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, 0o755)


def default_binary():
    return os.path.join(SOURCE_ROOT, "build-asan", "src", "app", "velmora")


def scratch_parent():
    # Thousands of copies of a game root: memory is faster than the disk.
    if os.path.isdir("/dev/shm") and os.access("/dev/shm", os.W_OK):
        return "/dev/shm"
    return None


def say(text):
    print(text, flush=True)


def parse(argv):
    p = argparse.ArgumentParser(
        prog="scripts/soak",
        description="Plays random key scripts under the AddressSanitizer build and reports "
                    "crashes, sanitizer reports and hangs with shrunk key scripts.")
    p.add_argument("--keys", type=int, default=20000, metavar="N",
                   help="keys in all (default 20000)")
    p.add_argument("--seed", default=None, help="the seed of the runs (default: from the clock)")
    p.add_argument("--budget", type=float, default=0, metavar="SECONDS",
                   help="stop starting runs after this many seconds (default: no limit)")
    p.add_argument("--game", action="append", metavar="DIR",
                   help="a game root, or 'shipped' or 'generated'; may repeat "
                        "(default: both built-in targets, taking turns)")
    p.add_argument("--binary", default=default_binary(), metavar="PATH",
                   help="the player to soak (default: build-asan/src/app/velmora)")
    p.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                   help="plays at a time (default: the number of cores)")
    p.add_argument("--run-keys", type=int, default=3000, help="keys in one run (default 3000)")
    p.add_argument("--timeout", type=float, default=0,
                   help="seconds before a run counts as hung (default: 20 times the median "
                        "run, at least 10)")
    p.add_argument("--shrink-time", type=float, default=300,
                   help="seconds to spend shrinking each kind of failure (default 300)")
    p.add_argument("--out", default=None,
                   help="where findings go (default: build-asan/soak/seed-SEED)")
    p.add_argument("--replay", type=int, metavar="INDEX",
                   help="play only run INDEX of the seed, on the one --game")
    p.add_argument("--self-test", action="store_true",
                   help="only check the soak's own parts (needs no player)")
    o = p.parse_args(argv)
    if o.seed is None:
        o.seed = str(int(time.time()) % 1000000)
    if "-" in o.seed or not o.seed:
        p.error("a seed has no '-'")
    for game in o.game or []:
        if game not in BUILTIN and not os.path.isdir(game):
            p.error("no game root at %s" % game)
    o.game = [g if g in BUILTIN else os.path.abspath(g) for g in o.game or []]
    if o.replay is not None and len(o.game) != 1:
        p.error("--replay needs one --game")
    if o.keys < 1 or o.run_keys < 1 or o.jobs < 1:
        p.error("--keys, --run-keys and --jobs are at least 1")
    o.binary = os.path.abspath(o.binary)
    if not os.access(o.binary, os.X_OK):
        p.error("no player at %s (scripts/test --sanitize builds it)" % o.binary)
    name = "seed-" + o.seed + ("" if o.replay is None else "-run-%d" % o.replay)
    o.out = o.out or os.path.join(SOURCE_ROOT, "build-asan", "soak", name)
    return o


def self_test():
    import unittest
    suite = unittest.defaultTestLoader.loadTestsFromName("test_soak")
    return 0 if unittest.TextTestRunner(verbosity=1).run(suite).wasSuccessful() else 2


def main(argv):
    if "--self-test" in argv:
        return self_test()
    o = parse(argv)
    clear_findings(o.out)
    soak = Soak(o)
    try:
        if not o.timeout:
            soak.calibrate()
        if o.replay is not None:
            run = Run(o.game[0], o.seed, o.replay, o.run_keys)
            say("replaying " + run.describe())
            soak.soak_one(run)
        else:
            targets = ", ".join(os.path.relpath(t) if os.sep in t else t
                                for t in (o.game or BUILTIN))
            say("soak: seed %s, %d keys in runs of %d, %s, %d at a time" % (
                o.seed, o.keys, o.run_keys, targets, o.jobs))
            soak.soak()
        if not soak.findings:
            say("nothing found")
            return 0
        return 1 if soak.report(o.out) else 0
    finally:
        soak.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

"""Delta debugging of a failing key script: the fewest steps that still fail
the same way."""

import re
import time
from concurrent.futures import ThreadPoolExecutor


class Shrinker:
    """`fails(lines)` plays a script and says whether the same failure came back.
    Candidates are tried `jobs` at a time and taken in order, so the result
    does not depend on which play finished first."""

    def __init__(self, fails, jobs, deadline):
        self.fails = fails
        self.jobs = max(1, jobs)
        self.deadline = deadline
        self.cache = {}
        self.tests = 0
        self.pool = ThreadPoolExecutor(self.jobs)

    def out_of_time(self):
        return time.monotonic() > self.deadline

    def check(self, lines):
        key = tuple(lines)
        if key not in self.cache:
            self.tests += 1
            self.cache[key] = self.fails(list(lines))
        return self.cache[key]

    def check_all(self, candidates):
        return list(self.pool.map(self.check, candidates))

    def shortest_prefix(self, lines):
        # Steps after the failure never matter; most of a long script goes here.
        low, high = 0, len(lines)  # lines[:high] fails, lines[:low] is not known to
        while high - low > 1 and not self.out_of_time():
            probes = sorted({low + (high - low) * (k + 1) // (self.jobs + 1)
                             for k in range(self.jobs)} - {low, high})
            if not probes:
                break
            results = self.check_all([lines[:p] for p in probes])
            failing = [p for p, failed in zip(probes, results) if failed]
            if failing:
                high = failing[0]
            low = max([low] + [p for p, failed in zip(probes, results) if not failed and p < high])
        return lines[:high]

    def remove_chunks(self, lines, chunk):
        """One pass over the script taking out each run of `chunk` steps that
        the failure does not need. Plays ahead on spare cores assume the
        chunks before them stay; a removal makes them moot."""
        at = 0
        while at < len(lines) and not self.out_of_time():
            starts = list(range(at, len(lines), chunk))[:self.jobs]
            candidates = [lines[:s] + lines[s + chunk:] for s in starts]
            results = self.check_all(candidates)
            for s, candidate, failed in zip(starts, candidates, results):
                if failed and candidate:
                    lines = candidate
                    at = s
                    break
            else:
                at = starts[-1] + chunk
        return lines

    def ddmin(self, lines):
        chunk = max(1, len(lines) // 2)
        while not self.out_of_time():
            before = len(lines)
            lines = self.remove_chunks(lines, chunk)
            if chunk == 1 and len(lines) == before:
                break  # no single step can go
            if chunk > 1:
                chunk = max(1, min(chunk // 2, len(lines) // 2))
        return lines

    def simplify(self, lines):
        """Plainer steps: no '!', short waits, short typing, fewer modifiers."""
        i = 0
        while i < len(lines) and not self.out_of_time():
            options = simpler(lines[i])
            results = self.check_all([lines[:i] + [o] + lines[i + 1:] for o in options])
            for option, failed in zip(options, results):
                if failed:
                    lines = lines[:i] + [option] + lines[i + 1:]
                    break
            else:
                i += 1  # a changed step is tried again: it may get plainer still
        return lines

    def shrink(self, lines):
        try:
            if self.check([]):
                return []  # the game fails on its own, whatever the keys
            lines = self.shortest_prefix(lines)
            lines = self.ddmin(lines)
            lines = self.simplify(lines)
            return self.ddmin(lines)
        finally:
            self.pool.shutdown()


def simpler(line):
    if line.startswith("!"):
        return [line[1:]]
    out = []
    m = re.fullmatch(r"wait (\d+)", line)
    if m and int(m.group(1)) > 100:
        out += ["wait 100", "wait %d" % (int(m.group(1)) // 200 * 100)]
    m = re.fullmatch(r"type (.+)", line)
    if m and len(m.group(1)) > 1:
        text = m.group(1)
        halves = [text[:len(text) // 2].rstrip(" "), text[len(text) // 2:]]
        out += ["type " + h for h in halves if h.strip()]
    m = re.fullmatch(r"(down |up )?((?:Ctrl\+|Alt\+|Shift\+)+)(.+)", line)
    if m:
        prefix, mods, key = m.group(1) or "", m.group(2), m.group(3)
        out.append(prefix + key)
        for drop in ("Shift+", "Alt+", "Ctrl+"):
            if drop in mods and mods != drop:
                out.append(prefix + mods.replace(drop, "") + key)
    seen = []
    for o in out:
        if o != line and o not in seen:
            seen.append(o)
    return seen

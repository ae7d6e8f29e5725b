"""One play of a key script under the sanitizer build, and what went wrong."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

SANITIZER_ENV = {
    "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1:handle_abort=1:symbolize=1",
    "UBSAN_OPTIONS": "halt_on_error=1:print_stacktrace=1",
    "SDL_AUDIODRIVER": "dummy",
}
# Output beyond this is a runaway loop, not a game.
MAX_TRANSCRIPT = 256 * 1024 * 1024
TAIL = 64 * 1024


class Outcome:
    """How a run ended. `signature` names the failure for deduplication and for
    the shrinker: the kind and the first frame in the project's own code."""

    def __init__(self, ok, kind="", frame="", seconds=0.0, stderr="", transcript_tail="",
                 returncode=0):
        self.ok = ok
        self.kind = kind
        self.frame = frame
        self.seconds = seconds
        self.stderr = stderr
        self.transcript_tail = transcript_tail
        self.returncode = returncode

    @property
    def signature(self):
        return "%s in %s" % (self.kind, self.frame) if self.frame else self.kind


FRAME = re.compile(r"^\s*#\d+ 0x[0-9a-f]+ in (.*?) (\S+?):(\d+)(?::\d+)?\s*$")


def own_frame(stderr):
    """The first stack frame in the project's sources: 'function (src/file:line)'."""
    for line in stderr.splitlines():
        m = FRAME.match(line)
        if not m:
            continue
        path = m.group(2)
        if path.startswith(("/usr/", "..")) or "libsanitizer" in path:
            continue
        at = path.rfind("/src/") + 1 if "/src/" in path else (0 if path.startswith("src/") else -1)
        if at < 0:
            continue
        function = m.group(1)
        # Argument lists are long and say nothing the line does not.
        cut = function.find("(")
        while cut > 0 and function.startswith("operator()", cut - len("operator")):
            cut = function.find("(", cut + 2)
        name = function[:cut] if cut > 0 else function
        return "%s (%s:%s)" % (name, path[at:], m.group(3))
    return ""


def classify(returncode, stderr, timed_out, runaway, speaking=False):
    """(kind, frame) of a failed run, or None when the run ended well."""
    # An uncaught exception ends in abort, which AddressSanitizer reports too;
    # the exception's type says more.
    m = re.search(r"terminate called after throwing an instance of '([^']+)'", stderr)
    if m:
        return "uncaught " + m.group(1), own_frame(stderr)
    m = re.search(r"ERROR: (AddressSanitizer|LeakSanitizer): ([\w-]+)", stderr)
    if m:
        if m.group(1) == "LeakSanitizer":
            # The leak's stack, not the frames of whatever ran first.
            at = stderr.find("Direct leak")
            return "memory leak", own_frame(stderr[at:] if at >= 0 else stderr)
        return m.group(2), own_frame(stderr)
    m = re.search(r"^(\S+?):(\d+):\d+: runtime error: (.*)$", stderr, re.M)
    if m:
        # Numbers in the message change from run to run; the place does not.
        what = re.sub(r"0x[0-9a-f]+", "P", m.group(3))
        what = re.sub(r"-?\d+", "N", what)
        frame = own_frame(stderr) or "%s:%s" % (os.path.basename(m.group(1)), m.group(2))
        return "runtime error: " + what, frame
    if timed_out:
        return ("hang, still speaking" if speaking else "hang, silent"), ""
    if runaway:
        return "runaway output", ""
    if returncode < 0:
        try:
            name = signal.Signals(-returncode).name
        except ValueError:
            name = str(-returncode)
        return "signal " + name, own_frame(stderr)
    if returncode != 0:
        return "exit status %d" % returncode, ""
    return None


class Runner:
    def __init__(self, binary, scratch):
        self.binary = binary
        self.scratch = scratch

    def play(self, root, lines, nomenu, timeout):
        """Plays `lines` on a fresh copy of the game root `root`."""
        work = tempfile.mkdtemp(prefix="run-", dir=self.scratch)
        try:
            game = os.path.join(work, "root")
            shutil.copytree(root, game, symlinks=True)
            home = os.path.join(work, "home")
            os.makedirs(os.path.join(home, "data"))
            keys = os.path.join(work, "keys")
            with open(keys, "w", encoding="utf-8") as out:
                out.write("".join(l + "\n" for l in lines))
            env = dict(os.environ)
            env.update(SANITIZER_ENV)
            env.update({"HOME": home, "XDG_DATA_HOME": os.path.join(home, "data"),
                        "TMPDIR": work})
            args = [self.binary, "--root", game, "--keys", keys] + (["-nomenu"] if nomenu else [])
            out_path = os.path.join(work, "transcript")
            err_path = os.path.join(work, "stderr")
            start = time.monotonic()
            timed_out = runaway = False
            with open(out_path, "wb") as out, open(err_path, "wb") as err:
                proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                        env=env, cwd=work, start_new_session=True)
                sizes = []  # the transcript's size at each look, for how a hang looks
                while True:
                    left = timeout - (time.monotonic() - start)
                    try:
                        proc.wait(timeout=max(0.01, min(0.5, left)))
                        break
                    except subprocess.TimeoutExpired:
                        pass
                    sizes.append(os.path.getsize(out_path))
                    if time.monotonic() - start >= timeout:
                        timed_out = True
                    elif sizes[-1] > MAX_TRANSCRIPT:
                        runaway = True
                    if timed_out or runaway:
                        os.killpg(proc.pid, signal.SIGKILL)
                        proc.wait()
                        break
            # A game that still speaks runs scripts without end; a silent one is stuck.
            speaking = len(sizes) >= 4 and sizes[-1] > sizes[-4]
            seconds = time.monotonic() - start
            with open(err_path, "rb") as f:
                stderr = f.read().decode("utf-8", "replace")
            with open(out_path, "rb") as f:
                size = os.path.getsize(out_path)
                f.seek(max(0, size - TAIL))
                tail = f.read().decode("utf-8", "replace")
            if "unknown step" in stderr or "unknown key" in stderr or "no key types" in stderr:
                raise RuntimeError("the key script does not parse: " + stderr.strip())
            found = classify(proc.returncode, stderr, timed_out, runaway, speaking)
            if found is None:
                return Outcome(True, seconds=seconds, stderr=stderr, transcript_tail=tail)
            return Outcome(False, found[0], found[1], seconds, stderr, tail, proc.returncode)
        finally:
            shutil.rmtree(work, ignore_errors=True)

#!/usr/bin/env python3
"""Start to first word: from starting velmora to the first sample of speech
handed to the audio device, with espeak-ng and no daemon to start.

SDL's disk audio driver writes what the device is handed into a named pipe;
the first sample that is not silence is the first word. Each run plays the
bundled castle with -nomenu (the first screen's sentence is spoken at once).

usage: bench/first_word.py [VELMORA] [--runs N]
"""
import argparse
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def first_word_ms(velmora: str, tmp: str, run: int) -> float:
    fifo = os.path.join(tmp, f"audio{run}")
    os.mkfifo(fifo)
    keys = os.path.join(tmp, "keys")
    with open(keys, "w") as f:
        f.write("wait 3000\n")
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=fifo,
               XDG_DATA_HOME=os.path.join(tmp, "data"), HOME=tmp)
    start = time.monotonic()
    proc = subprocess.Popen(
        [velmora, "--frontend", "tty", "--root", os.path.join(tmp, "root"), "--keys", keys,
         "-nomenu", "--speech", "espeak", "--sound", "none"],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        fd = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
        found = None
        deadline = start + 10
        while found is None and time.monotonic() < deadline:
            ready, _, _ = select.select([fd], [], [], 0.5)
            if not ready:
                if proc.poll() is not None:
                    break
                continue
            data = os.read(fd, 65536)
            if not data:
                if proc.poll() is not None:
                    break
                time.sleep(0.001)
                continue
            if any(b != 0 for b in data):
                found = time.monotonic()
        os.close(fd)
    finally:
        proc.kill()
        proc.wait()
    if found is None:
        raise RuntimeError("no speech was heard")
    return (found - start) * 1000


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("velmora", nargs="?", default=os.path.join(ROOT, "build/src/app/velmora"))
    parser.add_argument("--runs", type=int, default=20)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copytree(os.path.join(ROOT, "tests/scenario/castle"), os.path.join(tmp, "root"))
        times = sorted(first_word_ms(args.velmora, tmp, i) for i in range(args.runs))
    p90 = times[min(len(times) - 1, int(len(times) * 0.9))]
    print(f"start to first word, {len(times)} runs: median {statistics.median(times):.0f} ms, "
          f"p90 {p90:.0f} ms, best {times[0]:.0f} ms (goal: under 100 ms)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

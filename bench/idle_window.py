#!/usr/bin/env python3
"""CPU used by an idle window: velmora on SDL's offscreen video driver sits
10 s on a view while no key comes, and the share of one core it used then is
given. Each view is played twice by a key script, once with the idle wait and
once without; the difference of the two runs' CPU time is the idle time's.

Views: the main menu (a still picture), and the game view with an animated
place picture (three frames of 100, 200 and 500 ms, looping).

With --xvfb the window is shown on a private Xvfb (X11, 1024x768) instead;
the X server's own CPU is not counted.

usage: bench/idle_window.py [VELMORA] [--seconds S] [--runs N] [--xvfb]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

TO_MENU = "Escape\nwait 300\nEscape\nwait 300\n"
VIEWS = {
    "main menu, still picture": TO_MENU,
    "game view, animated picture": TO_MENU + "1\nwait 600\n",
}


def cpu_seconds(velmora, root, keys_text, tmp, env):
    keys = os.path.join(tmp, "keys")
    with open(keys, "w") as f:
        f.write(keys_text)
    child = subprocess.Popen([velmora, "--frontend", "window", "--root", root, "--speech", "none",
                              "--sound", "none", "--keys", keys, "--screenshot", os.path.join(tmp, "shot.png")],
                             env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"velmora ended with status {child.returncode}")
    return usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("velmora", nargs="?", default=os.path.join(ROOT, "build/src/app/velmora"))
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--xvfb", action="store_true")
    args = parser.parse_args()

    env = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    server = None
    where = "offscreen"
    if args.xvfb:
        display = next(f":{n}" for n in range(60, 99) if not os.path.exists(f"/tmp/.X{n}-lock"))
        server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)
        env = dict(os.environ, DISPLAY=display)
        env.pop("SDL_VIDEODRIVER", None)
        env.pop("WAYLAND_DISPLAY", None)
        where = "on Xvfb " + display

    tmp = tempfile.mkdtemp(prefix="velmora-idle-")
    try:
        root = os.path.join(tmp, "castle")
        shutil.copytree(os.path.join(ROOT, "tests/scenario/castle"), root)
        gifs = os.path.join(tmp, "gifs")
        subprocess.run([sys.executable, os.path.join(ROOT, "scripts/make-test-gifs"), gifs], check=True)
        shutil.copy(os.path.join(gifs, "red-64x48.gif"), os.path.join(root, "gif/menu.gif"))
        shutil.copy(os.path.join(gifs, "animated-40x30.gif"), os.path.join(root, "Projects/Default/gif/0.gif"))
        idle = f"wait {int(args.seconds * 1000)}\n"
        print(f"idle window over {args.seconds:g} s, {where}, {args.runs} runs each (median)")
        for name, keys in VIEWS.items():
            shares = []
            for _ in range(args.runs):
                busy = cpu_seconds(args.velmora, root, keys + idle, tmp, env)
                base = cpu_seconds(args.velmora, root, keys, tmp, env)
                shares.append(max(0.0, busy - base) / args.seconds * 100)
            print(f"  {name:30s} {statistics.median(shares):6.2f} % of a core"
                  f"   (runs: {', '.join(f'{s:.2f}' for s in shares)})")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
        if server:
            server.terminate()
            server.wait()


if __name__ == "__main__":
    main()

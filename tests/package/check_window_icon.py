#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window carries the program's icon on a real X server (Xvfb), as a task
list or a window switcher reads it: _NET_WM_ICON holds the 64x64 lantern of
packaging/icons, whatever game folder is played.

    check_window_icon.py VELMORA ICON_PNG GAME_DIR
Exit 77 (skipped) when Xvfb, xdotool or xprop is missing.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

VELMORA, ICON, GAME = sys.argv[1:4]


def wait_for(get, seconds=30.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = get()
        if value:
            return value
        time.sleep(0.1)
    return get()


def png_pixel(path, x, y):
    """(r, g, b, a) of an 8-bit RGBA PNG written without row filters, as ours are."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IHDR":
            width = struct.unpack(">I", data[pos + 8:pos + 12])[0]
        elif kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(idat)
    i = y * (width * 4 + 1) + 1 + x * 4
    return tuple(raw[i:i + 4])


def main():
    for tool in ("Xvfb", "xdotool", "xprop"):
        if shutil.which(tool) is None:
            print(f"skipped: {tool} is missing")
            return 77
    # Xvfb picks a free display itself and names it once it answers, so two
    # tests (or two checkouts) starting servers at once never share one.
    ready_read, ready_write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(ready_write), "-screen", "0", "800x600x24",
                               "-nolisten", "tcp"], pass_fds=(ready_write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(ready_write)
    with os.fdopen(ready_read) as ready:
        number = ready.readline().strip()
    if not number.isdigit():
        server.wait()
        print("FAIL: Xvfb did not start")
        return 1
    display = f":{number}"
    work = tempfile.mkdtemp(prefix="velmora-icon-")
    env = dict(os.environ, DISPLAY=display, HOME=work, XDG_DATA_HOME=os.path.join(work, "data"),
               ASAN_OPTIONS="detect_leaks=0")
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("WAYLAND_DISPLAY", None)
    game = None
    try:
        keys = os.path.join(work, "keys")
        with open(keys, "w") as f:
            f.write("wait 30000\n")
        errors = open(os.path.join(work, "stderr"), "w+")
        game = subprocess.Popen([VELMORA, "--root", GAME, "--frontend", "window", "--speech", "print", "--sound", "none",
                                 "--keys", keys], env=env, stdout=subprocess.DEVNULL, stderr=errors)

        def window():
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "velmora"], env=env,
                                 capture_output=True, text=True).stdout.split()
            return out[0] if out else None

        found = wait_for(lambda: window() or game.poll() is not None)
        if not isinstance(found, str):
            errors.seek(0)
            print(f"FAIL: the window did not open (status {game.poll()}): {errors.read()[:2000]}")
            return 1
        # -notype with a 32-bit format gives the property as plain numbers:
        # width, height, then one ARGB number a pixel.
        prop = subprocess.run(["xprop", "-id", found, "-notype", "32c", "_NET_WM_ICON"], env=env,
                              capture_output=True, text=True).stdout
        _, _, values = prop.partition("=")
        numbers = [int(v) for v in values.replace(",", " ").split()] if values.strip() else []
        if numbers[:2] != [64, 64] or len(numbers) != 2 + 64 * 64:
            print(f"FAIL: the window's icon is not 64x64: {prop[:120]!r}")
            return 1
        # The lantern's flame in the middle and a transparent corner, as drawn.
        failures = 0
        for x, y in ((32, 36), (0, 0), (10, 58)):
            argb = numbers[2 + y * 64 + x]
            got = ((argb >> 16) & 255, (argb >> 8) & 255, argb & 255, argb >> 24)
            want = png_pixel(ICON, x, y)
            if want[3] == 0 and got[3] == 0:
                continue
            if got != want:
                print(f"FAIL: icon pixel ({x}, {y}) is {got}, the PNG has {want}")
                failures += 1
        if failures:
            return 1
        print("ok: the window carries the 64x64 icon")
        return 0
    finally:
        if game is not None:
            game.kill()
            game.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

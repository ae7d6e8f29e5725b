#!/usr/bin/env python3
"""The window on a real X server (Xvfb), driven as a player and a desktop would.

    check_window_xvfb.py VELMORA X11_TOOL CASTLE GIFS

1. Keys typed with xdotool reach the game: the transcript hears the menu.
2. A switch of the keyboard group between us and ru sounds cue 1, then cue 0.
3. The window resized while playing: the last frame has the new size and the
   game view laid out in it.
4. Closing the window (WM_DELETE_WINDOW, as a window manager sends) ends the
   program with status 0.
Exit 77 (skipped) when Xvfb, xdotool or setxkbmap is missing.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

VELMORA, X11_TOOL, CASTLE, GIFS = sys.argv[1:5]
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)


def free_display():
    for n in range(81, 99):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return f":{n}"
    return None


def wait_for(predicate, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


def read_png(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            step = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def main():
    for tool in ("Xvfb", "xdotool", "setxkbmap"):
        if shutil.which(tool) is None:
            print(f"skipped: {tool} is missing")
            return 77
    display = free_display()
    if display is None:
        return 77
    work = tempfile.mkdtemp(prefix="velmora-xvfb-")
    root = os.path.join(work, "castle")
    shutil.copytree(CASTLE, root)
    shutil.copy(os.path.join(GIFS, "red-64x48.gif"), os.path.join(root, "gif/menu.gif"))
    shutil.copy(os.path.join(GIFS, "animated-40x30.gif"), os.path.join(root, "Projects/Default/gif/0.gif"))

    env = dict(os.environ, DISPLAY=display, ASAN_OPTIONS="detect_leaks=0")
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("WAYLAND_DISPLAY", None)
    # -noreset: else the server drops the keymap when setxkbmap disconnects.
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x720x24", "-nolisten", "tcp", "-noreset"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    game = None
    try:
        if not wait_for(lambda: subprocess.run(["setxkbmap", "-layout", "us,ru"], env=env,
                                               stderr=subprocess.DEVNULL).returncode == 0):
            print("Xvfb did not start")
            return 1

        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True)

        def the_window():
            # Only a mapped window: SDL may have made and not yet shown it.
            found = xdotool("search", "--onlyvisible", "--class", "velmora").stdout.split()
            return found[0] if found else None

        def geometry():
            window = the_window()
            return xdotool("getwindowgeometry", window).stdout if window else ""

        # 1. Keys reach the game.
        transcript = os.path.join(work, "heard.txt")
        game = subprocess.Popen([VELMORA, "--frontend", "window", "--root", root, "--speech", "print",
                                 "--sound", "none", "--transcript", transcript],
                                env=env, stdout=subprocess.DEVNULL)

        def heard_lines(text):
            try:
                with open(transcript, encoding="utf-8") as f:
                    return f.read().split("\n").count(text)
            except OSError:
                return 0

        def heard(text):
            return heard_lines(text) > 0

        check(wait_for(lambda: the_window() is not None), "the window opens")
        check(wait_for(lambda: "1280x720" in geometry()), "it fills the screen: " + geometry().replace("\n", " "))
        check(wait_for(lambda: heard("view: page")), "the introduction plays")
        xdotool("key", "Escape")
        time.sleep(0.4)
        xdotool("key", "Escape")
        check(wait_for(lambda: heard("view: picture")), "Escape leads to the main menu")
        xdotool("key", "1")
        check(wait_for(lambda: heard("view: game")), "1 starts a new game")
        time.sleep(0.5)
        xdotool("key", "Down")
        check(wait_for(lambda: heard("say: Идти.")), "Down speaks the first verb")
        xdotool("key", "Down")
        check(wait_for(lambda: heard("say: Отдыхать.")), "Down again speaks the second")

        # 2. The layout switch, read from the server each tick.
        # (The first tick already gave cue 0 for the layout at start.)
        cue0 = heard_lines("cue: 0")
        subprocess.run([X11_TOOL, "group", "1"], env=env)
        check(wait_for(lambda: heard_lines("cue: 1") == 1), "switching to Russian sounds cue 1")
        subprocess.run([X11_TOOL, "group", "0"], env=env)
        check(wait_for(lambda: heard_lines("cue: 0") == cue0 + 1), "switching back to English sounds cue 0")

        # 4. Closing the window ends the game.
        close = subprocess.run([X11_TOOL, "close", "velmora"], env=env)
        check(close.returncode == 0, "the close request reaches the window")
        try:
            status = game.wait(timeout=10)
        except subprocess.TimeoutExpired:
            status = None
        check(status == 0, f"closing the window ends the program with status 0 (got {status})")
        game = None

        # 3. Resized while playing: a script starts a game and waits, the
        # window is made 800×600 meanwhile, and the last frame is written.
        keys = os.path.join(work, "resize.keys")
        with open(keys, "w") as f:
            f.write("Escape\nwait 300\nEscape\nwait 300\n1\nwait 600\nDown\nwait 2500\n")
        shot = os.path.join(work, "resized.png")
        transcript = os.path.join(work, "resized.txt")
        game = subprocess.Popen([VELMORA, "--frontend", "window", "--root", root, "--speech", "print",
                                 "--sound", "none", "--keys", keys, "--transcript", transcript,
                                 "--screenshot", shot], env=env, stdout=subprocess.DEVNULL)
        check(wait_for(lambda: heard("say: Идти.")), "the scripted game reaches the menu")
        xdotool("windowsize", the_window() or "0", "800", "600")
        status = game.wait(timeout=30)
        game = None
        check(status == 0, f"the scripted game ends with status 0 (got {status})")
        width, height, rows = read_png(shot)
        check((width, height) == (800, 600), f"the last frame is 800x600 (got {width}x{height})")
        if (width, height) == (800, 600):
            frame = rows[150][400]
            check(frame in ((255, 0, 0), (0, 255, 0), (0, 0, 255)), f"the picture fills the upper half {frame}")
            check(all(rows[y][x] == frame for y in (12, 150, 288) for x in (12, 400, 787)),
                  "the picture keeps 10 pixels inside its half")
            check(rows[295][400] == (0, 0, 0) and rows[150][795] == (0, 0, 0), "black around the picture")
            # The menu's yellow cursor row lies in the right third.
            right = [y for y in range(300, 600) if rows[y][795] == (255, 255, 0)]
            check(len(right) > 20, "the cursor row is drawn at the right edge")
            check(all(rows[y][520] != (255, 255, 0) for y in range(300, 600)), "and not left of the right third")
    finally:
        if game is not None:
            game.kill()
            game.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print(f"{len(failures)} failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

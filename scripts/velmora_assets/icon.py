"""The program's icon: a lit lantern on a dark rounded square."""
import math

from . import png
from .scenes import Scene, flame

SIZE = 64


def draw():
    s = Scene(SIZE, SIZE, "night", 1, 0.0, "candle")
    c = s.c
    c.vgrad(0, SIZE, (28, 26, 52), (10, 10, 22), lit=True)
    cx = SIZE / 2
    c.glow(cx, 36, 30, (120, 80, 25), 1.0)
    brass, dark = (200, 150, 60), (110, 75, 30)
    # Ring and cap.
    c.ellipse(cx, 9, 5, 4, brass, lit=True)
    c.ellipse(cx, 9, 2.5, 2, (28, 26, 52), lit=True)
    c.poly([(cx - 6, 13), (cx + 6, 13), (cx + 13, 21), (cx - 13, 21)], brass, lit=True)
    c.rect(cx - 13, 20, cx + 13, 23, dark, lit=True)
    # Glass with the flame inside.
    c.rect(cx - 11, 23, cx + 11, 47, (255, 200, 110), lit=True)
    c.glow(cx, 36, 12, (60, 40, 0), 1.0)
    flame(s, cx, 43, 7, 16)
    for x in (cx - 11, cx - 4, cx + 3, cx + 10):
        c.rect(x, 23, x + 1.5, 47, dark, lit=True)
    c.rect(cx - 13, 47, cx + 13, 51, brass, lit=True)
    c.rect(cx - 15, 51, cx + 15, 54, dark, lit=True)
    return c


def encode():
    c = draw()
    r, g, b = c.channels()
    rows = []
    radius = 12
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            i = y * SIZE + x
            # Rounded corners fade to transparent.
            dx = max(0, radius - x - 0.5, x + 0.5 - (SIZE - radius))
            dy = max(0, radius - y - 0.5, y + 0.5 - (SIZE - radius))
            d = math.hypot(dx, dy)
            alpha = max(0.0, min(1.0, radius - d + 0.5))
            row += bytes((int(r[i]), int(g[i]), int(b[i]), int(alpha * 255)))
        rows.append(row)
    return png.encode(SIZE, SIZE, rows)


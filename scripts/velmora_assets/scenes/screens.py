"""The program's own pictures: the menu, the game chooser, the indicator bar
and the game-over picture, and the frame around the first two."""
import math

from ..canvas import mix, scale
from .look import Look, Scene
from .layers import sky, ridge, stone_wall, battlements, tower, water


def frame_border(s, col, inner=(25, 20, 30), width=None):
    c = s.c
    bw = width or max(3, int(min(s.w, s.h) * 0.05))
    c.rect(0, 0, s.w, s.h, col)
    c.rect(1, 1, s.w - 1, 2, mix(col, (255, 255, 255), 0.4))
    c.rect(bw - 1, bw - 1, s.w - bw + 1, s.h - bw + 1, scale(col, 0.5))
    c.rect(bw, bw, s.w - bw, s.h - bw, inner)
    for x, y in ((bw / 2, bw / 2), (s.w - bw / 2, bw / 2), (bw / 2, s.h - bw / 2), (s.w - bw / 2, s.h - bw / 2)):
        c.ellipse(x, y, bw * 0.4, bw * 0.4, mix(col, (255, 255, 220), 0.5))
    return bw


def menu(s):
    c = s.c
    bw = frame_border(s, (150, 115, 50))
    L = Look("night", True)
    inner = Scene(s.w - 2 * bw, s.h - 2 * bw, "night", s.seed, s.t, "gate")
    inner.L = L
    inner.c.amb = L.amb
    hz = inner.Y(0.72)
    sky(inner, hz, moon_x=0.89)
    ridge(inner, hz, inner.h * 0.15, (40, 50, 70))
    ic = inner.c
    # The castle over still water, lit windows and all.
    base = inner.Y(0.75)
    cx = inner.X(0.5)
    ic.rect(0, hz, inner.w, base, (30, 35, 45))
    for dx, top, tw in ((-0.25, 0.4, 0.08), (0, 0.22, 0.12), (0.25, 0.4, 0.08)):
        tower(inner, cx + inner.w * dx, inner.w * tw, inner.Y(top), base, (90, 90, 105), roof=(70, 40, 60), windows=2)
    stone_wall(inner, cx - inner.w * 0.25, inner.Y(0.5), cx + inner.w * 0.25, base, (80, 80, 95))
    battlements(inner, cx - inner.w * 0.25, cx + inner.w * 0.25, inner.Y(0.5), (80, 80, 95))
    water(inner, base, inner.h, (20, 30, 55), strength=0.6)
    for i in range(inner.h):
        row = (i + bw) * s.w + bw
        src = i * inner.w
        c.r[row:row + inner.w] = ic.r[src:src + inner.w]
        c.g[row:row + inner.w] = ic.g[src:src + inner.w]
        c.b[row:row + inner.w] = ic.b[src:src + inner.w]


def chooser(s):
    """Old parchment in a wooden frame, an open book and a quill at its heart."""
    c = s.c
    bw = frame_border(s, (110, 70, 40), inner=(228, 208, 165))
    x0, y0, x1, y1 = bw, bw, s.w - bw, s.h - bw
    c.texture(x0, y0, x1, y1, s.noise(2), 0.04)
    c.texture(x0, y0, x1, y1, s.noise(18), 0.07)
    c.vignette(x0, y0, x1, y1, 0.45)
    ink = (120, 80, 45)
    # Flourishes in the corners.
    r = min(s.w, s.h) * 0.12
    for cx, cy, a0 in ((x0, y0, 0), (x1, y0, 0.5), (x1, y1, 1.0), (x0, y1, 1.5)):
        for k in range(3):
            rr = r * (0.5 + 0.25 * k)
            for j in range(24):
                a = math.pi * (a0 + 0.5 * j / 23)
                c.dot(cx + rr * math.cos(a), cy + rr * math.sin(a), ink)
    for y in (s.Y(0.12), s.Y(0.88)):
        c.rect(s.X(0.2), y, s.X(0.8), y + 1, ink)
        c.ellipse(s.X(0.5), y + 0.5, s.h * 0.012, s.h * 0.012, (150, 40, 40))
    # The book.
    bx, by, bw2, bh = s.X(0.5), s.Y(0.56), s.h * 0.3, s.h * 0.2
    c.poly([(bx - bw2 - 3, by - bh + 3), (bx, by - bh * 0.8 + 3), (bx + bw2 + 3, by - bh + 3),
            (bx + bw2 + 3, by + bh * 0.55), (bx, by + bh * 0.75), (bx - bw2 - 3, by + bh * 0.55)], (90, 45, 30))
    for side in (-1, 1):
        c.poly([(bx, by - bh * 0.8), (bx + side * bw2, by - bh), (bx + side * bw2, by + bh * 0.5), (bx, by + bh * 0.7)],
               (245, 235, 210))
        for k in range(6):
            y = by - bh * 0.75 + k * bh * 0.22
            c.line(bx + side * bw2 * 0.15, y + bh * 0.05, bx + side * bw2 * 0.85, y, (150, 130, 110))
    c.line(bx, by - bh * 0.8, bx, by + bh * 0.7, (170, 150, 120))
    # The quill, leaning on the book.
    qx, qy = bx + bw2 * 0.7, by - bh * 1.6
    c.poly([(qx, qy), (qx + s.h * 0.05, qy + s.h * 0.02), (qx - s.h * 0.1, qy + s.h * 0.3),
            (qx - s.h * 0.12, qy + s.h * 0.29)], (240, 240, 235))
    c.line(qx + s.h * 0.02, qy + s.h * 0.01, qx - s.h * 0.13, qy + s.h * 0.34, (90, 80, 70))


def indicators(s):
    c = s.c
    c.vgrad(0, s.h, (40, 30, 25), (20, 15, 12))
    c.texture(0, 0, s.w, s.h, s.noise(4), 0.25)
    c.rect(0, 0, s.w, 1, (180, 140, 60))
    c.rect(0, s.h - 1, s.w, s.h, (120, 90, 40))
    for x in (s.h * 0.5, s.w - s.h * 0.5):
        c.ellipse(x, s.h / 2, s.h * 0.28, s.h * 0.28, (180, 140, 60))
        c.ellipse(x, s.h / 2, s.h * 0.16, s.h * 0.16, (120, 30, 30))
    for k in range(1, 4):
        x = s.w * k / 4
        c.rect(x, s.h * 0.2, x + 1, s.h * 0.8, (100, 80, 40))


def gameover(s):
    c, hz = s.c, s.Y(0.7)
    old = s.L
    s.L = Look("night", True)
    s.c.amb = s.L.amb
    sky(s, hz)
    ridge(s, hz, s.h * 0.1, (30, 40, 55))
    c.vgrad(hz, s.h, (40, 50, 45), (25, 30, 28))
    cx, base = s.X(0.5), s.Y(0.85)
    c.rect(cx - s.h * 0.16, base - s.h * 0.35, cx + s.h * 0.16, base, (150, 150, 160))
    c.ellipse(cx, base - s.h * 0.35, s.h * 0.16, s.h * 0.14, (150, 150, 160))
    c.texture(cx - s.h * 0.16, base - s.h * 0.5, cx + s.h * 0.16, base, s.noise(2), 0.12)
    c.rect(cx - s.h * 0.015, base - s.h * 0.42, cx + s.h * 0.015, base - s.h * 0.12, (60, 60, 70))
    c.rect(cx - s.h * 0.08, base - s.h * 0.34, cx + s.h * 0.08, base - s.h * 0.3, (60, 60, 70))
    c.ellipse(cx, base + s.h * 0.03, s.h * 0.3, s.h * 0.05, (60, 45, 35))
    for k in range(6):
        x = s.X(0.1 + 0.16 * k)
        c.line(x, s.h, x + s.h * 0.02, s.Y(0.93), (50, 80, 50))
    s.L = old

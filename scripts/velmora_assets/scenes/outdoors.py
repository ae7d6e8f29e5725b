"""Places under the sky: the gate, the courtyard, the tower, gardens, woods,
water, the village and its houses, ruins, fields, mountains, the shore and
the boat."""
import math
import random

from ..canvas import mix, scale
from .look import TAU, STONE, WOOD, GOLD
from .layers import (
    sky, ridge, ground, conifer, round_tree, torch, stone_wall, battlements, tower, window, door,
    water,
)


def gate(s):
    c, hz = s.c, s.Y(0.55)
    sky(s, hz)
    ridge(s, hz, s.h * 0.12, (80, 110, 90))
    ground(s, hz, (90, 120, 60))
    top = s.Y(0.28)
    stone_wall(s, 0, top, s.w, hz + s.h * 0.1, STONE)
    battlements(s, 0, s.w, top, STONE)
    tw = s.h * 0.26
    for cx in (s.X(0.5) - tw * 1.5, s.X(0.5) + tw * 1.5):
        tower(s, cx, tw, s.Y(0.12), hz + s.h * 0.12, mix(STONE, (150, 140, 120), 0.3), roof=None, windows=1)
    gw = tw * 1.5
    door(s, s.X(0.5) - gw / 2, s.Y(0.33), s.X(0.5) + gw / 2, hz + s.h * 0.1, beyond=(150, 140, 110))
    c.poly([(s.X(0.5) - gw / 2, s.h), (s.X(0.5) - gw / 2, hz + s.h * 0.1), (s.X(0.5) + gw / 2, hz + s.h * 0.1),
            (s.X(0.5) + gw / 2, s.h)], (150, 130, 100))
    for cx in (s.X(0.5) - gw * 0.8, s.X(0.5) + gw * 0.8):
        torch(s, cx, s.Y(0.42), s.h * 0.07)


def courtyard(s):
    c, hz = s.c, s.Y(0.45)
    sky(s, hz)
    tower(s, s.X(0.5), s.h * 0.3, s.Y(0.12), hz, STONE, windows=2)
    stone_wall(s, 0, s.Y(0.2), s.X(0.5) - s.h * 0.15, s.Y(0.62), STONE)
    stone_wall(s, s.X(0.5) + s.h * 0.15, s.Y(0.2), s.w, s.Y(0.62), STONE)
    battlements(s, 0, s.X(0.5) - s.h * 0.15, s.Y(0.2), STONE)
    battlements(s, s.X(0.5) + s.h * 0.15, s.w, s.Y(0.2), STONE)
    for f in (0.12, 0.3, 0.7, 0.88):
        window(s, s.X(f), s.Y(0.37), s.h * 0.03, s.h * 0.07)
    c.rect(0, s.Y(0.62), s.w, s.h, (130, 120, 105))
    for y in range(int(s.Y(0.62)), s.h, max(2, s.h // 30)):
        c.rect(0, y, s.w, y + 1, (95, 88, 78))
    c.texture(0, s.Y(0.62), s.w, s.h, s.noise(2), 0.15)
    door(s, s.X(0.5) - s.h * 0.06, s.Y(0.45), s.X(0.5) + s.h * 0.06, s.Y(0.62))
    round_tree(s, s.X(0.15), s.Y(0.9), s.h * 0.45, (60, 120, 50))
    # A well in the middle of the yard.
    wx, wy = s.X(0.72), s.Y(0.85)
    c.ellipse(wx, wy - s.h * 0.08, s.h * 0.1, s.h * 0.035, (70, 70, 75))
    c.rect(wx - s.h * 0.1, wy - s.h * 0.08, wx + s.h * 0.1, wy, STONE)
    torch(s, s.X(0.35), s.Y(0.45), s.h * 0.06)
    torch(s, s.X(0.65), s.Y(0.45), s.h * 0.06)


def tower_scene(s):
    hz = s.Y(0.7)
    sky(s, hz)
    ridge(s, hz + s.h * 0.05, s.h * 0.25, (70, 100, 70), peaks=2)
    ground(s, hz + s.h * 0.05, (80, 115, 55))
    tw = s.h * 0.24
    tower(s, s.X(0.55), tw, s.Y(0.3), s.Y(0.85), mix(STONE, (140, 130, 110), 0.5), windows=3)
    door(s, s.X(0.55) - tw * 0.26, s.Y(0.62), s.X(0.55) + tw * 0.26, s.Y(0.85))
    for f in (0.1, 0.25, 0.85, 0.95):
        conifer(s, s.X(f), s.Y(0.9), s.h * 0.3, (40, 90, 50))


def garden(s):
    c, hz = s.c, s.Y(0.4)
    sky(s, hz)
    ridge(s, hz + 2, s.h * 0.08, (70, 110, 70))
    ground(s, hz, (80, 140, 60), (60, 110, 45))
    c.poly([(s.X(0.45), hz), (s.X(0.55), hz), (s.X(0.75), s.h), (s.X(0.25), s.h)], (200, 180, 140))
    for side in (-1, 1):
        for k in range(5):
            f = k / 5
            x = s.X(0.5) + side * (s.X(0.08) + f * s.X(0.35))
            y = hz + (s.h - hz) * f
            c.ellipse(x, y, s.h * (0.04 + 0.08 * f), s.h * (0.03 + 0.06 * f), (40, 100, 45))
    rng = s.rng
    for _ in range(s.w * s.h // 60):
        x, y = rng.random() * s.w, hz + rng.random() * (s.h - hz)
        if abs(x - s.X(0.5)) < (y - hz) / (s.h - hz) * s.X(0.25) + s.X(0.06):
            continue
        col = [(230, 60, 80), (250, 220, 60), (240, 240, 240), (150, 80, 200)][int(rng.random() * 4)]
        c.dot(x, y, col)
    # A fountain in the middle distance.
    fx, fy = s.X(0.5), hz + (s.h - hz) * 0.35
    c.ellipse(fx, fy, s.h * 0.16, s.h * 0.05, (170, 170, 170))
    c.ellipse(fx, fy - 1, s.h * 0.13, s.h * 0.035, (90, 140, 190))
    c.rect(fx - s.h * 0.015, fy - s.h * 0.16, fx + s.h * 0.015, fy, (170, 170, 170))
    for k in range(5):
        a = (k - 2) * 0.5
        for j in range(8):
            tt = j / 8
            c.dot(fx + a * s.h * 0.1 * tt, fy - s.h * 0.17 + s.h * 0.12 * tt * tt * 1.5 - s.h * 0.02 * math.sin(math.pi * tt),
                  (200, 225, 255), alpha=0.7)
    round_tree(s, s.X(0.12), hz + s.h * 0.15, s.h * 0.4, (70, 130, 60))
    round_tree(s, s.X(0.88), hz + s.h * 0.15, s.h * 0.4, (80, 135, 55))


def forest(s):
    hz = s.Y(0.6)
    sky(s, hz)
    ground(s, hz, (60, 95, 45), (45, 70, 35))
    rng = s.rng
    for layer, (shade, size) in enumerate(((0.45, 0.35), (0.7, 0.5), (1.0, 0.75))):
        n = int(s.w / (s.h * size * 0.3))
        for k in range(n):
            x = (k + rng.random()) * s.w / n
            base = hz + s.h * (0.05 + 0.15 * layer) + rng.random() * s.h * 0.05
            col = scale((45 + 20 * rng.random(), 100, 55), shade)
            if rng.random() < 0.6:
                conifer(s, x, base, s.h * size * (0.8 + 0.4 * rng.random()), col)
            else:
                round_tree(s, x, base, s.h * size * (0.7 + 0.3 * rng.random()), col)
    if s.L.variant in ("day", None, "open", "closed"):
        for k in range(3):
            x = s.X(0.2 + 0.3 * k)
            s.c.poly([(x, 0), (x + s.h * 0.1, 0), (x + s.h * 0.4, s.h), (x + s.h * 0.2, s.h)],
                     (255, 250, 200), alpha=0.12, lit=True)


def path(s):
    c, hz = s.c, s.Y(0.45)
    sky(s, hz)
    ridge(s, hz, s.h * 0.15, (90, 120, 140), peaks=2)
    ridge(s, hz + s.h * 0.05, s.h * 0.1, (80, 130, 70), peaks=3)
    ground(s, hz + s.h * 0.05, (110, 150, 65), (80, 120, 50))
    pts_l, pts_r = [], []
    for k in range(21):
        f = k / 20
        y = hz + s.h * 0.06 + (s.h - hz - s.h * 0.06) * f
        x = s.X(0.5) + s.X(0.15) * math.sin(f * 4 + 1) * (1 - f * 0.5)
        half = s.h * (0.01 + 0.3 * f * f)
        pts_l.append((x - half, y))
        pts_r.append((x + half, y))
    c.poly(pts_l + pts_r[::-1], (180, 150, 100))
    c.texture(0, hz, s.w, s.h, s.noise(2), 0.1)
    # A signpost by the road.
    px = s.X(0.22)
    c.rect(px, s.Y(0.55), px + s.h * 0.025, s.Y(0.85), WOOD)
    c.poly([(px - s.h * 0.1, s.Y(0.58)), (px + s.h * 0.12, s.Y(0.58)), (px + s.h * 0.15, s.Y(0.62)),
            (px + s.h * 0.12, s.Y(0.66)), (px - s.h * 0.1, s.Y(0.66))], (150, 105, 60))
    round_tree(s, s.X(0.85), s.Y(0.8), s.h * 0.4, (60, 110, 50))
    conifer(s, s.X(0.7), hz + s.h * 0.1, s.h * 0.2, (40, 90, 50))


def river(s):
    c, hz = s.c, s.Y(0.42)
    sky(s, hz)
    ridge(s, hz, s.h * 0.1, (80, 120, 80))
    for k in range(max(4, s.w // 25)):
        conifer(s, (k + 0.5) * s.w / max(4, s.w // 25), hz + s.h * 0.02, s.h * 0.18, (40, 85, 50))
    ground(s, hz, (90, 130, 60))
    water(s, s.Y(0.55), s.Y(0.85), (60, 110, 150))
    c.vgrad(s.Y(0.85), s.h, (100, 140, 60), (70, 110, 45))
    for k in range(int(s.w / 6)):
        x = k * 6 + (k * 7 % 5)
        h = s.h * (0.06 + 0.05 * ((k * 13) % 7) / 7)
        c.line(x, s.Y(0.9), x + 1 + 2 * s.wave(1, k * 0.1), s.Y(0.9) - h, (70, 110, 40))


def bridge(s):
    c, hz = s.c, s.Y(0.45)
    sky(s, hz)
    ridge(s, hz, s.h * 0.12, (80, 115, 80))
    ground(s, hz, (90, 130, 60))
    wt = s.Y(0.6)
    deck = s.Y(0.42)
    col = (150, 140, 125)
    c.rect(0, deck, s.w, wt, col)
    c.rect(0, deck - s.h * 0.06, s.w, deck, scale(col, 1.1))
    for k in range(0, s.w, max(4, int(s.h * 0.06))):
        c.rect(k, deck - s.h * 0.08, k + max(2, s.h * 0.03), deck - s.h * 0.05, scale(col, 1.1))
    n = 3
    for k in range(n):
        ax = (k + 0.5) * s.w / n
        hw = s.w / n * 0.38
        c.ellipse(ax, wt, hw, (wt - deck) * 0.75, (30, 40, 45), y_max=wt)
    stone_wall(s, 0, deck, s.w, deck + 1, col)
    water(s, wt, s.h, (55, 95, 130), strength=0.6)


def lake(s):
    c, hz = s.c, s.Y(0.45)
    sky(s, hz)
    ridge(s, hz, s.h * 0.3, (110, 120, 150), peaks=2.5)
    ridge(s, hz, s.h * 0.12, (60, 100, 70), peaks=4)
    for k in range(max(3, s.w // 30)):
        conifer(s, (k + 0.3) * s.w / max(3, s.w // 30), hz + 1, s.h * 0.12, (35, 80, 45))
    water(s, hz + 1, s.Y(0.85), (60, 100, 140), strength=0.7)
    ground(s, s.Y(0.85), (150, 140, 100))
    c.poly([(0, s.Y(0.82)), (s.X(0.3), s.Y(0.87)), (s.X(0.3), s.h), (0, s.h)], (140, 130, 95))


def village(s):
    c, hz = s.c, s.Y(0.5)
    sky(s, hz)
    ridge(s, hz, s.h * 0.15, (80, 120, 80))
    ground(s, hz, (100, 140, 60))
    rng = s.rng
    n = max(3, s.w // 55)
    # A church with a spire behind the houses.
    cx = s.X(0.5)
    c.rect(cx - s.h * 0.08, s.Y(0.2), cx + s.h * 0.08, s.Y(0.62), (200, 195, 180))
    c.poly([(cx - s.h * 0.1, s.Y(0.21)), (cx, s.Y(0.02)), (cx + s.h * 0.1, s.Y(0.21))], (60, 80, 120))
    c.rect(cx - 0.5, 0, cx + 0.5, s.Y(0.04), GOLD)
    window(s, cx, s.Y(0.33), s.h * 0.025, s.h * 0.05)
    for k in range(n):
        x = (k + 0.5) * s.w / n + (rng.random() - 0.5) * s.h * 0.1
        if abs(x - cx) < s.h * 0.2:
            x += s.h * 0.3 * (1 if x > cx else -1)
        base = s.Y(0.62 + 0.2 * (k % 2))
        house_shape(s, x, base, s.h * (0.22 + 0.06 * (k % 2)), rng)


def house_shape(s, x, base, size, rng, with_door=False):
    c = s.c
    wall = [(210, 200, 170), (190, 160, 120), (220, 215, 200)][int(rng.random() * 3)]
    roof = [(150, 60, 40), (110, 80, 50), (90, 90, 100)][int(rng.random() * 3)]
    hw = size * 0.7
    c.rect(x - hw, base - size, x + hw, base, wall)
    for dx in (-hw, hw - size * 0.08):
        c.rect(x + dx, base - size, x + dx + size * 0.08, base, (100, 65, 40))
    c.rect(x - hw, base - size * 0.55, x + hw, base - size * 0.5, (100, 65, 40))
    c.rect(x + hw * 0.45, base - size * 1.75, x + hw * 0.65, base - size * 1.2, (120, 80, 70))
    c.poly([(x - hw * 1.2, base - size), (x, base - size * 1.7), (x + hw * 1.2, base - size)], roof)
    if s.L.variant in ("day", "night", "open", "closed", "lit"):
        # Chimney smoke; faint at night, where grey puffs would read as holes in the sky.
        puff = 0.5 if s.L.variant != "night" else 0.12
        for j in range(3):
            k = (s.t + j / 3) % 1.0
            c.ellipse(x + hw * 0.55 + k * size * 0.4, base - size * (1.8 + 0.8 * k), size * (0.06 + 0.1 * k),
                      size * (0.05 + 0.08 * k), (200, 200, 205), alpha=puff * (1 - k))
    window(s, x - hw * 0.5, base - size * 0.75, size * 0.1, size * 0.1, arched=False)
    window(s, x + hw * 0.5, base - size * 0.75, size * 0.1, size * 0.1, arched=False)
    if with_door:
        door(s, x - size * 0.15, base - size * 0.45, x + size * 0.15, base, arched=False)
    else:
        c.rect(x - size * 0.12, base - size * 0.42, x + size * 0.12, base, (100, 60, 35))


def house(s):
    c, hz = s.c, s.Y(0.6)
    sky(s, hz)
    ridge(s, hz, s.h * 0.12, (80, 120, 80))
    ground(s, hz, (95, 140, 60))
    house_shape(s, s.X(0.5), s.Y(0.9), s.h * 0.42, random.Random(s.seed ^ 3), with_door=True)
    c.poly([(s.X(0.5) - s.h * 0.06, s.Y(0.9)), (s.X(0.5) + s.h * 0.06, s.Y(0.9)),
            (s.X(0.5) + s.h * 0.12, s.h), (s.X(0.5) - s.h * 0.12, s.h)], (180, 150, 100))
    round_tree(s, s.X(0.15), s.Y(0.92), s.h * 0.5, (70, 125, 55))
    c.rect(s.X(0.7), s.Y(0.82), s.w, s.Y(0.84), WOOD)
    for x in range(int(s.X(0.7)), s.w, max(3, int(s.h * 0.05))):
        c.rect(x, s.Y(0.78), x + max(1, s.h * 0.015), s.Y(0.92), WOOD)


def well(s):
    c, hz = s.c, s.Y(0.55)
    sky(s, hz)
    ridge(s, hz, s.h * 0.1, (80, 120, 80))
    ground(s, hz, (100, 140, 60))
    x, base, r = s.X(0.5), s.Y(0.9), s.h * 0.22
    c.rect(x - r, base - r * 0.9, x + r, base, STONE)
    stone_wall(s, x - r, base - r * 0.9, x + r, base, STONE, brick_h=max(3, r * 0.2))
    c.ellipse(x, base - r * 0.9, r, r * 0.25, (150, 145, 135))
    c.ellipse(x, base - r * 0.9, r * 0.8, r * 0.17, (15, 20, 25))
    for dx in (-r * 0.9, r * 0.8):
        c.rect(x + dx, base - r * 2.4, x + dx + r * 0.1, base - r * 0.9, WOOD)
    c.poly([(x - r * 1.25, base - r * 2.2), (x, base - r * 2.9), (x + r * 1.25, base - r * 2.2)], (120, 60, 40))
    c.rect(x - r * 0.8, base - r * 2.0, x + r * 0.8, base - r * 1.9, (90, 60, 40))
    sway = r * 0.05 * s.wave()
    c.line(x, base - r * 1.9, x + sway, base - r * 1.4, (180, 160, 120))
    c.rect(x - r * 0.15 + sway, base - r * 1.4, x + r * 0.15 + sway, base - r * 1.1, (120, 80, 45))
    round_tree(s, s.X(0.15), s.Y(0.85), s.h * 0.45, (70, 125, 55))
    conifer(s, s.X(0.85), s.Y(0.8), s.h * 0.35, (40, 90, 50))


def ruin(s):
    c, hz = s.c, s.Y(0.6)
    sky(s, hz)
    ridge(s, hz, s.h * 0.1, (90, 115, 85))
    ground(s, hz, (110, 130, 70))
    rng = s.rng
    col = (160, 150, 135)
    # Broken walls with jagged tops.
    for x0, x1, h in ((0.05, 0.3, 0.45), (0.6, 0.9, 0.6)):
        pts = [(s.X(x0), s.Y(0.85))]
        for k in range(9):
            f = k / 8
            pts.append((s.X(x0 + (x1 - x0) * f), s.Y(0.85 - h * (0.5 + 0.5 * rng.random()) * (1 - abs(f - 0.4)))))
        pts.append((s.X(x1), s.Y(0.85)))
        c.poly(pts, col, tex=(s.noise(3), 0.18))
        c.ellipse(s.X((x0 + x1) / 2), s.Y(0.72), s.h * 0.06, s.h * 0.1, (40, 40, 45))
    for k, h in enumerate((0.5, 0.3, 0.65)):
        x = s.X(0.38 + 0.1 * k)
        c.rect(x - s.h * 0.035, s.Y(0.85 - h), x + s.h * 0.035, s.Y(0.86), (190, 180, 165))
        c.rect(x - s.h * 0.02, s.Y(0.85 - h), x - s.h * 0.01, s.Y(0.86), (150, 140, 128))
    for _ in range(12):
        x, y = rng.random() * s.w, s.Y(0.82 + 0.15 * rng.random())
        c.ellipse(x, y, s.h * 0.03, s.h * 0.02, col)
    for _ in range(s.w // 3):
        x, y = rng.random() * s.w, s.Y(0.6 + 0.4 * rng.random())
        c.line(x, y, x + 1, y - s.h * 0.04, (70, 120, 50))


def field(s):
    c, hz = s.c, s.Y(0.5)
    sky(s, hz)
    ridge(s, hz, s.h * 0.08, (90, 130, 90))
    for k in range(max(3, s.w // 40)):
        round_tree(s, (k + 0.5) * s.w / max(3, s.w // 40), hz + 2, s.h * 0.12, (60, 110, 50))
    c.vgrad(hz, s.h, (210, 180, 80), (190, 150, 50))
    for y in range(int(hz) + 2, s.h, 1):
        f = (y - hz) / (s.h - hz)
        step = max(2, int(2 + 8 * f))
        off = int(s.wave(1, y * 0.05) * 2 * f)
        for x in range(off % step, s.w, step):
            c.line(x, y, x + 0.5 * f, y - s.h * 0.05 * f, (150, 110, 30))
    hx, hy = s.X(0.7), s.Y(0.75)
    c.ellipse(hx, hy, s.h * 0.15, s.h * 0.12, (200, 170, 80), y_max=hy)
    c.rect(hx - s.h * 0.15, hy, hx + s.h * 0.15, hy + s.h * 0.05, (180, 150, 70))
    c.texture(hx - s.h * 0.15, hy - s.h * 0.12, hx + s.h * 0.15, hy + s.h * 0.05, s.noise(1.5), 0.2)


def mountain(s):
    c, hz = s.c, s.Y(0.75)
    sky(s, hz)
    pts = ridge(s, hz, s.h * 0.6, (110, 110, 130), rough=1.5, peaks=2.2)
    # Snow on whatever rises above the snow line.
    line = hz - s.h * 0.42
    n = s.noise(3)
    ridge_pts = pts[1:-1]
    for j in range(len(ridge_pts) - 1):
        (xa, ya), (xb, yb) = ridge_pts[j], ridge_pts[j + 1]
        for x in range(int(xa), int(xb)):
            y = ya + (yb - ya) * (x - xa) / (xb - xa)
            if y < line:
                c.rect(x, y, x + 1, line + (line - y) * 0.3 + 3 * n(x, 0), (240, 240, 250))
    ridge(s, hz + s.h * 0.05, s.h * 0.3, (80, 90, 100), rough=1.2, peaks=3.5)
    ground(s, hz + s.h * 0.05, (90, 110, 70))
    for k in range(max(3, s.w // 30)):
        conifer(s, (k + 0.5) * s.w / max(3, s.w // 30), s.Y(0.97), s.h * 0.2, (35, 75, 45))
    c.poly([(s.X(0.02), s.h), (s.X(0.1), s.Y(0.75)), (s.X(0.2), s.Y(0.8)), (s.X(0.28), s.h)], (100, 95, 90))


def shore(s):
    c, hz = s.c, s.Y(0.42)
    sky(s, hz)
    water(s, hz, s.Y(0.7), (50, 100, 150), strength=0.5)
    c.vgrad(s.Y(0.7), s.h, (220, 200, 150), (200, 175, 120))
    c.texture(0, s.Y(0.7), s.w, s.h, s.noise(1.5), 0.08)
    # Surf running up the sand and back.
    reach = s.Y(0.72) + s.h * 0.03 * s.wave()
    pts = [(0, s.Y(0.7))] + [(x, reach + s.h * 0.015 * math.sin(x * 0.15 + TAU * s.t)) for x in range(0, s.w + 4, 4)] + \
          [(s.w, s.Y(0.7))]
    c.poly(pts, (235, 240, 245), alpha=0.8)
    for k, f in enumerate((0.1, 0.85)):
        c.ellipse(s.X(f), s.Y(0.72), s.h * (0.1 + 0.05 * k), s.h * 0.08, (95, 90, 85), y_max=s.Y(0.72))
    lx = s.X(0.88)
    c.poly([(lx - s.h * 0.05, s.Y(0.6)), (lx - s.h * 0.03, s.Y(0.2)), (lx + s.h * 0.03, s.Y(0.2)),
            (lx + s.h * 0.05, s.Y(0.6))], (235, 235, 230))
    for f in (0.3, 0.45):
        c.rect(lx - s.h * 0.045, s.Y(f), lx + s.h * 0.045, s.Y(f + 0.05), (190, 40, 40))
    c.rect(lx - s.h * 0.035, s.Y(0.13), lx + s.h * 0.035, s.Y(0.2), (255, 230, 140), lit=True)
    if s.L.variant != "day":
        c.glow(lx, s.Y(0.16), s.h * 0.3, (120, 100, 40))
    for k in range(3):
        x = s.X(0.3 + 0.15 * k) + s.h * 0.05 * s.wave(1, k * 0.3)
        y = s.Y(0.2 + 0.05 * k)
        c.line(x - s.h * 0.03, y - s.h * 0.015, x, y, (60, 60, 60))
        c.line(x, y, x + s.h * 0.03, y - s.h * 0.015, (60, 60, 60))


def boat(s):
    c, hz = s.c, s.Y(0.45)
    sky(s, hz)
    ridge(s, hz, s.h * 0.06, (90, 110, 120), peaks=1.5)
    water(s, hz, s.h, (45, 90, 135), strength=0.5)
    bx, by = s.X(0.5), s.Y(0.72) + s.h * 0.015 * s.wave()
    bw = s.h * 0.5
    c.poly([(bx - bw, by - bw * 0.18), (bx + bw, by - bw * 0.18), (bx + bw * 0.7, by + bw * 0.05),
            (bx - bw * 0.7, by + bw * 0.05)], (120, 70, 35))
    c.rect(bx - bw, by - bw * 0.2, bx + bw, by - bw * 0.15, (160, 110, 60))
    c.rect(bx - 1, by - bw * 1.3, bx + 1, by - bw * 0.18, (90, 60, 35))
    c.poly([(bx + 2, by - bw * 1.25), (bx + bw * 0.7, by - bw * 0.3), (bx + 2, by - bw * 0.3)], (235, 225, 200))
    c.poly([(bx - 2, by - bw * 1.1), (bx - bw * 0.5, by - bw * 0.3), (bx - 2, by - bw * 0.3)], (220, 210, 185))
    c.reflect(by + bw * 0.06, by + bw * 0.3, c._col((45, 90, 135), False), phase=s.t, strength=0.35,
              x0=bx - bw, x1=bx + bw)

"""Common layers the places are built from: sky, hills, ground, trees, fire,
walls, towers, windows, doors and water, and the variant's overlay."""
import math
import random

from ..canvas import mix, scale
from .look import TAU, FLAME_OUT, FLAME_MID, FLAME_CORE, STONE, DARK_STONE, WOOD, IRON, GOLD


def sky(s, horizon, moon_x=0.78):
    c, L = s.c, s.L
    c.vgrad(0, horizon + 1, L.sky_top, L.sky_low, lit=True)
    rng = random.Random(s.seed ^ 0x5EED)
    if L.stars:
        bright = 220 if L.moon else 110
        for _ in range(int(s.w * horizon / 90)):
            x, y = rng.random() * s.w, rng.random() * horizon * 0.9
            tw = 0.6 + 0.4 * math.sin(TAU * (s.t + rng.random()))
            k = bright * (0.4 + 0.6 * rng.random()) * tw
            c.dot(x, y, (k, k, k * 0.95 + 10), lit=True)
    if L.moon:
        mx, my, mr = s.X(moon_x), horizon * 0.28, max(3, s.h * 0.07)
        c.glow(mx, my, mr * 4, (40, 45, 70))
        c.ellipse(mx, my, mr, mr, (235, 235, 210), lit=True)
        c.ellipse(mx + mr * 0.35, my - mr * 0.2, mr * 0.3, mr * 0.3, (205, 205, 185), lit=True)
    if L.sun:
        sx, sy, sr = s.X(0.16), horizon * 0.3, max(3, s.h * 0.06)
        c.glow(sx, sy, sr * 5, (80, 70, 30))
        c.ellipse(sx, sy, sr, sr, (255, 248, 210), lit=True)
    if L.variant == "lit":
        c.glow(s.X(0.5), horizon, s.w * 0.45, (90, 50, 10), squash=0.5)
    if L.variant in ("day", "open", "closed", "flooded", "lit"):
        # Clouds drift one cloud-spacing over a loop, so animations close.
        for k in range(max(2, s.w // 90)):
            cx = (rng.random() + s.t * 0.08) % 1.2 * s.w - s.w * 0.1
            cy = horizon * (0.15 + 0.45 * rng.random())
            cw = s.h * (0.12 + 0.1 * rng.random())
            col = (255, 225, 200) if L.variant == "lit" else (250, 250, 255)
            for j in range(4):
                c.ellipse(cx + (j - 1.5) * cw * 0.5, cy + (0.3 if j % 3 else 0) * cw * 0.3,
                          cw * 0.55, cw * 0.28, col, alpha=0.75, lit=True)
    if L.burning:
        n = s.noise(14)
        for y in range(int(horizon)):
            for x in range(0, s.w):
                k = n(x + s.t * 28, y * 1.6) * 0.5 + 0.5
                if k > 0.55:
                    c.span(y, x, x + 1, (50, 35, 35), alpha=min(0.8, (k - 0.55) * 2.5), lit=True)


def ridge(s, base, amp, col, rough=0.5, peaks=3.0, alpha=1.0):
    """A mountain or hill line across the picture, filled downwards."""
    rng = s.rng
    ph = [rng.random() * TAU for _ in range(4)]
    pts = [(0, s.h)]
    for x in range(0, s.w + 4, 4):
        u = x / s.w
        y = base - amp * (0.55 + 0.3 * math.sin(u * TAU * peaks / 2 + ph[0])
                          + 0.15 * math.sin(u * TAU * peaks * 1.7 + ph[1])
                          + rough * 0.12 * math.sin(u * TAU * peaks * 5.3 + ph[2]))
        pts.append((x, y))
    pts.append((s.w, s.h))
    s.c.poly(pts, col, alpha)
    return pts


def ground(s, top, col, col2=None, bumpy=0.12):
    c = s.c
    c.vgrad(top, s.h, col, col2 or scale(col, 0.7))
    c.texture(0, top, s.w, s.h, s.noise(3), bumpy)


def conifer(s, x, base, h, col):
    c = s.c
    c.rect(x - h * 0.04, base - h * 0.15, x + h * 0.04, base, (70, 45, 30))
    for k in range(3):
        top = base - h + k * h * 0.22
        half = h * (0.18 + 0.07 * k)
        c.poly([(x, top), (x + half, top + h * 0.45), (x - half, top + h * 0.45)], scale(col, 1 - 0.08 * k))


def round_tree(s, x, base, h, col):
    c = s.c
    c.rect(x - h * 0.05, base - h * 0.5, x + h * 0.05, base, (85, 55, 35))
    r = h * 0.3
    c.ellipse(x, base - h * 0.65, r, r * 0.9, scale(col, 0.8))
    c.ellipse(x - r * 0.4, base - h * 0.6, r * 0.7, r * 0.6, col)
    c.ellipse(x + r * 0.35, base - h * 0.75, r * 0.6, r * 0.55, mix(col, (220, 230, 120), 0.2))


def flame(s, x, base, w, h, phase=0.0, alpha=1.0):
    """A flickering tongue of fire, drawn as light."""
    c = s.c
    f = 1 + 0.18 * math.sin(TAU * (s.t * 2 + phase)) + 0.08 * math.sin(TAU * (s.t * 3 + phase * 1.7))
    sway = w * 0.35 * math.sin(TAU * (s.t + phase))
    for col, k in ((FLAME_OUT, 1.0), (FLAME_MID, 0.7), (FLAME_CORE, 0.4)):
        hw, hh = w * k / 2, h * k * f
        c.poly([(x - hw, base), (x - hw * 0.8, base - hh * 0.4), (x + sway * k, base - hh),
                (x + hw * 0.8, base - hh * 0.4), (x + hw, base)], col, alpha, lit=True)
        c.ellipse(x, base - hw * 0.2, hw, hw * 0.6, col, alpha, lit=True)


def torch(s, x, y, size):
    c, L = s.c, s.L
    c.rect(x - size * 0.12, y, x + size * 0.12, y + size * 0.9, (80, 50, 30))
    c.rect(x - size * 0.25, y - size * 0.05, x + size * 0.25, y + size * 0.12, IRON)
    if L.lights:
        c.glow(x, y - size * 0.3, size * 4.5 * L.glow, (110, 60, 20), 0.9)
        flame(s, x, y, size * 0.5, size * 0.9, phase=x * 0.013)


def stone_wall(s, x0, y0, x1, y1, col, brick_h=None, mortar=0.6):
    """Courses of stones with staggered joints."""
    c = s.c
    c.rect(x0, y0, x1, y1, col)
    bh = brick_h or max(3, s.h * 0.05)
    bw = bh * 2.2
    row = 0
    y = y0
    n = s.noise(5)
    while y < y1:
        off = (row % 2) * bw / 2
        c.rect(x0, y, x1, y + 1, scale(col, mortar))
        x = x0 - off
        while x < x1:
            if x > x0:
                c.rect(x, y, x + 1, min(y1, y + bh), scale(col, mortar))
            x += bw
        y += bh
        row += 1
    c.texture(x0, y0, x1, y1, n, 0.12)


def battlements(s, x0, x1, top, col, merlon=None):
    c = s.c
    m = merlon or max(3, s.h * 0.045)
    x = x0
    while x < x1 - m * 0.5:
        c.rect(x, top - m * 1.2, min(x1, x + m), top + 1, col)
        x += m * 2


def tower(s, cx, width, top, bottom, col, roof=(120, 40, 40), windows=2):
    c = s.c
    stone_wall(s, cx - width / 2, top, cx + width / 2, bottom, col)
    if roof:
        c.poly([(cx - width * 0.62, top + 1), (cx, top - width * 1.2), (cx + width * 0.62, top + 1)], roof)
        c.line(cx, top - width * 1.2, cx, top - width * 1.55, IRON)
        c.poly([(cx, top - width * 1.55), (cx + width * 0.3, top - width * 1.45), (cx, top - width * 1.35)],
               (200, 40, 40))
    else:
        battlements(s, cx - width / 2, cx + width / 2, top, col)
    for k in range(windows):
        wy = top + (bottom - top) * (0.2 + 0.3 * k)
        window(s, cx, wy, width * 0.18, width * 0.35)


def window(s, cx, cy, hw, hh, arched=True):
    """A window showing the sky by day and candlelight at night."""
    c, L = s.c, s.L
    if L.variant in ("night", "lit", "burning") or (L.outdoor and L.variant == "dark" and s.rng.random() < 0.3):
        col = (255, 190, 90) if L.variant != "burning" else (255, 120, 40)
        c.glow(cx, cy, hw * 5, (90, 60, 20), 0.8)
        lit = True
    elif L.outdoor:
        col, lit = scale(DARK_STONE, 0.35), False
    else:
        col, lit = L.sky_low, True
    c.rect(cx - hw, cy - hh * 0.5, cx + hw, cy + hh, col, lit=lit)
    if arched:
        c.ellipse(cx, cy - hh * 0.5, hw, hw, col, lit=lit)
    if hw > 3:
        c.rect(cx - 0.5, cy - hh * 0.5 - hw, cx + 0.5, cy + hh, IRON)
        c.rect(cx - hw, cy + hh * 0.2, cx + hw, cy + hh * 0.2 + 1, IRON)


def door(s, x0, y0, x1, y1, arched=True, beyond=None):
    """Open shows the way through; closed shows planks and iron."""
    c, L = s.c, s.L
    hw = (x1 - x0) / 2
    top = y0 + (hw if arched else 0)
    if L.door_open:
        inside = beyond or (20, 16, 14)
        c.rect(x0, top, x1, y1, inside)
        if arched:
            c.ellipse(x0 + hw, top, hw, hw, inside, y_max=top)
        c.glow(x0 + hw, y1 - (y1 - y0) * 0.3, hw * 1.6, (70, 50, 20), 0.8)
        # The leaf swung inwards, seen edge-on.
        c.poly([(x0, top), (x0 + hw * 0.35, top + hw * 0.2), (x0 + hw * 0.35, y1 - hw * 0.15), (x0, y1)], WOOD)
        return
    c.rect(x0, top, x1, y1, WOOD)
    if arched:
        c.ellipse(x0 + hw, top, hw, hw, WOOD, y_max=top)
    step = max(3, int(hw / 2.5))
    for x in range(int(x0) + step, int(x1), step):
        c.rect(x, y0, x + 1, y1, scale(WOOD, 0.6))
    for f in (0.35, 0.75):
        y = top + (y1 - top) * f
        c.rect(x0, y, x1, y + max(1, hw * 0.12), IRON)
    c.ellipse(x0 + hw * 1.5, top + (y1 - top) * 0.55, max(1, hw * 0.1), max(1, hw * 0.1), GOLD)


def water(s, top, bottom, col, x0=0, x1=None, strength=0.55):
    c = s.c
    c.reflect(top, bottom, s.c._col(col, False), phase=s.t, strength=strength, x0=x0, x1=x1)
    rng = random.Random(s.seed ^ 0xAA)
    x1 = s.w if x1 is None else x1
    for _ in range(int((x1 - x0) * (bottom - top) / 60)):
        x = x0 + rng.random() * (x1 - x0)
        y = top + 1 + rng.random() * (bottom - top - 1)
        shift = (s.t + rng.random()) % 1.0
        length = 2 + rng.random() * s.h * 0.06
        k = 0.5 + 0.5 * math.sin(TAU * shift)
        c.span(int(y), x, x + length, mix(col, (230, 240, 255), 0.6), alpha=0.25 + 0.35 * k)


def room(s, floor_top, wall=STONE, floor=(95, 80, 65)):
    """Back wall of stones and a floor of flags."""
    stone_wall(s, 0, 0, s.w, floor_top, wall)
    c = s.c
    c.vgrad(floor_top, s.h, scale(floor, 0.8), floor)
    for k in range(1, 6):
        y = floor_top + (s.h - floor_top) * (k / 6) ** 1.5
        c.rect(0, y, s.w, y + 1, scale(floor, 0.6))
    for k in range(-8, 9):
        c.line(s.w / 2 + k * s.w * 0.06, floor_top, s.w / 2 + k * s.w * 0.2, s.h, scale(floor, 0.6))


def finish(s):
    """The variant's overlay: floodwater or fire over the whole place."""
    c, L = s.c, s.L
    if L.flooded:
        top = s.Y(0.7)
        water(s, top, s.h, (50, 90, 110), strength=0.6)
        c.rect(0, top, s.w, top + 1, (200, 220, 230), alpha=0.5)
    if L.burning:
        c.vgrad(s.Y(0.5), s.h, (0, 0, 0), (120, 30, 0), alpha=0.35, lit=True)
        rng = random.Random(s.seed ^ 0xF1)
        n = max(4, s.w // 14)
        for k in range(n):
            x = (k + rng.random()) * s.w / n
            h = s.h * (0.18 + 0.22 * rng.random())
            flame(s, x, s.h + 2, h * 0.5, h, phase=rng.random())
        for _ in range(s.w // 6):
            x = rng.random() * s.w
            y = (rng.random() - s.t * 0.6) % 1.0 * s.h * 0.7 + s.h * 0.2
            c.dot(x, y, (255, 200, 80), lit=True)

"""Close-ups: fire, water and a candle that loop, the death scene, the
treasure, the scroll, the key and the portrait."""
import math
import random

from .look import TAU, GOLD
from .layers import flame, stone_wall


def fire(s):
    c = s.c
    c.vgrad(0, s.h, (10, 6, 10), (40, 20, 12), lit=True)
    c.rect(0, s.Y(0.8), s.w, s.h, (35, 25, 20))
    cx, base = s.X(0.5), s.Y(0.82)
    c.glow(cx, base - s.h * 0.25, s.h * 0.9, (120, 55, 10), 0.8 + 0.15 * s.wave(2))
    for k in range(8):
        a = TAU * k / 8
        c.ellipse(cx + math.cos(a) * s.h * 0.3, base + math.sin(a) * s.h * 0.06, s.h * 0.06, s.h * 0.035, (90, 85, 80))
    c.line(cx - s.h * 0.28, base, cx + s.h * 0.2, base - s.h * 0.1, (90, 55, 30), width=s.h * 0.06)
    c.line(cx + s.h * 0.28, base, cx - s.h * 0.2, base - s.h * 0.1, (80, 50, 28), width=s.h * 0.06)
    for k, (dx, hh) in enumerate(((-0.12, 0.4), (0.1, 0.45), (0, 0.6), (-0.05, 0.35), (0.15, 0.3))):
        flame(s, cx + s.h * dx, base - s.h * 0.04, s.h * 0.18, s.h * hh, phase=k * 0.23)
    rng = s.rng
    for _ in range(14):
        x0 = cx + (rng.random() - 0.5) * s.h * 0.4
        ph = rng.random()
        y = base - ((s.t + ph) % 1.0) * s.h * 0.8
        x = x0 + s.h * 0.05 * math.sin(TAU * (s.t + ph))
        c.dot(x, y, (255, 200, 90), lit=True)


def water_scene(s):
    c = s.c
    c.vgrad(0, s.h, (40, 90, 130), (10, 35, 60))
    rng = s.rng
    rows = max(6, s.h // 6)
    for k in range(rows):
        y0 = (k + 0.5) * s.h / rows
        f = 0.4 + 0.6 * k / rows
        amp = s.h * 0.02 * f
        ph = rng.random()
        for x in range(s.w):
            y = y0 + amp * math.sin(x * 0.08 / f + TAU * (s.t + ph))
            c.dot(x, y, (120, 170, 200), alpha=0.5 * f)
            c.dot(x, y + 1, (20, 50, 80), alpha=0.4 * f)
    for _ in range(s.w * s.h // 200):
        x, y, ph = rng.random() * s.w, rng.random() * s.h, rng.random()
        k = max(0.0, math.sin(TAU * (s.t + ph)))
        c.dot(x, y, (240, 250, 255), alpha=k * 0.9)


def candle(s):
    c = s.c
    c.vgrad(0, s.h, (12, 8, 12), (30, 20, 18), lit=True)
    cx, base = s.X(0.5), s.Y(0.88)
    h = s.h * 0.45
    c.glow(cx, base - h - s.h * 0.1, s.h * 0.7, (110, 70, 25), 0.85 + 0.1 * s.wave(2))
    c.ellipse(cx, base, h * 0.5, h * 0.1, (150, 120, 50))
    c.rect(cx - h * 0.15, base - h, cx + h * 0.15, base, (235, 225, 200))
    c.rect(cx - h * 0.15, base - h, cx - h * 0.08, base, (250, 245, 230))
    c.ellipse(cx + h * 0.12, base - h * 0.75, h * 0.03, h * 0.12, (245, 240, 220))
    c.rect(cx - 0.5, base - h - s.h * 0.04, cx + 0.5, base - h, (30, 30, 30))
    flame(s, cx, base - h - s.h * 0.02, s.h * 0.07, s.h * 0.2)


def death(s):
    """Skull and bones: on red; sinking in murky water (flooded); watched by
    a hooded shape with burning eyes (dark); in flames (burning)."""
    c, v = s.c, s.L.variant
    if v == "flooded":
        c.vgrad(0, s.h, (20, 60, 70), (2, 12, 20), lit=True)
        bone = (170, 190, 180)
    elif v == "dark":
        c.vgrad(0, s.h, (14, 10, 18), (2, 2, 4), lit=True)
        hx, hy = s.X(0.5), s.Y(0.02)
        c.poly([(hx - s.h * 0.5, s.h), (hx - s.h * 0.28, hy + s.h * 0.2), (hx, hy), (hx + s.h * 0.28, hy + s.h * 0.2),
                (hx + s.h * 0.5, s.h)], (28, 22, 34), lit=True)
        c.ellipse(hx, hy + s.h * 0.2, s.h * 0.15, s.h * 0.14, (4, 3, 6), lit=True)
        for dx in (-0.06, 0.06):
            c.glow(hx + s.h * dx, hy + s.h * 0.2, s.h * 0.06, (200, 30, 10), 1.0)
            c.dot(hx + s.h * dx, hy + s.h * 0.2, (255, 80, 40), lit=True)
        bone = (150, 145, 135)
    else:
        c.vgrad(0, s.h, (60, 0, 5), (10, 0, 0), lit=True)
        c.glow(s.X(0.5), s.Y(0.45), s.h * 0.55, (60, 10, 10), 0.6)
        bone = (225, 220, 200)
    cx, cy, r = s.X(0.5), s.Y(0.45 if v == "dark" else 0.4), s.h * 0.24
    for a in (1, -1):
        c.line(cx - r * 1.4, cy + r * (1.3 - a * 0.2) + a * r * 0.6, cx + r * 1.4, cy + r * (1.3 - a * 0.2) - a * r * 0.6,
               bone, width=r * 0.22, lit=True)
        for sx in (-1, 1):
            ex, ey = cx + sx * r * 1.4, cy + r * (1.3 - a * 0.2) - sx * a * r * 0.6
            c.ellipse(ex, ey - r * 0.1, r * 0.14, r * 0.14, bone, lit=True)
            c.ellipse(ex, ey + r * 0.1, r * 0.14, r * 0.14, bone, lit=True)
    c.ellipse(cx, cy, r, r * 0.95, bone, lit=True)
    c.rect(cx - r * 0.55, cy + r * 0.5, cx + r * 0.55, cy + r * 1.05, bone, lit=True)
    for sx in (-1, 1):
        c.ellipse(cx + sx * r * 0.4, cy + r * 0.05, r * 0.25, r * 0.28, (20, 0, 0), lit=True)
    c.poly([(cx, cy + r * 0.35), (cx - r * 0.12, cy + r * 0.6), (cx + r * 0.12, cy + r * 0.6)], (20, 0, 0), lit=True)
    for k in range(5):
        x = cx - r * 0.44 + k * r * 0.22
        c.rect(x, cy + r * 0.75, x + 1, cy + r * 1.05, (60, 40, 40), lit=True)
    if v == "flooded":
        # Murk over the lower half, fog drifting and bubbles rising.
        c.rect(0, s.Y(0.62), s.w, s.h, (10, 40, 50), alpha=0.6, lit=True)
        c.rect(0, s.Y(0.62), s.w, s.Y(0.62) + 1, (120, 170, 170), alpha=0.6, lit=True)
        for k in range(3):
            y = s.Y(0.15 + 0.25 * k)
            off = s.w * 0.1 * s.wave(1, k / 3)
            c.ellipse(s.X(0.3 + 0.2 * k) + off, y, s.w * 0.4, s.h * 0.05, (180, 200, 200), alpha=0.18, lit=True)
        rng = random.Random(s.seed ^ 0xB0)
        for _ in range(10):
            x, ph = rng.random() * s.w, rng.random()
            y = s.h - ((s.t + ph) % 1.0) * s.h
            c.ellipse(x, y, 1.2, 1.2, (170, 220, 230), alpha=0.7, lit=True)
    elif v == "burning":
        for k in range(6):
            flame(s, (k + 0.5) * s.w / 6, s.h + 2, s.h * 0.2, s.h * 0.4, phase=k * 0.37)


def treasure(s):
    c = s.c
    c.vgrad(0, s.h, (40, 25, 30), (70, 45, 35))
    c.rect(0, s.Y(0.8), s.w, s.h, (60, 40, 30))
    cx, base = s.X(0.5), s.Y(0.9)
    hw, hh = s.h * 0.45, s.h * 0.35
    c.glow(cx, base - hh, s.h * 0.8, (90, 70, 20), 0.7 + 0.1 * s.wave())
    rng = s.rng
    for _ in range(60):
        x = cx + (rng.random() - 0.5) * hw * 3
        y = base + (rng.random() - 0.3) * s.h * 0.08
        c.ellipse(x, y, s.h * 0.025, s.h * 0.015, (240, 190, 60))
    c.rect(cx - hw, base - hh, cx + hw, base, (120, 70, 35))
    for x in (cx - hw, cx - hw * 0.1, cx + hw * 0.8):
        c.rect(x, base - hh, x + hw * 0.2, base, GOLD)
    if s.L.variant != "closed":
        # The lid stands open behind the heap of gold.
        c.poly([(cx - hw, base - hh), (cx + hw, base - hh), (cx + hw * 0.95, base - hh * 2.1), (cx - hw * 0.95, base - hh * 2.1)],
               (100, 60, 30))
        c.poly([(cx - hw * 0.85, base - hh * 1.1), (cx + hw * 0.85, base - hh * 1.1), (cx + hw * 0.8, base - hh * 1.95),
                (cx - hw * 0.8, base - hh * 1.95)], (70, 40, 22))
        c.rect(cx - hw * 0.1, base - hh * 2.1, cx + hw * 0.1, base - hh * 1.1, GOLD)
        c.ellipse(cx, base - hh, hw * 0.95, hh * 0.3, (250, 200, 70))
        for _ in range(30):
            c.ellipse(cx + (rng.random() - 0.5) * hw * 1.8, base - hh - rng.random() * hh * 0.3,
                      s.h * 0.02, s.h * 0.013, (255, 215, 90))
        c.ellipse(cx - hw * 0.3, base - hh * 1.05, s.h * 0.05, s.h * 0.04, (200, 30, 60), lit=True)
        c.ellipse(cx + hw * 0.35, base - hh * 1.1, s.h * 0.05, s.h * 0.04, (40, 180, 90), lit=True)
    else:
        c.ellipse(cx, base - hh, hw, hh * 0.55, (130, 78, 40), y_max=base - hh)
        c.rect(cx - hw * 0.1, base - hh * 1.55, cx + hw * 0.1, base - hh, GOLD)
        c.rect(cx - hw * 0.08, base - hh * 0.9, cx + hw * 0.08, base - hh * 0.6, GOLD)
    for _ in range(6):
        x, y, ph = cx + (rng.random() - 0.5) * hw * 2, base - hh * (1 + rng.random()), rng.random()
        k = max(0.0, math.sin(TAU * (s.t + ph)))
        c.line(x - 2, y, x + 2, y, (255, 255, 220), alpha=k, lit=True)
        c.line(x, y - 2, x, y + 2, (255, 255, 220), alpha=k, lit=True)


def scroll(s):
    c = s.c
    c.vgrad(0, s.h, (70, 45, 35), (45, 28, 22))
    paper = (235, 215, 170)
    if s.L.variant == "closed":
        cx, cy = s.X(0.5), s.Y(0.5)
        c.line(cx - s.h * 0.4, cy + s.h * 0.15, cx + s.h * 0.4, cy - s.h * 0.15, paper, width=s.h * 0.18)
        c.ellipse(cx + s.h * 0.4, cy - s.h * 0.15, s.h * 0.06, s.h * 0.09, (200, 180, 135))
        c.rect(cx - s.h * 0.03, cy - s.h * 0.12, cx + s.h * 0.03, cy + s.h * 0.12, (170, 30, 30))
        c.ellipse(cx, cy + s.h * 0.12, s.h * 0.06, s.h * 0.06, (150, 20, 20))
        return
    x0, x1, y0, y1 = s.X(0.5) - s.h * 0.55, s.X(0.5) + s.h * 0.55, s.Y(0.12), s.Y(0.88)
    c.rect(x0, y0, x1, y1, paper)
    c.texture(x0, y0, x1, y1, s.noise(5), 0.08)
    for y in (y0, y1):
        c.rect(x0 - s.h * 0.04, y - s.h * 0.05, x1 + s.h * 0.04, y + s.h * 0.05, (205, 185, 140))
        c.rect(x0 - s.h * 0.04, y - s.h * 0.01, x1 + s.h * 0.04, y + s.h * 0.01, (170, 150, 110))
    rng = s.rng
    for k in range(7):
        y = y0 + (y1 - y0) * (k + 1.2) / 8.5
        x = x0 + s.h * 0.08
        while x < x1 - s.h * 0.1:
            wl = s.h * (0.04 + 0.08 * rng.random())
            c.rect(x, y, min(x + wl, x1 - s.h * 0.08), y + max(1, s.h * 0.012), (70, 50, 40))
            x += wl + s.h * 0.03
    c.ellipse(x1 - s.h * 0.15, y1 - s.h * 0.12, s.h * 0.05, s.h * 0.05, (160, 20, 20))


def key(s):
    c = s.c
    c.vgrad(0, s.h, (60, 20, 40), (30, 10, 25))
    c.texture(0, 0, s.w, s.h, s.noise(3), 0.15)
    cx, cy, r = s.X(0.5), s.Y(0.5), s.h * 0.18
    c.glow(cx, cy, s.h * 0.6, (60, 45, 15), 0.6)
    dark_gold = (170, 120, 30)
    bx = cx - s.h * 0.35
    c.ellipse(bx, cy, r, r, GOLD)
    c.ellipse(bx, cy, r * 0.55, r * 0.55, (50, 18, 35))
    c.rect(bx + r * 0.8, cy - r * 0.18, cx + s.h * 0.45, cy + r * 0.18, GOLD)
    c.rect(bx + r * 0.8, cy + r * 0.05, cx + s.h * 0.45, cy + r * 0.18, dark_gold)
    for dx, depth in ((0.25, 0.6), (0.35, 0.4), (0.43, 0.7)):
        c.rect(cx + s.h * dx - r * 0.12, cy, cx + s.h * dx + r * 0.12, cy + r * (0.2 + depth), GOLD)
    c.ellipse(bx - r * 0.3, cy - r * 0.5, r * 0.15, r * 0.15, (255, 245, 200), alpha=0.7, lit=True)
    x, y = bx + r * 0.5 + s.wave() * r * 0.4, cy - r * 0.7
    c.line(x - 3, y, x + 3, y, (255, 255, 230), lit=True)
    c.line(x, y - 3, x, y + 3, (255, 255, 230), lit=True)


def portrait(s):
    c = s.c
    stone_wall(s, 0, 0, s.w, s.h, (120, 90, 80))
    fx0, fx1, fy0, fy1 = s.X(0.5) - s.h * 0.33, s.X(0.5) + s.h * 0.33, s.Y(0.06), s.Y(0.94)
    c.rect(fx0, fy0, fx1, fy1, (190, 140, 50))
    c.rect(fx0 + 1, fy0 + 1, fx1 - 1, fy0 + 2, (240, 200, 100))
    bw = s.h * 0.06
    c.vgrad(fy0 + bw, fy1 - bw, (40, 60, 55), (20, 30, 28), x0=fx0 + bw, x1=fx1 - bw)
    cx = s.X(0.5)
    c.poly([(fx0 + bw, fy1 - bw), (fx0 + bw + s.h * 0.04, s.Y(0.7)), (cx, s.Y(0.62)),
            (fx1 - bw - s.h * 0.04, s.Y(0.7)), (fx1 - bw, fy1 - bw)], (100, 30, 40))
    c.poly([(cx - s.h * 0.06, s.Y(0.63)), (cx + s.h * 0.06, s.Y(0.63)), (cx, s.Y(0.78))], (235, 230, 215))
    c.rect(cx - s.h * 0.04, s.Y(0.52), cx + s.h * 0.04, s.Y(0.64), (215, 175, 140))
    c.ellipse(cx, s.Y(0.4), s.h * 0.11, s.h * 0.15, (225, 185, 150))
    c.ellipse(cx, s.Y(0.3), s.h * 0.12, s.h * 0.08, (70, 45, 30), y_max=s.Y(0.32))
    c.rect(cx - s.h * 0.12, s.Y(0.3), cx - s.h * 0.09, s.Y(0.5), (70, 45, 30))
    c.rect(cx + s.h * 0.09, s.Y(0.3), cx + s.h * 0.12, s.Y(0.5), (70, 45, 30))
    for dx in (-0.045, 0.045):
        c.dot(cx + s.h * dx, s.Y(0.39), (40, 30, 30))
    c.rect(cx - s.h * 0.03, s.Y(0.48), cx + s.h * 0.03, s.Y(0.485) + 1, (150, 80, 80))
    if s.L.lights:
        c.glow(cx, fy0 - s.h * 0.05, s.h * 0.5, (60, 50, 30), 0.5)

"""Places indoors or underground: halls, corridors, stairs, cellars, vaults,
the library, the chapel, the cave, the dungeon, the throne room, the kitchen
and the crypt."""
import math

from ..canvas import scale
from .look import TAU, DARK_STONE, WOOD, IRON, GOLD
from .layers import flame, torch, stone_wall, window, door, room


def hall(s):
    c = s.c
    room(s, s.Y(0.72))
    for f in (0.2, 0.4, 0.6, 0.8):
        window(s, s.X(f), s.Y(0.25), s.h * 0.05, s.h * 0.14)
    for f in (0.1, 0.3, 0.5, 0.7, 0.9):
        x = s.X(f)
        c.rect(x - s.h * 0.05, 0, x + s.h * 0.05, s.Y(0.74), (150, 140, 125))
        c.rect(x - s.h * 0.05, 0, x - s.h * 0.03, s.Y(0.74), (175, 165, 150))
        c.rect(x - s.h * 0.07, s.Y(0.7), x + s.h * 0.07, s.Y(0.75), (130, 120, 110))
    for f in (0.3, 0.7):
        x = s.X(f)
        c.poly([(x - s.h * 0.08, s.Y(0.42)), (x + s.h * 0.08, s.Y(0.42)), (x + s.h * 0.08, s.Y(0.66)),
                (x, s.Y(0.6)), (x - s.h * 0.08, s.Y(0.66))], (140, 30, 40))
        c.ellipse(x, s.Y(0.52), s.h * 0.03, s.h * 0.03, GOLD)
    door(s, s.X(0.5) - s.h * 0.1, s.Y(0.38), s.X(0.5) + s.h * 0.1, s.Y(0.72))
    c.poly([(s.X(0.5) - s.h * 0.1, s.Y(0.72)), (s.X(0.5) + s.h * 0.1, s.Y(0.72)),
            (s.X(0.5) + s.h * 0.4, s.h), (s.X(0.5) - s.h * 0.4, s.h)], (150, 30, 35))
    for f in (0.2, 0.8):
        torch(s, s.X(f), s.Y(0.45), s.h * 0.07)


def corridor(s):
    c = s.c
    cx, cy = s.X(0.5), s.Y(0.5)
    fw, fh = s.h * 0.22, s.h * 0.3
    c.rect(0, 0, s.w, s.h, DARK_STONE)
    c.poly([(0, 0), (s.w, 0), (cx + fw, cy - fh), (cx - fw, cy - fh)], (60, 56, 54))
    c.poly([(0, s.h), (s.w, s.h), (cx + fw, cy + fh), (cx - fw, cy + fh)], (90, 78, 65))
    c.poly([(0, 0), (cx - fw, cy - fh), (cx - fw, cy + fh), (0, s.h)], (105, 100, 94))
    c.poly([(s.w, 0), (cx + fw, cy - fh), (cx + fw, cy + fh), (s.w, s.h)], (98, 93, 88))
    # Joints of the stones, converging on the far end.
    for k in range(1, 8):
        f = (k / 8) ** 1.6
        xl = f * (cx - fw)
        yl0, yl1 = f * (cy - fh), s.h - f * (s.h - cy - fh)
        c.line(xl, yl0, xl, yl1, (70, 66, 62))
        c.line(s.w - xl, yl0, s.w - xl, yl1, (70, 66, 62))
        c.line(xl, yl1, s.w - xl, yl1, (70, 60, 50))
    for k in range(1, 6):
        y = cy - fh + 2 * fh * k / 6
        c.line(0, y + (y - cy) * 2, cx - fw, y, (80, 76, 72))
        c.line(s.w, y + (y - cy) * 2, cx + fw, y, (75, 71, 68))
    c.rect(cx - fw, cy - fh, cx + fw, cy + fh, (40, 36, 34))
    door(s, cx - fw * 0.45, cy - fh * 0.5, cx + fw * 0.45, cy + fh)
    for f in (0.35, 0.7):
        xl = f * (cx - fw)
        torch(s, xl, cy - fh * 0.3 - (1 - f) * s.h * 0.1, s.h * 0.08 * (1.2 - f * 0.6))
        torch(s, s.w - xl, cy - fh * 0.3 - (1 - f) * s.h * 0.1, s.h * 0.08 * (1.2 - f * 0.6))


def stairs(s):
    c = s.c
    stone_wall(s, 0, 0, s.w, s.h, (100, 95, 90))
    n = 9
    sx0, sx1 = s.X(0.15), s.X(0.85)
    for k in range(n):
        x = sx0 + (sx1 - sx0) * k / n
        y = s.h - s.h * 0.9 * (k + 1) / n
        c.rect(x, y, s.w, y + s.h * 0.9 / n, (140, 130, 118))
        c.rect(x, y, s.w, y + max(1, s.h * 0.02), (175, 165, 150))
        c.rect(x, y, x + 1, s.h, (90, 84, 78))
    c.poly([(sx0, s.h), (sx1, s.h * 0.1), (sx1, s.h * 0.04), (sx0, s.h - s.h * 0.06)], (95, 62, 38))
    for k in range(0, n, 2):
        x = sx0 + (sx1 - sx0) * k / n
        y = s.h - s.h * 0.9 * k / n
        c.rect(x, y - s.h * 0.16, x + 1.5, y, (85, 55, 32))
    window(s, s.X(0.8), s.Y(0.18), s.h * 0.04, s.h * 0.09)
    torch(s, s.X(0.25), s.Y(0.3), s.h * 0.08)


def vault(s, col, floor_top):
    """Low arches of a cellar or crypt receding into the dark."""
    c = s.c
    c.rect(0, 0, s.w, s.h, scale(col, 0.35))
    for f in (1.0, 0.7, 0.45):
        hw, top = s.w * 0.5 * f, s.h * (0.5 - 0.45 * f)
        shade = scale(col, 0.5 + 0.5 * f)
        bottom = floor_top + (s.h - floor_top) * f * 0.3
        c.rect(s.X(0.5) - hw, top, s.X(0.5) + hw, bottom, shade)
        c.ellipse(s.X(0.5), top + hw * 0.6, hw * 0.85, hw * 0.6, scale(col, 0.3 + 0.3 * (1 - f)), y_max=top + hw * 0.6)
        c.rect(s.X(0.5) - hw * 0.85, top + hw * 0.6, s.X(0.5) + hw * 0.85, bottom, scale(col, 0.3 + 0.2 * (1 - f)))
    c.texture(0, 0, s.w, floor_top, s.noise(4), 0.15)
    c.vgrad(floor_top, s.h, (60, 52, 45), (85, 72, 60))


def cellar(s):
    c = s.c
    vault(s, (125, 110, 95), s.Y(0.75))
    for k, f in enumerate((0.12, 0.25, 0.78, 0.9)):
        x, r = s.X(f), s.h * (0.13 if k in (0, 3) else 0.1)
        base = s.Y(0.98) if k in (0, 3) else s.Y(0.85)
        c.ellipse(x, base - r * 1.1, r * 0.95, r * 1.1, (120, 75, 40))
        c.rect(x - r * 0.95, base - r * 1.1, x + r * 0.95, base - r * 1.05, (70, 45, 25))
        for dy in (-0.6, 0.4):
            c.rect(x - r * 0.9, base - r * 1.1 + dy * r, x + r * 0.9, base - r * 1.1 + dy * r + max(1, r * 0.1), IRON)
    for k in range(4):
        x = s.X(0.42 + 0.05 * k)
        c.rect(x, s.Y(0.72), x + s.h * 0.025, s.Y(0.85), (40, 80, 50))
        c.rect(x + s.h * 0.005, s.Y(0.66), x + s.h * 0.015, s.Y(0.72), (40, 80, 50))
    torch(s, s.X(0.5), s.Y(0.35), s.h * 0.07)


def library(s):
    c = s.c
    c.rect(0, 0, s.w, s.h, (80, 55, 40))
    rng = s.rng
    shelves = 4
    for side in (0, 1):
        x0, x1 = (s.X(0.02), s.X(0.4)) if side == 0 else (s.X(0.6), s.X(0.98))
        c.rect(x0, s.Y(0.04), x1, s.Y(0.9), (70, 42, 25))
        for k in range(shelves):
            y0 = s.Y(0.06) + k * s.Y(0.84) / shelves
            y1 = y0 + s.Y(0.84) / shelves - s.h * 0.03
            x = x0 + 2
            while x < x1 - 3:
                bw = max(2, s.h * (0.02 + 0.025 * rng.random()))
                top = y0 + (y1 - y0) * 0.25 * rng.random()
                col = [(130, 30, 30), (30, 70, 40), (40, 50, 110), (120, 90, 40), (90, 40, 90), (140, 110, 80)][
                    int(rng.random() * 6)]
                c.rect(x, top, x + bw - 0.5, y1, col)
                c.rect(x, top + (y1 - top) * 0.2, x + bw - 0.5, top + (y1 - top) * 0.2 + 1, GOLD)
                x += bw
            c.rect(x0, y1, x1, y1 + s.h * 0.03, (110, 70, 40))
    window(s, s.X(0.5), s.Y(0.25), s.h * 0.08, s.h * 0.18)
    c.rect(0, s.Y(0.9), s.w, s.h, (60, 35, 25))
    # A reading desk with an open book and a candle.
    c.rect(s.X(0.5) - s.h * 0.22, s.Y(0.68), s.X(0.5) + s.h * 0.22, s.Y(0.73), (120, 75, 40))
    c.rect(s.X(0.5) - s.h * 0.2, s.Y(0.73), s.X(0.5) - s.h * 0.17, s.h, (90, 55, 30))
    c.rect(s.X(0.5) + s.h * 0.17, s.Y(0.73), s.X(0.5) + s.h * 0.2, s.h, (90, 55, 30))
    c.poly([(s.X(0.5) - s.h * 0.14, s.Y(0.68)), (s.X(0.5), s.Y(0.655)), (s.X(0.5) + s.h * 0.14, s.Y(0.68)),
            (s.X(0.5) + s.h * 0.13, s.Y(0.62)), (s.X(0.5), s.Y(0.64)), (s.X(0.5) - s.h * 0.13, s.Y(0.62))],
           (235, 225, 195))
    candle_stick(s, s.X(0.5) + s.h * 0.18, s.Y(0.68), s.h * 0.1)


def candle_stick(s, x, base, h):
    c = s.c
    c.rect(x - h * 0.12, base - h, x + h * 0.12, base, (235, 225, 200))
    c.ellipse(x, base, h * 0.25, h * 0.07, GOLD)
    if s.L.lights:
        c.glow(x, base - h * 1.2, h * 4 * s.L.glow, (100, 70, 25), 0.8)
        flame(s, x, base - h, h * 0.2, h * 0.5, phase=x * 0.07)


def chapel(s):
    c = s.c
    room(s, s.Y(0.75), wall=(150, 140, 128))
    # The rose window of coloured glass.
    cx, cy, r = s.X(0.5), s.Y(0.3), s.h * 0.2
    c.rect(cx - r, cy, cx + r, s.Y(0.62), (60, 55, 60))
    c.ellipse(cx, cy, r, r, (60, 55, 60))
    glass = [(200, 40, 40), (40, 80, 200), (230, 190, 50), (40, 150, 70), (140, 50, 160)]
    bright = {"night": 0.35, "dark": 0.16}.get(s.L.variant, 1.0)
    for y in range(int(cy - r), int(s.Y(0.62))):
        for x in range(int(cx - r), int(cx + r)):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            if y < cy and dx * dx + dy * dy > (r * 0.9) ** 2:
                continue
            if abs(dx) > r * 0.9:
                continue
            ang = math.atan2(dy, dx)
            k = int((ang + math.pi) / TAU * 10) + int(math.hypot(dx, dy) / (r * 0.3))
            if (x + y) % 5 == 0:
                continue
            c.dot(x, y, scale(glass[k % 5], bright), lit=True)
    c.rect(cx - 0.5, cy - r, cx + 0.5, s.Y(0.62), (30, 30, 30))
    c.rect(cx - r, cy - 0.5, cx + r, cy + 0.5, (30, 30, 30))
    # Altar, cross and candles.
    c.rect(cx - s.h * 0.2, s.Y(0.64), cx + s.h * 0.2, s.Y(0.8), (200, 190, 170))
    c.rect(cx - s.h * 0.22, s.Y(0.62), cx + s.h * 0.22, s.Y(0.65), (230, 225, 210))
    c.rect(cx - s.h * 0.2, s.Y(0.66), cx + s.h * 0.2, s.Y(0.7), (150, 30, 40))
    for dx in (-0.15, 0.15):
        candle_stick(s, cx + s.h * dx, s.Y(0.62), s.h * 0.09)
    for k, f in enumerate((0.08, 0.22, 0.78, 0.92)):
        x = s.X(f)
        c.rect(x - s.h * 0.15, s.Y(0.8), x + s.h * 0.15, s.Y(0.86), (110, 70, 40))
        c.rect(x - s.h * 0.15, s.Y(0.72), x + s.h * 0.15 - s.h * 0.25, s.Y(0.95), (90, 55, 30))


def cave(s):
    c = s.c
    outside = s.L.variant in ("day", "open", "closed", "flooded", "lit")
    c.rect(0, 0, s.w, s.h, (60, 50, 45))
    c.texture(0, 0, s.w, s.h, s.noise(6), 0.35)
    mouth = [(s.X(0.5) + s.X(0.3) * math.cos(a) * (1 + 0.15 * math.sin(a * 5)),
              s.Y(0.95) - s.Y(0.75) * math.sin(a) * (1 + 0.1 * math.cos(a * 7))) for a in
             [math.pi * k / 24 for k in range(25)]]
    inner = (18, 14, 14) if not outside else (25, 22, 20)
    c.poly(mouth, inner)
    c.vgrad(s.Y(0.85), s.h, (50, 42, 38), (70, 60, 50))
    rng = s.rng
    for _ in range(max(6, s.w // 18)):
        x = s.X(0.22) + rng.random() * s.X(0.56)
        top = s.Y(0.25)
        ln = s.h * (0.08 + 0.15 * rng.random())
        c.poly([(x - s.h * 0.025, top), (x + s.h * 0.025, top), (x, top + ln)], (75, 65, 58))
    for k in range(5):
        x = s.X(0.3 + 0.1 * k)
        c.poly([(x - s.h * 0.04, s.Y(0.95)), (x, s.Y(0.95) - s.h * (0.08 + 0.06 * (k % 2))),
                (x + s.h * 0.04, s.Y(0.95))], (80, 70, 62))
    # Crystals catch what light there is.
    for k in range(3):
        x, y = s.X(0.15 + 0.35 * k), s.Y(0.9)
        c.poly([(x, y), (x + s.h * 0.03, y - s.h * 0.12), (x + s.h * 0.06, y)], (90, 160, 200), lit=s.L.variant != "dark")
        c.glow(x + s.h * 0.03, y - s.h * 0.05, s.h * 0.12, (20, 50, 70), 0.5 + 0.2 * s.wave(1, k / 3))
    torch(s, s.X(0.1), s.Y(0.45), s.h * 0.07)


def dungeon(s):
    c = s.c
    room(s, s.Y(0.8), wall=(90, 88, 85), floor=(70, 62, 55))
    c.rect(s.X(0.4), s.Y(0.08), s.X(0.6), s.Y(0.18), (20, 20, 30))
    for k in range(5):
        x = s.X(0.4) + (k + 0.5) * s.X(0.2) / 5
        c.rect(x, s.Y(0.08), x + 1, s.Y(0.18), IRON)
    rng = s.rng
    for _ in range(40):
        x, y = s.X(0.05) + rng.random() * s.X(0.3), s.Y(0.82 + 0.15 * rng.random())
        c.line(x, y, x + s.h * 0.05, y - s.h * 0.01 * rng.random(), (190, 160, 80))
    for k in range(6):
        y = s.Y(0.25) + k * s.h * 0.05
        c.ellipse(s.X(0.75) + (k % 2) * 2, y, s.h * 0.015, s.h * 0.025, (100, 100, 105))
    c.ellipse(s.X(0.75), s.Y(0.57), s.h * 0.04, s.h * 0.02, (100, 100, 105))
    torch(s, s.X(0.3), s.Y(0.35), s.h * 0.08)
    # The bars of the cell in front.
    for k in range(max(6, s.w // 20)):
        x = (k + 0.5) * s.w / max(6, s.w // 20)
        c.rect(x - s.h * 0.015, 0, x + s.h * 0.015, s.h, (40, 40, 45))
        c.rect(x - s.h * 0.015, 0, x - s.h * 0.005, s.h, (90, 90, 95))
    c.rect(0, s.Y(0.1), s.w, s.Y(0.14), (40, 40, 45))


def throne(s):
    c = s.c
    room(s, s.Y(0.72), wall=(140, 125, 115))
    cx = s.X(0.5)
    for f in (0.15, 0.85):
        c.rect(s.X(f) - s.h * 0.1, 0, s.X(f) + s.h * 0.1, s.Y(0.6), (150, 30, 40))
        c.poly([(s.X(f) - s.h * 0.1, s.Y(0.6)), (s.X(f), s.Y(0.68)), (s.X(f) + s.h * 0.1, s.Y(0.6))], (150, 30, 40))
        c.ellipse(s.X(f), s.Y(0.3), s.h * 0.05, s.h * 0.05, GOLD)
    c.rect(cx - s.h * 0.4, s.Y(0.68), cx + s.h * 0.4, s.Y(0.76), (160, 150, 140))
    c.rect(cx - s.h * 0.32, s.Y(0.6), cx + s.h * 0.32, s.Y(0.68), (175, 165, 155))
    c.poly([(cx - s.h * 0.1, s.Y(0.76)), (cx + s.h * 0.1, s.Y(0.76)), (cx + s.h * 0.3, s.h), (cx - s.h * 0.3, s.h)],
           (160, 30, 40))
    c.poly([(cx - s.h * 0.12, s.Y(0.6)), (cx - s.h * 0.12, s.Y(0.2)), (cx, s.Y(0.08)), (cx + s.h * 0.12, s.Y(0.2)),
            (cx + s.h * 0.12, s.Y(0.6))], GOLD)
    c.rect(cx - s.h * 0.08, s.Y(0.22), cx + s.h * 0.08, s.Y(0.5), (130, 20, 40))
    c.rect(cx - s.h * 0.16, s.Y(0.42), cx + s.h * 0.16, s.Y(0.5), (200, 150, 40))
    c.rect(cx - s.h * 0.12, s.Y(0.5), cx + s.h * 0.12, s.Y(0.6), (180, 130, 35))
    c.ellipse(cx, s.Y(0.14), s.h * 0.025, s.h * 0.025, (200, 30, 50), lit=True)
    for f in (0.32, 0.68):
        torch(s, s.X(f), s.Y(0.35), s.h * 0.07)


def kitchen(s):
    c = s.c
    room(s, s.Y(0.75), wall=(150, 130, 110), floor=(110, 85, 60))
    hx, hw = s.X(0.35), s.h * 0.35
    c.rect(hx - hw, s.Y(0.15), hx + hw, s.Y(0.75), (110, 100, 95))
    c.rect(hx - hw * 1.1, s.Y(0.12), hx + hw * 1.1, s.Y(0.18), (90, 80, 75))
    c.rect(hx - hw * 0.7, s.Y(0.35), hx + hw * 0.7, s.Y(0.75), (25, 18, 15))
    c.ellipse(hx, s.Y(0.35), hw * 0.7, hw * 0.3, (25, 18, 15), y_max=s.Y(0.35))
    if s.L.lights:
        for k in range(3):
            flame(s, hx + (k - 1) * hw * 0.3, s.Y(0.74), hw * 0.3, hw * 0.5, phase=k * 0.3)
        c.glow(hx, s.Y(0.6), hw * 2.2, (120, 60, 15), 0.9)
    else:
        # A cold hearth: embers only.
        for k in range(7):
            c.ellipse(hx + (k - 3) * hw * 0.12, s.Y(0.73), hw * 0.08, hw * 0.04, (150, 40, 10), lit=True)
        c.glow(hx, s.Y(0.72), hw * 0.8, (60, 15, 0), 0.6 + 0.2 * s.wave())
    c.ellipse(hx, s.Y(0.55), hw * 0.35, hw * 0.3, (35, 35, 38))
    c.rect(hx - hw * 0.38, s.Y(0.45), hx + hw * 0.38, s.Y(0.48), (60, 60, 65))
    c.line(hx - hw * 0.38, s.Y(0.45), hx, s.Y(0.3), IRON)
    c.line(hx + hw * 0.38, s.Y(0.45), hx, s.Y(0.3), IRON)
    tx = s.X(0.75)
    c.rect(tx - s.h * 0.3, s.Y(0.65), tx + s.h * 0.3, s.Y(0.7), (150, 100, 55))
    for dx in (-0.27, 0.24):
        c.rect(tx + s.h * dx, s.Y(0.7), tx + s.h * (dx + 0.04), s.Y(0.92), (120, 80, 45))
    c.ellipse(tx - s.h * 0.12, s.Y(0.63), s.h * 0.07, s.h * 0.03, (220, 180, 100))
    c.ellipse(tx + s.h * 0.1, s.Y(0.61), s.h * 0.04, s.h * 0.05, (200, 60, 40))
    c.rect(s.X(0.6), s.Y(0.2), s.X(0.95), s.Y(0.22), WOOD)
    for k in range(5):
        x = s.X(0.62 + 0.07 * k)
        c.line(x, s.Y(0.22), x, s.Y(0.3), IRON)
        c.ellipse(x, s.Y(0.33), s.h * 0.03, s.h * 0.03, (170, 110, 60) if k % 2 else (130, 130, 140))


def crypt(s):
    c = s.c
    vault(s, (100, 100, 110), s.Y(0.75))
    cx = s.X(0.5)
    c.rect(cx - s.h * 0.35, s.Y(0.62), cx + s.h * 0.35, s.Y(0.9), (150, 148, 140))
    c.rect(cx - s.h * 0.38, s.Y(0.56), cx + s.h * 0.38, s.Y(0.63), (175, 172, 165))
    c.ellipse(cx - s.h * 0.25, s.Y(0.54), s.h * 0.06, s.h * 0.035, (160, 158, 150))
    c.poly([(cx - s.h * 0.2, s.Y(0.56)), (cx + s.h * 0.3, s.Y(0.56)), (cx + s.h * 0.25, s.Y(0.51)),
            (cx - s.h * 0.2, s.Y(0.51))], (160, 158, 150))
    c.rect(cx - 1, s.Y(0.66), cx + 1, s.Y(0.84), (90, 88, 85))
    c.rect(cx - s.h * 0.06, s.Y(0.71), cx + s.h * 0.06, s.Y(0.73), (90, 88, 85))
    for f in (0.2, 0.8):
        candle_stick(s, s.X(f), s.Y(0.85), s.h * 0.12)
    rng = s.rng
    for _ in range(6):
        x, y = rng.random() * s.w, rng.random() * s.Y(0.5)
        c.line(x, y, x + s.h * 0.08, y + s.h * 0.08, (200, 200, 210), alpha=0.3)
        c.line(x + s.h * 0.08, y, x, y + s.h * 0.08, (200, 200, 210), alpha=0.3)

"""Procedural pictures: every scene is layered shapes over a sky or a wall, and
the variant changes the light (day, night, dark, lit), the doors (open,
closed) and what has happened to the place (flooded, burning)."""
import math
import random

from .canvas import Canvas, Noise, mix, scale

VARIANTS = ("day", "night", "dark", "lit", "open", "closed", "flooded", "burning")

# Places under the sky; the rest are rooms, close-ups or decorations.
OUTDOOR = {"gate", "courtyard", "tower", "garden", "forest", "path", "river", "bridge",
           "lake", "village", "house", "well", "ruin", "field", "mountain", "shore", "boat"}

TAU = 2 * math.pi

FLAME_OUT, FLAME_MID, FLAME_CORE = (200, 40, 10), (250, 130, 20), (255, 235, 140)
STONE = (120, 115, 108)
DARK_STONE = (70, 66, 64)
WOOD = (110, 70, 40)
IRON = (45, 45, 50)
GOLD = (230, 180, 50)


class Look:
    """What the variant does to a scene."""

    def __init__(self, variant, outdoor):
        self.variant = variant or "day"
        v = self.variant
        self.outdoor = outdoor
        self.stars = v in ("night", "dark")
        self.moon = v == "night"
        self.sun = v in ("day", "open", "closed", "flooded") and outdoor
        self.lights = v not in ("dark",)
        self.warm = v in ("lit", "burning")
        self.door_open = v == "open"
        self.flooded = v == "flooded"
        self.burning = v == "burning"
        if outdoor:
            table = {
                "night": ((0.32, 0.36, 0.58), (6, 8, 28), (30, 40, 80)),
                "dark": ((0.16, 0.16, 0.21), (3, 3, 8), (12, 13, 24)),
                "lit": ((1.0, 0.8, 0.58), (70, 50, 110), (250, 150, 70)),
                "burning": ((0.95, 0.55, 0.38), (40, 12, 12), (210, 80, 30)),
            }
            self.amb, self.sky_top, self.sky_low = table.get(
                v, ((1.0, 1.0, 1.0), (60, 110, 200), (175, 205, 235)))
        else:
            table = {
                "night": (0.34, 0.36, 0.5),
                "dark": (0.15, 0.15, 0.19),
                "lit": (1.05, 0.85, 0.62),
                "burning": (0.95, 0.55, 0.38),
            }
            self.amb = table.get(v, (0.85, 0.83, 0.8))
            self.sky_top, self.sky_low = ((8, 10, 30), (30, 40, 80)) if v in ("night", "dark") \
                else ((90, 140, 210), (190, 215, 240))
        self.glow = {"lit": 1.4, "night": 1.2, "burning": 1.0}.get(v, 0.7)


class Scene:
    """One picture being drawn: canvas, light, random layout and animation phase."""

    def __init__(self, w, h, variant, seed, t, name):
        self.c = Canvas(w, h)
        self.w, self.h = w, h
        self.L = Look(variant, name in OUTDOOR)
        self.c.amb = self.L.amb
        self.rng = random.Random(seed)
        self.seed = seed
        self.t = t
        self.name = name

    def X(self, f):
        return f * self.w

    def Y(self, f):
        return f * self.h

    def noise(self, cell):
        return Noise(random.Random(self.rng.random()), cell)

    def wave(self, k=1.0, offset=0.0):
        """A loop over the animation: the last frame leads back into the first."""
        return math.sin(TAU * (self.t * k + offset))


# --- common layers --------------------------------------------------------

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


# --- places ---------------------------------------------------------------

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


SCENES = {
    "gate": gate, "courtyard": courtyard, "hall": hall, "corridor": corridor, "stairs": stairs,
    "cellar": cellar, "library": library, "chapel": chapel, "tower": tower_scene, "garden": garden,
    "forest": forest, "path": path, "river": river, "bridge": bridge, "cave": cave, "lake": lake,
    "village": village, "house": house, "well": well, "ruin": ruin, "dungeon": dungeon,
    "throne": throne, "kitchen": kitchen, "crypt": crypt, "field": field, "mountain": mountain,
    "shore": shore, "boat": boat, "fire": fire, "water": water_scene, "candle": candle, "menu": menu,
    "chooser": chooser, "indicators": indicators, "gameover": gameover, "death": death,
    "treasure": treasure, "scroll": scroll, "key": key, "portrait": portrait,
}

# Close-ups that draw their own light and take no overlay from the variant.
DECORATIONS = {"menu", "chooser", "indicators", "gameover", "death", "fire", "candle", "water"}


def render(name, w, h, variant=None, seed=0, t=0.0):
    """The picture as a Canvas; t in [0, 1) is the phase of an animation."""
    s = Scene(w, h, variant, seed, t, name)
    SCENES[name](s)
    if name not in DECORATIONS:
        finish(s)
    return s.c


def frame_plan(name):
    """(frames, delay in hundredths) for an animated scene."""
    if name in ("fire", "candle"):
        return 6, 10
    if name in ("water", "river", "lake", "shore", "boat"):
        return 8, 15
    return 6, 15

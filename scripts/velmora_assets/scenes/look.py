"""What a variant does to the light and the parts of a picture, and the
state of one picture being drawn."""
import math
import random

from ..canvas import Canvas, Noise

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

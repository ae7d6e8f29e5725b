"""Procedural pictures: every scene is layered shapes over a sky or a wall, and
the variant changes the light (day, night, dark, lit), the doors (open,
closed) and what has happened to the place (flooded, burning)."""
from .look import VARIANTS, Scene
from .layers import finish
from .rooms import hall, corridor, stairs, cellar, library, chapel, cave, dungeon, throne, kitchen, crypt
from .outdoors import (
    gate, courtyard, tower_scene, garden, forest, path, river, bridge, lake, village, house, well,
    ruin, field, mountain, shore, boat,
)
from .closeups import fire, water_scene, candle, death, treasure, scroll, key, portrait
from .screens import menu, chooser, indicators, gameover

__all__ = ["VARIANTS", "SCENES", "DECORATIONS", "render", "frame_plan"]

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

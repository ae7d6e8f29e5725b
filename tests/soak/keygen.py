"""Random key scripts in the headless player's format, one step a line.

A script is a list of lines; every line is one step the player takes, so the
shrinker can drop any of them and what is left still parses.
"""

import random

NAMED = [
    "Enter", "Escape", "Space", "Backspace", "Tab", "Delete", "Insert",
    "Up", "Down", "Left", "Right", "Home", "End", "PageUp", "PageDown",
    "CapsLock", "Apps", "NumPlus", "NumMinus", "NumMultiply", "NumDivide", "Control",
] + ["F%d" % i for i in range(1, 13)]
LATIN = "abcdefghijklmnopqrstuvwxyz"
CYRILLIC = "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"
DIGITS = "0123456789"
# Characters `type` can press: letters, digits and the US layout's punctuation.
TYPEABLE = (LATIN + LATIN.upper() + CYRILLIC + CYRILLIC.upper() + DIGITS +
            " !@#$%^&*()-_=+[]{};:'\",.<>/?`~\\")
MODIFIER_SETS = ["Ctrl+", "Alt+", "Shift+", "Ctrl+Shift+", "Ctrl+Alt+", "Alt+Shift+",
                 "Ctrl+Alt+Shift+"]


class KeyGenerator:
    """Steps weighted towards what walks deep into menus and waits, with the
    rest of the keyboard mixed in so nothing is left out."""

    def __init__(self, rng):
        self.rng = rng
        self.held = []  # keys pressed with `down` and not yet released

    def any_key(self):
        r = self.rng.random()
        if r < 0.5:
            return self.rng.choice(NAMED)
        if r < 0.7:
            return self.rng.choice(LATIN)
        if r < 0.85:
            return self.rng.choice(CYRILLIC)
        return self.rng.choice(DIGITS)

    def maybe_modified(self, key, chance):
        if self.rng.random() < chance:
            return self.rng.choice(MODIFIER_SETS) + key
        return key

    def typed_text(self):
        n = self.rng.randint(1, 12)
        text = "".join(self.rng.choice(TYPEABLE) for _ in range(n))
        # The line is trimmed: a text that ends in a space would lose it, and
        # one of spaces only would be no text at all.
        return text.rstrip(" ") or "x"

    def step(self):
        """One or more lines: a burst repeats a key, a held key may be pressed."""
        rng = self.rng
        r = rng.random()
        if r < 0.22:
            lines = [rng.choice(["Down", "Up"])] * rng.choice([1, 1, 1, 2, 3, 5])
        elif r < 0.32:
            lines = ["Enter"]
        elif r < 0.37:
            lines = ["Escape"]
        elif r < 0.52:
            lines = [rng.choice(DIGITS[1:6] + DIGITS)]
        elif r < 0.57:
            lines = [rng.choice(["Left", "Right", "Home", "End", "PageUp", "PageDown", "Space",
                                 "Backspace", "Tab"])]
        elif r < 0.60:
            lines = [rng.choice(["F1", "F2", "F3"])]
        elif r < 0.63:
            lines = ["Alt+" + rng.choice(DIGITS)]  # set a menu bookmark
        elif r < 0.66:
            lines = ["Ctrl+" + rng.choice(DIGITS)]  # go to a bookmark
        elif r < 0.68:
            lines = ["Ctrl+Shift+" + rng.choice(DIGITS)]  # go to a bookmark and act
        elif r < 0.70:
            lines = ["Ctrl+" + rng.choice(["M", "NumPlus", "NumMinus", "NumMultiply",
                                            "NumDivide"])]
        elif r < 0.75:
            lines = [self.maybe_modified(self.any_key(), 0.3)]
        elif r < 0.78:
            lines = [self.maybe_modified(rng.choice(LATIN + CYRILLIC), 0.2)]
        elif r < 0.81:
            lines = ["type " + self.typed_text()]
        elif r < 0.89:
            lines = ["wait " + str(self.wait_ms())]
        elif r < 0.93:
            lines = self.held_step()
        elif r < 0.97:
            lines = self.rounds()
        else:
            # A menu walk: a few moves, then a choice.
            lines = [rng.choice(["Down", "Up"]) for _ in range(rng.randint(0, 4))]
            lines.append(rng.choice(["Enter", rng.choice(DIGITS[1:6])]))
        # A step marked '!' arrives before the program settles, in the middle of
        # whatever it is doing (a wait, a page, speech).
        return [("!" + l if rng.random() < 0.06 else l) for l in lines]

    def rounds(self):
        """A short figure played over and over: faults that need several rounds
        of the same menu (blocks built anew each time) show up only so."""
        rng = self.rng
        figure = []
        for _ in range(rng.randint(2, 4)):
            figure.append(rng.choice([
                rng.choice(DIGITS), rng.choice(DIGITS[1:4]), "Enter", "Escape", "Escape",
                "Down", "Up", "Space", "wait 100", "Alt+" + rng.choice(DIGITS),
                "Ctrl+" + rng.choice(DIGITS), "Ctrl+Shift+" + rng.choice(DIGITS)]))
        return figure * rng.randint(3, 12)

    def wait_ms(self):
        r = self.rng.random()
        if r < 0.5:
            return self.rng.choice([0, 50, 100, 100, 200, 300])
        if r < 0.9:
            return self.rng.randint(0, 20) * 100
        if r < 0.99:
            return self.rng.randint(0, 6000)
        return self.rng.choice([60000, 600000, 999999999])  # the player walked away

    def held_step(self):
        rng = self.rng
        if self.held and rng.random() < 0.5:
            key = self.held.pop(rng.randrange(len(self.held)))
            return ["up " + key]
        if self.held and rng.random() < 0.3:
            # Auto-repeat: a held key goes down again without coming up.
            return ["down " + rng.choice(self.held)] * rng.randint(1, 4)
        if rng.random() < 0.15:
            return ["up " + self.maybe_modified(self.any_key(), 0.2)]  # never pressed
        key = rng.choice(["Escape", "Enter", "Down", "Up", "Space", rng.choice(DIGITS),
                          "Alt+" + rng.choice(DIGITS), "Ctrl+" + rng.choice(DIGITS),
                          self.any_key()])
        self.held.append(key)
        return ["down " + key]

    def script(self, keys):
        lines = []
        while len(lines) < keys:
            lines.extend(self.step())
        del lines[keys:]
        return lines


def generate(seed, keys):
    return KeyGenerator(random.Random("keys-" + seed)).script(keys)


def format_script(lines, header=()):
    return "".join("# %s\n" % h for h in header) + "".join(l + "\n" for l in lines)

"""Hostile game roots, the same for the same seed.

Plain key-line files in code page 1251 with CR LF: several maps whose screens
sit on a grid with exits of every kind, objects shown and hidden, commands,
intros with every page directive, and scripts that call each other, change
maps, wait for keys, kill the hero and leave to the menu.
"""

import os
import random

WORDS = ("ключ дверь камень свиток меч лампа сундук стол окно кот ворон зеркало "
         "монета книга кувшин верёвка факел посох ёж щит").split()
PLACES = ("Ворота Двор Сад Башня Подвал Зал Кухня Колодец Мост Лес Поле Пещера "
          "Грот Чердак Лестница").split()
PHRASES = ("Ветер воет. Тихо. Что-то скрипнуло. Ты слышишь шаги. Пахнет сыростью. "
           "Здесь темно. Свет мерцает.").split(". ")
DIRECTIONS = ["n", "s", "e", "w", "север", "юг", "восток", "запад", "вверх", ""]
TINY_GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01"
            b"\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
TINY_WAV = (b"RIFF$\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00"
            b"\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00")


def escape(text):
    """A value as the key-line files hold it: backslashes doubled, lines as \\n."""
    return text.replace("\\", "\\\\").replace("\r\n", "\\n").replace("\n", "\\n")


class KeyFile:
    def __init__(self):
        self.lines = []

    def put(self, key, value):
        self.lines.append("%s=%s" % (key, value))

    def text(self, key, value):
        self.put(key, escape(value))

    def messages(self, key, items):
        self.put(key + "Cnt", len(items))
        for i, item in enumerate(items):
            self.text(key + str(i), item)

    def data(self):
        return ("\r\n".join(self.lines) + "\r\n").encode("cp1251")


class ProjectGenerator:
    def __init__(self, rng):
        self.rng = rng

    # Small pieces.

    def phrase(self):
        return self.rng.choice(PHRASES).strip(".") + "."

    def phrases(self, low, high):
        return [self.phrase() for _ in range(self.rng.randint(low, high))]

    def small(self, low=-2, high=6):
        r = self.rng.random()
        if r < 0.9:
            return self.rng.randint(low, high)
        return self.rng.choice([0, -1, 99, 2147483647, -2147483648])

    def number_text(self, low=-2, high=6):
        if self.rng.random() < 0.05:
            return self.rng.choice(["", "x", "1x", "99999999999", "-"])
        return str(self.small(low, high))

    def ticks_text(self):
        r = self.rng.random()
        if r < 0.9:
            return str(self.rng.randint(-2, 30))
        return self.rng.choice(["", "x", "99999999999", "-2147483648", "2147483647", "-"])

    # Scripts.

    def object_name(self, m):
        if self.rng.random() < 0.08:
            return self.rng.choice(["нет_такого", "", "КЛЮЧ"])
        return self.rng.choice(m["objects"])["Title"] if m["objects"] else "ничто"

    def screen_title(self, m):
        if self.rng.random() < 0.1:
            return "Нигде"
        return self.rng.choice(m["screens"])["Title"]

    def statement(self, m):
        rng = self.rng
        kind = rng.choice([
            "show", "show", "hide", "hide", "takeable", "notakeable", "notexam", "setostat",
            "drop", "take", "open", "close", "frame", "pic", "state", "anykey", "wait",
            "go", "go", "say", "say", "mes", "force", "ifnt", "call", "call", "call",
            "health", "map", "map", "inter", "die", "exit", "snd", "ret", "unknown"])
        if kind in ("show", "hide", "takeable", "notakeable", "notexam", "drop", "take"):
            return "%s %s" % (kind, self.object_name(m))
        if kind == "setostat":
            return "setostat %s %s" % (self.object_name(m), self.number_text(-1, 4))
        if kind in ("open", "close"):
            return "%s %s" % (kind, rng.choice(DIRECTIONS))
        if kind in ("frame", "state", "mes", "force", "call"):
            return "%s %s" % (kind, self.number_text(-1, 5))
        if kind in ("pic", "anykey", "wait", "exit", "ret"):
            return kind
        if kind == "go":
            return "go " + self.screen_title(m)
        if kind == "say":
            return "say " + self.phrase()
        if kind == "ifnt":
            return "ifnt %s %s" % (self.number_text(0, 5), self.statement(m))
        if kind == "health":
            return "health %d" % rng.choice([-1, -3, -20, 1, 5, -2147483647, 2147483647])
        if kind == "map":
            return "map %s" % rng.choice([str(i) for i in range(m["maps"])] +
                                         [str(m["maps"]), "-1", "x", "99"])
        if kind == "inter":
            return "inter %s" % self.number_text(0, m["intros"] + 1)
        if kind == "die":
            return "die %s %s" % (self.number_text(0, 3), self.number_text(-1, 2))
        if kind == "snd":
            return "snd " + rng.choice(["chimes.wav", "нет.wav", "..\\..\\x.wav", "", "show.wav"])
        return rng.choice(["прыгни", "if", "else", "endif", "   ", "#"])

    def condition(self, m):
        rng = self.rng
        kind = rng.choice(["done", "curss", "ostat", "going", "carry", "never"])
        if kind in ("done", "curss", "going"):
            return "%s %s" % (kind, self.number_text(-1, 5))
        if kind == "ostat":
            return "ostat %s %s" % (self.object_name(m), self.number_text(-1, 3))
        if kind == "carry":
            return "carry " + self.object_name(m)
        return "never"

    def script_lines(self, m, depth=0):
        rng = self.rng
        lines = []
        for _ in range(rng.randint(1, 5)):
            if depth < 3 and rng.random() < 0.2:
                lines.append("if " + self.condition(m))
                # Block words count only at the first column: indented ones are plain lines.
                indent = "  " if rng.random() < 0.2 else ""
                lines += [indent + l for l in self.script_lines(m, depth + 1)]
                if rng.random() < 0.4:
                    lines.append("else")
                    lines += self.script_lines(m, depth + 1)
                if rng.random() < 0.93:
                    lines.append("endif")  # a block left open stops the script
            else:
                lines.append(self.statement(m))
        return lines

    def script(self, m, chance=1.0):
        if self.rng.random() >= chance:
            return ""
        return "\n".join(self.script_lines(m))

    # Records.

    def screens(self, count):
        rng = self.rng
        screens = []
        cells = [(x, y) for x in range(-1, 3) for y in range(-1, 3)]
        rng.shuffle(cells)
        for i in range(count):
            x, y = cells[i % len(cells)] if rng.random() < 0.9 else rng.choice(cells)
            if rng.random() < 0.03:
                x = rng.choice([2147483647, -2147483648])
            title = rng.choice(PLACES) + ("" if rng.random() < 0.7 else str(i))
            screens.append({"no": i, "Title": title, "x": x, "y": y})
        return screens

    def exit_value(self, count):
        r = self.rng.random()
        if r < 0.45:
            return -1  # a neighbour on the grid
        if r < 0.7:
            return -2  # no way
        if r < 0.95:
            return self.rng.randrange(count)
        return self.rng.choice([count, 99, -3, 2147483647])

    def fill_map(self, m, index):
        rng = self.rng
        f = KeyFile()
        f.text("MapTitle", "Карта %d" % (index + 1))
        f.text("MapAuthor", "Генератор")
        f.text("MapFirstMessage", self.phrase() if rng.random() < 0.9 else "")
        f.put("MapStartScr", self.small(0, len(m["screens"]) - 1))
        f.put("MapScrCount", len(m["screens"]))
        for i, s in enumerate(m["screens"]):
            k = "Scr%d" % i
            f.put(k + "no", s["no"])
            f.text(k + "Title", s["Title"])
            f.put(k + "x", s["x"])
            f.put(k + "y", s["y"])
            f.messages(k + "Descr", self.phrases(0, 3))
            f.put(k + "DescrOnState", rng.choice([0, 0, 1]))
            for d in "NSEW":
                f.put(k + {"N": "North", "S": "South", "E": "East", "W": "West"}[d],
                      self.exit_value(len(m["screens"])))
                if rng.random() < 0.15:
                    f.text(k + "Alt" + d, "К " + rng.choice(PLACES).lower())
            if rng.random() < 0.15:
                f.text(k + "DieOnRest", "Ты уснул навсегда.")
            if rng.random() < 0.4:
                f.messages(k + "RestMessage", self.phrases(1, 2))
            f.messages(k + "Messages", self.phrases(0, 4))
            # Scripts call each other by number: loops and deep chains.
            f.messages(k + "Scripts", [self.script(m) for _ in range(rng.randint(0, 5))])
            for event, chance in (("OnAnyAct", 0.25), ("OnRest", 0.3), ("OnGo", 0.25),
                                  ("OnSpeak", 0.2), ("OnEnter", 0.45)):
                text = self.script(m, chance)
                if text:
                    f.text(k + event, text)
            if rng.random() < 0.1:
                f.put(k + "State", self.small())
                f.put(k + "ScrFrame", self.small(0, 3))
        f.put("MapObjCount", len(m["objects"]))
        for i, o in enumerate(m["objects"]):
            k = "Obj%d" % i
            f.put(k + "no", o["no"])
            f.text(k + "Title", o["Title"])
            f.put(k + "ScrWhere", rng.choice([rng.randrange(len(m["screens"]))] * 6 +
                                             [-1, -1, -2, 57]))
            f.put(k + "Visible", rng.choice([1, 1, 1, 0]))
            f.put(k + "Takable", rng.choice([1, 1, 0]))
            f.put(k + "Weight", rng.choice([1, 2, 5, 30, 60, 101, 0, -5]))
            f.messages(k + "Descr", self.phrases(0, 3))
            f.put(k + "DescrOnState", rng.choice([0, 1]))
            if rng.random() < 0.1:
                f.put(k + "NotExam", 1)
            if rng.random() < 0.15:
                f.put(k + "State", self.small(0, 3))
            for event, chance in (("OnExam", 0.35), ("OnDrop", 0.25), ("OnTake", 0.3)):
                text = self.script(m, chance)
                if text:
                    f.text(k + event, text)
        f.put("MapCmdCount", len(m["commands"]))
        numbers = [o["no"] for o in m["objects"]] or [0]
        for i in range(len(m["commands"])):
            k = "Cmd%d" % i
            f.put(k + "no", i + 1 if rng.random() < 0.9 else rng.choice([0, 1, 99]))
            f.text(k + "Title", rng.choice(["Открыть", "Сломать", "Зажечь", "Прочесть", "Бросить"]))
            f.put(k + "cScr", rng.choice([-2, -2, -1] + list(range(len(m["screens"])))))
            first = rng.choice(numbers)
            f.put(k + "cObj1", first)
            f.put(k + "cObj2", first if rng.random() < 0.4 else rng.choice(numbers + [77]))
            f.put(k + "cObj1Carry", rng.choice([0, 1]))
            f.put(k + "cObj2Carry", rng.choice([0, 0, 1]))
            f.put(k + "MaxOnce", rng.choice([1, 1, 2, 5, 0, 2147483647]))
            f.put(k + "Enabled", rng.choice([1, 1, 1, 0]))
            f.text(k + "Message", self.phrase())
            f.text(k + "list->Text", self.script(m) + "\n")
        return f.data()

    def intro(self):
        rng = self.rng
        lines = []
        for _ in range(rng.randint(1, 8)):
            r = rng.random()
            if r < 0.35:
                lines.append(self.phrase())
            elif r < 0.5:
                lines.append("#page %s" % self.ticks_text())
            elif r < 0.62:
                lines.append("#wait %s" % self.ticks_text())
            elif r < 0.72:
                lines.append("#image " + rng.choice(["intro.gif", "0.gif", "нет.gif", "..\\x.gif", ""]))
            elif r < 0.8:
                lines.append("#play " + rng.choice(["map1.mid", "menu.mid", "нет.mid", ""]))
            elif r < 0.87:
                lines.append("#snd " + rng.choice(["chimes.wav", "show.wav", "нет.wav"]))
            elif r < 0.94:
                lines.append("#vol %s" % self.number_text(-10, 120))
            else:
                lines.append(rng.choice(["#", "#page", "#wait", "#PAGE 1", "#неизвестно 3", "##"]))
        return "\n".join(lines)

    def game_file(self, intros):
        rng = self.rng
        f = KeyFile()
        f.put("GameInitHealth", rng.choice([1, 3, 5, 12, 50, 100, 0, -1]))
        f.put("GameGoDecHealth", rng.choice([0, 1, 2, 3]))
        f.put("GameRestIncHealth", rng.choice([0, 2, 5, 200]))
        f.put("GameRestDecHealth", rng.choice([0, 1, 3, 10]))
        for name in ("NotInter", "NotExam", "Death", "Ok", "ITake", "IDrop", "NoTake", "NoDrop",
                     "NoSpeak", "NoGo", "IHaveNot", "ICant", "ICantTake", "TooHavy", "StdRest",
                     "LongRest"):
            f.messages("Game" + name, self.phrases(0 if rng.random() < 0.2 else 1, 3))
        f.messages("GameIntros", intros)
        return f.data()

    # Saved games lying in the root before the first key: slots to load, and
    # the state of maps left earlier, read again on the way back.

    def save_file(self, path, name, keys):
        folder = os.path.join(path, "Saves")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), "wb") as out:
            out.write(keys.data())

    def saved_map(self, m, index, path):
        rng = self.rng
        for prefix in rng.sample(["1-", "2-", "3-", "cur-"], rng.randint(1, 2)):
            f = KeyFile()
            f.put("Mapglob_forced", self.small(0, 4))
            f.put("Mapglob_goingto", self.small(-1, 4))
            f.put("Mapglob_waited_act", self.small(0, 4))
            f.text("Mapglob_waited_act_cmd", self.script(m, 0.5))
            for kind, records, fields in (
                    ("Scr", m["screens"], ("State", "ScrFrame", "Descr.notfirst", "North", "South",
                                           "East", "West")),
                    ("Obj", m["objects"], ("NotExam", "State", "ScrWhere", "Takable", "Visible",
                                           "Weight")),
                    ("Cmd", m["commands"], ("used", "Enabled"))):
                count = len(records)
                if rng.random() < 0.1:
                    count = rng.choice([0, count + 1, 2147483647, -1])
                f.put("Map%sCount" % kind, count)
                for i in range(min(len(records), max(count, 0))):
                    for field in fields:
                        if rng.random() < 0.9:
                            f.put("%s%d%s" % (kind, i, field), self.small(-2, len(m["screens"])))
            self.save_file(path, "%smap%d.ini" % (prefix, index + 1), f)

    def saved_heroes(self, path, screens):
        rng = self.rng
        for slot in rng.sample(range(1, 6), rng.randint(1, 3)):
            f = KeyFile()
            f.put("HeroHealth", rng.choice([1, 10, 0, -5, 2147483647]))
            f.put("HeroBagFull", rng.choice([0, 5, 100, -1]))
            f.put("HeroLevel", self.small(0, 5))
            f.put("HeroCurScrNo", self.small(0, screens - 1))
            f.put("HerofRest", rng.choice([0, 1]))
            f.text("HeroLastMessage", self.phrase())
            self.save_file(path, "%d-game.ini" % slot, f)

    def root(self, path):
        rng = self.rng
        maps = rng.randint(2, 4)
        project = os.path.join(path, "Projects", "Default")
        os.makedirs(os.path.join(project, "gif"))
        os.makedirs(os.path.join(path, "gif"))
        os.makedirs(os.path.join(path, "Media"))
        intros = [self.intro() for _ in range(rng.randint(0, 4))]
        if not intros and rng.random() < 0.5:
            intros = [""]
        max_screens = 0
        for index in range(maps):
            screens = self.screens(rng.randint(1, 8))
            max_screens = max(max_screens, len(screens))
            names = rng.sample(WORDS, rng.randint(0, 7))
            if names and rng.random() < 0.2:
                names.append(names[0])  # two objects with one name
            objects = [{"no": i if rng.random() < 0.95 else i + 40, "Title": n}
                       for i, n in enumerate(names)]
            m = {"screens": screens, "objects": objects,
                 "commands": range(rng.randint(0, 6)), "maps": maps, "intros": len(intros)}
            if rng.random() < 0.4:
                self.saved_map(m, index, path)
            if index > 0 and rng.random() < 0.1:
                continue  # a map the scripts name but no file holds
            with open(os.path.join(project, "map%d.ini" % (index + 1)), "wb") as out:
                out.write(self.fill_map(m, index))
        if rng.random() < 0.4:
            self.saved_heroes(path, max(len(m["screens"]), 1))
        with open(os.path.join(project, "game.ini"), "wb") as out:
            out.write(self.game_file(intros))
        menus = {"menu.txt": ["Новая игра", "Загрузить игру", "Инструкция", "Вступление",
                              "Об авторах", "Выход"],
                 "gmenu.txt": ["Первая", "Вторая", "Третья", "Четвертая", "Пятая", "Назад"]}
        for name, lines in menus.items():
            if rng.random() < 0.2:
                lines = lines[:rng.randint(0, len(lines))]
            elif rng.random() < 0.2:
                lines = lines + self.phrases(1, 5)
            with open(os.path.join(project, name), "wb") as out:
                out.write("\r\n".join(lines).encode("cp1251"))
        with open(os.path.join(path, "instruct.txt"), "wb") as out:
            out.write("\r\n".join(self.phrases(0, 6)).encode("cp1251"))
        for name in ("gameover", "menu", "gmenu", "indi"):
            with open(os.path.join(path, "gif", name + ".gif"), "wb") as out:
                out.write(TINY_GIF)
        pictures = ["intro.gif", "d0.gif", "d1.gif"]
        for n in range(max_screens):
            pictures.append("%d.gif" % n)
            if rng.random() < 0.3:
                pictures.append("%d-1.gif" % n)
        for name in pictures:
            with open(os.path.join(project, "gif", name), "wb") as out:
                out.write(TINY_GIF)
        for name in ("chimes.wav", "show.wav", "start.wav", "recycle.wav"):
            with open(os.path.join(path, "Media", name), "wb") as out:
                out.write(TINY_WAV)
        for name in ("map1.mid", "menu.mid"):
            with open(os.path.join(project, name), "wb") as out:
                out.write(b"MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60")


def generate(seed, path):
    """Writes the game root of `seed` into the empty or missing folder `path`."""
    ProjectGenerator(random.Random("project-" + seed)).root(path)

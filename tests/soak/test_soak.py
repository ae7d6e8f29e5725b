"""Checks of the soak's own parts: reading sanitizer reports, shrinking,
and the generators' output. `scripts/soak --self-test` runs them."""

import os
import re
import shutil
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import keygen  # noqa: E402
import projgen  # noqa: E402
from runner import classify  # noqa: E402
from shrink import Shrinker, simpler  # noqa: E402


def fixture(name):
    with open(os.path.join(HERE, "fixtures", name), encoding="utf-8") as f:
        return f.read()


class Reports(unittest.TestCase):
    def test_use_after_free_names_the_access_not_the_free(self):
        self.assertEqual(classify(-6, fixture("asan-use-after-free.txt"), False, False),
                         ("heap-use-after-free", "operator() (src/shell/action_menu.cpp:237)"))

    def test_undefined_behaviour_is_placed_in_our_code(self):
        self.assertEqual(classify(1, fixture("ubsan-invalid-bool.txt"), False, False),
                         ("runtime error: load of value N, which is not a valid value for type "
                          "'bool'", "velmora::shell::TForm1::BuildGameBlocks (src/shell/slots.cpp:11)"))

    def test_a_leak_is_placed_where_it_was_allocated(self):
        self.assertEqual(classify(-6, fixture("lsan-leak.txt"), False, False),
                         ("memory leak", "Keep (src/leak.cpp:5)"))

    def test_an_uncaught_exception_says_its_type_not_the_abort(self):
        self.assertEqual(classify(-6, fixture("uncaught-exception.txt"), False, False),
                         ("uncaught std::runtime_error", "Throw (src/leak.cpp:7)"))

    def test_a_wild_read_is_a_segv(self):
        self.assertEqual(classify(-6, fixture("asan-segv.txt"), False, False),
                         ("SEGV", "main (src/leak.cpp:12)"))

    def test_hangs_signals_and_exit_statuses(self):
        self.assertEqual(classify(-9, "", True, False, speaking=True), ("hang, still speaking", ""))
        self.assertEqual(classify(-9, "", True, False), ("hang, silent", ""))
        self.assertEqual(classify(-11, "", False, False), ("signal SIGSEGV", ""))
        self.assertEqual(classify(3, "", False, False), ("exit status 3", ""))

    def test_a_clean_run_and_notes_on_stderr_are_no_failure(self):
        self.assertIsNone(classify(0, "velmora: одно действие ...; оно остановлено\n", False, False))


class Shrinking(unittest.TestCase):
    def shrink(self, lines, fails, jobs=2):
        return Shrinker(fails, jobs, time.monotonic() + 60).shrink(lines)

    def test_the_steps_a_failure_needs_are_all_that_is_left(self):
        lines = keygen.generate("shrink-1", 3000)
        lines[700], lines[2100] = "Alt+3", "!Ctrl+Shift+3"

        def fails(ls):
            # Fails when a bookmark is set and later used, with nothing typed between.
            try:
                at = ls.index("Alt+3")
            except ValueError:
                return False
            return any(l.endswith("Ctrl+Shift+3") for l in ls[at:])
        self.assertEqual(self.shrink(lines, fails), ["Alt+3", "Ctrl+Shift+3"])

    def test_the_result_does_not_depend_on_the_number_of_jobs(self):
        lines = keygen.generate("shrink-2", 500)

        def fails(ls):
            return sum(1 for l in ls if l.startswith("wait")) >= 3 and "Enter" in ls
        self.assertEqual(self.shrink(lines, fails, 1), self.shrink(lines, fails, 3))

    def test_a_game_that_fails_by_itself_needs_no_keys(self):
        self.assertEqual(self.shrink(["Enter", "Down"], lambda ls: True), [])

    def test_steps_get_plainer(self):
        self.assertEqual(simpler("!wait 3000"), ["wait 3000"])
        self.assertEqual(simpler("wait 3000"), ["wait 100", "wait 1500"])
        self.assertEqual(simpler("Ctrl+Shift+4"), ["4", "Ctrl+4", "Shift+4"])
        self.assertEqual(simpler("type abcd"), ["type ab", "type cd"])
        self.assertEqual(simpler("Enter"), [])


# The key-script grammar of the headless player, as the generator uses it.
KEY = r"(?:(?:Ctrl|Alt|Shift)\+)*(?:%s|[a-zA-Zа-яё0-9])" % "|".join(keygen.NAMED)
STEP = re.compile(r"^!?(?:type .*\S|wait \d{1,9}|(?:down|up) %s|%s)$" % (KEY, KEY))


class KeyScripts(unittest.TestCase):
    def test_the_same_seed_gives_the_same_script_and_a_longer_one_goes_on_from_it(self):
        self.assertEqual(keygen.generate("7-3", 2000), keygen.generate("7-3", 2000))
        self.assertEqual(keygen.generate("7-3", 5000)[:2000], keygen.generate("7-3", 2000))
        self.assertNotEqual(keygen.generate("7-3", 2000), keygen.generate("7-4", 2000))

    def test_every_step_is_one_the_player_reads(self):
        for line in keygen.generate("grammar", 50000):
            self.assertRegex(line, STEP)
            self.assertFalse(line.endswith(" "), line)

    def test_every_key_and_kind_of_step_comes_up(self):
        lines = set(keygen.generate("coverage", 200000))
        bare = {l.lstrip("!") for l in lines}
        for key in keygen.NAMED + list(keygen.LATIN + keygen.CYRILLIC + keygen.DIGITS):
            self.assertTrue(any(l == key or l.endswith("+" + key) or l.endswith(" " + key)
                                for l in bare), key)
        for digit in keygen.DIGITS:
            for bookmark in ("Alt+", "Ctrl+", "Ctrl+Shift+"):
                self.assertIn(bookmark + digit, bare)
        for prefix in ("down ", "up ", "type ", "wait ", "!"):
            self.assertTrue(any(l.startswith(prefix) for l in lines), prefix)


class Projects(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="soak-test-")

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def tree(self, seed):
        path = tempfile.mkdtemp(dir=self.tmp)
        projgen.generate(seed, path)
        files = {}
        for folder, _, names in os.walk(path):
            for name in names:
                full = os.path.join(folder, name)
                with open(full, "rb") as f:
                    files[os.path.relpath(full, path)] = f.read()
        return files

    def test_the_same_seed_gives_the_same_project(self):
        self.assertEqual(self.tree("5-1"), self.tree("5-1"))
        self.assertNotEqual(self.tree("5-1"), self.tree("5-2"))

    def test_key_line_files_are_plain_code_page_1251_with_cr_lf(self):
        files = self.tree("5-3")
        self.assertIn("Projects/Default/game.ini", files)
        self.assertIn("Projects/Default/map1.ini", files)
        for name, data in files.items():
            if not name.endswith(".ini"):
                continue
            text = data.decode("cp1251")
            self.assertTrue(text.endswith("\r\n"), name)
            for line in text.split("\r\n")[:-1]:
                self.assertNotIn("\n", line)
                self.assertRegex(line, r"^[A-Za-z][\w>-]*=", name)
            if "/map" in name:
                # The counts the player reads name the records that follow.
                count = int(re.search(r"^MapScrCount=(\d+)", text, re.M).group(1))
                self.assertEqual(len(re.findall(r"^Scr\d+no=", text, re.M)), count)
                count = int(re.search(r"^MapObjCount=(\d+)", text, re.M).group(1))
                self.assertEqual(len(re.findall(r"^Obj\d+no=", text, re.M)), count)
        self.assertIn("GameIntrosCnt=", files["Projects/Default/game.ini"].decode("cp1251"))

    def test_the_hostile_parts_all_come_up(self):
        text = ""
        for n in range(12):
            for name, data in self.tree("6-%d" % n).items():
                if name.endswith(".ini"):
                    text += data.decode("cp1251")
        for directive in ("#page", "#wait", "#image", "#play", "#snd", "#vol"):
            self.assertIn(directive, text)
        for statement in ("call ", "map ", "anykey", "\\nwait", "die ", "show ", "hide ", "go ",
                          "inter ", "exit", "health ", "ifnt ", "force ", "if ", "else", "endif"):
            self.assertIn(statement, text)
        for key in ("OnEnter=", "OnExam=", "OnTake=", "OnAnyAct=", "Scripts0=", "list->Text="):
            self.assertIn(key, text)


if __name__ == "__main__":
    unittest.main()

// The checker on maps that strand a player: exits, objects and commands that
// lead nowhere, and which of those findings fail a strict check.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "check/report.h"
#include "unit/check/check_fixture.h"

namespace velmora::check::test {
namespace {

// Each mistake that strands a player, on its own small project.
TEST_F(CheckTest, DeadEndsAreReported) {
    const auto isolated = [](Lines map) {  // a third screen no way leads to
        map = With(map, "MapScrCount=3");
        for (const char* l :
             {"Scr2no=2", "Scr2x=5", "Scr2y=5", "Scr2Title=Tower", "Scr2DescrCnt=1",
              "Scr2Descr0=T.", "Scr2North=-2", "Scr2South=-2", "Scr2East=-2", "Scr2West=-2"}) {
            map.push_back(l);
        }
        return map;
    };
    const struct {
        const char* what;
        std::function<void()> make;
        Severity severity;
        std::string key;
        std::string part;
    } cases[] = {
        {"a needed object that cannot be taken",
         [&] { Write("map1.ini", With(With(Map1Lines(), "Obj0Takable=0"), "Cmd0cObj1Carry=1")); },
         Severity::Warning, "Obj0Takable", "команда «Open» требует нести предмет «key»"},
        // Gate's OnEnter asks "if carry key".
        {"a carried object a condition asks for that cannot be taken",
         [&] { Map1("Obj0Takable=0"); }, Severity::Warning, "Scr0OnEnter",
         "условие carry key никогда не верно"},
        {"a needed object above the load limit",
         [&] { Write("map1.ini", With(With(Map1Lines(), "Obj0Weight=150"), "Cmd0cObj1Carry=1")); },
         Severity::Warning, "Obj0Weight", "больше предела ноши 100"},
        {"a command on a screen never reached",
         [&] { Write("map1.ini", With(isolated(Map1Lines()), "Cmd0cScr=2")); }, Severity::Warning,
         "Cmd0cScr", "только на экране «Tower», куда игрок не попадёт"},
        {"a command whose second object lies elsewhere",
         [&] {
             Lines map = With(Map1Lines(), "MapObjCount=2");
             for (const char* l : {"Obj1no=1", "Obj1Title=stone", "Obj1ScrWhere=0", "Obj1Visible=1",
                                   "Obj1Takable=0", "Cmd0cObj2=1", "Cmd0cObj2Carry=0"}) {
                 map = With(map, l);
             }
             Write("map1.ini", map);
         },
         Severity::Warning, "Cmd0cObj2", "предмет «stone» лежит на экране номер 0"},
        {"a screen with no way out",
         [&] {
             Lines map = With(With(Map1Lines(), "Scr1South=-2"), "Scr1West=-2");
             map = With(With(map, "Cmd0list->Text=say done"), "Obj0OnTake=show key");
             Write("map1.ini", map);
         },
         Severity::Warning, "Scr1Title", "с экрана «Yard» нет выхода"},
        {"a take whose every line may be skipped",
         [&] { Map1("Obj0OnTake=if curss 1\\nsay x\\nendif"); }, Severity::Warning, "Obj0OnTake",
         "игра молча отменит действие"},
        {"a death with no words", [&] { Map1("Scr0OnEnter=die 0"); }, Severity::Warning,
         "Scr0OnEnter", "die 0: смерть пройдёт без слов"},
        {"the last page never spoken",
         [&] { Write("game.ini", With(GameLines(), "GameIntros0=A.\\n#page 3\\nB.")); },
         Severity::Warning, "GameIntros0", "текст со строки 3 не кончается строкой #page"},
        {"a state past the descriptions",
         [&] {
             Write("map1.ini",
                   With(With(Map1Lines(), "Scr0DescrOnState=1"), "Scr0OnEnter=state 3"));
         },
         Severity::Warning, "Scr0OnEnter", "игрок услышит «Экран: Gate 0»"},
        {"health the first move uses up",
         [&] { Write("game.ini", With(GameLines(), "GameGoDecHealth=10")); }, Severity::Error,
         "GameGoDecHealth", "погибнет на первом же шаге"},
        {"no main menu text", [&] { std::filesystem::remove(dir.path() / "menu.txt"); },
         Severity::Warning, "", "главное меню скажет только свой заголовок"},
        {"a menu text in 1251 with a line in UTF-8",
         [&] { dir.Write("gmenu.txt", Ru("Первая") + "\r\nВторая игра\r\n"); }, Severity::Error,
         "", "строка 2 в UTF-8"},
        {"a misspelled screen key", [&] { Map1("Scr1OnEntr=say x"); }, Severity::Warning,
         "Scr1OnEntr", "может быть, Scr1OnEnter?"},
        {"a misspelled object key", [&] { Map1("Obj0Wieght=2"); }, Severity::Warning, "Obj0Wieght",
         "может быть, Obj0Weight?"},
        {"words after a condition",
         [&] { Map1("Scr0OnEnter=if carry key and carry lamp\\nsay x\\nendif"); },
         Severity::Warning, "Scr0OnEnter",
         "игра пропускает «and carry lamp»: условие carry читает только 1 слово"},
        {"words after a statement", [&] { Map1("Scr0OnEnter=show key door"); }, Severity::Warning,
         "Scr0OnEnter", "игра пропускает «door»: show читает только 1 слово"},
        {"a misspelled statement", [&] { Map1("Scr0OnEnter=opne n"); }, Severity::Warning,
         "Scr0OnEnter", "(может быть, «open»?)"},
        {"a misspelled screen", [&] { Map1("Scr0OnEnter=go Yrad"); }, Severity::Warning,
         "Scr0OnEnter", "(может быть, «Yard»?)"},
        {"a title with a space",
         [&] {
             Write("map1.ini",
                   With(With(Map1Lines(), "Scr1Title=Old yard"), "Scr0OnEnter=go Old yard"));
         },
         Severity::Warning, "Scr0OnEnter",
         "название «Old yard» с пробелом скрипт назвать не может"},
    };
    for (const auto& c : cases) {
        SetUp();  // the clean project again
        c.make();
        const Report report = Run();
        EXPECT_TRUE(Has(report, c.severity, c.key, c.part)) << c.what << "\n" << Text(report);
    }
}

TEST_F(CheckTest, ExitsObjectsAndCommandsLeadToWhatExists) {
    Lines map = Map1Lines();
    map = With(map, "Scr0East=5");
    map = With(map, "Scr1x=1");  // Yard now stands beside Gate...
    map = With(map, "Scr1y=0");
    map = With(map, "Scr1West=-1");
    map.push_back("Scr1OnGo=say x");
    map = With(map, "MapScrCount=3");  // ...and a third screen on Gate's cell
    for (const char* l : {"Scr2no=1", "Scr2x=0", "Scr2y=0", "Scr2Title=Moat", "Scr2North=-2",
                          "Scr2South=-2", "Scr2East=-2"}) {
        map.push_back(l);
    }
    map = With(map, "Obj0ScrWhere=9");
    map = With(map, "Cmd0cObj1=7");
    map = With(map, "Cmd0cScr=-1");
    map = With(map, "Obj0Visible=0");  // and no script shows it
    map = With(map, "Obj0OnTake=say x");
    Write("map1.ini", map);
    const Report report = Run();
    EXPECT_TRUE(Has(report, Severity::Error, "Scr0East",
                    "выход ведёт на экран 5, а на карте экраны от 0 до 2"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Error, "Scr1West",
                    "клетку (0, 0), где стоят 2 экрана: игра поведёт на «Moat», а не на «Gate»"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, "Scr2x", "стоят в одной клетке (0, 0)"));
    EXPECT_TRUE(Has(report, Severity::Error, "Scr2no", "экран номер 1 не находится по номеру"));
    EXPECT_TRUE(Has(report, Severity::Warning, "Scr2", "нет строк выходов West"));
    EXPECT_TRUE(Has(report, Severity::Error, "Obj0ScrWhere",
                    "лежит на экране номер 9, а такого экрана нет"));
    EXPECT_TRUE(Has(report, Severity::Error, "Cmd0cObj1", "предмета номер 7 нет"));
    EXPECT_TRUE(Has(report, Severity::Warning, "Cmd0cScr", "не работает ни на одном экране"));
    EXPECT_TRUE(Has(report, Severity::Warning, "Scr2Title", "нет картинки gif/2.gif"));
    EXPECT_TRUE(Has(report, Severity::Warning, "Scr2DescrCnt", "нет описаний"));
    EXPECT_TRUE(Has(report, Severity::Warning, "Obj0Visible",
                    "скрыт, и ни один скрипт карты его не показывает"));
    EXPECT_TRUE(report.Failed(false));
}

TEST_F(CheckTest, ScreensNoWayLeadsToAreWarnedAbout) {
    // A third screen beside Yard with no exit leading there.
    Lines map = With(With(Map1Lines(), "MapScrCount=3"), "Obj0OnTake=show key");
    for (const char* l :
         {"Scr2no=2", "Scr2x=1", "Scr2y=1", "Scr2Title=Tower", "Scr2DescrCnt=1", "Scr2Descr0=T.",
          "Scr2North=-2", "Scr2South=-2", "Scr2East=-2", "Scr2West=-1"}) {
        map.push_back(l);
    }
    dir.Write("gif/2.gif", "x");
    Write("map1.ini", map);
    EXPECT_TRUE(Has(Run(), Severity::Warning, "Scr2Title", "на экран «Tower» не ведут"));
    // A script that goes there, or one that may open Yard's east exit, leads there.
    Write("map1.ini", With(map, "Scr1OnEnter=go Tower"));
    EXPECT_EQ(Run().warnings(), 0u);
    Write("map1.ini", With(map, "Obj0OnExam=open e"));
    EXPECT_EQ(Run().warnings(), 0u);
    // The second map is entered where command 0 runs, on Yard: Cellar, then Stairs.
    Write("map2.ini", With(Map2Lines(), "Scr1West=-2"));
    EXPECT_TRUE(Has(Run(), Severity::Warning, "Scr0Title", "на экран «Stairs» не ведут"));
}

// The lines without the one of that name.
Lines Without(Lines lines, const std::string& name) {
    std::erase_if(lines, [&](const std::string& l) { return l.rfind(name + "=", 0) == 0; });
    return lines;
}

// A missing key that reads as 0 is told with what the game then does.
TEST_F(CheckTest, MissingObjectKeysSayWhatTheGameReads) {
    const struct {
        const char* name;
        std::string part;
    } cases[] = {
        {"Obj0ScrWhere", "нет строки: ScrWhere читается как 0, и предмет «key» лежит на экране номер 0"},
        {"Obj0Visible", "нет строки: Visible читается как 0, и предмет «key» скрыт"},
    };
    for (const auto& c : cases) {
        Write("map1.ini", Without(Map1Lines(), c.name));
        const Report report = Run();
        bool found = false;
        for (const Finding& f : report.findings()) {
            found = found || (f.severity == Severity::Warning && f.key == c.name &&
                              f.kind == kind::kKeys && f.problem.find(c.part) != std::string::npos);
        }
        EXPECT_TRUE(found) << c.name << "\n" << Text(report);
    }
}

TEST_F(CheckTest, WarningsFailOnlyWhenStrict) {
    std::filesystem::remove(dir.path() / "menu.mid");
    Map1("Obj0Title=key ring");  // scripts name it "key": not found
    Report report = Run();
    EXPECT_TRUE(Has(report, Severity::Warning, "", "игра пройдёт без музыки главного меню"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, "Obj0OnTake",
                    "(название «key ring» с пробелом скрипт назвать не может)"));
    Map1("Obj0OnTake=");
    Write("map1.ini", With(With(Map1Lines(), "Obj0OnTake="), "Scr0OnEnter=say x"));
    report = Run();
    EXPECT_EQ(report.errors(), 0u) << Text(report);
    EXPECT_EQ(report.warnings(), 1u) << Text(report);
    EXPECT_FALSE(report.Failed(false));
    EXPECT_TRUE(report.Failed(true));
}

// What the checker proves breaks a game fails --strict even when its kind is
// allowed; plain check still passes on warnings alone.
TEST_F(CheckTest, ProvenDeadEndsAndMisspelledKeysFailStrictWhateverIsAllowed) {
    const std::set<std::string> every(WarningKinds().begin(), WarningKinds().end());
    const struct {
        const char* what;
        std::function<void()> make;
        std::string key;
        std::string part;
        bool proven;
    } cases[] = {
        {"a misspelled weight", [&] { Map1("Obj0Wieght=2"); }, "Obj0Wieght",
         "может быть, Obj0Weight?", true},
        {"a show of no object", [&] { Map1("Obj0OnTake=show kye"); }, "Obj0OnTake",
         "предмета «kye» на этой карте нет (может быть, «key»?)", true},
        {"a command's object hidden for good",
         [&] { Write("map1.ini", With(With(Map1Lines(), "Obj0Visible=0"), "Obj0OnTake=say x")); },
         "Obj0Visible", "скрыт, и ни один скрипт карты его не показывает, а команда «Open» без него",
         true},
        {"a command's object that cannot be carried",
         [&] { Write("map1.ini", With(With(Map1Lines(), "Obj0Takable=0"), "Cmd0cObj1Carry=1")); },
         "Obj0Takable", "требует нести предмет «key»", true},
        // Suspicions stay allowable.
        {"a hidden object no command needs",
         [&] {
             Write("map1.ini", With(With(With(Map1Lines(), "Obj0Visible=0"), "Obj0OnTake=say x"),
                                    "Cmd0cObj1=-1"));
         },
         "Obj0Visible", "скрыт, и ни один скрипт карты его не показывает", false},
    };
    for (const auto& c : cases) {
        SetUp();
        c.make();
        const Report report = Run();
        EXPECT_EQ(report.errors(), 0u) << c.what << "\n" << Text(report);
        EXPECT_TRUE(Has(report, Severity::Warning, c.key, c.part)) << c.what << "\n" << Text(report);
        EXPECT_FALSE(report.Failed(false)) << c.what;
        EXPECT_TRUE(report.Failed(true)) << c.what;
        EXPECT_EQ(report.Failed(true, every), c.proven) << c.what << "\n" << Text(report);
    }
}

}  // namespace
}  // namespace velmora::check::test

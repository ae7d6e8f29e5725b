// The checker on scripts: blocks read as the runner scans them, statements
// and what they name, changes of map, and no alarm where the game plays.
#include <gtest/gtest.h>

#include <string>

#include "check/report.h"
#include "unit/check/check_fixture.h"

namespace velmora::check::test {
namespace {

TEST_F(CheckTest, BlocksAreReadAsTheRunnerScansThem) {
    Map1(
        "Scr0OnEnter=If carry key\\nsay A\\nendif\\n"               // 1-3: capital If, stray endif
        "if carry key\\nsay B\\n  else\\nsay C\\nendif\\n"          // 4-8: indented else
        "if carry key\\n  if curss 1\\nsay D\\n  endif\\nendif\\n"  // 9-13: indented inner block
        "if curss 1\\nsay E\\n");                                   // 14-15: no endif
    const Report report = Run();
    const std::string key = "Scr0OnEnter";
    // Lines the game runs as nothing are warnings saying what it will do.
    EXPECT_TRUE(
        Has(report, Severity::Warning, key, "строка 1 «If carry key»: «If» с большой буквы"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, key, "строка 3 «endif»: endif без своего if"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, key, "строка 6 «else»: else с отступом"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Error, key, "строка 10 «if curss 1»: if с отступом"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Error, key, "строка 10 «if curss 1»: блок без endif"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Error, key, "строка 14 «if curss 1»: блок без endif"))
        << Text(report);
    // "else if" is an else: its condition is never read.
    Map1("Scr0OnEnter=if carry key\\nsay A\\nelse if curss 1\\nsay B\\nendif\\nifnt 0 say x");
    const Report elseIf = Run();
    EXPECT_TRUE(Has(elseIf, Severity::Error, key,
                    "строка 3 «else if curss 1»: игра читает эту строку как else"))
        << Text(elseIf);
    EXPECT_TRUE(
        Has(elseIf, Severity::Warning, key, "строка 6 «ifnt 0 say x»: ifnt 0 ничего не ждёт"));
    // Lines after die, exit or ret at the same level never run.
    Map1("Scr0OnEnter=if carry key\\nret\\nsay A\\nsay B\\nendif\\nsay C\\nexit\\n\\nsay D");
    const Report stops = Run();
    EXPECT_TRUE(Has(stops, Severity::Warning, key,
                    "строка 3 «say A»: строка после ret (строка 2) никогда не выполнится"))
        << Text(stops);
    EXPECT_FALSE(Has(stops, Severity::Warning, key, "строка 4 "));
    EXPECT_FALSE(Has(stops, Severity::Warning, key, "строка 6 "));
    EXPECT_TRUE(
        Has(stops, Severity::Warning, key, "строка 9 «say D»: строка после exit (строка 7)"));
    // The runner's nesting limit stops the checker too, with no deep recursion.
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "if curss 1\\nsay x\\n";
    for (int i = 0; i < 5000; ++i) deep += "endif\\n";
    Map1("Scr0OnEnter=" + deep);
    EXPECT_TRUE(Has(Run(), Severity::Error, key, "блоки вложены глубже 64"));
}

TEST_F(CheckTest, StatementsNeedTheirArgumentsAndNameWhatExists) {
    Map1(
        "Scr0OnEnter=sya hi\\ngo Nowhere\\nshow lamp\\ninter 2\\ncall 2\\nmes 3\\nforce 5\\n"
        "map 6\\nsnd missing.wav\\nifnt 99 say x\\nframe 2\\ndie 1 4\\nopen up\\n"
        "setostat key x\\nhealth\\ncarry key\\nifnt 0 sya\\nsay");
    const Report report = Run();
    const std::string key = "Scr0OnEnter";
    // An error only where the game breaks; what it runs as nothing or goes
    // without is a warning of its kind.
    const struct {
        int line;
        Severity severity;
        const char* kind;
        std::string part;
    } expected[] = {
        {1, Severity::Warning, kind::kNothing,
         "неизвестная команда «sya»: игра пропустит строку (может быть, «say»?)"},
        {2, Severity::Warning, kind::kNothing, "экрана «Nowhere» на этой карте нет"},
        {3, Severity::Warning, kind::kNothing, "предмета «lamp» на этой карте нет"},
        {4, Severity::Warning, kind::kNothing, "страниц Intros 1, номера 2 нет"},
        {5, Severity::Warning, kind::kNothing, "скриптов 1, номера 2 нет"},
        {6, Severity::Warning, kind::kNothing, "у экрана «Gate» сообщений 1, номера 3 нет"},
        {7, Severity::Error, kind::kNothing, "скриптов 1, номера 5 нет"},
        {8, Severity::Error, kind::kOther, "нет файла карты map7.ini"},
        {9, Severity::Warning, kind::kNoSound, "нет звукового файла «missing.wav»"},
        {10, Severity::Warning, kind::kOther, "команды номер 99 на этой карте нет"},
        {11, Severity::Warning, kind::kNoPicture, "нет картинки gif/0-2.gif"},
        {12, Severity::Warning, kind::kNoPicture, "нет картинки gif/d4.gif"},
        {13, Severity::Warning, kind::kNothing, "«up» не направление"},
        {14, Severity::Warning, kind::kNothing, "«x» не число"},
        {15, Severity::Warning, kind::kNothing, "не хватает аргументов"},
        {16, Severity::Warning, kind::kNothing, "(условие без if)"},
        {17, Severity::Warning, kind::kNothing, "неизвестная команда «sya»"},
        {18, Severity::Warning, kind::kNothing, "say без текста"},
    };
    for (const auto& e : expected) {
        bool found = false;
        for (const Finding& f : report.findings()) {
            found = found || (f.key == key && f.severity == e.severity &&
                              (e.severity == Severity::Error || f.kind == e.kind) &&
                              f.problem.starts_with("строка " + std::to_string(e.line) + " ") &&
                              f.problem.find(e.part) != std::string::npos);
        }
        EXPECT_TRUE(found) << e.line << " " << e.part << "\n" << Text(report);
    }
    EXPECT_EQ(report.errors(), 2u) << Text(report);
}

TEST_F(CheckTest, MapChangeNeedsTheHerosPositionOnTheOtherMap) {
    Lines map2 = Map2Lines();
    map2 = With(map2, "MapScrCount=1");
    Write("map2.ini", map2);
    // Command 0 runs on Yard (position 1); map2 now has one screen.
    Report report = Run();
    EXPECT_TRUE(Has(
        report, Severity::Error, "Cmd0list->Text",
        "на карте map2.ini экранов 1, а герой стоит на экране 1 («Yard»): игра не сменит карту"))
        << Text(report);
    // On Gate (position 0) it can; after `go Yard` in the same script it cannot.
    Map1("Scr0OnEnter=map 1");
    EXPECT_FALSE(Has(Run(), Severity::Error, "Scr0OnEnter", "строка 1 "));
    Map1("Scr0OnEnter=go Yard\\nmap 1");
    EXPECT_TRUE(Has(Run(), Severity::Error, "Scr0OnEnter",
                    "строка 2 «map 1»: на карте map2.ini экранов 1"));
    // The lines after a change of map act on the new map.
    Map1("Scr0OnEnter=map 1\\ngo Stairs\\nshow key");
    report = Run();
    EXPECT_FALSE(Has(report, Severity::Error, "Scr0OnEnter", "строка 2 ")) << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, "Scr0OnEnter",
                    "строка 3 «show key»: предмета «key» на этой карте нет"));
    // Each branch of a block starts where the hero stood before it.
    Map1("Scr0OnEnter=if carry key\\nmap 1\\ngo Stairs\\nelse\\nmes 1\\nendif\\ngo Stairs");
    report = Run();
    EXPECT_FALSE(Has(report, Severity::Warning, "Scr0OnEnter", "строка 5 ")) << Text(report);
    EXPECT_FALSE(Has(report, Severity::Error, "Scr0OnEnter", "строка 7 ")) << Text(report);
    // An object's script runs wherever the object is carried: only a warning.
    Map1("Obj0OnExam=map 1");
    EXPECT_TRUE(
        Has(Run(), Severity::Warning, "Obj0OnExam", "а герой может стоять здесь на экране до 1"));
}

// Games that play as written: each line is fine on some path the game takes,
// or read by the game as it stands.
TEST_F(CheckTest, NoFalseAlarmOnWhatTheGamePlays) {
    dir.Write("Media/gong.wav", "x");  // a project in the program folder itself
    const struct {
        const char* script;  // Gate's OnEnter
        int line;            // that line gets no error
    } cases[] = {
        // A move in one branch adds a place the hero may be; Gate has script 1.
        {"if carry key\\ngo Yard\\nendif\\ncall 1", 4},
        {"if carry key\\ngo Yard\\nendif\\nforce 1", 4},
        {"if carry key\\ngo Yard\\nelse\\nsay x\\nendif\\nforce 1", 6},
        // A change of map in one branch: the key is still here on the other path.
        {"if carry key\\nmap 1\\nendif\\nhide key", 4},
        // A word where going wants a number reads as -1: no walk under way.
        {"if going нет\\nsay x\\nendif", 1},
        // The program folder's Media holds the sound.
        {"snd gong.wav", 1},
    };
    for (const auto& c : cases) {
        Map1(std::string("Scr0OnEnter=") + c.script);
        const Report report = Run();
        EXPECT_FALSE(
            Has(report, Severity::Error, "Scr0OnEnter", "строка " + std::to_string(c.line) + " "))
            << c.script << "\n"
            << Text(report);
        EXPECT_FALSE(Has(report, Severity::Warning, "Scr0OnEnter", "gong.wav")) << Text(report);
    }
    // Where every path fails, it is still an error.
    Map1("Scr0OnEnter=go Yard\\nforce 1");
    EXPECT_TRUE(Has(Run(), Severity::Error, "Scr0OnEnter", "строка 2 «force 1»: у экрана «Yard»"));
    Map1("Scr0OnEnter=if carry key\\ngo Yard\\nendif\\nforce 1");
    EXPECT_TRUE(Has(Run(), Severity::Warning, "Scr0OnEnter", "(если герой там)"));
}

}  // namespace
}  // namespace velmora::check::test

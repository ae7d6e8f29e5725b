// The checker on small projects written for each case: a clean one that
// passes, then one kind of fault at a time, each reported on its own line.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <random>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "check/check.h"
#include "check/report.h"
#include "unit/test_folder.h"
#include "world/key_lines.h"

namespace velmora::check {
namespace {

using Lines = std::vector<std::string>;

std::string Ru(const std::string& utf8) {
    return base::Utf8ToCp1251(utf8);
}

std::string Join(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The lines with `line` put in place of the line of the same name, or added.
Lines With(Lines lines, const std::string& line) {
    const std::string name = line.substr(0, line.find('=') + 1);
    for (std::string& l : lines) {
        if (l.rfind(name, 0) == 0) {
            l = line;
            return lines;
        }
    }
    lines.push_back(line);
    return lines;
}

Lines GameLines() {
    Lines lines;
    for (const char* list :
         {"NotInter", "NotExam", "Death", "ITake", "IDrop", "NoTake", "NoDrop", "NoSpeak", "NoGo",
          "IHaveNot", "ICant", "ICantTake", "TooHavy", "StdRest", "LongRest"}) {
        lines.push_back(std::string("Game") + list + "Cnt=1");
        lines.push_back(std::string("Game") + list + "0=" + Ru("Текст."));
    }
    lines.push_back("GameIntrosCnt=1");
    lines.push_back("GameIntros0=" + Ru("Давно.") +
                    "\\n#image intro.gif\\n#page 3\\n#snd bell.wav");
    lines.push_back("GameInitHealth=10");
    lines.push_back("GameGoDecHealth=1");
    return lines;
}

Lines Map1Lines() {
    return {
        "MapTitle=Test",
        "MapScrCount=2",
        "Scr0no=0",
        "Scr0x=0",
        "Scr0y=0",
        "Scr0Title=Gate",
        "Scr0DescrCnt=1",
        "Scr0Descr0=Gate.",
        "Scr0North=-1",
        "Scr0South=-2",
        "Scr0East=1",
        "Scr0West=-2",
        "Scr0MessagesCnt=1",
        "Scr0Messages0=" + Ru("Привет."),
        "Scr0ScriptsCnt=1",
        "Scr0Scripts0=say " + Ru("Скрипт."),
        "Scr0OnEnter=if carry key\\nif curss 1\\nsay A\\nsay B\\nendif\\nelse\\nmes 1\\nendif\\n"
        "  if done 0\\ncall 1\\nendif\\nsnd bell.wav",
        "Scr1no=1",
        "Scr1x=0",
        "Scr1y=1",
        "Scr1Title=Yard",
        "Scr1DescrCnt=1",
        "Scr1Descr0=Yard.",
        "Scr1North=-2",
        "Scr1South=-1",
        "Scr1East=-2",
        "Scr1West=0",
        "MapObjCount=1",
        "Obj0no=0",
        "Obj0Title=key",
        "Obj0ScrWhere=0",
        "Obj0Visible=1",
        "Obj0Takable=1",
        "Obj0OnTake=show key\\nopen n\\nclose " + Ru("юг"),
        "MapCmdCount=1",
        "Cmd0no=0",
        "Cmd0Title=Open",
        "Cmd0cScr=1",
        "Cmd0cObj1=0",
        "Cmd0cObj2=0",
        "Cmd0MaxOnce=1",
        "Cmd0Enabled=1",
        "Cmd0list->Text=say done\\nmap 1\\n",
    };
}

Lines Map2Lines() {
    return {
        "MapTitle=Cellar", "MapScrCount=2",      "Scr0no=0",      "Scr0Title=Stairs",
        "Scr0DescrCnt=1",  "Scr0Descr0=Stairs.", "Scr0North=-2",  "Scr0South=-2",
        "Scr0East=1",      "Scr0West=-2",        "Scr1no=1",      "Scr1Title=Cellar",
        "Scr1DescrCnt=1",  "Scr1Descr0=Cellar.", "Scr1North=-2",  "Scr1South=-2",
        "Scr1East=-2",     "Scr1West=0",         "MapObjCount=0", "MapCmdCount=0",
        // The screens show pictures of their own, not map 1's at their places.
        "Scr0OnEnter=frame 1", "Scr1OnEnter=frame 1",
    };
}

class CheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Write("game.ini", GameLines());
        Write("map1.ini", Map1Lines());
        Write("map2.ini", Map2Lines());
        for (const char* file : {"gif/0.gif", "gif/1.gif", "gif/0-1.gif", "gif/1-1.gif",
                                 "gif/intro.gif", "menu.mid", "map1.mid",
                                 "Snd/bell.wav", "menu.txt", "gmenu.txt"}) {
            dir.Write(file, "x");
        }
    }
    void Write(const std::string& name, const Lines& lines) const { dir.Write(name, Join(lines)); }
    void Map1(const std::string& line) const { Write("map1.ini", With(Map1Lines(), line)); }

    Report Run(const std::filesystem::path& media = {}) const {
        Report report;
        CheckProject(dir.path(), report, media);
        return report;
    }

    test::TestFolder dir;
};

std::string Text(const Report& report) {
    std::string text;
    for (const Finding& f : report.findings()) text += Report::Line(f) + "\n";
    return text;
}

// The one finding of that severity and key whose problem holds `part`.
bool Has(const Report& report, Severity severity, const std::string& key, const std::string& part) {
    for (const Finding& f : report.findings()) {
        if (f.severity == severity && f.key == key && f.problem.find(part) != std::string::npos)
            return true;
    }
    return false;
}

TEST_F(CheckTest, CleanProjectPassesInAnySpellingOfItsFiles) {
    Report report = Run();
    EXPECT_EQ(report.errors() + report.warnings(), 0u) << Text(report);
    EXPECT_EQ(report.Summary(), "check: 0 errors, 0 warnings");

    // Scrambled, upper-case names, a GIF folder: found as the game finds them.
    std::filesystem::remove(dir.path() / "map1.ini");
    dir.Write("MAP1.INI", world::Scramble(Join(Map1Lines())));
    std::filesystem::rename(dir.path() / "gif", dir.path() / "GIF");
    std::filesystem::rename(dir.path() / "GIF/0.gif", dir.path() / "GIF/0.GIF");
    report = Run();
    EXPECT_EQ(report.errors() + report.warnings(), 0u) << Text(report);
    EXPECT_FALSE(report.Failed(true));
}

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

// What a hostile file claims never sets the work, and a report never quotes
// a whole huge line.
// A project saved in UTF-8, with or without the mark, scrambled or plain,
// is checked as its 1251 twin: the same findings, the same words.
TEST_F(CheckTest, ProjectInUtf8ChecksAsIts1251Twin) {
    Write("map1.ini", With(With(Map1Lines(), "Scr1Title=" + Ru("Двор")),
                           "Scr0OnEnter=go " + Ru("Двр")));
    dir.Write("menu.txt", Ru("Новая игра\r\nВыход\r\n"));
    const std::string twin = Text(Run());
    ASSERT_NE(twin.find("(может быть, «Двор»?)"), std::string::npos) << twin;
    const std::vector<std::string> files = {"game.ini", "map1.ini", "map2.ini", "menu.txt"};
    std::map<std::string, std::string> bytes;
    for (const std::string& f : files) bytes[f] = dir.Read(f);
    const struct {
        const char* what;
        std::function<std::string(const std::string&)> save;
    } editors[] = {
        {"UTF-8", [](const std::string& b) { return base::Cp1251ToUtf8(b); }},
        {"UTF-8 with the mark", [](const std::string& b) { return "\xEF\xBB\xBF" + base::Cp1251ToUtf8(b); }},
        {"UTF-8 scrambled", [](const std::string& b) { return world::Scramble(base::Cp1251ToUtf8(b)); }},
    };
    for (const auto& e : editors) {
        for (const std::string& f : files) {
            const bool keyLines = f.ends_with(".ini");
            dir.Write(f, keyLines || std::string(e.what) != "UTF-8 scrambled" ? e.save(bytes[f])
                                                                              : base::Cp1251ToUtf8(bytes[f]));
        }
        EXPECT_EQ(Text(Run()), twin) << e.what;
    }
}

TEST_F(CheckTest, HostileFilesCostOnlyWhatTheyHold) {
    Write("game.ini", With(GameLines(), "GameITakeCnt=2147483647"));
    const auto start = std::chrono::steady_clock::now();
    Report report = Run();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(Has(report, Severity::Warning, "GameITakeCnt",
                    "счётчик 2147483647, а строки GameITake1 нет"))
        << Text(report);

    Write("game.ini", GameLines());
    Map1("Scr0OnEnter=say x\\nsya " + std::string(200000, 'a'));
    dir.Write("map1.ini", Join(With(Map1Lines(), "Scr0OnEnter=sya " + std::string(200000, 'a'))) +
                              std::string(100000, 'k') + "=1\r\n");
    report = Run();
    ASSERT_GT(report.findings().size(), 0u);
    for (const Finding& f : report.findings()) EXPECT_LT(Report::Line(f).size(), 1200u);
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

// Pictures as the game looks them up: an arrival by the screen's place and
// the frame its entry switches to, `frame` by the screen's number, and every
// map in the one gif folder.
TEST_F(CheckTest, PicturesAreTheOnesTheGameShows) {
    // Yard numbered 5 at place 1 (the command names it by its number).
    const Lines yardFive = With(With(Map1Lines(), "Scr1no=5"), "Cmd0cScr=5");
    const struct {
        const char* what;
        Lines map1, map2;
        std::vector<std::string> add, remove;
        std::string key, part;  // the warning expected; none: no warning at all
    } cases[] = {
        {"a screen that opens with a frame needs no plain picture",
         With(Map1Lines(), "Scr1OnEnter=frame 1"), With(Map2Lines(), "Scr1OnEnter=frame 2"),
         {"gif/1-2.gif"}, {"gif/1.gif"}, "", ""},
        {"the frame it opens with is missing", With(Map1Lines(), "Scr1OnEnter=frame 3"),
         Map2Lines(), {}, {}, "Scr1Title",
         "у экрана «Yard» нет картинки gif/1-3.gif (он открывается кадром 3: frame первой строкой "
         "OnEnter): игра оставит прежнюю картинку"},
        {"the second map shows the first map's picture at the same place", Map1Lines(),
         With(Map2Lines(), "Scr1OnEnter=say x"), {}, {}, "Scr1Title",
         "у экрана «Cellar» нет своей картинки: игра покажет gif/1.gif, картинку экрана «Yard» "
         "карты"},
        {"an entry frame only under the screen's number", With(yardFive, "Scr1OnEnter=frame 2"),
         Map2Lines(), {"gif/5-2.gif"}, {}, "Scr1no",
         "кадр 2 экрана «Yard» (номер 5, место в списке 1): есть gif/5-2.gif, а нет gif/1-2.gif: "
         "frame ищет кадр по номеру экрана, а приход на экран и загрузка игры по месту в списке"},
        {"a later frame only under the screen's number",
         With(yardFive, "Scr1OnEnter=say x\\nframe 2"), Map2Lines(), {"gif/5-2.gif"}, {},
         "Scr1no", "есть gif/5-2.gif, а нет gif/1-2.gif"},
        {"a frame only under the screen's place", With(yardFive, "Scr1OnEnter=say x\\nframe 2"),
         Map2Lines(), {"gif/1-2.gif"}, {}, "Scr1OnEnter",
         "строка 2 «frame 2»: нет картинки gif/5-2.gif (есть gif/1-2.gif, но так кадр зовётся по "
         "месту экрана в списке, 1, а frame ищет его по номеру экрана, 5)"},
        {"a frame under both names", With(yardFive, "Scr1OnEnter=say x\\nframe 2"), Map2Lines(),
         {"gif/1-2.gif", "gif/5-2.gif"}, {}, "", ""},
    };
    for (const auto& c : cases) {
        SetUp();
        Write("map1.ini", c.map1);
        Write("map2.ini", c.map2);
        for (const std::string& f : c.add) dir.Write(f, "x");
        for (const std::string& f : c.remove) std::filesystem::remove(dir.path() / f);
        const Report report = Run();
        for (const std::string& f : c.add) std::filesystem::remove(dir.path() / f);
        EXPECT_EQ(report.errors(), 0u) << c.what << "\n" << Text(report);
        if (c.part.empty()) {
            EXPECT_EQ(report.warnings(), 0u) << c.what << "\n" << Text(report);
            continue;
        }
        bool found = false;
        for (const Finding& f : report.findings()) {
            found = found || (f.key == c.key && f.kind == kind::kNoPicture &&
                              f.problem.find(c.part) != std::string::npos);
        }
        EXPECT_TRUE(found) << c.what << "\n" << Text(report);
    }
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

TEST_F(CheckTest, PagesNameTheirFilesAndSoundsAreFoundInMedia) {
    Lines game = With(
        GameLines(),
        "GameIntros0=Go\\n#image none.gif\\n#play none.mid\\n#snd chime.wav\\n#pgae 3\\n#page x");
    Write("game.ini", game);
    Report report = Run();
    // The game goes on without a page's picture, music or sound.
    EXPECT_TRUE(Has(report, Severity::Warning, "GameIntros0",
                    "строка 2 «#image none.gif»: нет картинки gif/none.gif"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, "GameIntros0", "нет музыки «none.mid»"));
    EXPECT_TRUE(Has(report, Severity::Warning, "GameIntros0", "нет звукового файла «chime.wav»"));
    EXPECT_EQ(report.errors(), 0u) << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, "GameIntros0", "неизвестная строка #pgae"));
    EXPECT_TRUE(Has(report, Severity::Warning, "GameIntros0", "«x» не число: игра возьмёт 10"));
    // The program's Media folder holds sounds the project's Snd lacks.
    test::TestFolder media;
    media.Write("chime.wav", "x");
    EXPECT_FALSE(Has(Run(media.path()), Severity::Warning, "GameIntros0", "chime.wav"));
}

TEST_F(CheckTest, DamagedFilesAreReportedNeverFatal) {
    // A count past the loader's limit: the loader's own message, other maps still checked.
    Map1("MapScrCount=99999999");
    Write("map2.ini", With(Map2Lines(), "Scr0East=9"));
    Report report = Run();
    EXPECT_TRUE(Has(report, Severity::Error, "", "счётчик MapScrCount=99999999 больше 65535"))
        << Text(report);
    EXPECT_TRUE(Has(report, Severity::Error, "Scr0East", "выход ведёт на экран 9"));
    Write("map2.ini", Map2Lines());

    // A file the game refuses is one error, with no follow-on findings.
    const struct {
        const char* what;
        const char* file;
        std::string bytes;
        std::string part;
    } refused[] = {
        {"a sign 1251 lacks", "map1.ini",
         base::Cp1251ToUtf8(Join(With(Map1Lines(), "Scr1Title=Yard"))) + "Scr0Title=Gate \xE2\x9C\x93\r\n",
         "знак «✓» (U+2713) нельзя записать в кодировке 1251"},
        {"a sign 1251 lacks in the game file", "game.ini",
         "\xEF\xBB\xBF" + base::Cp1251ToUtf8(Join(GameLines())) + "GameX=\xE2\x86\x92",
         "строка 35: знак «→» (U+2192)"},
        {"1251 after the mark of UTF-8", "map1.ini", "\xEF\xBB\xBF" + Join(Map1Lines()),
         "строка 14: файл начинается с метки UTF-8, но здесь байты не UTF-8"},
        {"a UTF-8 line in a 1251 file", "map1.ini",
         Join(With(Map1Lines(), "Scr0Descr0=Ворота.")),
         "строка 8 в UTF-8, а остальной файл в кодировке 1251"},
        {"a scrambled file with a sign 1251 lacks", "map2.ini",
         world::Scramble(Join(With(Map2Lines(), "Scr1Descr0=Погреб \xE2\x9C\x93"))),
         "строка 14: знак «✓»"},
    };
    for (const auto& c : refused) {
        SetUp();
        dir.Write(c.file, c.bytes);
        report = Run();
        EXPECT_EQ(report.errors(), 1u) << c.what << "\n" << Text(report);
        EXPECT_EQ(report.warnings(), 0u) << c.what << "\n" << Text(report);
        EXPECT_TRUE(Has(report, Severity::Error, "", c.part)) << c.what << "\n" << Text(report);
    }
    SetUp();

    // A scrambled file cut in mid-line: its last section is missing.
    const std::string whole = world::Scramble(Join(Map1Lines()));
    dir.Write("map1.ini", whole.substr(0, whole.find(world::Scramble("Scr1x")) + 3));
    report = Run();
    EXPECT_TRUE(Has(report, Severity::Warning, "", "обрывается посреди строки")) << Text(report);

    // A plain file that does not start as one, a zero byte, repeated and broken lines.
    dir.Write("map1.ini", "; comment\r\n" + Join(Map1Lines()));
    EXPECT_TRUE(Has(Run(), Severity::Error, "", "игра расшифрует его в мусор"));
    dir.Write("map1.ini",
              Join(Map1Lines()) + std::string("Scr0Title=Other\r\njunk\r\n\0MapX=1\r\n", 33));
    report = Run();
    EXPECT_TRUE(Has(report, Severity::Warning, "", "нулевой байт")) << Text(report);
    EXPECT_TRUE(Has(report, Severity::Warning, "Scr0Title", "строка повторяется"));
    EXPECT_TRUE(Has(report, Severity::Warning, "", "без знака «=»"));

    // Missing items of a counted list, a missing first map, a missing game file.
    Map1("Scr0DescrCnt=3");
    EXPECT_TRUE(Has(Run(), Severity::Warning, "Scr0DescrCnt",
                    "счётчик 3, а строки Scr0Descr1 нет (всего не хватает 2)"));
    std::filesystem::remove(dir.path() / "map1.ini");
    EXPECT_TRUE(Has(Run(), Severity::Error, "", "первая карта пуста"));
    std::filesystem::remove(dir.path() / "game.ini");
    report = Run();
    EXPECT_EQ(report.errors(), 1u);
    EXPECT_TRUE(Has(report, Severity::Error, "", "нет такого файла"));

    // Maps of plausible keys with random values and scripts of random words.
    Write("game.ini", GameLines());
    const std::vector<std::string> values = {"-3", "-2",    "-1",         "0",           "1", "2",
                                             "5",  "99999", "2147483647", "-2147483648", "x", ""};
    const std::vector<std::string> words = {
        "if ",   "else", "endif",      "  ",  "say",  "map",   "go",  "mes",  "call",
        "force", "ifnt", "die",        "ret", "show", "frame", "key", "Gate", "1",
        "-1",    "0",    "2147483647", "\\n", "\\n",  "\\n",   " ",   " "};
    const std::vector<std::string> keys = {
        "MapScrCount",  "MapObjCount",    "MapCmdCount",    "Scr0no",          "Scr1no",
        "Scr0x",        "Scr1y",          "Scr0North",      "Scr1West",        "Scr0OnEnter",
        "Scr1OnGo",     "Scr0ScriptsCnt", "Scr0Scripts0",   "Scr0MessagesCnt", "Obj0no",
        "Obj0ScrWhere", "Obj0Visible",    "Obj0OnTake",     "Cmd0no",          "Cmd0cScr",
        "Cmd0cObj1",    "Cmd0cObj2",      "Cmd0list->Text", "Scr0Title",       "Obj0Title"};
    std::mt19937 random(11);
    const auto pick = [&random](const std::vector<std::string>& from) {
        return from[random() % from.size()];
    };
    for (int round = 0; round < 200; ++round) {
        for (const char* name : {"map1.ini", "map2.ini"}) {
            Lines map = {"MapTitle=Noise"};
            for (int i = 0; i < 25; ++i) {
                const std::string key = pick(keys);
                std::string value;
                if (key.find("On") != std::string::npos || key.find("Text") != std::string::npos ||
                    key.find("Scripts0") != std::string::npos) {
                    for (int w = random() % 12; w > 0; --w) value += pick(words);
                } else {
                    value = pick(values);
                }
                map.push_back(key + "=" + value);
            }
            Write(name, map);
        }
        Run();
    }
    // Noise in every file never crashes or hangs the checker.
    for (int round = 0; round < 30; ++round) {
        for (const char* name : {"game.ini", "map1.ini", "map2.ini"}) {
            std::string bytes(random() % 3000, '\0');
            for (char& c : bytes) c = static_cast<char>(random() % 7 == 0 ? '\n' : random());
            if (round % 2 == 0) bytes = world::Scramble("Map" + bytes);
            dir.Write(name, bytes);
        }
        Run();
    }
}

}  // namespace
}  // namespace velmora::check

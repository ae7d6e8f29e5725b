// The checker on the files themselves: any spelling of their names, UTF-8
// and 1251, damaged, hostile and random bytes, never fatal.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "check/report.h"
#include "unit/check/check_fixture.h"
#include "world/key_lines.h"

namespace velmora::check::test {
namespace {

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

// What a hostile file claims never sets the work, and a report never quotes
// a whole huge line.
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
    // 1251 words whose bytes only look like UTF-8's overlong forms,
    // surrogates or code points past U+10FFFF («аЂЂ», «н Ђ», «фђЂЂ») are 1251.
    for (const char* bytes : {"\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        SetUp();
        dir.Write("map1.ini", Join(With(Map1Lines(), std::string("Scr0Descr0=") + bytes)));
        report = Run();
        EXPECT_FALSE(Has(report, Severity::Error, "", "в UTF-8, а остальной файл")) << Text(report);
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
}  // namespace velmora::check::test

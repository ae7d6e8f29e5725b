// The checker on the pictures, music and sounds a project names: looked up
// as the game looks them up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/report.h"
#include "unit/check/check_fixture.h"
#include "unit/test_folder.h"

namespace velmora::check::test {
namespace {

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
    velmora::test::TestFolder media;
    media.Write("chime.wav", "x");
    EXPECT_FALSE(Has(Run(media.path()), Severity::Warning, "GameIntros0", "chime.wav"));
}

}  // namespace
}  // namespace velmora::check::test

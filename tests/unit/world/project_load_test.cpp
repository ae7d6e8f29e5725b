// Loading a whole project: every record's keys, defaults and counts.
#include <gtest/gtest.h>

#include "base/file_error.h"
#include "unit/world/world_files.h"
#include "world/game_files.h"
#include "world/link.h"

namespace velmora::world {
namespace {

using test::PlainFile;
using test::ProjectFixture;
using test::Ru;

std::string GameIni() {
    return PlainFile({
        "GameNotInterCnt=1", "GameNotInter0=" + Ru("Ничего интересного."),
        "GameDeathCnt=0",
        "GameITakeCnt=2", "GameITake0=" + Ru("Взял."), "GameITake1=" + Ru("Забрал\\nс собой."),
        "GameTooHavyCnt=1", "GameTooHavy0=" + Ru("Тяжело."),
        "GameInitHealth=70", "GameGoDecHealth=2", "GameRestIncHealth=10", "GameRestDecHealth=5",
    });
}

std::string MapIni() {
    return PlainFile({
        "MapStartScr=1", "MapTitle=" + Ru("Замок"), "MapAuthor=" + Ru("Автор"),
        "MapFirstMessage=" + Ru("Вы у ворот."),
        "MapScrCount=3", "MapScrMaxNumber=99",
        "Scr0no=0", "Scr0x=0", "Scr0y=0", "Scr0Title=" + Ru("Ворота"),
        "Scr0DescrCnt=2", "Scr0Descr0=" + Ru("Первый раз."), "Scr0Descr1=" + Ru("Снова."),
        "Scr0North=-1", "Scr0South=-2", "Scr0East=2", "Scr0West=-2",
        "Scr0ScriptsCnt=1", "Scr0Scripts0=say 1\\nsay 2", "Scr0OnEnter=setstate 1",
        "Scr1no=5", "Scr1x=0", "Scr1y=1", "Scr1Title=" + Ru("Двор"), "Scr1AltS=" + Ru("К воротам"),
        "Scr1DieOnRest=" + Ru("Здесь нельзя спать."), "Scr1DescrOnState=1",
        "Scr1North=-2", "Scr1South=-1", "Scr1East=-2", "Scr1West=-2",
        "Scr2no=9", "Scr2x=1", "Scr2y=0", "Scr2Title=" + Ru("Башня"),
        // Scr2 has no exit keys: each reads as 0, a way to the screen at position 0.
        "MapObjCount=2", "MapObjMaxNumber=8",
        "Obj0no=2", "Obj0Title=" + Ru("Ключ"), "Obj0DescrCnt=1", "Obj0Descr0=" + Ru("Ржавый."),
        "Obj0DescrOnState=0", "Obj0ScrWhere=5", "Obj0Takable=1", "Obj0Visible=1", "Obj0Weight=3",
        "Obj0OnTake=say 1", "Obj0State=4", "Obj0NotExam=1",
        "Obj1no=8", "Obj1Title=" + Ru("Дверь"), "Obj1ScrWhere=0",
        "MapCmdCount=1", "MapCmdMaxNumber=1",
        "Cmd0no=1", "Cmd0Title=" + Ru("Открыть"), "Cmd0Message=" + Ru("Открыто."),
        "Cmd0cScr=0", "Cmd0cObj1=2", "Cmd0cObj2=8", "Cmd0cObj1Carry=1", "Cmd0cObj2Carry=0",
        "Cmd0MaxOnce=1", "Cmd0Enabled=1", "Cmd0list->Text=open e\\nsay 1\\n",
    });
}

TEST(ProjectLoad, ReadsHeaderGameSectionAndEveryRecord) {
    ProjectFixture f;
    f.WriteProject("game.ini", GameIni());
    f.WriteProject("map1.ini", MapIni());
    ASSERT_TRUE(LoadProject(f.gp));
    const MMap& map = f.gp.map;
    EXPECT_EQ(map.StartScr, 1);
    EXPECT_EQ(map.Title, Ru("Замок"));
    EXPECT_EQ(map.Author, Ru("Автор"));
    EXPECT_EQ(map.FirstMessage, Ru("Вы у ворот."));
    EXPECT_EQ(map.ScrCount, 3);
    EXPECT_EQ(map.ScrMaxNumber, 99);
    ASSERT_EQ(map.screens.size(), 3u);

    const MScreen& gate = *map.screens[0];
    EXPECT_EQ(gate.Title, Ru("Ворота"));
    EXPECT_EQ(gate.Descr.lines.size(), 2u);
    EXPECT_EQ(gate.Descr.cursor, -1);
    EXPECT_EQ(gate.North, -1);
    EXPECT_EQ(gate.South, -2);
    EXPECT_EQ(gate.East, 2);
    EXPECT_EQ(gate.Scripts.lines, (std::vector<std::string>{"say 1\r\nsay 2"}));
    EXPECT_EQ(gate.OnEnter, "setstate 1");
    const MScreen& yard = *map.screens[1];
    EXPECT_EQ(yard.no, 5);
    EXPECT_EQ(yard.y, 1);
    EXPECT_EQ(yard.AltS, Ru("К воротам"));
    EXPECT_EQ(yard.AltN, "");
    EXPECT_EQ(yard.DescrOnState, 1);
    EXPECT_EQ(yard.DieOnRest, Ru("Здесь нельзя спать."));
    const MScreen& tower = *map.screens[2];
    EXPECT_EQ(tower.North, 0);  // missing exits read as 0
    EXPECT_EQ(tower.West, 0);
    EXPECT_EQ(tower.State, 0);
    EXPECT_EQ(tower.ScrFrame, 0);

    ASSERT_EQ(map.objects.size(), 2u);
    const MObj& key = *map.objects[0];
    EXPECT_EQ(key.Title, Ru("Ключ"));
    EXPECT_EQ(key.DescrOnState, 0);
    EXPECT_EQ(key.Weight, 3);
    EXPECT_EQ(key.OnTake, "say 1");
    // A project holds no object state: whatever the file says, State and NotExam start at 0.
    EXPECT_EQ(key.State, 0);
    EXPECT_EQ(key.NotExam, 0);
    const MObj& door = *map.objects[1];
    EXPECT_EQ(door.Visible, 0);   // missing keys read as 0, not the record's defaults
    EXPECT_EQ(door.Takable, 0);
    EXPECT_EQ(door.Weight, 0);
    EXPECT_EQ(door.DescrOnState, 0);

    ASSERT_EQ(map.commands.size(), 1u);
    const MScript& open = *map.commands[0];
    EXPECT_EQ(open.Title, Ru("Открыть"));
    EXPECT_EQ(open.cObj2, 8);
    EXPECT_EQ(open.script, (std::vector<std::string>{"open e", "say 1"}));
    EXPECT_EQ(open.used, 0);

    const MGame& game = f.gp.game;
    EXPECT_EQ(game.NotInter.lines.size(), 1u);
    EXPECT_TRUE(game.Death.lines.empty());
    EXPECT_EQ(game.ITake.lines, (std::vector<std::string>{Ru("Взял."), Ru("Забрал\r\nс собой.")}));
    EXPECT_TRUE(game.Ok.lines.empty());
    EXPECT_EQ(game.InitHealth, 70);
    EXPECT_EQ(game.GoDecHealth, 2);
    EXPECT_EQ(game.RestIncHealth, 10);
    EXPECT_EQ(game.RestDecHealth, 5);
}

TEST(ProjectLoad, HeroTakesTheInitHealthOfTheLoadBefore) {
    ProjectFixture f;
    f.WriteProject("game.ini", GameIni());
    f.WriteProject("map1.ini", MapIni());
    f.gp.hero.LastMessage = "kept";
    f.gp.hero.Level = 9;
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_EQ(f.gp.hero.Health, 50);  // the constructor's InitHealth
    EXPECT_EQ(f.gp.hero.Level, 0);
    EXPECT_EQ(f.gp.hero.LastMessage, "kept");
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_EQ(f.gp.hero.Health, 70);  // now the project's own
}

TEST(ProjectLoad, AFullLoadRefillsTheRecordsAndKeepsMapIndexAndRuleVariables) {
    ProjectFixture f;
    f.WriteProject("game.ini", GameIni());
    f.WriteProject("map1.ini", MapIni());
    ASSERT_TRUE(LoadProject(f.gp));
    f.gp.game.ITake.cursor = 1;
    f.gp.vars.glob_forced = 3;
    MMap* const map = &f.gp.map;
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_EQ(&f.gp.map, map);
    EXPECT_EQ(f.gp.map.screens.size(), 3u);  // not doubled
    EXPECT_EQ(f.gp.game.ITake.lines.size(), 2u);
    EXPECT_EQ(f.gp.game.ITake.cursor, -1);
    EXPECT_EQ(f.gp.vars.glob_forced, 3);
    EXPECT_EQ(f.gp.map.mapIndex, 0);
}

TEST(ProjectLoad, MissingFilesAndKeys) {
    ProjectFixture f;
    // No game.ini: nothing happens.
    f.gp.map.Title = "before";
    EXPECT_FALSE(LoadProject(f.gp));
    EXPECT_EQ(f.gp.map.Title, "before");
    EXPECT_EQ(f.gp.game.InitHealth, 50);
    // A game.ini without map file: an empty map, and the missing file is not created.
    f.WriteProject("game.ini", PlainFile({"GameNotInterCnt=0"}));
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_TRUE(f.gp.map.screens.empty());
    EXPECT_EQ(f.gp.map.Title, "");
    EXPECT_EQ(f.gp.game.InitHealth, 0);  // a project without InitHealth sets 0
    EXPECT_FALSE(f.root.Exists("Projects/Test/map1.ini"));
}

TEST(ProjectLoad, ScrambledFilesInAnyLetterCase) {
    ProjectFixture f;
    f.root.Write("PROJECTS/test/GAME.INI", Scramble(GameIni()));
    f.root.Write("PROJECTS/test/Map1.Ini", MapIni());
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_EQ(f.gp.map.screens.size(), 3u);
    EXPECT_EQ(f.gp.game.InitHealth, 70);
}

TEST(ProjectLoad, MapIndexChoosesTheMapFile) {
    ProjectFixture f;
    f.WriteProject("game.ini", GameIni());
    f.WriteProject("map5.ini", PlainFile({"MapTitle=five", "MapScrCount=1", "Scr0no=0"}));
    f.gp.map.mapIndex = 4;
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_EQ(f.gp.map.Title, "five");
    EXPECT_EQ(f.gp.map.mapIndex, 4);
}

TEST(ProjectLoad, ACountAboveTheLimitIsRefusedWithoutChangingTheWorld) {
    ProjectFixture f;
    f.WriteProject("game.ini", GameIni());
    f.WriteProject("map1.ini", MapIni());
    ASSERT_TRUE(LoadProject(f.gp));
    for (const std::string& bad :
         {std::string("MapScrCount=65536"), std::string("MapObjCount=2000000000"),
          std::string("MapScrCount=1\r\nScr0DescrCnt=99999")}) {
        f.WriteProject("map1.ini", PlainFile({"MapTitle=damaged", bad}));
        try {
            LoadProject(f.gp);
            FAIL() << "no error for " << bad;
        } catch (const base::FileError& e) {
            EXPECT_NE(e.file().find("map1.ini"), std::string::npos);
            EXPECT_NE(e.problem().find("больше 65535"), std::string::npos) << e.problem();
        }
        EXPECT_EQ(f.gp.map.Title, Ru("Замок"));
        EXPECT_EQ(f.gp.map.screens.size(), 3u);
        EXPECT_EQ(f.gp.game.InitHealth, 70);
    }
    // Many large counts whose items are all missing would ask for billions of texts.
    std::string manyCounts = "MapScrCount=3000\r\n";
    for (int i = 0; i < 3000; ++i) manyCounts += "Scr" + std::to_string(i) + "DescrCnt=65535\r\n";
    f.WriteProject("map1.ini", manyCounts);
    try {
        LoadProject(f.gp);
        FAIL() << "no error for missing items";
    } catch (const base::FileError& e) {
        EXPECT_NE(e.problem().find("элементов списков"), std::string::npos) << e.problem();
    }
    EXPECT_EQ(f.gp.map.screens.size(), 3u);
    // Exactly the limit is allowed (empty records).
    f.WriteProject("map1.ini", PlainFile({"MapCmdCount=65535"}));
    ASSERT_TRUE(LoadProject(f.gp));
    EXPECT_EQ(f.gp.map.commands.size(), 65535u);
    EXPECT_EQ(f.gp.map.commands[100]->MaxOnce, 0);  // missing keys read as 0
}

TEST(ProjectLoad, AProjectWrittenAndReadBackIsTheSame) {
    ProjectFixture f;
    f.WriteProject("game.ini", GameIni());
    f.WriteProject("map1.ini", MapIni());
    ASSERT_TRUE(LoadProject(f.gp));
    ASSERT_TRUE(TransferGameFiles(f.gp, f.root.path(), "Copy\\", false, false));
    // The copy is scrambled and its map file starts with the header keys in order.
    const std::string copy = f.PlainOf("Copy/map1.ini");
    EXPECT_EQ(copy.rfind("MapStartScr=1\r\nMapTitle=", 0), 0u) << copy.substr(0, 40);
    EXPECT_NE(copy.find("MapScrCount=3\r\nMapScrMaxNumber=99\r\nScr0no=0\r\n"), std::string::npos);

    ProjectFixture g;
    g.gp.folders.program = f.root.path();
    g.gp.folders.projectPath = "Copy\\";
    ASSERT_TRUE(LoadProject(g.gp));
    EXPECT_EQ(g.gp.map.screens[0]->Descr.lines, f.gp.map.screens[0]->Descr.lines);
    EXPECT_EQ(g.gp.map.commands[0]->script, f.gp.map.commands[0]->script);
    EXPECT_EQ(g.gp.game.ITake.lines, f.gp.game.ITake.lines);
    EXPECT_EQ(g.gp.map.objects[0]->Weight, 3);
}

}  // namespace
}  // namespace velmora::world

// Saved games and the change of map: the exact files, and restoring play state.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/file_error.h"
#include "unit/world/world_files.h"
#include "world/game_files.h"
#include "world/link.h"

namespace velmora::world {
namespace {

using test::PlainFile;
using test::ProjectFixture;
using test::Ru;

// Map k: three screens numbered 0, 1, 5; objects 2 (on screen 5) and 4 (hidden); two commands.
std::string MapFile(const std::string& title) {
    return PlainFile({
        "MapTitle=" + title, "MapFirstMessage=" + title + " begins",
        "MapScrCount=3",
        "Scr0no=0", "Scr0Title=A", "Scr0DescrCnt=2", "Scr0Descr0=a1", "Scr0Descr1=a2",
        "Scr0North=-2", "Scr0South=-2", "Scr0East=-1", "Scr0West=-2",
        "Scr1no=1", "Scr1x=1", "Scr1Title=B",
        "Scr1North=-2", "Scr1South=-2", "Scr1East=-2", "Scr1West=-1",
        "Scr2no=5", "Scr2y=1", "Scr2Title=C",
        "Scr2North=-2", "Scr2South=-1", "Scr2East=-2", "Scr2West=-2",
        "MapObjCount=2",
        "Obj0no=2", "Obj0Title=key", "Obj0ScrWhere=5", "Obj0Takable=1", "Obj0Visible=1",
        "Obj0Weight=3",
        "Obj1no=4", "Obj1Title=gem", "Obj1ScrWhere=-2", "Obj1Takable=1", "Obj1Visible=0",
        "Obj1Weight=1",
        "MapCmdCount=2",
        "Cmd0no=1", "Cmd0cObj1=2", "Cmd0cObj2=2", "Cmd0MaxOnce=2", "Cmd0Enabled=1",
        "Cmd1no=2", "Cmd1cObj1=4", "Cmd1cObj2=2", "Cmd1MaxOnce=1", "Cmd1Enabled=1",
    });
}

struct SavedGame : ProjectFixture {
    SavedGame() {
        WriteProject("game.ini", PlainFile({"GameInitHealth=80", "GameGoDecHealth=1"}));
        WriteProject("map1.ini", MapFile("one"));
        WriteProject("map2.ini", MapFile("two"));
        EXPECT_TRUE(LoadProject(gp));
        EXPECT_TRUE(LoadProject(gp));  // the second load gives the project's InitHealth
        StartWorld(gp.map, gp.hero);
    }
    // Changes that a game in play makes.
    void Play() {
        MMap& m = gp.map;
        m.screens[0]->North = 7;  // opened by a script
        m.screens[1]->State = 3;
        m.screens[1]->ScrFrame = 2;
        m.screens[0]->Descr.cursor = 1;
        m.objects[0]->ScrWhere = kCarried;
        m.objects[1]->Visible = 1;
        m.objects[1]->ScrWhere = 1;
        m.objects[1]->State = 6;
        m.objects[1]->NotExam = 1;
        m.commands[0]->used = 1;
        m.commands[1]->Enabled = 0;
        gp.hero.Health = 61;
        gp.hero.BagFull = 40;  // not the sum of weights: kept as saved
        gp.hero.Level = 2;
        gp.hero.fRest = 1;
        gp.hero.CurScrNo = 2;
        gp.hero.LastMessage = "line one\r\nline two";
        gp.vars = {4, 2, 3, "say 9"};
    }
};

TEST(SavedGames, SlotFilesHoldExactlyTheStateKeysScrambled) {
    SavedGame f;
    f.Play();
    SaveSlot(f.gp, 3);
    const std::string rawGame = f.root.Read("Saves/3-game.ini");
    const std::string rawMap = f.root.Read("Saves/3-map1.ini");
    EXPECT_FALSE(IsPlainKeyLines(rawGame));
    EXPECT_FALSE(IsPlainKeyLines(rawMap));
    EXPECT_EQ(f.PlainOf("Saves/3-game.ini"),
              "HeroHealth=61\r\nHeroBagFull=40\r\nHeroLevel=2\r\nHeroCurScrNo=2\r\n"
              "HerofRest=1\r\nHeroLastMessage=line one\\nline two\r\n");
    EXPECT_EQ(f.PlainOf("Saves/3-map1.ini"),
              "Mapglob_forced=4\r\nMapglob_goingto=2\r\nMapglob_waited_act=3\r\n"
              "Mapglob_waited_act_cmd=say 9\r\nMapScrCount=3\r\n"
              "Scr0State=0\r\nScr0ScrFrame=0\r\nScr0Descr.notfirst=1\r\n"
              "Scr0North=7\r\nScr0South=-2\r\nScr0East=-1\r\nScr0West=-2\r\n"
              "Scr1State=3\r\nScr1ScrFrame=2\r\nScr1Descr.notfirst=-1\r\n"
              "Scr1North=-2\r\nScr1South=-2\r\nScr1East=-2\r\nScr1West=-1\r\n"
              "Scr2State=0\r\nScr2ScrFrame=0\r\nScr2Descr.notfirst=-1\r\n"
              "Scr2North=-2\r\nScr2South=-1\r\nScr2East=-2\r\nScr2West=-2\r\n"
              "MapObjCount=2\r\n"
              "Obj0NotExam=0\r\nObj0State=0\r\nObj0ScrWhere=-1\r\nObj0Takable=1\r\n"
              "Obj0Visible=1\r\nObj0Weight=3\r\n"
              "Obj1NotExam=1\r\nObj1State=6\r\nObj1ScrWhere=1\r\nObj1Takable=1\r\n"
              "Obj1Visible=1\r\nObj1Weight=1\r\n"
              "MapCmdCount=2\r\nCmd0used=1\r\nCmd0Enabled=1\r\nCmd1used=0\r\nCmd1Enabled=0\r\n");
}

// A save is the program's own 1251: its text is never taken for UTF-8, even
// where its bytes would read as UTF-8 (the 1251 «Рѕ» is the UTF-8 «о»).
TEST(SavedGames, SavesKeepTheir1251TextThatLooksLikeUtf8) {
    SavedGame f;
    f.Play();
    for (const std::string said : {"\xD0\xBE", "\xEF\xBB\xBF\xD0\xBE", "\xE2\x9C\x93"}) {
        f.gp.hero.LastMessage = said;
        SaveSlot(f.gp, 2);
        f.gp.hero.LastMessage.clear();
        ASSERT_TRUE(LoadSlot(f.gp, 2));
        EXPECT_EQ(f.gp.hero.LastMessage, said);
    }
}

TEST(SavedGames, SaveAndLoadInOneMapRestoresThePlayedState) {
    SavedGame f;
    f.Play();
    SaveSlot(f.gp, 1);
    // A new game, then the slot.
    ASSERT_TRUE(LoadProject(f.gp));
    StartWorld(f.gp.map, f.gp.hero);
    f.gp.vars = {};
    ASSERT_TRUE(LoadSlot(f.gp, 1));
    const MMap& m = f.gp.map;
    EXPECT_EQ(m.screens[0]->North, 7);
    EXPECT_EQ(m.screens[1]->State, 3);
    EXPECT_EQ(m.screens[1]->ScrFrame, 2);
    EXPECT_EQ(m.screens[0]->Descr.cursor, 1);
    EXPECT_EQ(m.objects[1]->State, 6);
    EXPECT_EQ(m.objects[1]->NotExam, 1);
    EXPECT_EQ(m.commands[0]->used, 1);
    EXPECT_EQ(m.commands[1]->Enabled, 0);
    EXPECT_EQ(m.commands[1]->MaxOnce, 1);  // from the project
    EXPECT_EQ(f.gp.hero.Health, 61);
    EXPECT_EQ(f.gp.hero.BagFull, 40);
    EXPECT_EQ(f.gp.hero.Level, 2);
    EXPECT_EQ(f.gp.hero.fRest, 1);
    EXPECT_EQ(f.gp.hero.LastMessage, "line one\r\nline two");
    EXPECT_EQ(f.gp.hero.currentScreen, m.screens[2].get());
    EXPECT_EQ(f.gp.hero.carried, std::vector<MObj*>{m.objects[0].get()});
    EXPECT_EQ(m.screens[1]->objectsHere, std::vector<MObj*>{m.objects[1].get()});
    EXPECT_EQ(f.gp.vars.glob_forced, 4);
    EXPECT_EQ(f.gp.vars.glob_goingto, 2);
    EXPECT_EQ(f.gp.vars.glob_waited_act_cmd, "say 9");
}

// A hero's file as the game writes it.
std::string HeroFile(int32_t health, int32_t at) {
    return PlainFile({"HeroHealth=" + std::to_string(health), "HeroBagFull=0", "HeroLevel=0",
                      "HeroCurScrNo=" + std::to_string(at), "HerofRest=0", "HeroLastMessage="});
}

TEST(SavedGames, EmptySlotAndSmallerSavedCounts) {
    SavedGame f;
    EXPECT_FALSE(LoadSlot(f.gp, 4));
    // A state saved with fewer records updates those and keeps the counts of the map.
    f.root.Write("Saves/2-game.ini", HeroFile(5, 1));
    f.root.Write("Saves/2-map1.ini",
                 PlainFile({"Mapglob_forced=0", "Mapglob_goingto=-1", "Mapglob_waited_act=0",
                            "Mapglob_waited_act_cmd=", "MapScrCount=1", "Scr0State=9",
                            "Scr0ScrFrame=0", "Scr0Descr.notfirst=-1", "Scr0North=4",
                            "Scr0South=-2", "Scr0East=-1", "Scr0West=-2", "MapObjCount=0",
                            "MapCmdCount=0"}));
    ASSERT_TRUE(LoadSlot(f.gp, 2));
    EXPECT_EQ(f.gp.map.screens[0]->State, 9);
    EXPECT_EQ(f.gp.map.screens[0]->North, 4);
    EXPECT_EQ(f.gp.map.screens[1]->North, -2);  // untouched
    EXPECT_EQ(f.gp.map.ScrCount, 3);
    EXPECT_EQ(f.gp.map.ObjCount, 2);
    EXPECT_EQ(f.gp.hero.Health, 5);
    EXPECT_EQ(f.gp.hero.currentScreen, f.gp.map.screens[1].get());
}

// A saved state that the game cannot have written is refused whole, naming
// the file and the problem, and the running game stays exactly as it was.
TEST(SavedGames, ADamagedSaveIsRefusedAndChangesNothing) {
    SavedGame f;
    f.Play();
    SaveSlot(f.gp, 5);
    const std::string game = f.root.Read("Saves/5-game.ini");
    const std::string map = f.root.Read("Saves/5-map1.ini");
    const std::string plainGame = PlainKeyLines(game);
    const std::string plainMap = PlainKeyLines(map);
    f.gp.hero.Health = 33;
    f.gp.map.screens[0]->State = 8;
    f.gp.map.objects[1]->ScrWhere = 5;
    f.gp.vars.glob_forced = 0;
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const struct {
        std::string game, map, problem;
    } damaged[] = {
        {"", map, "HeroHealth"},                                          // empty
        {game.substr(0, game.size() / 2), map, "Hero"},                   // cut off
        {std::string("\0", 1) + game, map, "HeroHealth"},                 // starts with a zero byte
        {"\x13\x37garbage\xff\xfe random bytes", map, "HeroHealth"},     // not a save at all
        {replaced(plainGame, "HeroCurScrNo=2", "HeroCurScrNo=abc"), map, "HeroCurScrNo=abc"},
        {replaced(plainGame, "HeroCurScrNo=2", "HeroCurScrNo="), map, "HeroCurScrNo="},
        {replaced(plainGame, "HeroCurScrNo=2", "HeroCurScrNo=99999999999"), map, "99999999999"},
        {replaced(plainGame, "HeroCurScrNo=2", "HeroCurScrNo=3"), map, "3"},  // beyond the screens
        {replaced(plainGame, "HeroCurScrNo=2", "HeroCurScrNo=-1"), map, "-1"},
        {game, plainMap.substr(0, plainMap.size() - 30), "Cmd"},          // map file cut off
        {game, replaced(plainMap, "Obj1ScrWhere=1", "Obj1ScrWhere=x"), "Obj1ScrWhere=x"},
        {game, replaced(plainMap, "MapScrCount=3", "MapScrCount=4"), "экранов 4"},
        {game, replaced(plainMap, "MapCmdCount=2", "MapCmdCount=70000"), "70000"},
        {game, std::string("\0\0\0", 3), "glob_forced"},               // zero bytes only
    };
    for (const auto& d : damaged) {
        f.root.Write("Saves/5-game.ini", d.game);
        f.root.Write("Saves/5-map1.ini", d.map);
        try {
            LoadSlot(f.gp, 5);
            ADD_FAILURE() << "no error for " << d.problem;
        } catch (const base::FileError& e) {
            EXPECT_NE(e.file().find("Saves/5-"), std::string::npos) << e.what();
            EXPECT_NE(e.problem().find(d.problem), std::string::npos) << e.what();
        }
        EXPECT_EQ(f.gp.hero.Health, 33);
        EXPECT_EQ(f.gp.map.screens[0]->State, 8);
        EXPECT_EQ(f.gp.map.screens[0]->North, 7);
        EXPECT_EQ(f.gp.map.objects[1]->ScrWhere, 5);
        EXPECT_EQ(f.gp.vars.glob_forced, 0);
    }
    // Every file the game writes is taken: a save, and an empty map file of
    // a map not yet visited, which carries no map state.
    f.root.Write("Saves/5-game.ini", game);
    f.root.Write("Saves/5-map1.ini", "");
    ASSERT_TRUE(LoadSlot(f.gp, 5));
    EXPECT_EQ(f.gp.hero.Health, 61);
    EXPECT_EQ(f.gp.map.screens[0]->State, 8);
    f.root.Write("Saves/5-map1.ini", map);
    ASSERT_TRUE(LoadSlot(f.gp, 5));
    EXPECT_EQ(f.gp.map.screens[0]->State, 0);
    EXPECT_EQ(f.gp.map.objects[1]->ScrWhere, 1);
    // A project's negative count is written back as it is and names no records.
    f.gp.map.objects[1]->ScrWhere = 5;
    f.root.Write("Saves/5-map1.ini", replaced(plainMap, "MapObjCount=2", "MapObjCount=-3"));
    ASSERT_TRUE(LoadSlot(f.gp, 5));
    EXPECT_EQ(f.gp.map.objects[1]->ScrWhere, 5);
    EXPECT_EQ(f.gp.map.screens[0]->State, 0);
}

TEST(SavedGames, AStateThatDoesNotFitIsRefusedWhole) {
    SavedGame f;
    f.Play();
    SaveSlot(f.gp, 5);
    f.gp.hero.Health = 33;
    f.gp.map.screens[0]->State = 8;
    const std::string game = f.root.Read("Saves/5-game.ini");
    const std::string map = f.root.Read("Saves/5-map1.ini");
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {PlainFile({"HeroHealth=1", "HeroCurScrNo=3"}), map},   // beyond the screens
        {PlainFile({"HeroHealth=1", "HeroCurScrNo=-1"}), map},  // before them
        {game, PlainFile({"MapScrCount=4", "Scr0State=1"})},    // more screens than the map
        {game, PlainFile({"MapScrCount=0", "MapObjCount=3"})},
        {game, PlainFile({"MapScrCount=0", "MapObjCount=0", "MapCmdCount=70000"})},
    };
    for (const auto& [g, m] : damaged) {
        f.root.Write("Saves/5-game.ini", g);
        f.root.Write("Saves/5-map1.ini", m);
        try {
            LoadSlot(f.gp, 5);
            FAIL() << "no error";
        } catch (const base::FileError& e) {
            EXPECT_NE(e.file().find("Saves/5-"), std::string::npos) << e.what();
        }
        EXPECT_EQ(f.gp.hero.Health, 33);
        EXPECT_EQ(f.gp.map.screens[0]->State, 8);
        EXPECT_EQ(f.gp.map.screens[0]->North, 7);
    }
}

TEST(SavedGames, AFailedSaveLeavesTheOldSlot) {
    SavedGame f;
    SaveSlot(f.gp, 1);
    const std::string before = f.root.Read("Saves/1-game.ini");
    // A folder in the way of the map file makes the save fail.
    f.gp.map.mapIndex = 1;
    f.root.Write("Saves/1-map2.ini/blocker", "");
    f.gp.hero.Health = 1;
    EXPECT_THROW(SaveSlot(f.gp, 1), base::FileError);
    EXPECT_EQ(f.root.Read("Saves/1-game.ini"), before);
}

TEST(SavedGames, ASlotWithoutAMapFileRestoresOnlyTheHero) {
    SavedGame f;
    f.root.Write("Saves/1-game.ini", HeroFile(12, 0));
    f.gp.vars.glob_goingto = -1;
    ASSERT_TRUE(LoadSlot(f.gp, 1));
    EXPECT_EQ(f.gp.hero.Health, 12);
    EXPECT_EQ(f.gp.vars.glob_goingto, -1);
    EXPECT_FALSE(f.root.Exists("Saves/1-map1.ini"));
}

// A slot saved on the second map, loaded when the first is loaded (after a
// restart): the second map is loaded and the slot applied to it.
TEST(SavedGames, ASlotIsLoadedIntoTheMapItWasSavedOn) {
    SavedGame f;
    f.gp.map.screens[0]->State = 4;  // a state of map 1 saved in slot 2 earlier
    SaveSlot(f.gp, 2);
    ChangeMap(f.gp, 1);
    f.Play();
    f.gp.vars = {};
    SaveSlot(f.gp, 2);  // now on map 2: the newer map file of the slot
    ASSERT_TRUE(f.root.Exists("Saves/2-map1.ini"));

    SavedGame restarted;
    restarted.root.Write("Saves/2-game.ini", f.root.Read("Saves/2-game.ini"));
    restarted.root.Write("Saves/2-map1.ini", f.root.Read("Saves/2-map1.ini"));
    restarted.root.Write("Saves/2-map2.ini", f.root.Read("Saves/2-map2.ini"));
    std::filesystem::last_write_time(restarted.root.path() / "Saves/2-map1.ini",
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(1));
    ASSERT_TRUE(LoadSlot(restarted.gp, 2));
    const MMap& m = restarted.gp.map;
    EXPECT_EQ(m.mapIndex, 1);
    EXPECT_EQ(m.Title, "two");
    EXPECT_EQ(m.screens[0]->North, 7);
    EXPECT_EQ(m.screens[1]->State, 3);
    EXPECT_EQ(restarted.gp.hero.Health, 61);
    EXPECT_EQ(restarted.gp.hero.currentScreen, m.screens[2].get());
    EXPECT_EQ(restarted.gp.hero.carried, std::vector<MObj*>{m.objects[0].get()});

    // A slot of a map the project lacks is refused, and the game stays.
    restarted.root.Write("Saves/3-game.ini", HeroFile(9, 0));
    restarted.root.Write("Saves/3-map7.ini", "");
    EXPECT_THROW(LoadSlot(restarted.gp, 3), base::FileError);
    EXPECT_EQ(restarted.gp.map.Title, "two");
    EXPECT_EQ(restarted.gp.hero.Health, 61);
}

TEST(ChangingMaps, TheStateTravelsThroughTheWorkingFiles) {
    SavedGame f;
    f.Play();
    ChangeMap(f.gp, 1);
    EXPECT_TRUE(f.root.Exists("Saves/cur-game.ini"));
    EXPECT_TRUE(f.root.Exists("Saves/cur-map1.ini"));
    EXPECT_FALSE(f.root.Exists("Saves/cur-map2.ini"));  // read as empty, not created
    EXPECT_EQ(f.gp.map.mapIndex, 1);
    EXPECT_EQ(f.gp.map.Title, "two");
    // The hero comes back as it was; the new map keeps its project state.
    EXPECT_EQ(f.gp.hero.Health, 61);
    EXPECT_EQ(f.gp.hero.BagFull, 40);
    EXPECT_EQ(f.gp.hero.LastMessage, "line one\r\nline two");
    EXPECT_EQ(f.gp.hero.currentScreen, f.gp.map.screens[2].get());
    EXPECT_EQ(f.gp.map.screens[0]->North, -2);
    EXPECT_EQ(f.gp.map.objects[1]->Visible, 0);
    // On the new map the key lies on its screen again: nothing carried.
    EXPECT_TRUE(f.gp.hero.carried.empty());

    // Back to the first map: its state when left comes back.
    f.gp.map.screens[1]->State = 5;
    ChangeMap(f.gp, 0);
    EXPECT_EQ(f.gp.map.Title, "one");
    EXPECT_EQ(f.gp.map.screens[0]->North, 7);
    EXPECT_EQ(f.gp.map.screens[1]->State, 3);
    EXPECT_EQ(f.gp.hero.carried.size(), 1u);
    // And the second map's state was kept for the next visit.
    ChangeMap(f.gp, 1);
    EXPECT_EQ(f.gp.map.screens[1]->State, 5);
}

TEST(ChangingMaps, AMapTheHeroCannotStandOnLeavesTheGameAsItWas) {
    SavedGame f;
    f.WriteProject("map3.ini", PlainFile({"MapTitle=small", "MapScrCount=1", "Scr0no=0"}));
    f.gp.hero.CurScrNo = 2;
    f.gp.hero.currentScreen = f.gp.map.screens[2].get();
    EXPECT_THROW(ChangeMap(f.gp, 2), base::FileError);
    EXPECT_EQ(f.gp.map.mapIndex, 0);
    EXPECT_EQ(f.gp.map.Title, "one");
    EXPECT_EQ(f.gp.hero.currentScreen, f.gp.map.screens[2].get());
    EXPECT_EQ(f.gp.hero.Health, 80);
}

// A new game forgets the working state that an earlier game left.
TEST(ChangingMaps, ANewGameStartsOnTheFirstMapWithAFreshWorkingState) {
    SavedGame f;
    f.Play();
    ChangeMap(f.gp, 1);
    SaveSlot(f.gp, 1);
    ASSERT_TRUE(f.root.Exists("Saves/cur-map1.ini"));
    ASSERT_TRUE(LoadProjectMap(f.gp, 0));
    ForgetWorkingState(f.gp);
    EXPECT_EQ(f.gp.map.mapIndex, 0);
    EXPECT_EQ(f.gp.map.Title, "one");
    EXPECT_FALSE(f.root.Exists("Saves/cur-game.ini"));
    EXPECT_FALSE(f.root.Exists("Saves/cur-map1.ini"));
    EXPECT_TRUE(f.root.Exists("Saves/1-game.ini"));  // slots stay
    StartWorld(f.gp.map, f.gp.hero);
    ChangeMap(f.gp, 1);
    ChangeMap(f.gp, 0);
    EXPECT_EQ(f.gp.map.screens[0]->North, -2);  // the earlier game's opened exit is gone
    ForgetWorkingState(f.gp);                   // nothing to forget is no error
    ForgetWorkingState(f.gp);
}

}  // namespace
}  // namespace velmora::world

// Walking, describing, dying, and the object actions with their standard messages.
#include <gtest/gtest.h>

#include "unit/rules/rules_fixture.h"
#include "world/game_files.h"

namespace velmora::rules::test {
namespace {

using Lines = std::vector<std::string>;

struct ActionsTest : RulesFixture, ::testing::Test {
    ActionsTest() {
        world::MGame& g = gp.game;
        g.ITake.lines = {Ru("Взял.")};
        g.IDrop.lines = {Ru("Бросил.")};
        g.TooHavy.lines = {Ru("Тяжело.")};
        g.ICantTake.lines = {Ru("Не взять.")};
        g.ICant.lines = {Ru("Не выходит.")};
        g.NotInter.lines = {Ru("Ничего особенного.")};
        g.NotExam.lines = {Ru("Не разглядеть.")};
        g.StdRest.lines = {Ru("Отдохнул.")};
        g.LongRest.lines = {Ru("Хватит спать.")};
        g.Death.lines = {Ru("Ты умер.")};
        g.RestIncHealth = 10;
        g.RestDecHealth = 5;
        g.GoDecHealth = 1;
        AddScreen(0, "Двор", 0, 0);
        AddScreen(5, "Башня", 0, 1);
        AddScreen(9, "Сад", 1, 0);
        gp.hero.Health = 50;
    }
    world::MScreen& S(size_t i) { return *gp.map.screens[i]; }
};

TEST_F(ActionsTest, ExitsFollowValuesTheGridAndAltLabels) {
    S(0).North = -1;  // the map: screen 1 stands at (0, 1)
    S(0).South = 2;
    S(0).West = -2;
    S(0).East = -1;   // (1, 0) holds screen 2
    gp.map.screens.erase(gp.map.screens.begin() + 2);  // now (1, 0) is empty
    gp.map.ScrCount = 2;
    Start();
    std::vector<Exit> exits;
    EXPECT_EQ(rules->ListExits(exits), kNorthBit | kSouthBit);
    ASSERT_EQ(exits.size(), 2u);
    EXPECT_EQ(exits[0].label, Ru("Север"));
    EXPECT_EQ(exits[0].target, 1);
    EXPECT_EQ(exits[1].label, Ru("Юг"));
    EXPECT_EQ(exits[1].target, 2);
    S(0).AltN = Ru("В башню");
    EXPECT_EQ(rules->ListExits(exits), kSouthBit);
    EXPECT_EQ(exits[0].label, Ru("В башню"));
    // Without a grid an exit through the map leads nowhere.
    gp.map.grid.clear();
    EXPECT_EQ(rules->ListExits(exits), kSouthBit);
    EXPECT_EQ(exits.size(), 1u);
}

TEST_F(ActionsTest, WalkingDescribesInOrderOrByStateAndCostsHealth) {
    S(1).Descr.lines = {Ru("раз"), Ru("два"), Ru("три")};
    S(1).OnEnter = "say entered";
    root.Write("Projects/Test/gif/1.gif", "GIF");
    Start();
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(rules->WalkTo(1));
        EXPECT_TRUE(rules->WalkTo(0));
    }
    const Lines said = Said();
    EXPECT_EQ(said[0], "Экран: Башня. раз");
    EXPECT_EQ(said[1], "entered");
    EXPECT_EQ(said[6], "Экран: Башня. три");
    EXPECT_EQ(gp.hero.Health, 42);
    EXPECT_EQ(view.status, "42 0 0");
    EXPECT_EQ(gp.vars.glob_goingto, -1);
    EXPECT_EQ(transcript.With("picture ").front(), "1.gif");
    EXPECT_EQ(gp.hero.LastMessage, Ru("не задано"));  // screen 0 has no descriptions
    S(1).DescrOnState = 1;
    S(1).State = 1;
    S(1).OnEnter.clear();
    rules->WalkTo(1);
    EXPECT_EQ(Said().back(), "Экран: Башня. два");
    EXPECT_EQ(gp.hero.LastMessage, Ru("два"));
    EXPECT_EQ(view.gameText, Ru("два"));
}

TEST_F(ActionsTest, AMoveThatKillsSkipsTheArrival) {
    gp.game.GoDecHealth = 10;
    gp.hero.Health = 10;
    S(1).OnEnter = "say never";
    Start();
    events.Key();
    events.Key();
    EXPECT_FALSE(rules->WalkTo(1));
    EXPECT_EQ(Said().front(), "Ты умер.");
    EXPECT_EQ(transcript.With("main menu").size(), 1u);
    EXPECT_EQ(gp.vars.glob_goingto, 1);  // kept after a death
    for (const auto& s : Said()) EXPECT_NE(s, "never");
}

// A death in the middle of an action ends the action: a `health` that kills
// in the script run on every action does not let the walk go on into a
// second death, and a command that dies is not answered with the refusal
// sound over the main menu. (The script itself goes on after the death.)
TEST_F(ActionsTest, ADeathInTheMiddleOfAnActionEndsIt) {
    S(0).OnAnyAct = "health -100\r\nsay after";
    world::MObj& key = AddObject(1, "ключ", world::kCarried);
    AddCommand(1, 1, 1, {"die 1"});
    Start();
    events.Key();
    events.Key();
    rules->WalkTo(1);
    EXPECT_EQ(transcript.With("main menu").size(), 1u);
    EXPECT_EQ(gp.hero.CurScrNo, 0);
    EXPECT_EQ(gp.hero.Health, -50);  // the walk's cost was not taken

    S(0).OnAnyAct.clear();
    gp.hero.Health = 50;
    events.Key();
    events.Key();
    Sounds();
    EXPECT_FALSE(rules->UseObjects(key, 1, 0));
    EXPECT_EQ(transcript.With("main menu").size(), 2u);
    for (const auto& sound : Sounds()) EXPECT_NE(sound, "PlaySample start.wav");
}

TEST_F(ActionsTest, OnGoCanRefuseAndForcedScriptsReplaceTheMove) {
    S(0).OnGo = Ru("if going 1\r\nret\r\nendif");
    Start();
    EXPECT_TRUE(rules->WalkTo(1));
    EXPECT_EQ(gp.hero.CurScrNo, 0);
    EXPECT_EQ(gp.hero.Health, 50);  // no cost
    S(0).OnGo.clear();
    S(0).OnAnyAct = "say any";
    S(0).Scripts.lines = {"say forced"};
    gp.vars.glob_forced = 1;
    EXPECT_TRUE(rules->WalkTo(1));
    EXPECT_EQ(Said(), (Lines{"any", "forced"}));
    EXPECT_EQ(gp.hero.CurScrNo, 0);
    EXPECT_TRUE(rules->WalkTo(1));  // once only
    EXPECT_EQ(gp.hero.CurScrNo, 1);
}

TEST_F(ActionsTest, TakingRespectsTakableAndTheLoadLimit) {
    world::MObj& light = AddObject(1, "перо", 0, 5);
    world::MObj& heavy = AddObject(2, "камень", 0, 6);
    world::MObj& fixed = AddObject(3, "стол", 0, 1);
    fixed.Takable = 0;
    Start();
    gp.hero.BagFull = 95;
    auto indexOf = [&](world::MObj& o) {
        auto& here = S(0).objectsHere;
        return static_cast<int32_t>(std::find(here.begin(), here.end(), &o) - here.begin());
    };
    EXPECT_FALSE(rules->TakeObject(indexOf(heavy), false));
    EXPECT_FALSE(rules->TakeObject(indexOf(fixed), false));
    EXPECT_TRUE(rules->TakeObject(indexOf(light), false));  // 100 is allowed
    EXPECT_EQ(gp.hero.BagFull, 100);
    EXPECT_EQ(light.ScrWhere, -1);
    EXPECT_EQ(gp.hero.carried, std::vector<world::MObj*>{&light});
    EXPECT_EQ(Said(), (Lines{"Тяжело.", "Не взять.", "Взял."}));
    EXPECT_FALSE(rules->TakeObject(-1, false));
    EXPECT_FALSE(rules->TakeObject(99, false));
}

TEST_F(ActionsTest, OnTakeDecidesAndItsSaySwallowsTheStandardMessage) {
    world::MObj& key = AddObject(1, "ключ", 0);
    key.OnTake = "ret";
    Start();
    EXPECT_FALSE(rules->TakeObject(0, false));
    EXPECT_EQ(S(0).objectsHere.size(), 1u);
    key.OnTake = Ru("say Ключ холодный.");
    EXPECT_TRUE(rules->TakeObject(0, false));
    EXPECT_EQ(Said(), (Lines{"Ключ холодный."}));
    EXPECT_FALSE(rules->suppressNext);
}

TEST_F(ActionsTest, DroppingAlwaysWorksAndRunsOnDrop) {
    world::MObj& key = AddObject(1, "ключ", world::kCarried, 4);
    key.OnDrop = "ret";
    Start();
    gp.hero.BagFull = 4;
    rules->DropObject(0, false);
    EXPECT_EQ(key.ScrWhere, 0);
    EXPECT_EQ(gp.hero.BagFull, 0);
    EXPECT_EQ(S(0).objectsHere, std::vector<world::MObj*>{&key});
    EXPECT_EQ(Said(), (Lines{"Бросил."}));
}

TEST_F(ActionsTest, ExaminingSaysDescriptionsNotExamOrNotInter) {
    world::MObj& book = AddObject(1, "книга", 0);
    world::MObj& dust = AddObject(2, "пыль", 0);
    book.Descr.lines = {Ru("Старая."), Ru("Очень старая.")};
    book.DescrOnState = 0;
    book.OnExam = "say open";
    dust.OnExam = "say dusty";
    Start();
    rules->ExamineObject(book);
    rules->ExamineObject(book);
    rules->ExamineObject(book);
    EXPECT_EQ(Said(), (Lines{"open", "open", "open"}));  // the script's say swallows the description
    transcript.lines.clear();
    book.OnExam.clear();
    book.DescrOnState = 1;
    book.State = 0;
    rules->ExamineObject(book);
    book.NotExam = 1;
    rules->ExamineObject(book);
    rules->ExamineObject(dust);
    EXPECT_EQ(Said(), (Lines{"Старая.", "Не разглядеть.", "dusty"}));
}

TEST_F(ActionsTest, CommandsCountUsesGiveExperienceAndHonourConditions) {
    world::MObj& key = AddObject(1, "ключ", world::kCarried);
    world::MObj& door = AddObject(2, "дверь", 0);
    world::MScript& open = AddCommand(1, 1, 2, {"state 3"});
    open.Message = Ru("Дверь открыта.");
    open.cObj1Carry = 1;
    open.cObj2Carry = 0;
    open.cScr = 0;  // only on the screen numbered 0
    world::MScript& self = AddCommand(2, 1, 1, {"say alone"});
    self.cScr = 5;  // only on the screen numbered 5
    Start();
    EXPECT_TRUE(rules->UseObjects(key, door.no, 0));
    EXPECT_EQ(open.used, 1);
    EXPECT_EQ(gp.hero.Level, 1);
    EXPECT_EQ(S(0).State, 3);
    EXPECT_EQ(Sounds(), (Lines{"PlaySample chimes.wav"}));
    EXPECT_FALSE(rules->UseObjects(key, door.no, 0));  // MaxOnce 1
    EXPECT_EQ(Sounds(), (Lines{"PlaySample start.wav"}));
    EXPECT_EQ(Said(), (Lines{"Дверь открыта.", "Не выходит."}));
    // One-object use applies only on its screen.
    EXPECT_FALSE(rules->SingleCommandFor(key, 0));
    EXPECT_TRUE(rules->SingleCommandFor(key, 5));
    self.cScr = -1;  // matches no screen
    EXPECT_FALSE(rules->SingleCommandFor(key, 5));
    // Carry conditions: the first object must be carried.
    open.used = 0;
    key.ScrWhere = 0;
    EXPECT_FALSE(rules->UseObjects(key, door.no, 0));
    EXPECT_EQ(open.used, 0);
}

TEST_F(ActionsTest, AFailingCommandScriptSaysItsOwnLineButStillSounds) {
    world::MObj& key = AddObject(1, "ключ", world::kCarried);
    AddCommand(1, 1, 1, {"say not now", "ret"});
    Start();
    EXPECT_FALSE(rules->UseObjects(key, 1, 0));
    EXPECT_EQ(Said(), (Lines{"not now"}));
    EXPECT_EQ(Sounds(), (Lines{"PlaySample start.wav"}));
}

TEST_F(ActionsTest, RestingFirstGivesThenCostsUntilTheHeroMoves) {
    Start();
    gp.hero.Health = 95;
    rules->Rest();
    EXPECT_EQ(gp.hero.Health, 100);  // capped
    rules->Rest();
    EXPECT_EQ(gp.hero.Health, 95);
    rules->WalkTo(1);
    rules->WalkTo(0);
    S(0).RestMessage.lines = {Ru("Тут уютно.")};
    rules->Rest();
    EXPECT_EQ(Said(), (Lines{"Отдохнул.", "Хватит спать.", "Экран: Башня. не задано",
                             "Экран: Двор. не задано", "Тут уютно."}));
    // A screen where resting kills.
    S(0).DieOnRest = Ru("Волки.");
    events.Key();
    events.Key();
    rules->Rest();
    EXPECT_EQ(Said()[5], "Волки.");
}

TEST_F(ActionsTest, HeroStateKeepsTheLastMessage) {
    gp.hero.LastMessage = "story";
    gp.hero.Health = 7;
    gp.hero.BagFull = 3;
    gp.hero.Level = 2;
    rules->SayHeroState();
    EXPECT_EQ(Said(), (Lines{"Здоровье - 7, нагрузка - 3, опыт - 2"}));
    EXPECT_EQ(gp.hero.LastMessage, "story");
}

TEST_F(ActionsTest, AnAwaitedCommandGoesOnAndAnythingElseRunsTheStatement) {
    world::MObj& key = AddObject(1, "ключ", world::kCarried);
    AddCommand(12, 1, 1, {"say twelve"});
    Start();
    gp.vars.glob_waited_act = 12;
    gp.vars.glob_waited_act_cmd = "say instead";
    EXPECT_TRUE(rules->UseObjects(key, 1, 0));
    gp.vars.glob_waited_act = 12;
    rules->Rest();
    EXPECT_EQ(Said(), (Lines{"twelve", "instead"}));
    EXPECT_EQ(gp.hero.fRest, 0);
}

}  // namespace
}  // namespace velmora::rules::test

namespace velmora::rules::test {
namespace {

// Two maps on disk: the statement `map` replaces the records while a script runs.
struct MapChangeTest : RulesFixture, ::testing::Test {
    MapChangeTest() {
        auto file = [](std::initializer_list<std::string> lines) {
            std::string text;
            for (const auto& l : lines) text += Ru(l) + "\r\n";
            return text;
        };
        root.Write("Projects/Test/game.ini", file({"GameInitHealth=50"}));
        root.Write("Projects/Test/map1.ini",
                   file({"MapFirstMessage=Первая карта", "MapScrCount=1", "Scr0no=0",
                         "Scr0Title=Двор", "MapObjCount=1", "Obj0no=0", "Obj0Title=ключ",
                         "Obj0ScrWhere=-1", "Obj0Visible=1", "Obj0Takable=1", "MapCmdCount=1",
                         "Cmd0no=1", "Cmd0cScr=-2", "Cmd0cObj1=0", "Cmd0cObj2=0",
                         "Cmd0MaxOnce=1", "Cmd0Enabled=1", "Cmd0Message=Дверь открылась.",
                         "Cmd0list->Text=map 1\\nsay ушли\\n"}));
        root.Write("Projects/Test/map2.ini",
                   file({"MapFirstMessage=Вторая карта", "MapScrCount=1", "Scr0no=0",
                         "Scr0Title=Подвал"}));
        root.Write("Projects/Test/gif/0.gif", "GIF");
        world::LoadProject(gp);
        world::StartWorld(gp.map, gp.hero);
    }
};

TEST_F(MapChangeTest, ACommandThatChangesTheMapStillSaysItsMessageAndGivesExperience) {
    world::MObj& key = *gp.map.objects[0];
    EXPECT_TRUE(rules->UseObjects(key, 0, 0));
    EXPECT_EQ(gp.map.mapIndex, 1);
    EXPECT_EQ(gp.map.screens[0]->Title, Ru("Подвал"));
    EXPECT_EQ(gp.hero.Level, 1);
    // The new map is announced, the script goes on, its say swallows the message.
    EXPECT_EQ(Said(), (Lines{"Вторая карта", "ушли"}));
    EXPECT_EQ(rules->worldGeneration, 1u);
    EXPECT_EQ(transcript.With("picture ").back(), "0.gif");
    // Back on the first map, the command's use was saved before it counted.
    rules->ChangeMap(0);
    EXPECT_EQ(gp.map.commands[0]->used, 0);
}

// A map that cannot be entered (damaged, missing, or the working state cannot
// be written) fails the statement: the script stops, the game stays where it
// was, and the player hears the error.
TEST_F(MapChangeTest, AMapThatCannotBeEnteredIsReportedAndStopsTheScript) {
    // A map file the project lacks: nothing is written, the hero stays.
    EXPECT_FALSE(RunLines({"map 7", "say still here"}));
    ASSERT_EQ(transcript.With("error ").size(), 1u);
    EXPECT_NE(transcript.With("error ")[0].find("map8.ini"), std::string::npos);
    EXPECT_FALSE(root.Exists("Saves/cur-game.ini"));
    EXPECT_EQ(gp.map.mapIndex, 0);
    EXPECT_EQ(gp.map.screens[0]->Title, Ru("Двор"));
    EXPECT_TRUE(Said().empty());

    root.Write("Projects/Test/map3.ini", "MapScrCount=70000\r\n");
    EXPECT_FALSE(RunLines({"map 2", "say still here"}));
    EXPECT_EQ(gp.map.mapIndex, 0);
    EXPECT_EQ(rules->worldGeneration, 0u);
    ASSERT_EQ(transcript.With("error ").size(), 2u);
    EXPECT_NE(transcript.With("error ")[1].find("map3.ini"), std::string::npos);
    EXPECT_TRUE(Said().empty());
}

TEST_F(MapChangeTest, ACommandWhoseMapChangeFailsIsNotUsedUpAndCanBeTriedAgain) {
    // The working state cannot be written: a file stands where its folder goes.
    root.Write("Saves", "not a folder");
    world::MObj& key = *gp.map.objects[0];
    EXPECT_FALSE(rules->UseObjects(key, 0, 0));
    EXPECT_EQ(gp.map.mapIndex, 0);
    EXPECT_EQ(gp.map.commands[0]->used, 0);
    EXPECT_EQ(gp.hero.Level, 0);
    ASSERT_EQ(transcript.With("error ").size(), 1u);
    // The error is the answer: no success message and no refusal spoken over it.
    EXPECT_TRUE(Said().empty());
    EXPECT_TRUE(soundLog->Take().empty());

    std::filesystem::remove(root.path() / "Saves");
    transcript.lines.clear();
    EXPECT_TRUE(rules->UseObjects(*gp.map.objects[0], 0, 0));
    EXPECT_EQ(gp.map.mapIndex, 1);
    EXPECT_EQ(gp.hero.Level, 1);
}

// Scripts that change maps and call each other: one action changes maps only
// a few times, then stops, instead of writing the working state for minutes.
TEST_F(MapChangeTest, OneActionChangesMapsOnlyAFewTimes) {
    root.Write("Projects/Test/map1.ini",
               "MapScrCount=1\r\nScr0no=0\r\nScr0ScriptsCnt=1\r\n"
               "Scr0Scripts0=map 0\\ncall 1\\ncall 1\r\n");
    world::LoadProject(gp);
    world::StartWorld(gp.map, gp.hero);
    EXPECT_FALSE(RunLines({"call 1", "say after"}));
    EXPECT_EQ(rules->worldGeneration, static_cast<uint64_t>(kMaxMapChangesPerAction));
    EXPECT_TRUE(transcript.With("error ").empty());
    for (const std::string& line : Said()) EXPECT_NE(line, "after");
    // The next action has its own allowance.
    EXPECT_FALSE(RunLines({"map 0", "map 0", "ret"}));
    EXPECT_EQ(rules->worldGeneration, static_cast<uint64_t>(kMaxMapChangesPerAction) + 2);
}

}  // namespace
}  // namespace velmora::rules::test

#include "world/link.h"

#include <gtest/gtest.h>

#include <climits>

namespace velmora::world {
namespace {

MScreen& AddScreen(MMap& map, int32_t no, int32_t x = 0, int32_t y = 0) {
    map.screens.push_back(std::make_unique<MScreen>());
    MScreen& s = *map.screens.back();
    s.no = no;
    s.x = x;
    s.y = y;
    map.ScrCount = static_cast<int32_t>(map.screens.size());
    return s;
}

MObj& AddObject(MMap& map, int32_t no, int32_t where, int32_t visible = 1) {
    map.objects.push_back(std::make_unique<MObj>());
    MObj& o = *map.objects.back();
    o.no = no;
    o.ScrWhere = where;
    o.Visible = visible;
    map.ObjCount = static_cast<int32_t>(map.objects.size());
    return o;
}

MScript& AddCommand(MMap& map, int32_t no, int32_t obj1, int32_t obj2) {
    map.commands.push_back(std::make_unique<MScript>());
    MScript& c = *map.commands.back();
    c.no = no;
    c.cObj1 = obj1;
    c.cObj2 = obj2;
    map.CmdCount = static_cast<int32_t>(map.commands.size());
    return c;
}

TEST(MapGrid, SpansAllScreensAndTheOrigin) {
    MMap map;
    AddScreen(map, 0, 2, 3);
    AddScreen(map, 1, 4, 5);
    ASSERT_TRUE(BuildMapGrid(map));
    EXPECT_EQ(map.gridWidth, 5);
    EXPECT_EQ(map.gridHeight, 6);
    EXPECT_EQ(map.grid.size(), 30u);
    EXPECT_EQ(CellAt(map, 2, 3), 0);
    EXPECT_EQ(CellAt(map, 4, 5), 1);
    EXPECT_EQ(CellAt(map, 0, 0), -1);   // empty cell inside
    EXPECT_EQ(CellAt(map, 5, 5), -2);   // one step outside
    EXPECT_EQ(CellAt(map, -1, 0), -2);
    EXPECT_EQ(CellAt(map, 4, 6), -2);
}

TEST(MapGrid, LaterScreenWinsASharedCellAndNegativeCoordinatesWork) {
    MMap map;
    AddScreen(map, 0, -3, -2);
    AddScreen(map, 1, 1, 1);
    AddScreen(map, 2, 1, 1);
    ASSERT_TRUE(BuildMapGrid(map));
    EXPECT_EQ(map.gridMinX, -3);
    EXPECT_EQ(map.gridMinY, -2);
    EXPECT_EQ(CellAt(map, -3, -2), 0);
    EXPECT_EQ(CellAt(map, 1, 1), 2);
}

TEST(MapGrid, TooBigOrNoGridLeadsNowhereWithoutFailing) {
    MMap map;
    AddScreen(map, 0, 0, 0);
    AddScreen(map, 1, 300, 300);  // 301 x 301 = 90601 cells
    EXPECT_FALSE(BuildMapGrid(map));
    EXPECT_TRUE(map.grid.empty());
    EXPECT_EQ(map.gridWidth, 301);
    EXPECT_EQ(CellAt(map, 0, 0), -2);
    // Extreme coordinates do not overflow anything.
    MMap wide;
    AddScreen(wide, 0, INT32_MIN, INT32_MIN);
    AddScreen(wide, 1, INT32_MAX, INT32_MAX);
    EXPECT_FALSE(BuildMapGrid(wide));
    EXPECT_EQ(wide.gridWidth, INT32_MAX);
    EXPECT_EQ(CellAt(wide, INT32_MAX, INT32_MIN), -2);
    MMap tall;  // a line one cell wide but too long
    AddScreen(tall, 0, 0, 70000);
    EXPECT_FALSE(BuildMapGrid(tall));
    // Never built at all.
    MMap none;
    EXPECT_EQ(CellAt(none, 0, 0), -2);
    // Exactly 65535 cells is allowed.
    MMap edge;
    AddScreen(edge, 0, 65534, 0);
    EXPECT_TRUE(BuildMapGrid(edge));
    EXPECT_EQ(CellAt(edge, 65534, 0), 0);
}

TEST(Lookups, NumbersWithGapsWalkBackFromThePosition) {
    MMap map;
    for (int32_t no : {0, 1, 5, 9}) AddScreen(map, no);
    EXPECT_EQ(ScreenIndexOf(map, 5), 2);
    EXPECT_EQ(ScreenIndexOf(map, 4), -1);
    EXPECT_EQ(ScreenIndexOf(map, 9), 3);
    EXPECT_EQ(ScreenIndexOf(map, 12), -1);
    EXPECT_EQ(ScreenIndexOf(map, 0), 0);
    EXPECT_EQ(ScreenIndexOf(map, -3), -3);  // negative numbers come back unchanged
    EXPECT_EQ(ScreenIndexOf(map, INT32_MAX), -1);
    MMap empty;
    EXPECT_EQ(ScreenIndexOf(empty, 7), 7);

    for (int32_t no : {2, 4, 7}) AddObject(map, no, -2);
    EXPECT_EQ(ObjectIndexOf(map, 7), 2);
    EXPECT_EQ(ObjectIndexOf(map, 3), -1);
    for (int32_t no : {1, 2, 3}) AddCommand(map, no, -1, -1);
    EXPECT_EQ(CommandIndexOf(map, 2), 1);
    EXPECT_EQ(CommandIndexOf(map, 0), -1);
}

TEST(Linking, ObjectsGoWhereScrWhereAndVisibleSay) {
    MMap map;
    THero hero;
    AddScreen(map, 0);
    AddScreen(map, 3);
    MObj& carried = AddObject(map, 0, kCarried);
    MObj& hidden = AddObject(map, 1, 3, 0);
    MObj& onThree = AddObject(map, 2, 3);
    AddObject(map, 3, kNowhere);
    AddObject(map, 4, 77);  // no such screen
    LinkWorld(map, hero);
    EXPECT_EQ(hero.carried, std::vector<MObj*>{&carried});
    EXPECT_TRUE(map.screens[0]->objectsHere.empty());
    EXPECT_EQ(map.screens[1]->objectsHere, std::vector<MObj*>{&onThree});
    // Shown later, the hidden object lies on screen number 3; relinking never doubles.
    hidden.Visible = 1;
    LinkWorld(map, hero);
    LinkWorld(map, hero);
    EXPECT_EQ(map.screens[1]->objectsHere, (std::vector<MObj*>{&hidden, &onThree}));
    EXPECT_EQ(hero.carried.size(), 1u);
}

TEST(Linking, CommandsBelongToTheirFirstObjectOnly) {
    MMap map;
    THero hero;
    AddObject(map, 5, kNowhere);
    AddObject(map, 8, kNowhere);
    MScript& alone = AddCommand(map, 1, 5, 5);
    MScript& pair = AddCommand(map, 2, 5, 8);
    AddCommand(map, 3, 6, 5);   // no object 6
    AddCommand(map, 4, -1, 8);  // bound to none
    LinkWorld(map, hero);
    EXPECT_EQ(map.objects[0]->objectCommands, (std::vector<MScript*>{&alone, &pair}));
    EXPECT_TRUE(map.objects[1]->objectCommands.empty());
}

TEST(Linking, NumbersIntoEmptyListsLeadNowhere) {
    // The lookups give the number back for an empty list; linking must not take it as a position.
    MMap map;
    THero hero;
    AddObject(map, 0, 0);       // on screen 0, but there are no screens
    AddCommand(map, 1, 0, 0);   // first object 0 exists
    AddCommand(map, 2, 3, 3);   // first object 3 does not
    LinkWorld(map, hero);
    EXPECT_EQ(map.objects[0]->objectCommands.size(), 1u);
    MMap noObjects;
    AddCommand(noObjects, 1, 0, 0);
    LinkWorld(noObjects, hero);
    EXPECT_EQ(ScreenByNumber(noObjects, 0), nullptr);
    EXPECT_EQ(ObjectByNumber(noObjects, 0), nullptr);
    EXPECT_EQ(CommandByNumber(noObjects, 1), noObjects.commands[0].get());
    EXPECT_EQ(CommandByNumber(noObjects, 5), nullptr);
}

TEST(Linking, StartWorldPutsTheHeroOnTheFirstScreen) {
    MMap map;
    THero hero;
    hero.CurScrNo = 4;
    StartWorld(map, hero);
    EXPECT_EQ(hero.CurScrNo, 0);
    EXPECT_EQ(hero.currentScreen, nullptr);
    AddScreen(map, 10);
    AddScreen(map, 11);
    hero.CurScrNo = 1;
    StartWorld(map, hero);
    EXPECT_EQ(hero.currentScreen, map.screens[0].get());
}

TEST(Hero, ResetKeepsTheLastMessageAndPlace) {
    MGame game;
    game.InitHealth = 70;
    THero hero;
    hero.LastMessage = "said";
    hero.CurScrNo = 2;
    hero.BagFull = 30;
    hero.Level = 4;
    hero.fRest = 1;
    ResetHero(hero, game);
    EXPECT_EQ(hero.Health, 70);
    EXPECT_EQ(hero.BagFull, 0);
    EXPECT_EQ(hero.Level, 0);
    EXPECT_EQ(hero.fRest, 0);
    EXPECT_EQ(hero.LastMessage, "said");
    EXPECT_EQ(hero.CurScrNo, 2);
}

}  // namespace
}  // namespace velmora::world

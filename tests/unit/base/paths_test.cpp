#include "base/paths.h"

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "unit/test_folder.h"

namespace velmora::base {
namespace {

using test::TestFolder;

TEST(Paths, SplitRefusesWaysOutOfTheRoot) {
    EXPECT_EQ(*SplitRelativePath("Projects\\Default\\"),
              (std::vector<std::string>{"Projects", "Default"}));
    EXPECT_EQ(*SplitRelativePath("a/./b//c"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(SplitRelativePath("..\\secret"));
    EXPECT_FALSE(SplitRelativePath("gif/../../etc/passwd"));
    EXPECT_FALSE(SplitRelativePath("/etc/passwd"));
    EXPECT_FALSE(SplitRelativePath("\\Windows"));
    EXPECT_FALSE(SplitRelativePath("C:\\Windows"));
    EXPECT_FALSE(SplitRelativePath(std::string("a\0b", 3)));
}

TEST(Paths, FindsNamesInAnyLetterCaseWithEitherSeparator) {
    TestFolder dir;
    dir.Write("Projects/Default/GIF/1.gif", "x");
    dir.Write("Projects/Default/Map1.INI", "x");
    const std::string cyr = Cp1251ToUtf8(Utf8ToCp1251("Проект"));
    dir.Write("Projects/" + cyr + "/game.ini", "x");

    EXPECT_EQ(*FindPath(dir.path(), "Projects\\Default\\gif\\1.GIF"),
              dir.path() / "Projects/Default/GIF/1.gif");
    EXPECT_EQ(*FindPath(dir.path(), "projects/default/map1.ini"),
              dir.path() / "Projects/Default/Map1.INI");
    // A Cyrillic folder name given in 1251, in another case.
    EXPECT_EQ(*FindPath(dir.path(), Utf8ToCp1251("PROJECTS\\ПРОЕКТ\\Game.ini")),
              dir.path() / ("Projects/" + cyr + "/game.ini"));
    EXPECT_FALSE(FindPath(dir.path(), "Projects\\Default\\map2.ini"));
    EXPECT_FALSE(FindPath(dir.path(), "Projects\\..\\Projects\\Default\\map1.ini"));
}

TEST(Paths, ExactNameWinsAndWritingKeepsExistingSpelling) {
    TestFolder dir;
    dir.Write("Saves/3-GAME.ini", "upper");
    dir.Write("Saves/3-game.ini", "lower");
    EXPECT_EQ(*FindPath(dir.path(), "saves\\3-game.ini"), dir.path() / "Saves/3-game.ini");
    // An existing file in another case is overwritten, not doubled.
    EXPECT_EQ(*PathForWriting(dir.path(), "SAVES\\3-Game.INI"), dir.path() / "Saves/3-GAME.ini");
    // Missing parts are taken as given.
    EXPECT_EQ(*PathForWriting(dir.path(), "saves\\new\\cur-map2.ini"),
              dir.path() / "Saves/new/cur-map2.ini");
    EXPECT_FALSE(PathForWriting(dir.path(), "Saves\\..\\..\\x"));
}

}  // namespace
}  // namespace velmora::base

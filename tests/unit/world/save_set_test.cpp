// Saves replaced as one unit, the autosave, and the reasons of failures.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "base/errno_text.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "unit/world/world_files.h"
#include "world/autosave.h"
#include "world/game_files.h"
#include "world/link.h"
#include "world/save_set.h"

namespace velmora::world {
namespace {

namespace fs = std::filesystem;
using test::PlainFile;
using test::ProjectFixture;

std::string Map(const std::string& title) {
    return PlainFile({
        "MapTitle=" + title, "MapScrCount=2",
        "Scr0no=0", "Scr0Title=A", "Scr0North=-2", "Scr0South=-2", "Scr0East=-1", "Scr0West=-2",
        "Scr1no=1", "Scr1x=1", "Scr1Title=B", "Scr1North=-2", "Scr1South=-2", "Scr1East=-2", "Scr1West=-1",
        "MapObjCount=1", "Obj0no=2", "Obj0Title=key", "Obj0ScrWhere=1", "Obj0Takable=1", "Obj0Visible=1",
        "MapCmdCount=0",
    });
}

struct Game : ProjectFixture {
    Game() {
        WriteProject("game.ini", PlainFile({"GameInitHealth=80"}));
        WriteProject("map1.ini", Map("one"));
        WriteProject("map2.ini", Map("two"));
        EXPECT_TRUE(LoadProject(gp));
        StartWorld(gp.map, gp.hero);
    }
    fs::path Saves() const { return root.path() / "Saves"; }
    std::vector<std::string> SavesFiles() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(Saves(), ec)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

bool HasLatinLetter(const std::string& text) {
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    }
    return false;
}

TEST(SaveSets, PackedFilesComeBackAndAnyDamageIsRefused) {
    const std::vector<SetFile> files = {
        {"1-game.ini", std::string("a\r\nend 00000000\r\n\0b", 20)},  // looks like an end inside
        {"1-map2.ini", ""},
        {"cur-map1.ini", std::nullopt},
    };
    const std::string packed = PackFiles(files);
    EXPECT_EQ(UnpackFiles(packed, "f"), files);
    EXPECT_TRUE(UnpackFiles(PackFiles({}), "f").empty());
    // Cut short at any length, or any byte changed: refused, never half read.
    for (size_t n = 0; n < packed.size(); ++n) {
        EXPECT_THROW(UnpackFiles(packed.substr(0, n), "f"), base::FileError) << "cut at " << n;
        std::string changed = packed;
        changed[n] = static_cast<char>(changed[n] ^ 0x21);
        EXPECT_THROW(UnpackFiles(changed, "f"), base::FileError) << "byte " << n;
    }
    // A name that would lead out of the folder is never written or read.
    for (const char* name : {"../x", "a/b", ".hidden", "", "sp ace"}) {
        EXPECT_FALSE(IsPlainName(name)) << name;
        EXPECT_THROW(PackFiles({{name, ""}}), std::invalid_argument) << name;
    }
}

// What a kill at each moment of a replacement leaves, and what the next
// start makes of it: the old set or the new one, whole.
TEST(SaveSets, AKillAtAnyStepLeavesTheOldOrTheNewSetWhole) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> left;  // files on disk after the kill
        std::string game, map;                                  // what the next start sees
        const char* said = nullptr;  // why the start is told of damage, if it is
    };
    const std::string journal = PackFiles({{"1-game.ini", ""}, {"1-map1.ini", ""}});
    const std::vector<Case> cases = {
        {"a temporary file half written", {{"1-game.ini.new.tmp-a1B2c3", "ne"}}, "old", "old"},
        {"one file staged", {{"1-game.ini.new", "new"}}, "old", "old"},
        {"both staged, no journal", {{"1-game.ini.new", "new"}, {"1-map1.ini.new", "new"}}, "old", "old"},
        {"the journal half written",
         {{"1-game.ini.new", "new"}, {"1-map1.ini.new", "new"}, {"1-pending.tmp-Zz9999", journal.substr(0, 9)}},
         "old", "old"},
        {"journal in", {{"1-game.ini.new", "new"}, {"1-map1.ini.new", "new"}, {"1-pending", journal}}, "new", "new"},
        {"game renamed", {{"1-game.ini", "new"}, {"1-map1.ini.new", "new"}, {"1-pending", journal}}, "new", "new"},
        {"both renamed", {{"1-game.ini", "new"}, {"1-map1.ini", "new"}, {"1-pending", journal}}, "new", "new"},
        // Damage from outside (a journal is renamed in whole) is told; the old save stands.
        {"a damaged journal", {{"1-game.ini.new", "new"}, {"1-pending", journal.substr(1)}}, "old", "old",
         "1-pending: файл повреждён"},
    };
    for (const Case& c : cases) {
        test::TestFolder folder;
        folder.Write("Saves/1-game.ini", "old");
        folder.Write("Saves/1-map1.ini", "old");
        for (const auto& [name, bytes] : c.left) folder.Write("Saves/" + name, bytes);
        try {
            RecoverFolder(folder.path() / "Saves");
            EXPECT_EQ(c.said, nullptr) << c.what << ": nothing told";
        } catch (const base::FileError& e) {
            ASSERT_NE(c.said, nullptr) << c.what << ": " << e.what();
            EXPECT_NE((e.file() + ": " + e.problem()).find(c.said), std::string::npos) << e.what();
        }
        EXPECT_EQ(folder.Read("Saves/1-game.ini"), c.game) << c.what;
        EXPECT_EQ(folder.Read("Saves/1-map1.ini"), c.map) << c.what;
        size_t files = 0;
        for (const auto& e : fs::directory_iterator(folder.path() / "Saves")) {
            ++files;
            (void)e;
        }
        EXPECT_EQ(files, 2u) << c.what << ": nothing else is left";
    }
}

// The real thing: a process replacing a pair again and again, killed at
// random moments. After each kill the pair is one version, whole.
TEST(SaveSets, KilledWritersLeaveWholePairs) {
    test::TestFolder folder;
    const fs::path saves = folder.path() / "Saves";
    fs::create_directories(saves);
    ReplaceAsOne(saves, "1-", {{"1-game.ini", "v0"}, {"1-map1.ini", "v0"}});
    std::mt19937 random(7);
    int torn = 0;
    for (int kill = 0; kill < 40; ++kill) {
        int writing[2];
        ASSERT_EQ(::pipe(writing), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child never returns into the test runner, whatever happens.
            ::close(writing[0]);
            try {
                for (int i = 1;; ++i) {
                    std::string v(1, 'v');  // appended, not "v" + …: GCC 12 at -O3 warns wrongly
                    v += std::to_string(i);
                    v.append(static_cast<size_t>(i % 5000), 'x');
                    ReplaceAsOne(saves, "1-", {{"1-game.ini", v}, {"1-map1.ini", v}});
                    if (i == 1 && ::write(writing[1], "w", 1) != 1) ::_exit(2);
                }
            } catch (...) {
            }
            ::_exit(1);
        }
        // The kill falls among replacements, not before the first: the child
        // says when it has made one.
        ::close(writing[1]);
        pollfd made{writing[0], POLLIN, 0};
        char said = 0;
        const bool one = ::poll(&made, 1, 30000) == 1 && ::read(writing[0], &said, 1) == 1;
        ::close(writing[0]);
        if (!one) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            FAIL() << "the writer made no replacement within 30 s";
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 3000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        RecoverFolder(saves);
        const std::string game = folder.Read("Saves/1-game.ini");
        if (game != folder.Read("Saves/1-map1.ini") || game.empty()) ++torn;
        for (const auto& e : fs::directory_iterator(saves)) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name == "1-game.ini" || name == "1-map1.ini") << name << " left after a kill";
        }
    }
    EXPECT_EQ(torn, 0);
}

TEST(SaveSets, AFailedSaveLeavesTheOldPairAndNothingElse) {
    Game f;
    SaveSlot(f.gp, 1);
    const std::string game = f.root.Read("Saves/1-game.ini");
    const std::string map = f.root.Read("Saves/1-map1.ini");
    f.gp.hero.Health = 3;
    f.root.Write("Saves/1-map1.ini.new/blocker", "");  // the staged file cannot be made
    EXPECT_THROW(SaveSlot(f.gp, 1), base::FileError);
    EXPECT_EQ(f.root.Read("Saves/1-game.ini"), game);
    EXPECT_EQ(f.root.Read("Saves/1-map1.ini"), map);
    EXPECT_FALSE(f.root.Exists("Saves/1-game.ini.new"));
    EXPECT_FALSE(f.root.Exists("Saves/1-pending"));
}

// Two saves into one slot on two maps within one tick of the file clock:
// the load still takes the map saved last.
TEST(SaveSets, TheSlotsNewestMapIsTheOneSavedLast) {
    for (int first : {0, 1}) {
        Game f;
        if (first == 1) ChangeMap(f.gp, 1);
        SaveSlot(f.gp, 2);
        ChangeMap(f.gp, 1 - first);
        f.gp.hero.Health = 33;
        SaveSlot(f.gp, 2);
        // Both map files now carry the same time, as on a coarse clock.
        const auto t = fs::last_write_time(f.Saves() / "2-map1.ini");
        fs::last_write_time(f.Saves() / "2-map2.ini", t);
        SaveSlot(f.gp, 2);
        Game restarted;
        for (const char* name : {"2-game.ini", "2-map1.ini", "2-map2.ini"}) {
            const fs::path from = f.Saves() / name;
            fs::create_directories(restarted.Saves());
            fs::copy_file(from, restarted.Saves() / name);
            fs::last_write_time(restarted.Saves() / name, fs::last_write_time(from));
        }
        ASSERT_TRUE(LoadSlot(restarted.gp, 2));
        EXPECT_EQ(restarted.gp.map.mapIndex, 1 - first);
        EXPECT_EQ(restarted.gp.hero.Health, 33);
    }
}

TEST(Autosave, KeepsTheGameAndTheWorkingStateOfOtherMaps) {
    Game f;
    f.gp.map.objects[0]->ScrWhere = kCarried;  // the key taken on map 1
    LinkWorld(f.gp.map, f.gp.hero);
    ChangeMap(f.gp, 1);
    f.gp.map.screens[1]->State = 4;
    f.gp.hero.CurScrNo = 1;
    f.gp.hero.Health = 42;
    f.gp.hero.LastMessage = "here";
    LinkWorld(f.gp.map, f.gp.hero);
    AutosaveWriter writer;
    writer.Write(f.gp);
    const std::string workingMap1 = f.root.Read("Saves/cur-map1.ini");

    // The next start: a fresh game, a working state that another game changed.
    Game next;
    fs::create_directories(next.Saves());
    fs::copy_file(f.Saves() / "autosave.sav", next.Saves() / "autosave.sav");
    next.root.Write("Saves/cur-map1.ini", "");
    next.root.Write("Saves/cur-map7.ini", "");
    const auto save = ReadAutosave(next.gp);
    ASSERT_TRUE(save);
    EXPECT_TRUE(AutosaveBelongs(*save, next.gp));
    CheckAutosave(next.gp, *save);
    EXPECT_EQ(next.gp.map.Title, "one");  // a check changes nothing
    LoadAutosave(next.gp, *save);
    EXPECT_EQ(next.gp.map.Title, "two");
    EXPECT_EQ(next.gp.map.screens[1]->State, 4);
    EXPECT_EQ(next.gp.hero.Health, 42);
    EXPECT_EQ(next.gp.hero.LastMessage, "here");
    EXPECT_EQ(next.gp.hero.currentScreen, next.gp.map.screens[1].get());
    EXPECT_EQ(next.root.Read("Saves/cur-map1.ini"), workingMap1);
    EXPECT_FALSE(next.root.Exists("Saves/cur-map7.ini"));
    // Back on map 1 the key is still carried: nothing done there was lost.
    ChangeMap(next.gp, 0);
    EXPECT_EQ(next.gp.map.objects[0]->ScrWhere, kCarried);

    // Another project's autosave is not this game's.
    next.gp.folders.projectPath = "Projects\\Other\\";
    EXPECT_FALSE(AutosaveBelongs(*save, next.gp));
    // A game that ended leaves none.
    ForgetAutosave(next.gp);
    EXPECT_FALSE(ReadAutosave(next.gp));
}

TEST(Autosave, ADamagedAutosaveIsRefusedAndChangesNothing) {
    Game f;
    AutosaveWriter writer;
    f.gp.hero.Health = 5;
    writer.Write(f.gp);
    const std::string good = f.root.Read("Saves/autosave.sav");
    f.root.Write("Saves/cur-map2.ini", "theirs");
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string wrongScreen = good;
    const std::vector<Case> cases = {
        {"cut short", good.substr(0, good.size() / 2)},
        {"a byte changed", good.substr(0, 40) + "#" + good.substr(41)},
        {"not ours", "HeroHealth=5\r\n"},
        {"no hero", PackFiles({{"project", "Projects\\Test\\"}, {"mapindex", "0"}, {"map.ini", ""}})},
        {"a hero off the map", PackFiles({{"project", "Projects\\Test\\"}, {"mapindex", "0"},
                                          {"game.ini", PlainFile({"HeroHealth=1", "HeroBagFull=0", "HeroLevel=0",
                                                                  "HeroCurScrNo=9", "HerofRest=0",
                                                                  "HeroLastMessage="})},
                                          {"map.ini", ""},
                                          {"cur-map2.ini", "ours"}})},
        {"a map the project lacks", PackFiles({{"project", "Projects\\Test\\"}, {"mapindex", "6"},
                                               {"game.ini", ""}, {"map.ini", ""}})},
    };
    for (const Case& c : cases) {
        Game g;
        g.gp.hero.Health = 77;
        g.root.Write("Saves/autosave.sav", c.bytes);
        g.root.Write("Saves/cur-map2.ini", "theirs");
        try {
            const auto save = ReadAutosave(g.gp);
            ASSERT_TRUE(save) << c.what;
            EXPECT_THROW(CheckAutosave(g.gp, *save), base::FileError) << c.what;
            LoadAutosave(g.gp, *save);
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const base::FileError& e) {
            // Named by the autosave, or by the project's map it needs.
            const bool named = e.file().find("autosave.sav") != std::string::npos ||
                               e.file().find("map7.ini") != std::string::npos;
            EXPECT_TRUE(named) << c.what << ": " << e.what();
        }
        EXPECT_EQ(g.gp.hero.Health, 77) << c.what;
        EXPECT_EQ(g.gp.map.Title, "one") << c.what;
        EXPECT_EQ(g.root.Read("Saves/cur-map2.ini"), "theirs") << c.what;
    }
}

TEST(FileErrors, EveryReasonIsRussian) {
    for (int err : {ENOENT, EACCES, EPERM, ENOSPC, EDQUOT, EFBIG, EROFS, ENOTDIR, EISDIR, EEXIST, ENOTEMPTY,
                    EBUSY, EIO, ENAMETOOLONG, ELOOP, EMFILE, ENOMEM, EXDEV, EINVAL, ENOTSUP, 0, 4242}) {
        const std::string text = base::ErrnoText(err);
        EXPECT_FALSE(text.empty()) << err;
        EXPECT_FALSE(HasLatinLetter(text)) << err << ": " << text;
    }
    // The folders of a save meet the system's reasons through the same words.
    Game f;
    f.root.Write("Saves", "a file where the folder goes");
    try {
        SaveSlot(f.gp, 1);
        ADD_FAILURE() << "saved";
    } catch (const base::FileError& e) {
        EXPECT_FALSE(HasLatinLetter(e.problem())) << e.problem();
    }
    Game g;
    g.root.Write("Saves/cur-game.ini/x", "");  // a folder where a file goes
    try {
        ForgetWorkingState(g.gp);
        ADD_FAILURE() << "removed";
    } catch (const base::FileError& e) {
        EXPECT_FALSE(HasLatinLetter(e.problem())) << e.problem();
    }
}

}  // namespace
}  // namespace velmora::world

#include "base/project_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/paths.h"
#include "unit/test_folder.h"

namespace fs = std::filesystem;

namespace velmora::base {
namespace {

using test::TestFolder;

// A project folder with one file of each hostile kind beside good ones.
struct HostileProject {
    TestFolder dir;
    TestFolder outside;
    fs::path project;

    HostileProject() : project(dir.path() / "Projects/Game") {
        dir.Write("Projects/Game/map1.ini", "Map=1\r\n");
        dir.Write("Projects/Game/gif/1.gif", "GIF89a");
        outside.Write("secret.txt", "password");
        fs::create_directories(project / "Saves");
        EXPECT_EQ(::mkfifo((project / "game.ini").c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", project / "menu.txt");
        fs::create_symlink(outside.path() / "secret.txt", project / "map1.mid");
        fs::create_symlink(project / "gif/1.gif", project / "linked.gif");
        fs::create_symlink(project / "nowhere.wav", project / "dangling.wav");
        // Sparse: one byte over the cap costs no disk.
        const fs::path big = project / "huge.wav";
        dir.Write("Projects/Game/huge.wav", "");
        fs::resize_file(big, MaxFileBytes(FileKind::Sound) + 1);
    }
};

TEST(ProjectFile, GateLetsThroughOnlyRegularFilesInsideWithinTheCap) {
    HostileProject p;
    struct Case {
        const char* name;
        FileKind kind;
        GatedFile::Status status;
        const char* why;  // part of the refusal
    };
    using enum GatedFile::Status;
    const Case cases[] = {
        {"MAP1.INI", FileKind::Text, Found, ""},
        {"gif\\1.gif", FileKind::Picture, Found, ""},
        {"linked.gif", FileKind::Picture, Found, ""},  // a link inside the project
        {"map2.ini", FileKind::Text, Missing, ""},
        {"..\\..\\etc\\passwd", FileKind::Text, Missing, ""},
        {"dangling.wav", FileKind::Sound, Missing, ""},
        {"game.ini", FileKind::Text, Refused, "именованный канал"},
        {"menu.txt", FileKind::Text, Refused, "устройство"},
        {"map1.mid", FileKind::Music, Refused, "за пределы папки игры"},
        {"Saves", FileKind::Text, Refused, "папка"},
        {"huge.wav", FileKind::Sound, Refused, "слишком велик"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GatedFile gated = GateFile(p.project, c.name, c.kind);
        EXPECT_EQ(gated.status, c.status);
        if (c.status == Refused) {
            ASSERT_TRUE(gated.error);
            EXPECT_NE(gated.error->problem().find(c.why), std::string::npos) << gated.error->problem();
            // The player hears which file it was.
            EXPECT_NE(gated.error->file().find(fs::path(c.name).filename().string()), std::string::npos);
        }
    }
    EXPECT_EQ(*ReadProjectFile(p.project, "map1.ini", FileKind::Text), "Map=1\r\n");
    EXPECT_FALSE(ReadProjectFile(p.project, "map2.ini", FileKind::Text));
    EXPECT_THROW(ReadProjectFile(p.project, "game.ini", FileKind::Text), FileError);
    EXPECT_THROW(ReadProjectFile(p.project, "menu.txt", FileKind::Text), FileError);
}

TEST(ProjectFile, OpeningNeverBlocksOnAPipeNorReadsADeviceWithoutEnd) {
    HostileProject p;
    // Straight to the opening half, as a driver would: a pipe with no writer
    // returns at once (a blocking open would hang this test), a device is
    // refused before a byte is read.
    EXPECT_THROW(OpenCheckedFile(p.project / "game.ini", FileKind::Music), FileError);
    EXPECT_THROW(ReadCheckedFile(p.project / "menu.txt", FileKind::Text), FileError);
    EXPECT_THROW(ReadCheckedFile("/dev/zero", FileKind::Sound), FileError);
    EXPECT_THROW(ReadCheckedFile(p.project / "huge.wav", FileKind::Sound), FileError);
    EXPECT_EQ(ReadCheckedFile(p.project / "map1.ini", FileKind::Text), "Map=1\r\n");
}

// The program's own files and the player's saves meet the same gate, each
// with the cap of its kind: a pipe, a device or a huge sparse file in place
// of main.ini or of a save's journal is refused at once with the reason.
TEST(ProjectFile, SettingsAndSavesAreReadThroughTheGateWithTheirCaps) {
    TestFolder dir;
    const std::string bytes("a\0b\r\nc", 6);
    dir.Write("main.ini", bytes);
    EXPECT_EQ(ReadCheckedFile(dir.path() / "main.ini", FileKind::Settings), bytes);
    ASSERT_EQ(::mkfifo((dir.path() / "1-pending").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.path() / "colors.ini");
    for (const auto& [name, kind] : {std::pair{"big.ini", FileKind::Settings}, {"autosave.sav", FileKind::Save}}) {
        dir.Write(name, "");
        fs::resize_file(dir.path() / name, MaxFileBytes(kind) + 1);
    }
    EXPECT_LT(MaxFileBytes(FileKind::Settings), MaxFileBytes(FileKind::Text));
    struct Case {
        const char* name;
        FileKind kind;
        const char* why;
    };
    const Case cases[] = {
        {"missing.ini", FileKind::Settings, "не открывается: нет такого файла"},
        {"1-pending", FileKind::Save, "это именованный канал"},
        {"colors.ini", FileKind::Settings, "это устройство"},
        {"big.ini", FileKind::Settings, "файл слишком велик (2 МБ, можно не больше 1 МБ)"},
        {"autosave.sav", FileKind::Save, "файл слишком велик (257 МБ, можно не больше 256 МБ)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ReadCheckedFile(dir.path() / c.name, c.kind);
            ADD_FAILURE() << "read";
        } catch (const FileError& e) {
            EXPECT_NE(e.file().find(c.name), std::string::npos) << e.file();
            EXPECT_NE(e.problem().find(c.why), std::string::npos) << e.problem();
        }
    }
}

TEST(ProjectFile, FindPathTakesPipesAndDevicesForMissing) {
    HostileProject p;
    // Whoever opens a found file blindly (a menu text) cannot hang on it.
    EXPECT_FALSE(FindPath(p.project, "game.ini"));
    EXPECT_FALSE(FindPath(p.project, "menu.txt"));
    EXPECT_TRUE(FindEntryPath(p.project, "game.ini"));
    EXPECT_TRUE(FindPath(p.project, "map1.ini"));
    EXPECT_TRUE(FindPath(p.project, "Saves"));
}

// A player may keep a project elsewhere and link it into Projects/: the
// project's own files are inside it all the same.
TEST(ProjectFile, AProjectFolderThatIsALinkKeepsItsFiles) {
    TestFolder real;
    TestFolder game;
    real.Write("Castle/map1.ini", "Map=1\r\n");
    fs::create_directories(game.path() / "Projects");
    fs::create_symlink(real.path() / "Castle", game.path() / "Projects/Castle");
    const fs::path project = game.path() / "Projects/Castle";
    EXPECT_TRUE(GateFile(project, "map1.ini", FileKind::Text).Found());
    EXPECT_TRUE(GatePath(project, project / "map1.ini", FileKind::Text).Found());
    // Seen from the game folder, the same file lies elsewhere.
    EXPECT_TRUE(GateFile(game.path(), "Projects\\Castle\\map1.ini", FileKind::Text).Refused());
}

}  // namespace
}  // namespace velmora::base

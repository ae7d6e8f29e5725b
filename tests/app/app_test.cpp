// SPDX-License-Identifier: GPL-3.0-or-later
// Where the player's files go, and which video drivers make a window a
// player can use.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/game_folders.h"
#include "frontend/sdl/display_probe.h"
#include "unit/test_folder.h"

namespace velmora::app {
namespace {

namespace fs = std::filesystem;

// A given folder keeps the player's files unless it is a system folder,
// however it is spelled; the user's data folder takes them then.
TEST(StateFolder, NeverASystemFolderHoweverNamed) {
    velmora::test::TestFolder folder;
    const fs::path data = folder.path() / "data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    const fs::path own = folder.path() / "game";
    fs::create_directories(own);
    fs::create_directory_symlink("/usr/share", folder.path() / "link");
    struct Case {
        fs::path root;
        fs::path state;
    } cases[] = {
        {own, own},
        {"/usr/share", data / "velmora"},
        {"/usr/../usr/share/.", data / "velmora"},
        {folder.path() / "link", data / "velmora"},
        {"/usr", data / "velmora"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StateFolder({c.root, RootKind::Given}), c.state) << c.root;
        EXPECT_EQ(StateFolder({c.root, RootKind::Installed}), data / "velmora") << c.root;
    }
    EXPECT_TRUE(fs::is_directory(data / "velmora"));
    ::unsetenv("XDG_DATA_HOME");
}

// The data folder comes from absolute paths only: a relative XDG_DATA_HOME
// or HOME would put the player's files wherever the game was started.
TEST(UserDataFolder, AbsoluteHomesOnlyThenTheUserDatabase) {
    const passwd* me = ::getpwuid(::geteuid());
    ASSERT_NE(me, nullptr);
    const fs::path databaseHome = me->pw_dir;
    struct Case {
        const char* xdg;
        const char* home;
        fs::path folder;
    } cases[] = {
        {"/data", "/home/p", "/data/velmora"},
        {"data", "/home/p", "/home/p/.local/share/velmora"},
        {nullptr, "/home/p", "/home/p/.local/share/velmora"},
        {"", "", databaseHome / ".local/share/velmora"},
        {nullptr, "home", databaseHome / ".local/share/velmora"},
    };
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    if (!fs::is_directory(databaseHome)) GTEST_SKIP() << "the user database names no home folder";
    for (const Case& c : cases) {
        for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", c.xdg}, {"HOME", c.home}}) {
            if (value) {
                ::setenv(name, value, 1);
            } else {
                ::unsetenv(name);
            }
        }
        EXPECT_EQ(UserDataFolder(), c.folder) << (c.xdg ? c.xdg : "(unset)") << " " << c.home;
    }
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", oldHome.c_str(), 1);
}

TEST(DisplayProbe, OnlyDriversThatGiveKeysUnlessAskedFor) {
    using frontend::sdl::CandidateDrivers;
    using frontend::sdl::DriverUsable;
    struct Case {
        const char* driver;
        const char* asked;
        bool allowOffscreen;
        bool usable;
    } usable[] = {
        {"x11", "", false, true},          {"wayland", "", false, true},
        {"offscreen", "", false, false},   {"offscreen", "", true, true},
        {"offscreen", "OFFSCREEN", false, true},
        {"dummy", "wayland,dummy", false, true},
        {"kmsdrm", "", false, false},      {"", "", true, false},
    };
    for (const Case& c : usable) {
        EXPECT_EQ(DriverUsable(c.driver, c.asked, c.allowOffscreen), c.usable)
            << c.driver << " asked " << c.asked;
    }
    struct Env {
        const char* display;
        const char* wayland;
        const char* runtime;
        bool allowOffscreen;
        std::string drivers;
    } envs[] = {
        {nullptr, nullptr, nullptr, false, ""},
        {"", "", "/run/user/1", false, ""},
        {":99", nullptr, nullptr, false, "x11"},
        {nullptr, "bogus-0", nullptr, false, ""},  // libwayland could not find it
        {nullptr, "bogus-0", "/run/user/1", false, "wayland"},
        {":0", "/run/w", nullptr, true, "x11,wayland,offscreen"},
        {nullptr, nullptr, nullptr, true, "offscreen"},
    };
    for (const Env& e : envs) {
        EXPECT_EQ(CandidateDrivers(e.display, e.wayland, e.runtime, e.allowOffscreen), e.drivers)
            << (e.display ? e.display : "-") << ' ' << (e.wayland ? e.wayland : "-");
    }
}

}  // namespace
}  // namespace velmora::app

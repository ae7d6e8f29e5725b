// The loaded project as a whole: one map, one game, one hero and one script
// runner, made at start-up and refilled (never replaced) by every load.
#pragma once

#include <filesystem>
#include <string>

#include "world/records.h"

namespace velmora::world {

struct WorldFolders {
    std::filesystem::path program;  // the game root; project paths are relative to it
    std::filesystem::path state;    // where Saves/ lives: the game root when it is writable
    std::string projectPath;        // code page 1251, relative to program, ending in '\'
};

struct GameProject {
    WorldFolders folders;
    MMap map;
    MGame game;
    THero hero;
    MScript runner;
    RuleVariables vars;
};

}  // namespace velmora::world

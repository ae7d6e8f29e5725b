// The loaded project as a whole: one map, one game, one hero and one script
// runner, made at start-up and refilled (never replaced) by every load.
#pragma once

#include <filesystem>
#include <string>

#include "world/records.h"

namespace velmora::world {

struct WorldFolders {
    std::filesystem::path program;   // the game root
    std::filesystem::path state;     // where Saves/ lives: the game root when it is writable
    std::string projectPath;         // code page 1251, ending in '\'
    std::filesystem::path projects;  // what projectPath is relative to; empty: the game root

    // A player's own project may lie outside the game root.
    const std::filesystem::path& ProjectsRoot() const { return projects.empty() ? program : projects; }
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

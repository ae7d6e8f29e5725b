// Saved states are checked whole before any of them is applied. Project files
// forgive a missing key (it reads as 0 or empty); a saved state is only ever
// written by the game, with every key, so one that lacks a key or holds a
// number that does not parse is damaged (cut off, overwritten, not a save at
// all) and is refused, naming the file and the first problem.
#pragma once

#include <string>

#include "world/key_lines.h"
#include "world/records.h"

namespace velmora::world {

// A file with no line at all: a working-state map file that older versions
// created empty for a map not yet visited. It holds no state.
bool HoldsNoLines(const TMyIniList& lines);

// The hero's file of a state; `map` is the map it will be applied to.
void CheckSavedHero(const TMyIniList& lines, const std::string& fileName, const MMap& map);

// The map's file of a state, which must fit the map it will be applied to.
void CheckSavedMap(const TMyIniList& lines, const std::string& fileName, const MMap& map);

}  // namespace velmora::world

// What is derived from the loaded records: the map grid, where each object
// lies, which commands belong to which object; and the lookups by number.
#pragma once

#include <cstdint>

#include "world/records.h"

namespace velmora::world {

// No grid is built for coordinates that span more cells than this.
inline constexpr int64_t kMaxGridCells = 65535;

// Builds the grid from the screens' coordinates (the origin always included).
// Returns false, leaving no grid, when it would have more than kMaxGridCells cells.
bool BuildMapGrid(MMap& map);

// The screen position at a cell: -1 for an empty cell, -2 outside the grid or
// when there is no grid (an exit through it then leads nowhere).
int32_t CellAt(const MMap& map, int32_t x, int32_t y);

// The position of the record whose `no` equals number, or -1. A negative
// number, or an empty list, gives the number back unchanged.
int32_t ScreenIndexOf(const MMap& map, int32_t number);
int32_t ObjectIndexOf(const MMap& map, int32_t number);
int32_t CommandIndexOf(const MMap& map, int32_t number);

// The record whose `no` equals number, or null; never a position outside the list.
MScreen* ScreenByNumber(const MMap& map, int32_t number);
MObj* ObjectByNumber(const MMap& map, int32_t number);
MScript* CommandByNumber(const MMap& map, int32_t number);

// Puts visible objects on their screens or into the hero's hands.
void PlaceObjects(MMap& map, THero& hero);
// Binds each command to its first object.
void AttachCommands(MMap& map);

// Grid, placement and commands, each rebuilt from scratch. Returns false when
// the map is too big for a grid (the rest is linked all the same).
bool LinkWorld(MMap& map, THero& hero);

// LinkWorld, then the hero stands on the screen at position 0 (none without screens).
bool StartWorld(MMap& map, THero& hero);

// Health from InitHealth; load, experience and the rest flag cleared.
void ResetHero(THero& hero, const MGame& game);

// The current screen from CurScrNo: none when it names no screen.
void PlaceHero(const MMap& map, THero& hero);

}  // namespace velmora::world

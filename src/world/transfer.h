// The keys of each record, in the order the files hold them. A project file
// carries the whole record; a saved state only what play can change.
#pragma once

#include <span>

#include "world/key_access.h"
#include "world/records.h"

namespace velmora::world {

// One section "Scr" + i, "Obj" + j or "Cmd" + k; the caller sets currentSection.
void TransferScreen(MScreen& screen, KeyAccessor& keys, bool stateOnly);
void TransferObject(MObj& object, KeyAccessor& keys, bool stateOnly);
void TransferCommand(MScript& command, KeyAccessor& keys, bool stateOnly);

// A whole map file: the "Map" header, then screens, objects and commands. A
// project read appends new records to the (emptied) lists; a state read
// updates the records already there, matched by position, and keeps the counts.
void TransferMapFile(MMap& map, RuleVariables& vars, KeyAccessor& keys, bool stateOnly);

// The message lists of the "Game" section, in the order the file holds them:
// the key after "Game" ("ITake" for GameITakeCnt, GameITake0 ...) and the list.
struct GameListKey {
    const char* name;
    MessageList MGame::*list;
};
std::span<const GameListKey> GameListKeys();

// The "Game" section of a project's game.ini. Reading appends to the (emptied) lists.
void TransferGameSection(MGame& game, KeyAccessor& keys);

// The "Hero" section of a saved state; the caller places the hero afterwards.
void TransferHero(THero& hero, KeyAccessor& keys);

}  // namespace velmora::world

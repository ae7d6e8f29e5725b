// Loading a project, and saving and loading the state of a game, through the
// key-line files. Every operation either completes or throws base::FileError
// naming the file and the problem, leaving the running game as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "world/game_project.h"

namespace velmora::world {

// Moves a project or a state between the records and the files
// root + prefix + "game.ini" and root + prefix + "map<k>.ini", k = mapIndex + 1.
// `stateOnly` false: the project itself; true: the state of a game. Returns
// false when reading and the game file does not exist; nothing happens then.
// A map file that does not exist reads as an empty map (for a state: no change).
// Writing makes the folders of the files when they are missing.
bool TransferGameFiles(GameProject& gp, const std::filesystem::path& root,
                       std::string_view prefix, bool stateOnly, bool reading);

// The project of gp.folders, read in full (false when its game.ini is missing).
bool LoadProject(GameProject& gp);
// The same with map index n: what a new game starts from.
bool LoadProjectMap(GameProject& gp, int32_t mapIndex);

// Removes the working state (Saves/cur-*): a new game must not take back the
// state that an earlier game left in the maps it entered.
void ForgetWorkingState(const GameProject& gp);

// The prefix of a slot's files: "Saves\<n>-".
std::string SlotPrefix(int32_t slot);
inline constexpr std::string_view kWorkingStatePrefix = "Saves\\cur-";

// The state of the game into slot n (the Saves folder is made when missing).
void SaveSlot(GameProject& gp, int32_t slot);
// The state of slot n into the game, then relinked; false when the slot is empty.
// The slot is applied to the map it was saved on (its newest map file), which
// is loaded from the project first when another map is loaded now. A damaged
// slot throws base::FileError and changes nothing.
bool LoadSlot(GameProject& gp, int32_t slot);

// The title of the screen the hero of slot n stands on (of the map the slot
// was saved on), empty when that screen has none; no value when the slot is
// empty. Reads only; a damaged slot or project throws base::FileError.
std::optional<std::string> SlotScreenTitle(const GameProject& gp, int32_t slot);

// The state of the game as a slot's two files would hold it.
struct StateBytes {
    std::string game;
    std::string map;
    bool operator==(const StateBytes&) const = default;
};
StateBytes StateFileBytes(GameProject& gp, const std::string& shownName);
// Applies a state held in memory that was saved on map index n: the map is
// loaded from the project aside, the state read over it and checked whole
// (base::FileError naming `shownName` when damaged), `beforeCommit` runs
// (when it throws, nothing changed), and only then the game is replaced.
void LoadStateBytes(GameProject& gp, int32_t mapIndex, const StateBytes& bytes,
                    const std::string& shownName, const std::function<void()>& beforeCommit);
// The same checks without applying anything.
void CheckStateBytes(const GameProject& gp, int32_t mapIndex, const StateBytes& bytes,
                     const std::string& shownName);

// At start: finishes the saves a kill interrupted and removes the temporary
// files that killed writes left in Saves (and main.ini's).
void RecoverSaves(const GameProject& gp);

// Leaves the loaded map for map index n (a map the project lacks throws
// base::FileError before anything is written): the state of the map left and the hero
// go to the working state, map n is loaded from the project, and the hero and
// whatever state map n had when it was last left come back. Announcing the
// map is left to the caller.
void ChangeMap(GameProject& gp, int32_t mapIndex);

}  // namespace velmora::world

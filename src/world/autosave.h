// The autosave: the running game kept whole in one file of its own beside the
// slots ("Saves/autosave.sav"), so that leaving the game in any way, a crash
// or a power cut loses at most the moves on one screen. It holds the hero, the
// state of the current map and the working state of the other maps (the
// Saves/cur-map<k>.ini files), packed as one file with a checksum and
// replaced by one rename: it is the old game or the new one, never a mix.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "world/game_files.h"
#include "world/game_project.h"
#include "world/save_set.h"

namespace velmora::world {

inline constexpr std::string_view kAutosaveName = "autosave.sav";

// What an autosave holds, as read and checked.
struct Autosave {
    std::string project;      // the project's path (1251), as in WorldFolders
    int32_t mapIndex = 0;     // the map the hero was on
    StateBytes state;         // the hero and that map, as a slot's files
    std::vector<SetFile> working;  // the working state's map files
    std::string shownName;    // the file, as errors name it
};

// The autosave of the state folder: none when there is none; base::FileError
// when it is damaged (cut off, overwritten, not ours).
std::optional<Autosave> ReadAutosave(const GameProject& gp);
// It was written by a game of the project loaded now.
bool AutosaveBelongs(const Autosave& save, const GameProject& gp);

// Throws base::FileError when the autosave cannot be applied to the project
// as it is now (damaged, or the project changed); changes nothing.
void CheckAutosave(const GameProject& gp, const Autosave& save);

// Replaces the game by the autosave and the working state by the autosave's:
// all of it or, on base::FileError, none of it.
void LoadAutosave(GameProject& gp, const Autosave& save);

// Removes the autosave (a game that ended is not offered again).
void ForgetAutosave(const GameProject& gp);

// Writes the autosave of the running game. Keeps the working state's files
// it last read, so a screen change reads only what a change of map rewrote.
class AutosaveWriter {
public:
    void Write(GameProject& gp);

private:
    struct Cached {
        int64_t mtimeNs = 0;
        int64_t size = -1;
        std::string bytes;
    };
    std::vector<SetFile> WorkingState(const std::filesystem::path& saves);
    std::map<std::string, Cached> cache_;
};

}  // namespace velmora::world

// The project as the checks see it: every map loaded as the game loads it,
// beside the raw lines of its files for what loading forgives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/project_file.h"
#include "check/report.h"
#include "sound/sound_system.h"
#include "world/game_project.h"
#include "world/key_lines.h"

namespace velmora::check {

struct LoadedMap {
    int32_t number = 0;    // k of map<k>.ini
    std::string fileName;  // as shown
    world::TMyIniList lines;
    // The whole project loaded with this map; null when it did not load.
    std::unique_ptr<world::GameProject> gp;
    bool gridBuilt = false;  // LinkWorld could build the map grid
};

struct Project {
    std::filesystem::path dir;
    std::string gameFileName;
    world::TMyIniList gameLines;
    std::vector<LoadedMap> maps;  // in ascending k
    Report* report = nullptr;     // for refused files
    mutable std::set<std::string> refusedTold;
    // Only for its sound-file lookup, the one the game uses.
    std::unique_ptr<sound::SoundSystem> sound;

    const LoadedMap* MapByNumber(int64_t k) const;
    // The game section (of the first map that loaded), or null.
    const world::MGame* Game() const;
    // A file of the project, found as the game finds it. One there that the
    // game's file gate refuses (a pipe, a device, a link out of the project,
    // too large) is reported as an error once, to `report`, and counts as
    // there: it is not missing, it is worse.
    bool HasFile(std::string_view relative, base::FileKind kind = base::FileKind::Picture) const;
    // The same for sounds and music, looked up as the game looks them up.
    bool HasSoundFile(std::string_view name) const;
    bool HasMusicFile(std::string_view name) const;

private:
    void TellRefused(const base::FileError& error) const;
    bool FoundBySound(const std::function<bool()>& lookup) const;
};

// Game text (code page 1251) for a report line.
std::string Shown(std::string_view text1251);
// A file name of the project (1251, '\\' or '/') as the author's system
// writes it: UTF-8 with '/'.
std::string ShownPath(std::string_view name1251);
// «text» in UTF-8.
std::string Quoted(std::string_view text1251);

}  // namespace velmora::check

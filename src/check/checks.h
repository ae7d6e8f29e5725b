// The checks, each over one loaded map or the game section; each adds what
// it finds to the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "check/project.h"
#include "check/report.h"

namespace velmora::check {

// The name of `names` nearest to `word` by a slip of a letter or a few,
// ignoring letter case, or empty when none is that near.
std::string NearestName(std::string_view word, const std::vector<std::string>& names);

// Keys a loaded map forgives: missing exits and flags that read as 0,
// counts that disagree with the sections and items present.
void CheckMapKeys(const LoadedMap& map, Report& report);
// The game section's keys and standard messages.
void CheckGameKeys(const Project& project, Report& report);

// Numbers, exits and the grid, where objects lie, what commands name.
void CheckMapLinks(const LoadedMap& map, Report& report);

// Where scripts take the hero, gathered while they are checked.
struct Journeys {
    std::map<int32_t, std::set<size_t>> goTargets;  // map number: positions `go` leads to
    std::map<int32_t, std::set<size_t>> entries;    // map number: positions `map` enters at
    std::set<int32_t> enteredAnywhere;              // maps a script may enter from any position
    std::set<int32_t> opened;                       // maps where a script opens an exit
    // map number: position: the frames a `frame` chooses on that screen
    std::map<int32_t, std::map<size_t, std::set<int32_t>>> frames;
};

// Every script of the map: its blocks, statements and conditions, and the
// screens, objects, commands, pages, maps and files they name.
void CheckMapScripts(const Project& project, const LoadedMap& map, Journeys& journeys,
                     Report& report);

// Screens no exit, `go` or change of map can bring the hero to; run once the
// scripts of every map are checked.
void CheckReachable(const LoadedMap& map, const Journeys& journeys, Report& report);

// The pictures of the map's screens as arrivals and `frame` show them; run
// once the scripts of every map are checked.
void CheckMapPictures(const Project& project, const LoadedMap& map, const Journeys& journeys,
                      Report& report);
// The page sequences of Intros and the project's music.
void CheckPagesAndMusic(const Project& project, Report& report);

}  // namespace velmora::check

// The checks, each over one loaded map or the game section; each adds what
// it finds to the report.
#pragma once

#include "check/project.h"
#include "check/report.h"

namespace velmora::check {

// Keys a loaded map forgives: missing exits and flags that read as 0,
// counts that disagree with the sections and items present.
void CheckMapKeys(const LoadedMap& map, Report& report);
// The game section's keys and standard messages.
void CheckGameKeys(const Project& project, Report& report);

// Numbers, exits and the grid, where objects lie, what commands name.
void CheckMapLinks(const LoadedMap& map, Report& report);

// Every script of the map: its blocks, statements and conditions, and the
// screens, objects, commands, pages, maps and files they name.
void CheckMapScripts(const Project& project, const LoadedMap& map, Report& report);

// The pictures of the map's screens.
void CheckMapPictures(const Project& project, const LoadedMap& map, Report& report);
// The page sequences of Intros and the project's music.
void CheckPagesAndMusic(const Project& project, Report& report);

}  // namespace velmora::check

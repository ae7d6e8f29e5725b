// The authors' checker: reads an adventure project as the game would and
// reports every problem a player would otherwise meet.
#pragma once

#include <filesystem>

#include "check/report.h"

namespace velmora::check {

// Checks the project in `dir`. Sound files are looked up as the game does:
// the project's Snd folder, then `mediaFolder` (empty: the Media folder of
// the program folder that holds dir in Projects/, when there is one).
void CheckProject(const std::filesystem::path& dir, Report& report,
                  const std::filesystem::path& mediaFolder = {});

}  // namespace velmora::check

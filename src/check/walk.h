// A walkthrough played on a project headless, as `velmora --keys` plays it:
// whether it reaches the end of the game, and what went wrong on the way.
#pragma once

#include <filesystem>
#include <string>

#include "check/report.h"

namespace velmora::check {

// Plays the key script `keys` (the format of `velmora --keys`; a first
// comment "# args: -nomenu" starts in the game, as does `nomenu`) on the
// project in `dir`, on a copy of nothing: saves and settings go to a folder of
// its own, removed afterwards. Adds to the report, under the key script's
// name: an error when the walk does not reach the ending's exit, one for each
// error the game spoke and each action it stopped, a warning for each
// standard refusal the player heard. Returns whether the end was reached.
bool Walk(const std::filesystem::path& dir, const std::filesystem::path& keys, bool nomenu,
          Report& report);

}  // namespace velmora::check

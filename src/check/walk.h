// A walkthrough played on a project headless, as `velmora --keys` plays it:
// whether it reaches the end of the game, and what went wrong on the way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "check/report.h"

namespace velmora::check {

// The ending a walkthrough is to reach: the ending's exit, or the hero's
// death with the game over, by death line N (1-based, as `die N` counts;
// 0 for a death with no line of its own: die 0, a death on rest).
struct Ending {
    enum class Kind { Win, Death };
    Kind kind = Kind::Win;
    int32_t death = 0;
};

// Plays the key script `keys` (the format of `velmora --keys`; a first
// comment "# args: -nomenu" starts in the game, as does `nomenu`) on the
// project in `dir`, on a copy of nothing: saves and settings go to a folder of
// its own, removed afterwards. Adds to the report, under the key script's
// name: an error when the walk does not reach the ending expected (naming
// the ending that came instead), one for each error the game spoke and each
// action it stopped, a warning for each standard refusal the player heard.
// Returns whether the ending expected was reached.
bool Walk(const std::filesystem::path& dir, const std::filesystem::path& keys, bool nomenu,
          Report& report, const Ending& expected = {});

// "смерть N" or "конец игры (exit концовки)", for messages.
std::string EndingName(const Ending& ending);

}  // namespace velmora::check

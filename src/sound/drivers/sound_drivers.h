// Choosing the sound driver for the run.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string_view>

#include "sound/sound_driver.h"

namespace velmora::sound {

enum class SoundChoice { Auto, Sdl, Players, None };

// "auto", "sdl", "players", "none" (any letter case); no value otherwise.
std::optional<SoundChoice> ParseSoundChoice(std::string_view name);

// Auto and sdl: SDL_mixer when it can open audio, else the external players
// when one is installed, else silence. players: the external players, else
// silence. A driver that cannot start is said once on report (when given).
std::unique_ptr<SoundDriver> ChooseSoundDriver(SoundChoice choice, PostSoundEvent post,
                                               std::ostream* report = nullptr);

}  // namespace velmora::sound

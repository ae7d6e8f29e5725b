// Choosing the sound driver for the run.
#pragma once

#include <memory>
#include <string>

#include "sound/sound_driver.h"

namespace velmora::sound {

// SDL_mixer when it can open audio, else the external players when one is
// installed, else silence. *why says what was chosen and why.
std::unique_ptr<SoundDriver> ChooseSoundDriver(PostSoundEvent post, std::string* why = nullptr);

}  // namespace velmora::sound

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/drivers/sdl_audio_choice.h"

#include <SDL.h>

namespace velmora::sound {

PreferPipeWire::PreferPipeWire() {
    // The environment counts as the hint: a player's choice is kept.
    const char* named = SDL_GetHint(SDL_HINT_AUDIODRIVER);
    if (named != nullptr && *named != '\0') return;
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire");
    // SDL's PipeWire driver starts only when it reaches a server.
    held_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (held_) return;
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    SDL_ClearError();
}

PreferPipeWire::~PreferPipeWire() {
    if (held_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace velmora::sound

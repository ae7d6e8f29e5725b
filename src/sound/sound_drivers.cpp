#include "sound/sound_drivers.h"

#include <cstdlib>

#include "sound/external_players_driver.h"
#include "sound/sdl_mixer_driver.h"

namespace velmora::sound {

std::unique_ptr<SoundDriver> ChooseSoundDriver(PostSoundEvent post, std::string* why) {
    std::string sdlProblem;
    if (auto driver = OpenSdlMixerDriver(std::move(post), &sdlProblem)) {
        if (why) *why = "SDL_mixer";
        return driver;
    }
    const char* path = std::getenv("PATH");
    auto external = std::make_unique<ExternalPlayersDriver>(
        FindExternalPlayers(path ? path : "/usr/bin:/bin", FindSoundFont()));
    if (external->Installed()) {
        if (why) *why = "external players (" + sdlProblem + ")";
        return external;
    }
    if (why) *why = "none (" + sdlProblem + "; no aplay, paplay, timidity or fluidsynth)";
    return std::make_unique<NoneDriver>();
}

}  // namespace velmora::sound

#include "sound/drivers/sound_drivers.h"

#include <cstdlib>
#include <string>

#include "base/cp1251.h"
#include "sound/drivers/external_players_driver.h"
#include "sound/drivers/sdl_mixer_driver.h"

namespace velmora::sound {

std::optional<SoundChoice> ParseSoundChoice(std::string_view name) {
    const std::string n = base::LowerText1251(name);
    if (n == "auto") return SoundChoice::Auto;
    if (n == "sdl") return SoundChoice::Sdl;
    if (n == "players") return SoundChoice::Players;
    if (n == "none") return SoundChoice::None;
    return std::nullopt;
}

std::unique_ptr<SoundDriver> ChooseSoundDriver(SoundChoice choice, PostSoundEvent post,
                                               std::ostream* report) {
    if (choice == SoundChoice::None) return std::make_unique<NoneDriver>();
    if (choice != SoundChoice::Players) {
        std::string why;
        if (auto driver = OpenSdlMixerDriver(std::move(post), &why)) return driver;
        if (report) {
            *report << "velmora: sound: SDL_mixer cannot start (" << why
                    << "); trying the external players\n";
        }
    }
    const char* path = std::getenv("PATH");
    auto players = std::make_unique<ExternalPlayersDriver>(
        FindExternalPlayers(path ? path : "/usr/bin:/bin", FindSoundFont()));
    if (players->Installed()) return players;
    if (report) *report << "velmora: sound: no aplay, paplay, timidity or fluidsynth; no sound\n";
    return std::make_unique<NoneDriver>();
}

}  // namespace velmora::sound

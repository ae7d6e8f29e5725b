// Choosing the speech output and the sound driver of an interactive run. Each
// choice starts an order of preference; an output that cannot start is
// reported once on the report stream and the next in the order is tried.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "sound/sound_driver.h"
#include "speech/open_speech.h"
#include "speech/speech_output.h"

namespace velmora::app {

enum class SoundChoice { Auto, Sdl, Players, None };

// "auto", "sdl", "players", "none"; no value otherwise.
std::optional<SoundChoice> ParseSoundChoice(std::string_view name);

// Auto: a running speech-dispatcher, espeak-ng, speech-dispatcher started for
// us, none. speechd: started if need be, then espeak-ng, none. espeak:
// espeak-ng, then speech-dispatcher (running, then started), none. Never null.
std::unique_ptr<speech::SpeechOutput> OpenSpeech(const speech::SpeechSetup& setup,
                                                 std::ostream& report);

// Auto and sdl: SDL_mixer, the external players, none. players: the external
// players, none. Never null.
std::unique_ptr<sound::SoundDriver> OpenSound(SoundChoice choice, sound::PostSoundEvent post,
                                              std::ostream& report);

}  // namespace velmora::app

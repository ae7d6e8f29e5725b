// Choosing the speech output at start: the first one available, in a fixed
// order of preference, unless the player named one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "speech/speech_output.h"

namespace velmora::speech {

enum class SpeechChoice { Auto, Speechd, Espeak, Print, None };

// "auto", "speechd", "espeak", "print", "none" (any letter case); no value otherwise.
std::optional<SpeechChoice> ParseSpeechChoice(std::string_view name);

struct SpeechSetup {
    SpeechChoice choice = SpeechChoice::Auto;
    std::string voiceName;             // [User] Voice of main.ini; empty: a Russian voice
    PostSpeechEvent post;              // thread-safe
    std::function<void(int)> cue;      // our cue sounds, for outputs without cues
    std::function<void()> beep;        // the plain beep
    int spawnTimeoutMs = 10000;        // starting speech-dispatcher waits at most this long
};

// Auto: speech-dispatcher when its daemon already runs; espeak-ng with a Russian
// voice; speech-dispatcher started for us; none. A named choice that cannot
// open falls back to none. Never null.
std::unique_ptr<SpeechOutput> OpenSpeechOutput(const SpeechSetup& setup);

}  // namespace velmora::speech

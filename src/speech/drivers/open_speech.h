// Choosing the speech output at start: the first one available, in a fixed
// order of preference, unless the player named one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "speech/speech_output.h"

namespace velmora::speech {

enum class SpeechChoice { Auto, Speechd, Espeak, Print, None };

// "auto", "speechd", "espeak", "print", "none" (any letter case); no value otherwise.
std::optional<SpeechChoice> ParseSpeechChoice(std::string_view name);
// The name ParseSpeechChoice takes for a choice.
const char* SpeechChoiceName(SpeechChoice choice);

struct SpeechSetup {
    SpeechChoice choice = SpeechChoice::Auto;
    std::string voiceName;             // [User] Voice of main.ini; empty: a Russian voice
    PostSpeechEvent post;              // thread-safe
    std::function<void(int)> cue;      // our cue sounds, for outputs without cues
    std::function<void()> beep;        // the plain beep
    int spawnTimeoutMs = 10000;        // starting speech-dispatcher waits at most this long
};

// Each choice starts an order of preference. Auto: a running speech-dispatcher,
// espeak-ng, speech-dispatcher started for us, none. speechd: started if need
// be, then espeak-ng, none. espeak: espeak-ng, then speech-dispatcher, none.
// An output that cannot start is said once on report (when given) and the
// next is tried. Never null.
std::unique_ptr<SpeechOutput> OpenSpeechOutput(const SpeechSetup& setup,
                                               std::ostream* report = nullptr);

// A voice the player may name with --voice (all fields UTF-8).
struct VoiceEntry {
    std::string engine;    // "espeak-ng" or "speech-dispatcher"
    std::string name;      // what to name it by: "ru", "ru+f3", a daemon's voice name
    std::string language;  // "ru", "ru-lv"…
    std::string note;      // the engine's own description, perhaps empty
};

// Russian voices and variants espeak-ng offers, and speech-dispatcher's
// Russian voices when a daemon is running (never starts one).
std::vector<VoiceEntry> ListRussianVoices();

}  // namespace velmora::speech

#include "speech/open_speech.h"

#include <cstdio>

#include "base/cp1251.h"
#include "speech/espeak_output.h"
#include "speech/simple_outputs.h"
#include "speech/speechd_output.h"

namespace velmora::speech {

std::optional<SpeechChoice> ParseSpeechChoice(std::string_view name) {
    const std::string n = base::LowerText1251(name);
    if (n == "auto") return SpeechChoice::Auto;
    if (n == "speechd") return SpeechChoice::Speechd;
    if (n == "espeak") return SpeechChoice::Espeak;
    if (n == "print") return SpeechChoice::Print;
    if (n == "none") return SpeechChoice::None;
    return std::nullopt;
}

std::unique_ptr<SpeechOutput> OpenSpeechOutput(const SpeechSetup& s) {
    std::unique_ptr<SpeechOutput> out;
    switch (s.choice) {
        case SpeechChoice::Auto:
            out = SpeechdOutput::Open(false, 0, s.post, s.cue);
            if (!out) out = EspeakOutput::Open(s.voiceName, s.post, s.beep);
            if (!out) out = SpeechdOutput::Open(true, s.spawnTimeoutMs, s.post, s.cue);
            break;
        case SpeechChoice::Speechd:
            out = SpeechdOutput::Open(true, s.spawnTimeoutMs, s.post, s.cue);
            break;
        case SpeechChoice::Espeak:
            out = EspeakOutput::Open(s.voiceName, s.post, s.beep);
            break;
        case SpeechChoice::Print:
            out = std::make_unique<PrintOutput>(stdout, s.post);
            break;
        case SpeechChoice::None:
            break;
    }
    if (!out) out = std::make_unique<NoneOutput>(s.beep);
    return out;
}

}  // namespace velmora::speech

// One speech output: an engine that speaks texts. The router decides what to
// say; an output only says it. Outputs that run threads of their own report
// back only through the post callback they were given, which must be safe to
// call from any thread; the core then calls the router on its own thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/cues.h"

namespace velmora::speech {

// A language code for Russian, as the engines name it: "ru", "ru-RU",
// "ru_RU", "ru-lv", in any letter case.
inline bool IsRussianLanguage(std::string_view code) {
    return code.size() >= 2 && (code[0] == 'r' || code[0] == 'R') && (code[1] == 'u' || code[1] == 'U') &&
           (code.size() == 2 || code[2] == '-' || code[2] == '_');
}

// How an output behaves towards the router.
enum class SpeechOutputKind {
    soNone,    // says nothing
    soReader,  // a separate speaker: takes texts, cues and the rate, reports each end
    soJaws,    // speaks at once and never reports an end
    soSapi,    // an in-process voice: cut off by the next text, reports every stop
};

// What an output reports from its own thread.
enum class SpeechEvent {
    SpeechEnded,   // a reader-like output finished a text
    VoiceStopped,  // a voice stopped, whether it finished or was reset
};
using PostSpeechEvent = std::function<void(SpeechEvent)>;

class SpeechOutput {
public:
    virtual ~SpeechOutput() = default;
    virtual SpeechOutputKind Kind() const = 0;
    // A trimmed, non-empty code page 1251 text.
    virtual void Speak(const std::string& text) = 0;
    // A text heard before, spoken again because the player asked for it; an
    // output that prints marks it, so a reader can tell it from a new one.
    virtual void SpeakAgain(const std::string& text) { Speak(text); }
    // A numbered cue; outputs without cues of their own beep.
    virtual void Cue(int number) = 0;
    // The boundary cue as an acknowledgement that comes with words of its own (a
    // setting changed), not as a boundary or a refusal: an output that also
    // writes a boundary as a word writes nothing for it.
    virtual void Acknowledge() { Cue(base::kCueBoundary); }
    // The rate setting of the shell (0 to 120, 60 by default).
    virtual void SetRate(int setting) = 0;
    // A voice: whether it is still speaking, and cutting it off.
    virtual bool Speaking() const { return false; }
    // Reports the end of every text as soon as it is handed over, having
    // spoken nothing aloud (a printer): nothing is read on "when the voice
    // is done", or a whole file would go by in an instant.
    virtual bool EndsAtOnce() const { return false; }
    virtual void AudioReset() {}
};

}  // namespace velmora::speech

// Everything the player is to hear goes through SayText. The router keeps
// one output for the whole run and knows when speech has ended.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "speech/speech_output.h"

namespace velmora::speech {

class SpeechRouter {
public:
    // Takes the chosen output for the rest of the run (null: none) and clears the prefix.
    void OpenSpeech(std::unique_ptr<SpeechOutput> output);
    SpeechOutputKind Output() const;
    bool EndsAtOnce() const { return output_ && output_->EndsAtOnce(); }

    void SayText(std::string_view text);
    void PlayCue(int number);
    void SetSpeechRate(int value);
    // The last rate set (60 before any).
    int SpeechRate() const { return rate_; }
    void MuteSpeech() { SpeechMuted = true; }
    void UnmuteSpeech() { SpeechMuted = false; }

    // The voice stopped: its own reset, or the end of an utterance.
    void OnVoiceStop();
    // An utterance has ended.
    void OnSpeechEnd();
    // Dispatches an event that an output posted.
    void Handle(SpeechEvent event);

    // What the rest of the program does at the end of speech: the first runs
    // while SpeechBusy is still set (a wait in progress sounds its cue), the
    // second once it is cleared (the instructions' reading goes on).
    std::function<void()> onSpeechEnding;
    std::function<void()> onSpeechEnded;

    std::string PendingPrefix;
    bool SpeechMuted = false;
    bool SpeechBusy = false;
    bool IgnoreNextStop = false;

private:
    std::unique_ptr<SpeechOutput> output_;
    int rate_ = 60;
};

}  // namespace velmora::speech

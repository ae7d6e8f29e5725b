// Everything the player is to hear goes through SayText. The router keeps
// one output for the whole run and knows when speech has ended.
#pragma once

#include <deque>
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
    // The boundary cue for a change the words that follow tell of (see SpeechOutput).
    void Acknowledge();
    void SetSpeechRate(int value);
    // The last rate set (60 before any).
    int SpeechRate() const { return rate_; }
    void MuteSpeech() { SpeechMuted = true; }
    void UnmuteSpeech() { SpeechMuted = false; }

    // What was said in this run, the newest last (at most kHistoryLength
    // texts; a page's text is one). Hearing it again adds nothing to it.
    static constexpr size_t kHistoryLength = 1000;
    const std::deque<std::string>& History() const { return history_; }
    // Speaks a text of the history again: step −1 the one before the text
    // last reviewed, +1 the one after it, 0 the newest. At either end the
    // boundary cue sounds and the end's text is spoken again. False (and the
    // cue) when nothing has been said yet.
    bool Review(int step);
    // Stops the voice at once, as if it had finished: a wait for the end of
    // speech ends, but nothing is read on (the instructions stay on their line).
    void Silence();

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
    // Hands a trimmed text to the output, by its kind.
    void Speak(const std::string& text, bool again);

    std::unique_ptr<SpeechOutput> output_;
    int rate_ = 60;
    std::deque<std::string> history_;
    size_t reviewed_ = 0;  // the history's text last reviewed; its size: none
    bool ignoreEnd_ = false;  // the end of a silenced text is not an end of reading
};

}  // namespace velmora::speech

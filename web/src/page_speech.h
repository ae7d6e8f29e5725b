// SPDX-License-Identifier: GPL-3.0-or-later
// The page's two ways to speak. For the player's own screen reader every
// text goes to the page's live region, and the page itself says nothing:
// like --speech none in the terminal, a reader that never reports an end (a
// page's voice wait is a pause, the instructions are read line by line). The page's
// own voice (the Web Speech API) is an in-process voice, as espeak-ng is on
// the desktop: a new text cuts off the old, and every stop is reported.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/utf8.h"

#include "speech/speech_output.h"

namespace velmora::web {

// A 1251 text as the live region gets it: UTF-8, lines kept, other control
// characters made spaces, the ends trimmed.
base::Utf8 LiveRegionText(std::string_view text1251);

class LiveRegionSpeech : public speech::SpeechOutput {
public:
    // `cue` plays a cue number as a sound (may be empty: cues are silent).
    // With `endAtOnce`, each text is reported ended as soon as it is given,
    // as the headless game's reader does: a page's key script then plays as
    // it does there, and its transcript can be compared line by line.
    explicit LiveRegionSpeech(std::function<void(int)> cue,
                              std::function<void()> endAtOnce = {})
        : cue_(std::move(cue)), endAtOnce_(std::move(endAtOnce)) {}
    // A screen reader never tells when it has finished a text: the kind
    // that speaks at once and reports no end, whose page waits are pauses of
    // their own length (not a wait for the key that would then be spent).
    // Key scripts' instant reader ends each text, as the headless game's.
    speech::SpeechOutputKind Kind() const override {
        return endAtOnce_ ? speech::SpeechOutputKind::soReader : speech::SpeechOutputKind::soJaws;
    }
    void Speak(const std::string& text) override;
    void SpeakAgain(const std::string& text) override;
    // The reader has no cues of its own: they are the game's sounds.
    void Cue(int number) override {
        if (cue_) cue_(number);
    }
    void SetRate(int) override {}
    bool EndsAtOnce() const override { return static_cast<bool>(endAtOnce_); }

private:
    std::function<void(int)> cue_;
    std::function<void()> endAtOnce_;
};

// Its stops come back through the page (velmora_voice_stopped) as events.
class PageVoiceSpeech : public speech::SpeechOutput {
public:
    explicit PageVoiceSpeech(std::function<void(int)> cue) : cue_(std::move(cue)) {}
    speech::SpeechOutputKind Kind() const override { return speech::SpeechOutputKind::soSapi; }
    void Speak(const std::string& text) override;
    void Cue(int number) override {
        if (cue_) cue_(number);
    }
    void SetRate(int setting) override;
    bool Speaking() const override;
    void AudioReset() override;

private:
    std::function<void(int)> cue_;
};

}  // namespace velmora::web

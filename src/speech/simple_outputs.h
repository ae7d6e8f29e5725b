// The outputs that need no engine: printing each text as a line, and silence.
#pragma once

#include <cstdio>
#include <functional>

#include "speech/speech_output.h"

namespace velmora::speech {

// Each text as one UTF-8 line; cues and rate changes as bracketed lines, for
// whoever reads standard output (a log, a test). It behaves like a reader:
// every text is finished once it is written.
class PrintOutput : public SpeechOutput {
public:
    PrintOutput(std::FILE* out, PostSpeechEvent post) : out_(out), post_(std::move(post)) {}
    SpeechOutputKind Kind() const override { return SpeechOutputKind::soReader; }
    void Speak(const std::string& text) override;
    void Cue(int number) override;
    void SetRate(int setting) override;
    bool EndsAtOnce() const override { return true; }

    // For a front end that prints every text itself (the terminal): from now
    // on nothing is written here, since a second copy of each text and the
    // bracketed English lines would be read out by the screen reader. Every
    // text is still finished at once, and cues go to `cue` (a sound or the
    // bell; may be empty).
    void LeaveWritingToFrontEnd(std::function<void(int)> cue);

private:
    std::FILE* out_;
    PostSpeechEvent post_;
    std::function<void(int)> cue_;
};

// Says nothing; cues become the beep it is given. Whoever reads the texts
// (a console's screen reader) reports no end of them: it is of the kind
// that speaks at once and never reports an end, so a page's voice wait is
// a pause of its own length rather than a wait for a key.
class NoneOutput : public SpeechOutput {
public:
    explicit NoneOutput(std::function<void()> beep) : beep_(std::move(beep)) {}
    SpeechOutputKind Kind() const override { return SpeechOutputKind::soJaws; }
    void Speak(const std::string&) override {}
    void Cue(int) override {
        if (beep_) beep_();
    }
    void SetRate(int) override {}

private:
    std::function<void()> beep_;
};

}  // namespace velmora::speech

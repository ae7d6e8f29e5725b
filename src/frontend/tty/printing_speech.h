// Speech that is also printed: every text the game speaks becomes one UTF-8
// line on the terminal, for the console's screen reader and braille display,
// and goes on to the real output. Nothing else is printed: cues and rates
// would be read out as words.
//
//   auto speech = std::make_unique<PrintingSpeech>(*term, speech::OpenSpeechOutput(setup, &std::cerr),
//                                                  [&](int) { sound.Beep(); });
//   shell::TForm1 form(options, events, frontEnd, std::move(speech), ...);
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/utf8.h"
#include "frontend/tty/terminal.h"
#include "speech/speech_output.h"

namespace velmora::frontend {

// A code page 1251 text as one printable UTF-8 line: line breaks joined,
// control characters (which could drive the terminal) made spaces.
base::Utf8 PrintableLine(std::string_view text1251);

// The word printed for a boundary or refusal that a cue or the beep marks.
inline constexpr std::string_view kBoundaryWord = "(стоп)";

class PrintingSpeech : public speech::SpeechOutput {
public:
    using LineWriter = std::function<void(const base::Utf8& line)>;

    // `inner` may be null: printing alone, for the console's screen reader.
    // An inner print output (--speech print) writes nothing more, so each
    // text appears once; it still finishes every text at once, and its cues
    // go to `cue` (may be empty).
    PrintingSpeech(LineWriter print, std::unique_ptr<speech::SpeechOutput> inner,
                   std::function<void(int)> cue = {});
    PrintingSpeech(Terminal& term, std::unique_ptr<speech::SpeechOutput> inner,
                   std::function<void(int)> cue = {});

    speech::SpeechOutputKind Kind() const override;
    void Speak(const std::string& text) override;
    // Printed again marked "(повтор)", so a braille or console reader can
    // tell a text heard again from a new one; the voice says it unmarked.
    void SpeakAgain(const std::string& text) override;
    // A boundary or a refusal (cue 13) and a search that matched nothing
    // (cue 31) are also printed as a short word: a bell, or a sound, is not
    // there for braille, and a row said again at a list's end reads as a
    // row moved to.
    void Cue(int number) override;
    void Acknowledge() override;
    void SetRate(int setting) override;
    bool Speaking() const override;
    bool EndsAtOnce() const override { return inner_ && inner_->EndsAtOnce(); }
    void AudioReset() override;

private:
    LineWriter print_;
    std::unique_ptr<speech::SpeechOutput> inner_;
};

}  // namespace velmora::frontend

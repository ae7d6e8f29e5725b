#include "speech/simple_outputs.h"

#include "base/encoding.h"
#include "base/terminal_text.h"

namespace velmora::speech {

void PrintOutput::Speak(const std::string& text) {
    if (out_) {
        // One text, one line; a control character from a game file would
        // drive the terminal that standard output may be.
        const std::string line = base::TerminalSafe(base::Cp1251ToUtf8(text));
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
    }
    if (post_) post_(SpeechEvent::SpeechEnded);
}

void PrintOutput::Cue(int number) {
    if (!out_) {
        if (cue_) cue_(number);
        return;
    }
    std::fprintf(out_, "[cue %d]\n", number);
    std::fflush(out_);
}

void PrintOutput::SetRate(int setting) {
    if (!out_) return;
    std::fprintf(out_, "[rate %d]\n", setting);
    std::fflush(out_);
}

void PrintOutput::LeaveWritingToFrontEnd(std::function<void(int)> cue) {
    out_ = nullptr;
    cue_ = std::move(cue);
}

}  // namespace velmora::speech

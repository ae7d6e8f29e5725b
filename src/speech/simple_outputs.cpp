#include "speech/simple_outputs.h"

#include "base/encoding.h"

namespace velmora::speech {

void PrintOutput::Speak(const std::string& text) {
    if (out_) {
        // Line breaks inside a text would split it into two lines of the transcript.
        std::string line = base::Cp1251ToUtf8(text);
        for (char& c : line) {
            if (c == '\r' || c == '\n') c = ' ';
        }
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

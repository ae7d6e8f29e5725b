#include "frontend/tty/printing_speech.h"

#include "base/cues.h"
#include "base/encoding.h"
#include "base/utf8.h"
#include "speech/simple_outputs.h"

namespace velmora::frontend {

using speech::SpeechOutputKind;

base::Utf8 PrintableLine(std::string_view text1251) {
    std::string line;
    line.reserve(text1251.size());
    bool lineBreak = false;
    for (const char c : text1251) {
        if (c == '\r' || c == '\n') {
            lineBreak = true;
            continue;
        }
        if (lineBreak) {
            // One line of a menu after another: a pause, as speech makes one.
            lineBreak = false;
            while (!line.empty() && line.back() == ' ') line.pop_back();
            if (!line.empty()) {
                const char last = line.back();
                const bool ended = last == '.' || last == ',' || last == ';' || last == ':' ||
                                   last == '!' || last == '?';
                line += ended ? " " : ", ";
            }
        }
        const auto b = static_cast<unsigned char>(c);
        line += b < 0x20 || b == 0x7f ? ' ' : c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return base::ToUtf8(line);
}

PrintingSpeech::PrintingSpeech(LineWriter print, std::unique_ptr<speech::SpeechOutput> inner,
                               std::function<void(int)> cue)
    : print_(std::move(print)), inner_(std::move(inner)) {
    if (auto* printed = dynamic_cast<speech::PrintOutput*>(inner_.get())) {
        printed->LeaveWritingToFrontEnd(std::move(cue));
    }
}

PrintingSpeech::PrintingSpeech(Terminal& term, std::unique_ptr<speech::SpeechOutput> inner,
                               std::function<void(int)> cue)
    : PrintingSpeech([&term](const base::Utf8& line) { term.WriteLine(line); }, std::move(inner),
                     std::move(cue)) {}

// Printing alone, or printing for --speech none, is for the console's screen
// reader, which reads each line on its own and reports no end: the kind that
// speaks at once and never reports one. A page's voice wait is then a short
// pause, and the instructions are read line by line with the arrows.
SpeechOutputKind PrintingSpeech::Kind() const {
    return inner_ ? inner_->Kind() : SpeechOutputKind::soJaws;
}

void PrintingSpeech::Speak(const std::string& text) {
    if (print_) print_(PrintableLine(text));
    if (inner_) inner_->Speak(text);
}

void PrintingSpeech::SpeakAgain(const std::string& text) {
    static const std::string mark = base::Utf8ToCp1251("(повтор) ");
    if (print_) print_(PrintableLine(mark + text));
    if (inner_) inner_->SpeakAgain(text);
}

void PrintingSpeech::Cue(int number) {
    if (print_ && number == base::kCueBoundary) print_(base::Utf8(kBoundaryWord));
    if (print_ && number == base::kCueNoMatch) print_(base::Utf8("(нет такого)"));
    if (inner_) inner_->Cue(number);
}

void PrintingSpeech::Acknowledge() {
    if (inner_) inner_->Acknowledge();
}

void PrintingSpeech::SetRate(int setting) {
    if (inner_) inner_->SetRate(setting);
}

bool PrintingSpeech::Speaking() const { return inner_ && inner_->Speaking(); }

void PrintingSpeech::AudioReset() {
    if (inner_) inner_->AudioReset();
}

}  // namespace velmora::frontend

#include "shell/instructions.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/paths.h"
#include "shell/shell_texts.h"
#include "world/key_access.h"

namespace velmora::shell {

InstructionsReader::InstructionsReader(Host& host, speech::SpeechRouter& speech, ui::Form& form,
                                       ui::Panel& kinPanel, ui::Image& image2,
                                       ui::RichEdit& richEdit2, std::filesystem::path programFolder)
    : host_(host),
      speech_(speech),
      form_(form),
      KinPanel(kinPanel),
      Image2(image2),
      RichEdit2(richEdit2),
      programFolder_(std::move(programFolder)) {}

// No speech output here opens files, so the program always reads the
// instructions itself, a line on each end of speech.
void InstructionsReader::Open() {
    RichEdit2.SetAlign(ui::Align::Client);
    RichEdit2.Alignment = ui::TextAlign::Left;
    RichEdit2.Font = {"Arial Black", ui::kRussianCharset, 16, ui::kLime, false};
    RichEdit2.Clear();
    if (auto file = base::FindPath(programFolder_, "instruct.txt")) {
        std::ifstream in(*file, std::ios::binary);
        RichEdit2.SetLines(world::SplitLines(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
    }
    Image2.SetVisible(false);
    KinPanel.SetVisible(true);
    RichEdit2.SetVisible(true);
    form_.Focus(&RichEdit2);
    host_.ShowReadingView();
    readingPos_ = 0;
    readingChars_ = 0;
    ReadLine();
}

bool InstructionsReader::KeyDown(int key) {
    if (key == ui::vk::Down) {
        ++readingPos_;
    } else if (key == ui::vk::Up) {
        readingPos_ = std::max(readingPos_ - 2, 0);
    } else {
        return false;
    }
    ReadLine();
    return true;
}

void InstructionsReader::ReadLine() {
    const int count = RichEdit2.LineCount();
    std::string text = RichEdit2.Line(readingPos_);
    readingChars_ += static_cast<int32_t>(text.size()) + 2;
    while (text.empty() && readingPos_ < count) {
        ++readingPos_;
        text = RichEdit2.Line(readingPos_);
        readingChars_ += static_cast<int32_t>(text.size()) + 2;
    }
    speech_.SayText(text);
}

void InstructionsReader::SpeechEnded() {
    if (readingPos_ < 0 || !host_.InReadingView()) return;
    ++readingPos_;
    if (readingPos_ >= RichEdit2.LineCount()) {
        speech_.SayText(texts::ReadingEnd());
        readingPos_ = -1;
        return;
    }
    ReadLine();
    RichEdit2.SetSelStart(readingChars_);
    RichEdit2.ScrollCaret();
    host_.ReadingMoved();
}

void InstructionsReader::Leave() {
    RichEdit2.SetVisible(false);
    RichEdit2.SetAlign(ui::Align::Bottom);
    RichEdit2.Alignment = ui::TextAlign::Center;
    RichEdit2.Clear();
    RichEdit2.Font = {"Monotype Corsiva", ui::kRussianCharset, 16, ui::kFuchsia, true};
    Image2.SetVisible(true);
    readingPos_ = -1;
    host_.ReadingLeft();
}

}  // namespace velmora::shell

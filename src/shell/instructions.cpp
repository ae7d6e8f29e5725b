#include "shell/instructions.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "base/cues.h"
#include "base/encoding.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "base/project_text.h"
#include "rules/texts.h"
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
    // The program's own file, read through the same gate as a project's: a
    // pipe or a device in its place is read out as the error, not a hang.
    try {
        // A project may explain its own game instead of the program's manual
        // (a departure: the instructions were always the program's). A
        // project that is the program folder itself has the program's file.
        std::error_code ec;
        std::optional<std::string> own;
        if (!projectFolder_.empty() && !std::filesystem::equivalent(projectFolder_, programFolder_, ec)) {
            own = rules::texts::ProjectText(projectFolder_, "instruct.txt");
        }
        if (own) {
            RichEdit2.SetLines(world::SplitLines(*own));
        } else if (auto text = base::ReadProjectText(programFolder_, "instruct.txt")) {
            RichEdit2.SetLines(world::SplitLines(*text));
        }
    } catch (const base::FileError& e) {
        RichEdit2.SetLines({texts::ErrorPrefix() + base::ToCp1251(e.Said())});
    }
    Image2.SetVisible(false);
    KinPanel.SetVisible(true);
    RichEdit2.SetVisible(true);
    form_.Focus(&RichEdit2);
    host_.ShowReadingView();
    readingPos_ = -1;
    ended_ = false;
    // Nothing to read is said too: a key answered by silence is a lost key.
    if (!ReadFrom(0, 1)) {
        ended_ = true;
        speech_.SayText(texts::ReadingEnd());
    }
}

// The line under the cursor follows the keys however fast they come: Up is
// the line before the one being read, not two before it, and after the end
// it reads the last line. At the first line Up gives the refusal cue and
// reads it again; past the last, Down says "конец".
bool InstructionsReader::KeyDown(int key) {
    if (key != ui::vk::Down && key != ui::vk::Up) return false;
    const int32_t count = RichEdit2.LineCount();
    if (key == ui::vk::Down) {
        if (ended_ || !ReadFrom(readingPos_ + 1, 1)) {
            ended_ = true;
            speech_.SayText(texts::ReadingEnd());
        }
        return true;
    }
    const int32_t from = ended_ ? count - 1 : readingPos_ - 1;
    ended_ = false;
    if (!ReadFrom(from, -1)) {
        speech_.PlayCue(base::kCueBoundary);
        ReadFrom(0, 1);
    }
    return true;
}

bool InstructionsReader::ReadFrom(int32_t pos, int direction) {
    const int32_t count = RichEdit2.LineCount();
    for (; pos >= 0 && pos < count; pos += direction) {
        std::string text = RichEdit2.Line(pos);
        if (text.empty()) continue;
        readingPos_ = pos;
        speech_.SayText(text);
        ShowCaret();
        return true;
    }
    return false;
}

void InstructionsReader::ShowCaret() {
    int32_t chars = 0;
    for (int32_t i = 0; i < readingPos_; ++i) chars += static_cast<int32_t>(RichEdit2.Line(i).size()) + 2;
    RichEdit2.SetSelStart(chars);
    RichEdit2.ScrollCaret();
    host_.ReadingMoved();
}

void InstructionsReader::SpeechEnded() {
    if (ended_ || readingPos_ < 0 || !host_.InReadingView() || speech_.EndsAtOnce()) return;
    if (!ReadFrom(readingPos_ + 1, 1)) {
        ended_ = true;
        speech_.SayText(texts::ReadingEnd());
    }
}

void InstructionsReader::Leave() {
    RichEdit2.SetVisible(false);
    RichEdit2.SetAlign(ui::Align::Bottom);
    RichEdit2.Alignment = ui::TextAlign::Center;
    RichEdit2.Clear();
    RichEdit2.Font = {"Monotype Corsiva", ui::kRussianCharset, 16, ui::kFuchsia, true};
    Image2.SetVisible(true);
    readingPos_ = -1;
    ended_ = false;
    host_.ReadingLeft();
}

}  // namespace velmora::shell

// The instructions (instruct.txt of the program folder) shown in the page
// text filling the window and read aloud a line at a time: the next line at
// each end of speech, Down and Up to move, Escape to leave.
#pragma once

#include <cstdint>
#include <filesystem>

#include "speech/speech_router.h"
#include "ui/form.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"

namespace velmora::shell {

class InstructionsReader {
public:
    // The window around the reading.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void ShowReadingView() = 0;
        virtual bool InReadingView() const = 0;
        virtual void ReadingLeft() = 0;  // back to the main menu
        virtual void ReadingMoved() = 0;  // the caret moved: to be drawn
    };

    InstructionsReader(Host& host, speech::SpeechRouter& speech, ui::Form& form,
                       ui::Panel& KinPanel, ui::Image& Image2, ui::RichEdit& RichEdit2,
                       std::filesystem::path programFolder);

    // Shows the file and reads its first line: the project's own
    // instruct.txt when it has one, else the program's.
    void Open();
    void SetProjectFolder(std::filesystem::path folder) { projectFolder_ = std::move(folder); }
    // Down reads the next line, Up the one before the line being read (empty
    // lines are passed over both ways); true when the key was one of them.
    bool KeyDown(int key);
    // The end of an utterance: the next line, or "конец" after the last.
    // A voice that ends every text at once (a printer) reads nothing on:
    // the player steps with the arrows.
    void SpeechEnded();
    // Escape: the page text goes back under the picture, and the main menu shows.
    void Leave();

    int32_t ReadingPos() const { return ended_ ? -1 : readingPos_; }

private:
    // Reads the first line with text from `pos` on in `direction` (+1, -1);
    // false when there is none.
    bool ReadFrom(int32_t pos, int direction);
    void ShowCaret();

    Host& host_;
    speech::SpeechRouter& speech_;
    ui::Form& form_;
    ui::Panel& KinPanel;
    ui::Image& Image2;
    ui::RichEdit& RichEdit2;
    std::filesystem::path programFolder_;
    std::filesystem::path projectFolder_;
    int32_t readingPos_ = -1;  // the line being read; -1 before the first and after the end
    bool ended_ = false;       // "конец" was said
};

}  // namespace velmora::shell

// A picture screen and its lines: the main menu, the chooser of saved games
// and the start's own screen. Every key is answered: it acts, or the
// refusal cue says that it does nothing here (the menu that the player walks
// is a list of lines, and a silent key is a key the player cannot tell from
// a lost one).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "speech/speech_router.h"

namespace velmora::shell {

class PictureScreen {
public:
    // The window around the screen.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void MainMenuAction(int index) = 0;  // a line chosen
        virtual void SayOnlyCount(int entries) = 0;  // a digit beyond the lines
        virtual void SayKeyHelp() = 0;
        virtual void SayLine(const std::string& line) = 0;  // a line walked to
        virtual void PictureBack() = 0;                     // Escape or Backspace
        virtual void Beep() = 0;
    };

    PictureScreen(Host& host, speech::SpeechRouter& speech) : host_(host), speech_(speech) {}

    // A new screen: its title and lines, the cursor on the first.
    void Show(std::string title) {
        title_ = std::move(title);
        cursor_ = 0;
    }
    // The title and lines, as the screen says them.
    std::string Text() const;
    void KeyUp(int key);
    // A line touched or clicked: chosen as Enter chooses it.
    void Choose(int row);
    // The game took the screen's place: no line is current when it comes back.
    void Left() { cursor_ = -1; }

    const std::string& Title() const { return title_; }
    int Cursor() const { return cursor_; }

    std::vector<std::string> lines;
    int settingsLine = -1;  // the main menu's line for the settings
    int chooserLine = -1;   // the main menu's line for the adventure chooser

private:
    Host& host_;
    speech::SpeechRouter& speech_;
    std::string title_;
    int cursor_ = -1;
};

}  // namespace velmora::shell

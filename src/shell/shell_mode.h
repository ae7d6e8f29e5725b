// The one mode the shell is in, and the view that each mode shows.
#pragma once

#include <cstdint>

namespace velmora::shell {

enum ViewMode : uint8_t { vmPicture = 0, vmPage = 1, vmGame = 2, vmReading = 3 };

enum class Mode : uint8_t {
    Starting,     // before the first tick: nothing is spoken yet
    Question,     // the start's question whether to continue the last game
    Picture,      // a picture screen: the main menu, the start's own screen
    SlotChooser,  // the main menu's chooser of saved games
    Page,         // the rules show their pages
    Game,         // the game on its menu line
    MenuAlone,    // the settings or the adventures on the game's menu line, no game showing
    Reading,      // the instructions, read a line at a time
};

constexpr ViewMode ViewOf(Mode mode) {
    switch (mode) {
        case Mode::Question:
        case Mode::Page:
            return vmPage;
        case Mode::Game:
        case Mode::MenuAlone:
            return vmGame;
        case Mode::Reading:
            return vmReading;
        case Mode::Starting:
        case Mode::Picture:
        case Mode::SlotChooser:
            break;
    }
    return vmPicture;
}

// As the front end hears of it (FrontEnd::ViewChanged).
constexpr const char* ViewName(ViewMode view) {
    switch (view) {
        case vmPage:
            return "page";
        case vmGame:
            return "game";
        case vmReading:
            return "reading";
        case vmPicture:
            break;
    }
    return "picture";
}

}  // namespace velmora::shell

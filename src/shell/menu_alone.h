// The window's side of a menu of the program's own (the settings, the
// adventure chooser) shown alone on the game's menu line.
#pragma once

#include <string>

#include "talkui/menu_block.h"
#include "talkui/menu_line.h"

namespace velmora::shell {

class MenuAloneHost {
public:
    virtual ~MenuAloneHost() = default;
    // The game's menu line; none before the first tick.
    virtual talkui::TMenuLine* MenuLine() = 0;
    // The menu's title where the game's text is, no game picture.
    virtual void ShowMenuAlone(const std::string& title) = 0;
    // The block opened there; going back from its top returns to the main menu.
    virtual void OpenMenuAlone(talkui::TMenuBlock& block) = 0;
    virtual void LeaveMenuAlone() = 0;
};

}  // namespace velmora::shell

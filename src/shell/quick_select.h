// The game's digit quick-select: a digit going down selects the menu's entry
// of its number and says it, its release chooses it; a digit beyond the
// entries is refused with how many there are.
#pragma once

#include <functional>
#include <utility>

#include "talkui/menu_line.h"
#include "talkui/toolkit.h"

namespace velmora::shell {

class QuickSelect {
public:
    QuickSelect(talkui::Toolkit& kit, std::function<void(int entries)> sayOnlyCount)
        : kit_(kit), sayOnlyCount_(std::move(sayOnlyCount)) {}

    // The game's menu line, or null before it is made.
    void Down(int n, talkui::TMenuLine* menu);
    void Up(int n, talkui::TMenuLine* menu);
    // Another key came between: the digit's release chooses nothing.
    void Forget() { pending_ = 0; }

private:
    talkui::Toolkit& kit_;
    std::function<void(int)> sayOnlyCount_;
    int pending_ = 0;  // the digit down, selected
};

}  // namespace velmora::shell

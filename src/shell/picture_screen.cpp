#include "shell/picture_screen.h"

#include "base/cues.h"
#include "ui/keys.h"

namespace velmora::shell {

std::string PictureScreen::Text() const {
    std::string said = title_ + ": ";
    for (const std::string& line : lines) said += line + "\r\n";
    return said;
}

void PictureScreen::KeyUp(int key) {
    const int count = static_cast<int>(lines.size());
    if (ui::IsModifierKey(key)) return;
    if (key >= ui::vk::Digit1 && key <= ui::vk::Digit9) {
        if (key - ui::vk::Digit1 < count) {
            host_.MainMenuAction(key - ui::vk::Digit1);
        } else {
            host_.SayOnlyCount(count);
        }
    } else if (key == ui::vk::Down || key == ui::vk::Up || key == ui::vk::Home ||
               key == ui::vk::End) {
        if (count == 0) {
            host_.Beep();
            return;
        }
        if (key == ui::vk::Home || key == ui::vk::End) {
            cursor_ = key == ui::vk::Home ? 0 : count - 1;
        } else {
            cursor_ += key == ui::vk::Down ? 1 : -1;
            if (cursor_ >= count || cursor_ < 0) {
                cursor_ = cursor_ < 0 ? 0 : count - 1;
                host_.Beep();
            }
        }
        host_.SayLine(lines[static_cast<size_t>(cursor_)]);
    } else if (key == ui::vk::Return && cursor_ >= 0) {
        host_.MainMenuAction(cursor_);
    } else if (key == ui::vk::F1) {
        host_.SayKeyHelp();
    } else if (key == ui::vk::Escape || key == ui::vk::Back) {
        host_.PictureBack();
    } else {
        speech_.PlayCue(base::kCueBoundary);
    }
}

void PictureScreen::Choose(int row) {
    if (row < 0 || row >= static_cast<int>(lines.size())) return;
    cursor_ = row;
    host_.MainMenuAction(row);
}

}  // namespace velmora::shell

// Key codes are the Windows virtual-key numbers on every front end.
#pragma once

#include "base/key_codes.h"

namespace velmora::ui {

namespace vk = base::vk;

inline bool IsDigitKey(int key) { return key >= vk::Digit0 && key <= vk::Digit9; }

// Held with other keys (Shift, Ctrl, Alt, the Windows keys), or Caps Lock: keys
// that, alone, change the layout or the case, which have cues of their own.
inline bool IsModifierKey(int key) {
    return key == vk::Shift || key == vk::Control || key == vk::Menu || key == vk::Capital ||
           key == vk::LWin || key == vk::RWin;
}

// Modifiers held with a key, and whether Caps Lock is on after the key went down.
struct ShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool CapsLockOn = false;
};

}  // namespace velmora::ui

// The bookkeeping of the keys on their way down and up: where each went
// down, whether Ctrl went down alone, and the character a spent key types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "shell/shell_mode.h"
#include "ui/keys.h"

namespace velmora::shell {

class KeyTracker {
public:
    // A key went down during a wait or outside one, in `view`.
    void Down(int key, bool inWait, ViewMode view) {
        if (!Fits(key)) return;
        downInWait_[At(key)] = inWait;
        if (!inWait) downView_[At(key)] = static_cast<int8_t>(view);
    }
    // The key went down during a wait, which it belongs to; forgotten.
    bool TakeDownInWait(int key) { return Fits(key) && std::exchange(downInWait_[At(key)], false); }
    // A release whose key went down in another view than `view`; forgotten.
    bool ReleasedInOtherView(int key, ViewMode view) {
        if (!Fits(key)) return false;
        const int8_t was = std::exchange(downView_[At(key)], int8_t{-1});
        return was >= 0 && was != static_cast<int8_t>(view);
    }

    // Ctrl pressed and let go with no other key between: true on its release.
    bool CtrlAloneReleased(int key, bool down) {
        if (key != ui::vk::Control) {
            if (down) ctrlAlone_ = false;
            return false;
        }
        if (down) {
            if (!ctrlHeld_) ctrlAlone_ = true;  // a held Ctrl repeats
            ctrlHeld_ = true;
            return false;
        }
        const bool alone = ctrlAlone_;
        ctrlAlone_ = false;
        ctrlHeld_ = false;
        return alone;
    }

    // The character of a key that was spent on its way down is eaten.
    bool swallowNextChar = false;
    int settingKeyDown = 0;  // a settings key went down: its release is not a key of its own

private:
    static bool Fits(int key) { return key >= 0 && key < 256; }
    static size_t At(int key) { return static_cast<size_t>(key); }

    bool ctrlHeld_ = false;   // Ctrl is down
    bool ctrlAlone_ = false;  // ...and no other key went down since
    // Keys that went down during a wait and are not up yet.
    std::array<bool, 256> downInWait_{};
    // The view each key went down in, -1 for none (a key down not seen).
    std::array<int8_t, 256> downView_ = [] {
        std::array<int8_t, 256> none{};
        none.fill(-1);
        return none;
    }();
};

}  // namespace velmora::shell

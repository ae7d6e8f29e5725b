// Keys carried over a script's pause (see rules::WaitFlags::keysCarryOn):
// kept in their order, each with the view it was pressed in, until it is
// released and nothing waits any more.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "shell/shell_mode.h"
#include "ui/keys.h"

namespace velmora::shell {

class CarriedKeys {
public:
    struct Key {
        int key = 0;
        ui::ShiftState shift{};
        char ch = 0;
        ViewMode view = vmGame;
        bool up = false;  // released: complete
    };

    void Down(int key, ui::ShiftState shift, ViewMode view) {
        // A key held down repeats: it is one key.
        for (const Key& k : keys_) {
            if (k.key == key && !k.up) return;
        }
        if (keys_.size() < kMax) keys_.push_back({key, shift, 0, view, false});
    }
    // The character the last key typed.
    void Press(char ch) {
        if (!keys_.empty() && !keys_.back().up && keys_.back().ch == 0) keys_.back().ch = ch;
    }
    void Up(int key) {
        for (Key& k : keys_) {
            if (k.key == key && !k.up) {
                k.up = true;
                break;
            }
        }
    }
    // The first key, when it is complete; it is no longer carried.
    std::optional<Key> TakeComplete() {
        if (keys_.empty() || !keys_.front().up) return std::nullopt;
        const Key k = keys_.front();
        keys_.pop_front();
        return k;
    }

private:
    static constexpr size_t kMax = 64;  // a key held down repeats
    std::deque<Key> keys_;
};

}  // namespace velmora::shell

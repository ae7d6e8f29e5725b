// Key codes are the Windows virtual-key numbers on every front end.
#pragma once

namespace velmora::ui {

namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18;  // Alt
constexpr int Capital = 20;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Prior = 33;  // Page Up
constexpr int Next = 34;   // Page Down
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int Digit0 = 48;
constexpr int Digit9 = 57;
constexpr int Apps = 93;  // the context-menu key
constexpr int F1 = 112;
constexpr int F10 = 121;
}  // namespace vk

inline bool IsDigitKey(int key) { return key >= vk::Digit0 && key <= vk::Digit9; }

// Modifiers held with a key, and whether Caps Lock is on after the key went down.
struct ShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool CapsLockOn = false;
};

}  // namespace velmora::ui

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
constexpr int Digit1 = 49;
constexpr int Digit9 = 57;
constexpr int KeyM = 77;
constexpr int LWin = 91;  // the Windows keys
constexpr int RWin = 92;
constexpr int Apps = 93;  // the context-menu key
constexpr int Multiply = 106;  // the numeric pad's *, +, - and /
constexpr int Add = 107;
constexpr int Subtract = 109;
constexpr int Divide = 111;
constexpr int F1 = 112;
constexpr int F2 = 113;
constexpr int F3 = 114;
constexpr int F4 = 115;
constexpr int F5 = 116;
constexpr int F9 = 120;
constexpr int F10 = 121;
constexpr int F11 = 122;
constexpr int F12 = 123;
}  // namespace vk

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

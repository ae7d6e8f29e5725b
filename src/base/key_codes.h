// Key codes are the Windows virtual-key numbers on every front end. They live
// here, below every layer, so that the rules (which sit beside the window's
// component model, not on it) name the same keys; ui/keys.h gives them to the
// window as ui::vk.
#pragma once

namespace velmora::base::vk {

constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Clear = 12;  // the numeric pad's 5 without Num Lock
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18;  // Alt
constexpr int Pause = 19;
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
constexpr int Snapshot = 44;  // Print Screen
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int Digit0 = 48;  // the digits and capital letters are their own characters
constexpr int Digit1 = 49;
constexpr int Digit9 = 57;
constexpr int KeyM = 77;
constexpr int LWin = 91;  // the Windows keys
constexpr int RWin = 92;
constexpr int Apps = 93;  // the context-menu key
constexpr int Numpad0 = 96;  // the numeric pad's digits follow it
constexpr int Multiply = 106;  // the numeric pad's *, +, separator, -, decimal point and /
constexpr int Add = 107;
constexpr int Separator = 108;
constexpr int Subtract = 109;
constexpr int Decimal = 110;
constexpr int Divide = 111;
constexpr int F1 = 112;  // F2 … F24 follow it
constexpr int F2 = 113;
constexpr int F3 = 114;
constexpr int F4 = 115;
constexpr int F5 = 116;
constexpr int F9 = 120;
constexpr int F10 = 121;
constexpr int F11 = 122;
constexpr int F12 = 123;
constexpr int NumLock = 144;
constexpr int Scroll = 145;  // Scroll Lock
// The punctuation keys, by the signs they type on the US layout; they keep
// these numbers on the Russian layout too.
constexpr int Oem1 = 186;       // ; :
constexpr int OemPlus = 187;    // = +
constexpr int OemComma = 188;   // , <
constexpr int OemMinus = 189;   // - _
constexpr int OemPeriod = 190;  // . >
constexpr int Oem2 = 191;       // / ?
constexpr int Oem3 = 192;       // ` ~
constexpr int Oem4 = 219;       // [ {
constexpr int Oem5 = 220;       // \ |
constexpr int Oem6 = 221;       // ] }
constexpr int Oem7 = 222;       // ' "
constexpr int Oem102 = 226;     // the extra key beside the left Shift

}  // namespace velmora::base::vk

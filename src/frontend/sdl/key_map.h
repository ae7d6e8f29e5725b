// SDL's key events as the game's keys: Windows virtual-key numbers, so the
// window front end delivers what every other front end delivers.
//
//   SDL_KEYDOWN:   if (auto k = MapSdlKey(sym, scancode, mod)) { down(k); if (auto c =
//   KeyCharacter(*k)) press(*c); } SDL_TEXTINPUT: for (char c : TypedText1251(e.text.text))
//   press(c); SDL_KEYUP:     if (auto k = MapSdlKey(...)) up(k);
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

#include "ui/keys.h"

namespace velmora::frontend {

struct MappedKey {
    int key = 0;  // Windows virtual-key number
    ui::ShiftState shift{};
};

// No value for a key the game has no number for. Letters, digits and
// punctuation go by their place on the keyboard, as Windows numbers them
// whatever the layout; the numeric pad follows Num Lock and Shift as on Windows.
std::optional<MappedKey> MapSdlKey(SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod);

// The modifiers and Caps Lock of SDL's modifier state.
ui::ShiftState ShiftFromSdl(Uint16 mod);

// The character a key types that SDL sends no text for (Enter 13, Escape 27,
// Backspace 8, Tab 9), code page 1251; none with Ctrl or Alt.
std::optional<char> KeyCharacter(const MappedKey& key);

// An SDL_TEXTINPUT text (UTF-8) in code page 1251; characters 1251 cannot
// hold, control characters and broken bytes are dropped.
std::string TypedText1251(const char* utf8);

}  // namespace velmora::frontend

#include "frontend/sdl/key_map.h"

#include <string_view>

#include "base/encoding.h"

namespace velmora::frontend {
namespace {

namespace vk = ui::vk;

// The numeric pad's keys that Num Lock turns into digits, and what they are without it.
struct PadKey {
    SDL_Scancode scancode;
    int digit;       // with Num Lock
    int navigation;  // without
};
constexpr PadKey kPad[] = {
    {SDL_SCANCODE_KP_0, vk::Numpad0 + 0, vk::Insert},
    {SDL_SCANCODE_KP_1, vk::Numpad0 + 1, vk::End},
    {SDL_SCANCODE_KP_2, vk::Numpad0 + 2, vk::Down},
    {SDL_SCANCODE_KP_3, vk::Numpad0 + 3, vk::Next},
    {SDL_SCANCODE_KP_4, vk::Numpad0 + 4, vk::Left},
    {SDL_SCANCODE_KP_5, vk::Numpad0 + 5, vk::Clear},
    {SDL_SCANCODE_KP_6, vk::Numpad0 + 6, vk::Right},
    {SDL_SCANCODE_KP_7, vk::Numpad0 + 7, vk::Home},
    {SDL_SCANCODE_KP_8, vk::Numpad0 + 8, vk::Up},
    {SDL_SCANCODE_KP_9, vk::Numpad0 + 9, vk::Prior},
    {SDL_SCANCODE_KP_PERIOD, vk::Decimal, vk::Delete},
};

int ByScancode(SDL_Scancode s) {
    if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return 'A' + (s - SDL_SCANCODE_A);
    if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return '1' + (s - SDL_SCANCODE_1);
    if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12) return vk::F1 + (s - SDL_SCANCODE_F1);
    if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F24) return vk::F12 + 1 + (s - SDL_SCANCODE_F13);
    switch (s) {
        case SDL_SCANCODE_0:
            return '0';
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_RETURN2:
        case SDL_SCANCODE_KP_ENTER:
            return vk::Return;
        case SDL_SCANCODE_ESCAPE:
            return vk::Escape;
        case SDL_SCANCODE_BACKSPACE:
            return vk::Back;
        case SDL_SCANCODE_TAB:
            return vk::Tab;
        case SDL_SCANCODE_SPACE:
            return vk::Space;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT:
            return vk::Shift;
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL:
            return vk::Control;
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT:
            return vk::Menu;
        case SDL_SCANCODE_LGUI:
            return vk::LWin;
        case SDL_SCANCODE_RGUI:
            return vk::RWin;
        case SDL_SCANCODE_CAPSLOCK:
            return vk::Capital;
        case SDL_SCANCODE_NUMLOCKCLEAR:
            return vk::NumLock;
        case SDL_SCANCODE_SCROLLLOCK:
            return vk::Scroll;
        case SDL_SCANCODE_PAUSE:
            return vk::Pause;
        case SDL_SCANCODE_PRINTSCREEN:
            return vk::Snapshot;
        case SDL_SCANCODE_APPLICATION:
        case SDL_SCANCODE_MENU:
            return vk::Apps;
        case SDL_SCANCODE_UP:
            return vk::Up;
        case SDL_SCANCODE_DOWN:
            return vk::Down;
        case SDL_SCANCODE_LEFT:
            return vk::Left;
        case SDL_SCANCODE_RIGHT:
            return vk::Right;
        case SDL_SCANCODE_HOME:
            return vk::Home;
        case SDL_SCANCODE_END:
            return vk::End;
        case SDL_SCANCODE_PAGEUP:
            return vk::Prior;
        case SDL_SCANCODE_PAGEDOWN:
            return vk::Next;
        case SDL_SCANCODE_INSERT:
            return vk::Insert;
        case SDL_SCANCODE_DELETE:
            return vk::Delete;
        case SDL_SCANCODE_KP_MULTIPLY:
            return vk::Multiply;
        case SDL_SCANCODE_KP_PLUS:
            return vk::Add;
        case SDL_SCANCODE_KP_MINUS:
            return vk::Subtract;
        case SDL_SCANCODE_KP_DIVIDE:
            return vk::Divide;
        // The punctuation keys keep their US numbers on the Russian layout too.
        case SDL_SCANCODE_SEMICOLON:
            return vk::Oem1;
        case SDL_SCANCODE_EQUALS:
            return vk::OemPlus;
        case SDL_SCANCODE_COMMA:
            return vk::OemComma;
        case SDL_SCANCODE_MINUS:
            return vk::OemMinus;
        case SDL_SCANCODE_PERIOD:
            return vk::OemPeriod;
        case SDL_SCANCODE_SLASH:
            return vk::Oem2;
        case SDL_SCANCODE_GRAVE:
            return vk::Oem3;
        case SDL_SCANCODE_LEFTBRACKET:
            return vk::Oem4;
        case SDL_SCANCODE_BACKSLASH:
            return vk::Oem5;
        case SDL_SCANCODE_RIGHTBRACKET:
            return vk::Oem6;
        case SDL_SCANCODE_APOSTROPHE:
            return vk::Oem7;
        case SDL_SCANCODE_NONUSBACKSLASH:
            return vk::Oem102;
        default:
            return 0;
    }
}

}  // namespace

ui::ShiftState ShiftFromSdl(Uint16 mod) {
    ui::ShiftState s;
    s.Shift = (mod & KMOD_SHIFT) != 0;
    s.Ctrl = (mod & KMOD_CTRL) != 0;
    s.Alt = (mod & KMOD_ALT) != 0;
    s.CapsLockOn = (mod & KMOD_CAPS) != 0;
    return s;
}

std::optional<MappedKey> MapSdlKey(SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod) {
    MappedKey out{0, ShiftFromSdl(mod)};
    for (const PadKey& p : kPad) {
        if (p.scancode != scancode) continue;
        // Windows: with Num Lock on, Shift turns a pad digit back into its
        // navigation key and is reported released for it.
        const bool numLock = (mod & KMOD_NUM) != 0;
        if (numLock && !out.shift.Shift) {
            out.key = p.digit;
        } else {
            out.key = p.navigation;
            if (numLock) out.shift.Shift = false;
        }
        return out;
    }
    out.key = ByScancode(scancode);
    // A key without a known place (some X servers' extra keys): its letter, if any.
    if (out.key == 0 && sym >= 'a' && sym <= 'z') out.key = static_cast<int>(sym - 'a' + 'A');
    if (out.key == 0) return std::nullopt;
    return out;
}

std::optional<char> KeyCharacter(const MappedKey& key) {
    if (key.shift.Ctrl || key.shift.Alt) return std::nullopt;
    switch (key.key) {
        case vk::Return:
        case vk::Escape:
        case vk::Back:
        case vk::Tab:
            return static_cast<char>(key.key);
        default:
            return std::nullopt;
    }
}

std::string TypedText1251(const char* utf8) {
    std::string out;
    if (utf8 == nullptr) return out;
    const std::string_view text(utf8);
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t n = b >= 0xF0 && b < 0xF8   ? 4
                   : b >= 0xE0 && b < 0xF0 ? 3
                   : b >= 0xC0 && b < 0xE0 ? 2
                                           : 1;
        // A cut or broken sequence: drop its first byte only and read on.
        if (n > text.size() - i) n = 1;
        for (size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) n = 1;
        }
        const std::string_view one = text.substr(i, n);
        i += n;
        if (b < 0x20 || b == 0x7F) continue;
        if (!base::FitsCp1251(one)) continue;
        out += base::Utf8ToCp1251(one);
    }
    return out;
}

}  // namespace velmora::frontend

#include "frontend/sdl/key_map.h"

#include <gtest/gtest.h>

#include "base/encoding.h"

namespace velmora::frontend {
namespace {

int Key(SDL_Scancode s, Uint16 mod = KMOD_NONE, SDL_Keycode sym = SDLK_UNKNOWN) {
    auto k = MapSdlKey(sym, s, mod);
    return k ? k->key : -1;
}

TEST(SdlKeyMap, LettersAndDigitsGoByPlaceWhateverTheLayout) {
    EXPECT_EQ(Key(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(Key(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(Key(SDL_SCANCODE_M), 'M');
    // On the Russian layout SDL reports Cyrillic or unknown keycodes; the place decides.
    EXPECT_EQ(Key(SDL_SCANCODE_F, KMOD_NONE, 0x430 /* а */), 'F');
    EXPECT_EQ(Key(SDL_SCANCODE_Q, KMOD_NONE, SDLK_a /* AZERTY */), 'Q');
    EXPECT_EQ(Key(SDL_SCANCODE_1), '1');
    EXPECT_EQ(Key(SDL_SCANCODE_9), '9');
    EXPECT_EQ(Key(SDL_SCANCODE_0), '0');
    // The Russian letters on punctuation keys (х ъ ж э б ю ё) keep the US numbers.
    EXPECT_EQ(Key(SDL_SCANCODE_LEFTBRACKET), 219);
    EXPECT_EQ(Key(SDL_SCANCODE_RIGHTBRACKET), 221);
    EXPECT_EQ(Key(SDL_SCANCODE_SEMICOLON), 186);
    EXPECT_EQ(Key(SDL_SCANCODE_APOSTROPHE), 222);
    EXPECT_EQ(Key(SDL_SCANCODE_COMMA), 188);
    EXPECT_EQ(Key(SDL_SCANCODE_PERIOD), 190);
    EXPECT_EQ(Key(SDL_SCANCODE_GRAVE), 192);
    EXPECT_EQ(Key(SDL_SCANCODE_MINUS), 189);
    EXPECT_EQ(Key(SDL_SCANCODE_EQUALS), 187);
    // A key SDL cannot place still counts by its letter.
    EXPECT_EQ(Key(SDL_SCANCODE_UNKNOWN, KMOD_NONE, SDLK_k), 'K');
    EXPECT_EQ(Key(SDL_SCANCODE_UNKNOWN, KMOD_NONE, SDLK_UNKNOWN), -1);
    EXPECT_EQ(Key(SDL_SCANCODE_VOLUMEUP), -1);
}

TEST(SdlKeyMap, FunctionEditingAndModifierKeys) {
    EXPECT_EQ(Key(SDL_SCANCODE_F1), 112);
    EXPECT_EQ(Key(SDL_SCANCODE_F5), 116);
    EXPECT_EQ(Key(SDL_SCANCODE_F10), 121);
    EXPECT_EQ(Key(SDL_SCANCODE_F12), 123);
    EXPECT_EQ(Key(SDL_SCANCODE_UP), 38);
    EXPECT_EQ(Key(SDL_SCANCODE_DOWN), 40);
    EXPECT_EQ(Key(SDL_SCANCODE_LEFT), 37);
    EXPECT_EQ(Key(SDL_SCANCODE_RIGHT), 39);
    EXPECT_EQ(Key(SDL_SCANCODE_HOME), 36);
    EXPECT_EQ(Key(SDL_SCANCODE_END), 35);
    EXPECT_EQ(Key(SDL_SCANCODE_PAGEUP), 33);
    EXPECT_EQ(Key(SDL_SCANCODE_PAGEDOWN), 34);
    EXPECT_EQ(Key(SDL_SCANCODE_INSERT), 45);
    EXPECT_EQ(Key(SDL_SCANCODE_DELETE), 46);
    EXPECT_EQ(Key(SDL_SCANCODE_RETURN), 13);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_ENTER), 13);
    EXPECT_EQ(Key(SDL_SCANCODE_ESCAPE), 27);
    EXPECT_EQ(Key(SDL_SCANCODE_BACKSPACE), 8);
    EXPECT_EQ(Key(SDL_SCANCODE_TAB), 9);
    EXPECT_EQ(Key(SDL_SCANCODE_SPACE), 32);
    EXPECT_EQ(Key(SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), 16);
    EXPECT_EQ(Key(SDL_SCANCODE_RSHIFT, KMOD_RSHIFT), 16);
    EXPECT_EQ(Key(SDL_SCANCODE_LCTRL), 17);
    EXPECT_EQ(Key(SDL_SCANCODE_RCTRL), 17);
    EXPECT_EQ(Key(SDL_SCANCODE_LALT), 18);
    EXPECT_EQ(Key(SDL_SCANCODE_RALT), 18);
    EXPECT_EQ(Key(SDL_SCANCODE_CAPSLOCK), 20);
    EXPECT_EQ(Key(SDL_SCANCODE_APPLICATION), 93);
}

TEST(SdlKeyMap, NumericPadFollowsNumLockAndShiftAsOnWindows) {
    EXPECT_EQ(Key(SDL_SCANCODE_KP_0, KMOD_NUM), 96);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_5, KMOD_NUM), 101);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_9, KMOD_NUM), 105);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_PERIOD, KMOD_NUM), 110);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_8), 38);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_2), 40);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_4), 37);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_6), 39);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_7), 36);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_1), 35);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_9), 33);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_3), 34);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_0), 45);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_PERIOD), 46);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_5), 12);
    // The operators do not depend on Num Lock.
    for (Uint16 mod : {KMOD_NONE, KMOD_NUM}) {
        EXPECT_EQ(Key(SDL_SCANCODE_KP_MULTIPLY, mod), 106);
        EXPECT_EQ(Key(SDL_SCANCODE_KP_PLUS, mod), 107);
        EXPECT_EQ(Key(SDL_SCANCODE_KP_MINUS, mod), 109);
        EXPECT_EQ(Key(SDL_SCANCODE_KP_DIVIDE, mod), 111);
    }
    // Num Lock on with Shift: the navigation key, Shift reported released.
    auto shifted = MapSdlKey(SDLK_KP_8, SDL_SCANCODE_KP_8, KMOD_NUM | KMOD_LSHIFT);
    ASSERT_TRUE(shifted);
    EXPECT_EQ(shifted->key, 38);
    EXPECT_FALSE(shifted->shift.Shift);
    // Num Lock off with Shift: the navigation key with Shift (Shift+End selects).
    shifted = MapSdlKey(SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_RSHIFT);
    ASSERT_TRUE(shifted);
    EXPECT_EQ(shifted->key, 35);
    EXPECT_TRUE(shifted->shift.Shift);
}

TEST(SdlKeyMap, ShiftStateFromEitherSideAndCapsLock) {
    struct Case {
        Uint16 mod;
        bool shift, ctrl, alt, caps;
    };
    const Case cases[] = {
        {KMOD_NONE, false, false, false, false},
        {KMOD_LSHIFT, true, false, false, false},
        {KMOD_RSHIFT, true, false, false, false},
        {KMOD_LCTRL, false, true, false, false},
        {KMOD_RCTRL, false, true, false, false},
        {KMOD_LALT, false, false, true, false},
        {KMOD_RALT, false, false, true, false},
        {KMOD_CAPS, false, false, false, true},
        {KMOD_NUM, false, false, false, false},
        {static_cast<Uint16>(KMOD_LCTRL | KMOD_RSHIFT | KMOD_CAPS), true, true, false, true},
    };
    for (const Case& c : cases) {
        auto k = MapSdlKey(SDLK_a, SDL_SCANCODE_A, c.mod);
        ASSERT_TRUE(k);
        EXPECT_EQ(k->shift.Shift, c.shift) << c.mod;
        EXPECT_EQ(k->shift.Ctrl, c.ctrl) << c.mod;
        EXPECT_EQ(k->shift.Alt, c.alt) << c.mod;
        EXPECT_EQ(k->shift.CapsLockOn, c.caps) << c.mod;
    }
}

TEST(SdlKeyMap, KeysWithoutTextTypeTheirControlCharacter) {
    auto typed = [](SDL_Scancode s, Uint16 mod = KMOD_NONE) {
        return KeyCharacter(*MapSdlKey(SDLK_UNKNOWN, s, mod));
    };
    EXPECT_EQ(typed(SDL_SCANCODE_RETURN), '\r');
    EXPECT_EQ(typed(SDL_SCANCODE_KP_ENTER), '\r');
    EXPECT_EQ(typed(SDL_SCANCODE_ESCAPE), '\x1b');
    EXPECT_EQ(typed(SDL_SCANCODE_BACKSPACE), '\b');
    EXPECT_EQ(typed(SDL_SCANCODE_TAB), '\t');
    EXPECT_EQ(typed(SDL_SCANCODE_TAB, KMOD_LSHIFT), '\t');
    // Like a key script: Ctrl or Alt types nothing.
    EXPECT_EQ(typed(SDL_SCANCODE_RETURN, KMOD_LCTRL), std::nullopt);
    EXPECT_EQ(typed(SDL_SCANCODE_RETURN, KMOD_LALT), std::nullopt);
    // SDL's text input brings letters, space and the pad's characters itself.
    EXPECT_EQ(typed(SDL_SCANCODE_A), std::nullopt);
    EXPECT_EQ(typed(SDL_SCANCODE_SPACE), std::nullopt);
    EXPECT_EQ(typed(SDL_SCANCODE_KP_PLUS), std::nullopt);
    EXPECT_EQ(typed(SDL_SCANCODE_F1), std::nullopt);
}

TEST(SdlKeyMap, TypedTextIn1251DropsWhatItCannotHold) {
    EXPECT_EQ(TypedText1251("a"), "a");
    EXPECT_EQ(TypedText1251("?"), "?");
    EXPECT_EQ(TypedText1251("ж"), base::Utf8ToCp1251("ж"));
    EXPECT_EQ(TypedText1251("ЁёЇ№"), base::Utf8ToCp1251("ЁёЇ№"));
    EXPECT_EQ(TypedText1251("Привет, мир"), base::Utf8ToCp1251("Привет, мир"));
    EXPECT_EQ(TypedText1251("a€b"), base::Utf8ToCp1251("a€b"));  // the euro is in 1251
    EXPECT_EQ(TypedText1251("a中b😀c"), "abc");
    EXPECT_EQ(TypedText1251("αж"), base::Utf8ToCp1251("ж"));
    EXPECT_EQ(TypedText1251(""), "");
    EXPECT_EQ(TypedText1251(nullptr), "");
    // Broken bytes go, the characters around them stay.
    EXPECT_EQ(TypedText1251("\xD0"
                            "A"),
              "A");
    EXPECT_EQ(TypedText1251("x\x80y"), "xy");
    EXPECT_EQ(TypedText1251("\xE2\x82"), "");
    EXPECT_EQ(TypedText1251("z\xFF"), "z");
    EXPECT_EQ(TypedText1251("\x7F\x01q"), "q");
}

}  // namespace
}  // namespace velmora::frontend

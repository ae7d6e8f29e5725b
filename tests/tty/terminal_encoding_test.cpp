// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/tty/terminal_encoding.h"

#include <gtest/gtest.h>

namespace velmora::frontend {
namespace {

TEST(TerminalEncoding, TheTerminalsOwnSetOrUtf8AndAWord) {
    const struct {
        const char* codeset;
        bool converts;
        std::string_view out, in;  // "Привет, «мир» — №1 Ёё ✓" written; "Да\e[A" typed
    } cases[] = {
        {"UTF-8", false, "Привет, «мир» — №1 Ёё ✓", "Да\x1b[A"},
        {"utf8", false, "Привет, «мир» — №1 Ёё ✓", "Да\x1b[A"},
        {"KOI8-R", true, "\xF0\xD2\xC9\xD7\xC5\xD4, <<\xCD\xC9\xD2>> -- No1 \xB3\xA3 ?", "\xE4\xC1\x1b[A"},
        {"CP866", true, "\x8F\xE0\xA8\xA2\xA5\xE2, <<\xAC\xA8\xE0>> -- \xFC" "1 \xF0\xF1 ?", "\x84\xA0\x1b[A"},
        // No Russian letters, a set of several bytes a letter, no such set:
        // UTF-8 as it is.
        {"ANSI_X3.4-1968", false, "Привет, «мир» — №1 Ёё ✓", "Да\x1b[A"},
        {"ISO-8859-1", false, "Привет, «мир» — №1 Ёё ✓", "Да\x1b[A"},
        {"EUC-JP", false, "Привет, «мир» — №1 Ёё ✓", "Да\x1b[A"},
        {"NO-SUCH-SET", false, "Привет, «мир» — №1 Ёё ✓", "Да\x1b[A"},
    };
    for (const auto& c : cases) {
        const TerminalEncoding enc(c.codeset);
        EXPECT_EQ(enc.Converts(), c.converts) << c.codeset;
        EXPECT_EQ(enc.Out("Привет, «мир» — №1 Ёё ✓"), c.out) << c.codeset;
        EXPECT_EQ(enc.In(c.in), "Да\x1b[A") << c.codeset;
        const bool utf8 = std::string_view(c.codeset).starts_with("UTF") ||
                          std::string_view(c.codeset).starts_with("utf");
        // Said once, in both languages, where the set is of no use.
        EXPECT_EQ(enc.Warning().empty(), c.converts || utf8) << c.codeset;
        if (!enc.Warning().empty()) {
            EXPECT_NE(enc.Warning().find("нужен терминал в UTF-8"), std::string::npos);
            EXPECT_NE(enc.Warning().find("needs a UTF-8 terminal"), std::string::npos);
        }
    }
    // Broken UTF-8 is one '?' a byte; a byte the set lacks is dropped.
    EXPECT_EQ(TerminalEncoding("KOI8-R").Out("a\xD0" "b\xFF"), "a?b?");
    EXPECT_EQ(TerminalEncoding("CP1251").In("\x98x"), "x");
}

TEST(TerminalEncoding, TheLocaleNamesTheSet) {
    const struct {
        const char *lcAll, *lang, *codeset;
    } cases[] = {
        {"C.UTF-8", "", "UTF-8"},
        {"", "C", "ANSI_X3.4-1968"},
        {"", "", "ANSI_X3.4-1968"},
        // Not installed here: taken at its word.
        {"", "xx_XX.KOI8-R", "KOI8-R"},
        {"xx_XX.CP866@euro", "C.UTF-8", "CP866"},
    };
    for (const auto& c : cases) {
        ::setenv("LC_ALL", c.lcAll, 1);
        ::unsetenv("LC_CTYPE");
        ::setenv("LANG", c.lang, 1);
        EXPECT_EQ(TerminalEncoding::LocaleCodeset(), c.codeset) << c.lcAll << " " << c.lang;
    }
    ::unsetenv("LC_ALL");
    ::unsetenv("LANG");
}

}  // namespace
}  // namespace velmora::frontend

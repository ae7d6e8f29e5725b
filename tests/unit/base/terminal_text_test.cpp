// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/terminal_text.h"

#include <gtest/gtest.h>

namespace velmora::base {
namespace {

TEST(TerminalSafe, KeepsTextAndDisarmsEveryControl) {
    const struct {
        std::string_view in, out;
    } cases[] = {
        {"", ""},
        {"Пещера — вход 1", "Пещера — вход 1"},
        {"\xF0\x9F\x99\x82 \xEF\xBF\xBD", "\xF0\x9F\x99\x82 \xEF\xBF\xBD"},
        // One line stays one line.
        {"a\tb\nc\r\nd\v\fe", "a b c  d  e"},
        // The hostile title: OSC rename, clear, alternate screen, report query.
        {"\x1b]0;title\a\x1b[2J\x1b[?1049h\x1b[6n", "?]0;title??[2J?[?1049h?[6n"},
        {std::string_view("a\0b", 3), "a?b"},
        {"\x7f\x08", "??"},
        // C1 controls as UTF-8 (CSI U+009B, OSC U+009D, ST U+009C).
        {"\xC2\x9B" "2J\xC2\x9D" "0;t\xC2\x9C", "?2J?0;t?"},
        {"\xC2\xA0", "\xC2\xA0"},
        // Invalid UTF-8: raw 1251, lone continuation, truncated, overlong,
        // surrogate, past U+10FFFF; raw C1 bytes alone are invalid too.
        {"\xCF\xF0\xE8", "???"},
        {"\x80x\x9b", "?x?"},
        {"\xD0", "?"},
        {"\xE2\x80", "??"},
        {"\xC0\x9B", "??"},
        {"\xE0\x80\x9B", "???"},
        {"\xED\xA0\x80", "???"},
        {"\xF4\x90\x80\x80", "????"},
        {"\xF8\x88\x80\x80\x80", "?????"},
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalSafe(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace velmora::base

// SPDX-License-Identifier: GPL-3.0-or-later
// Text from a project on its way to a terminal: an escape sequence in a
// title could rename the window, clear the screen or make the terminal type
// a reply into the game, so it never reaches the terminal as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::base {

// The UTF-8 text with every control character (C0 including ESC, BEL, CR,
// LF and TAB; DEL; C1 U+0080..U+009F) and every invalid UTF-8 byte replaced:
// tab and line breaks by a space, so one line stays one line, the rest by
// '?'. Valid UTF-8 (Cyrillic) passes unchanged.
std::string TerminalSafe(std::string_view utf8);

// Length of the valid UTF-8 character that s begins with, its code point in
// *cp; 0 when s begins with none (overlong forms, surrogates and values past
// U+10FFFF are not valid).
size_t ValidUtf8Length(std::string_view s, char32_t* cp = nullptr);

}  // namespace velmora::base

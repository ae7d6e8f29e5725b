// Conversion between code page 1251 (the game's text) and UTF-8 (the screen,
// speech engines, terminal, file names on Linux). Done only at the edges.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::base {

// Bytes without a character in 1251 (0x98) come out as U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);

// Characters that 1251 cannot hold, and broken UTF-8, come out as '?'.
std::string Utf8ToCp1251(std::string_view text);

// True when the UTF-8 text converts to 1251 without loss.
bool FitsCp1251(std::string_view utf8);

// The 1251 byte of a code point (a typed character); none when 1251 has no
// such character, for surrogates and past U+10FFFF.
std::optional<char> Cp1251Of(char32_t cp);

}  // namespace velmora::base

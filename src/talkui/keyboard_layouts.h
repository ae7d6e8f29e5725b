// The same key in the other keyboard layout, for the list search's retry:
// a Latin key gives the Russian letter on it, a Russian letter the Latin key.
#pragma once

#include <optional>

namespace velmora::talkui {

// Latin letters (either case) and , . ; : ' ` [ ] give the Russian letter;
// the Russian letters А–я give the Latin key; anything else nothing.
std::optional<char> OtherLayoutKey(char c);

}  // namespace velmora::talkui

// Case rules of code page 1251 text. Game text is held as 1251 bytes in
// std::string everywhere; these functions never consult the C locale.
#pragma once

#include <string>
#include <string_view>

namespace velmora::base {

// A–Z or А–Я (0xC0–0xDF). Ё does not count: the toolkit marks capitals by this class.
bool IsCapital1251(char c);

// A–Z, a–z, or any byte from 0xC0 up: the letters the toolkit lower-cases.
bool IsLetter1251(char c);

// The toolkit's lower case: a letter gets bit 0x20, Ё becomes ё, other bytes stay.
char ToolkitLower1251(char c);

// The system's lower case of code page 1251: Latin, Russian and the other
// Cyrillic letters of the code page (Ё→ё, Ў→ў, Є→є, …).
extern const unsigned char kLower1251[256];
inline char ToLower1251(char c) {
    return static_cast<char>(kLower1251[static_cast<unsigned char>(c)]);
}
std::string LowerText1251(std::string_view text);
// Only the Latin letters A-Z lowered: for names that may be UTF-8 (key names, X11's).
std::string LowerAscii(std::string_view text);

// Without leading and trailing spaces and control characters (bytes up to 32).
std::string_view TrimBlanks(std::string_view text);

// Equal without regard to letter case under ToLower1251.
inline bool EqualsNoCase1251(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && ToLower1251(a[i]) != ToLower1251(b[i])) return false;
    }
    return true;
}

}  // namespace velmora::base

#include "base/cp1251.h"

#include <array>

namespace velmora::base {
namespace {

constexpr unsigned char U(char c) { return static_cast<unsigned char>(c); }

constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (int i = 'A'; i <= 'Z'; ++i) t[i] = static_cast<unsigned char>(i + 32);
    for (int i = 0xC0; i <= 0xDF; ++i) t[i] = static_cast<unsigned char>(i + 32);
    // Capitals of the upper half that do not sit 0x20 below their small letter.
    constexpr std::pair<int, int> kPairs[] = {
        {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
        {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
        {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
    };
    for (auto [upper, lower] : kPairs) t[upper] = static_cast<unsigned char>(lower);
    return t;
}

constexpr std::array<unsigned char, 256> kLowerTable = MakeLowerTable();

}  // namespace

const unsigned char kLower1251[256] = {
#define VELMORA_ROW(i)                                                                    \
    kLowerTable[i], kLowerTable[i + 1], kLowerTable[i + 2], kLowerTable[i + 3],           \
        kLowerTable[i + 4], kLowerTable[i + 5], kLowerTable[i + 6], kLowerTable[i + 7]
    VELMORA_ROW(0),   VELMORA_ROW(8),   VELMORA_ROW(16),  VELMORA_ROW(24),  VELMORA_ROW(32),
    VELMORA_ROW(40),  VELMORA_ROW(48),  VELMORA_ROW(56),  VELMORA_ROW(64),  VELMORA_ROW(72),
    VELMORA_ROW(80),  VELMORA_ROW(88),  VELMORA_ROW(96),  VELMORA_ROW(104), VELMORA_ROW(112),
    VELMORA_ROW(120), VELMORA_ROW(128), VELMORA_ROW(136), VELMORA_ROW(144), VELMORA_ROW(152),
    VELMORA_ROW(160), VELMORA_ROW(168), VELMORA_ROW(176), VELMORA_ROW(184), VELMORA_ROW(192),
    VELMORA_ROW(200), VELMORA_ROW(208), VELMORA_ROW(216), VELMORA_ROW(224), VELMORA_ROW(232),
    VELMORA_ROW(240), VELMORA_ROW(248),
#undef VELMORA_ROW
};

bool IsCapital1251(char c) {
    const unsigned char b = U(c);
    return (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF);
}

bool IsLetter1251(char c) {
    const unsigned char b = U(c);
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0;
}

char ToolkitLower1251(char c) {
    if (U(c) == 0xA8) return static_cast<char>(0xB8);
    if (IsLetter1251(c)) return static_cast<char>(U(c) | 0x20);
    return c;
}

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string LowerText1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ToLower1251(c);
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return out;
}


}  // namespace velmora::base

// Plain values of the component model: colours, rectangles, fonts.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::ui {

// A Windows colour value: red in the lowest byte, then green, then blue.
using Colour = uint32_t;

constexpr Colour Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return Colour{red} | (Colour{green} << 8) | (Colour{blue} << 16);
}

constexpr Colour kBlack = Rgb(0, 0, 0);
constexpr Colour kLime = Rgb(0, 255, 0);
constexpr Colour kAqua = Rgb(0, 255, 255);
constexpr Colour kYellow = Rgb(255, 255, 0);
constexpr Colour kFuchsia = Rgb(255, 0, 255);
constexpr Colour kWhite = Rgb(255, 255, 255);

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const Rect&) const = default;
};

constexpr int kDefaultCharset = 1;
constexpr int kRussianCharset = 204;

struct FontInfo {
    std::string Name = "MS Sans Serif";
    int Charset = kDefaultCharset;
    int Size = 8;  // points
    Colour Color = kBlack;
    bool Italic = false;
};

}  // namespace velmora::ui

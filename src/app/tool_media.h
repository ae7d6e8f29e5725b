// Pictures and tunes the starter project is made with: small GIF and MIDI
// writers, so a new project owns its media from the first run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tool {

struct Rgb {
    uint8_t r, g, b;
};

// A picture of palette indices, drawn with a few shapes.
class Canvas {
public:
    Canvas(int width, int height, std::vector<Rgb> palette);
    void Fill(uint8_t colour);
    void Rect(int x, int y, int w, int h, uint8_t colour);
    void Disc(int cx, int cy, int radius, uint8_t colour);
    // A triangle pointing up: its apex and the half width of its base.
    void Peak(int apexX, int apexY, int halfBase, int height, uint8_t colour);
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // One GIF89a image: the palette padded to a power of two, LZW-coded.
    std::string Gif() const;

private:
    void Put(int x, int y, uint8_t colour);
    int width_, height_;
    std::vector<Rgb> palette_;
    std::vector<uint8_t> pixels_;
};

struct Note {
    int key;       // MIDI note number, 0 for a rest
    int sixteenths;  // its length
};

// A format-0 MIDI file of one melody on one General MIDI instrument.
std::string Midi(const std::vector<Note>& melody, int program, int beatsPerMinute);

}  // namespace velmora::tool

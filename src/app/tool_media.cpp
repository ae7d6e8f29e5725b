#include "app/tool_media.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace velmora::tool {

Canvas::Canvas(int width, int height, std::vector<Rgb> palette)
    : width_(width), height_(height), palette_(std::move(palette)),
      pixels_(static_cast<size_t>(width) * height, 0) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF || palette_.empty() ||
        palette_.size() > 256) {
        throw std::invalid_argument("picture size or palette out of range");
    }
}

void Canvas::Put(int x, int y, uint8_t colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || colour >= palette_.size()) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = colour;
}

void Canvas::Fill(uint8_t colour) { Rect(0, 0, width_, height_, colour); }

void Canvas::Rect(int x, int y, int w, int h, uint8_t colour) {
    for (int j = std::max(y, 0); j < std::min(y + h, height_); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, width_); ++i) Put(i, j, colour);
}

void Canvas::Disc(int cx, int cy, int radius, uint8_t colour) {
    for (int j = cy - radius; j <= cy + radius; ++j)
        for (int i = cx - radius; i <= cx + radius; ++i)
            if ((i - cx) * (i - cx) + (j - cy) * (j - cy) <= radius * radius) Put(i, j, colour);
}

void Canvas::Peak(int apexX, int apexY, int halfBase, int height, uint8_t colour) {
    for (int row = 0; row < height; ++row) {
        const int half = halfBase * row / std::max(height, 1);
        for (int i = apexX - half; i <= apexX + half; ++i) Put(i, apexY + row, colour);
    }
}

namespace {

void Word(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

// Variable-length LZW codes, least significant bit first, in sub-blocks of
// at most 255 bytes, as GIF stores them.
class CodeWriter {
public:
    void Put(int code, int width) {
        bits_ |= static_cast<uint32_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            bytes_ += static_cast<char>(bits_ & 0xFF);
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    std::string Blocks() {
        if (count_ > 0) bytes_ += static_cast<char>(bits_ & 0xFF);
        count_ = 0;
        std::string out;
        for (size_t at = 0; at < bytes_.size(); at += 255) {
            const size_t n = std::min<size_t>(255, bytes_.size() - at);
            out += static_cast<char>(n);
            out.append(bytes_, at, n);
        }
        out += '\0';
        return out;
    }

private:
    uint32_t bits_ = 0;
    int count_ = 0;
    std::string bytes_;
};

}  // namespace

std::string Canvas::Gif() const {
    int depth = 1;
    while ((1u << depth) < palette_.size()) ++depth;
    const int minCode = std::max(depth, 2);
    std::string out = "GIF89a";
    Word(out, width_);
    Word(out, height_);
    out += static_cast<char>(0x80 | ((depth - 1) << 4) | (depth - 1));  // global table
    out += '\0';                                                       // background
    out += '\0';                                                       // aspect
    for (int i = 0; i < (1 << depth); ++i) {
        const Rgb c = i < static_cast<int>(palette_.size()) ? palette_[i] : Rgb{0, 0, 0};
        out += static_cast<char>(c.r);
        out += static_cast<char>(c.g);
        out += static_cast<char>(c.b);
    }
    out += ',';
    Word(out, 0);
    Word(out, 0);
    Word(out, width_);
    Word(out, height_);
    out += '\0';
    out += static_cast<char>(minCode);

    const int clear = 1 << minCode;
    const int end = clear + 1;
    CodeWriter codes;
    std::map<std::pair<int, uint8_t>, int> table;
    int next = end + 1;
    int width = minCode + 1;
    codes.Put(clear, width);
    int prefix = -1;
    for (uint8_t pixel : pixels_) {
        if (prefix < 0) {
            prefix = pixel;
            continue;
        }
        auto found = table.find({prefix, pixel});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        codes.Put(prefix, width);
        if (next < 4096) {
            table[{prefix, pixel}] = next++;
            if (next > (1 << width) && width < 12) ++width;
        } else {
            // The table is full: start it again, as decoders expect.
            codes.Put(clear, width);
            table.clear();
            next = end + 1;
            width = minCode + 1;
        }
        prefix = pixel;
    }
    if (prefix >= 0) codes.Put(prefix, width);
    codes.Put(end, width);
    out += codes.Blocks();
    out += ';';
    return out;
}

namespace {

void VarLen(std::string& out, uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while ((v >>= 7) != 0) bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n > 0) out += bytes[--n];
}

void Be(std::string& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string Midi(const std::vector<Note>& melody, int program, int beatsPerMinute) {
    constexpr int kTicksPerQuarter = 96;
    constexpr int kTicksPerSixteenth = kTicksPerQuarter / 4;
    std::string track;
    VarLen(track, 0);
    track += "\xFF\x51\x03";
    Be(track, static_cast<uint32_t>(60'000'000 / std::clamp(beatsPerMinute, 20, 300)), 3);
    VarLen(track, 0);
    track += static_cast<char>(0xC0);
    track += static_cast<char>(std::clamp(program, 0, 127));
    uint32_t rest = 0;
    for (const Note& n : melody) {
        const uint32_t length = static_cast<uint32_t>(std::max(n.sixteenths, 1)) * kTicksPerSixteenth;
        if (n.key <= 0) {
            rest += length;
            continue;
        }
        VarLen(track, rest);
        track += static_cast<char>(0x90);
        track += static_cast<char>(std::clamp(n.key, 1, 127));
        track += static_cast<char>(90);
        VarLen(track, length);
        track += static_cast<char>(0x80);
        track += static_cast<char>(std::clamp(n.key, 1, 127));
        track += '\0';
        rest = 0;
    }
    VarLen(track, rest);
    track += "\xFF\x2F";
    track += '\0';
    std::string out = "MThd";
    Be(out, 6, 4);
    Be(out, 0, 2);
    Be(out, 1, 2);
    Be(out, kTicksPerQuarter, 2);
    out += "MTrk";
    Be(out, static_cast<uint32_t>(track.size()), 4);
    out += track;
    return out;
}

}  // namespace velmora::tool

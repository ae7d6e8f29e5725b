#include "base/picture_header.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::base {
namespace {

uint32_t Le(std::string_view b, size_t at, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint32_t{static_cast<unsigned char>(b[at + i])} << (8 * i);
    return v;
}

uint32_t Be(std::string_view b, size_t at, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

uint64_t Area(int64_t w, int64_t h) {
    return w > 0 && h > 0 ? static_cast<uint64_t>(w) * static_cast<uint64_t>(h) : 0;
}

PictureHeader Still(int64_t w, int64_t h) { return {w, h, 1, Area(w, h)}; }

std::optional<PictureHeader> JpegHeader(std::string_view b) {
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (static_cast<unsigned char>(b[at]) != 0xFF) return std::nullopt;
        const auto marker = static_cast<unsigned char>(b[at + 1]);
        if (marker == 0xFF) {  // fill bytes
            ++at;
            continue;
        }
        const uint32_t length = Be(b, at + 2, 2);
        // Start of frame, of any kind but the define-table markers that share the range.
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                           marker != 0xCC;
        if (frame) {
            if (at + 9 > b.size()) return std::nullopt;
            return Still(Be(b, at + 7, 2), Be(b, at + 5, 2));
        }
        if (length < 2) return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

// The data sub-blocks from `at` to their terminator, skipped.
size_t SkipSubBlocks(std::string_view b, size_t at) {
    while (at < b.size()) {
        const size_t n = static_cast<unsigned char>(b[at]);
        at += 1 + n;
        if (n == 0) break;
    }
    return at;
}

size_t ColourTable(unsigned char packed) { return packed & 0x80 ? size_t{3} << ((packed & 7) + 1) : 0; }

// Every image of the file counted, without decoding any: the blocks are
// walked by their lengths. A file cut short counts what it holds.
PictureHeader GifHeader(std::string_view b) {
    PictureHeader h;
    h.width = Le(b, 6, 2);
    h.height = Le(b, 8, 2);
    h.frames = 0;
    const uint64_t canvas = Area(h.width, h.height);
    size_t at = 13 + ColourTable(static_cast<unsigned char>(b[10]));
    while (at < b.size()) {
        const auto block = static_cast<unsigned char>(b[at]);
        if (block == 0x21) {  // an extension: its label, then its sub-blocks
            at = SkipSubBlocks(b, at + 2);
        } else if (block == 0x2C) {  // an image
            if (at + 10 > b.size()) break;
            const uint64_t frame = Area(Le(b, at + 5, 2), Le(b, at + 7, 2));
            ++h.frames;
            h.pixels = std::min(h.pixels + std::max(canvas, frame), uint64_t{1} << 62);
            at += 10 + ColourTable(static_cast<unsigned char>(b[at + 9]));
            at = SkipSubBlocks(b, at + 1);  // after the code size
        } else {
            break;  // the trailer, or bytes no decoder reads on from
        }
    }
    if (h.frames == 0) h.pixels = canvas;
    return h;
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(std::string_view b) {
    if (b.size() >= 13 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")) {
        return GifHeader(b);
    }
    if (b.size() >= 10 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")) {
        return PictureHeader{Le(b, 6, 2), Le(b, 8, 2), 0, Area(Le(b, 6, 2), Le(b, 8, 2))};
    }
    if (b.size() >= 24 && b.substr(0, 8) == "\x89PNG\r\n\x1a\n" && b.substr(12, 4) == "IHDR") {
        return Still(Be(b, 16, 4), Be(b, 20, 4));
    }
    if (b.size() >= 26 && b.substr(0, 2) == "BM") {
        // Old OS/2 headers hold 16-bit sizes; a negative height is a top-down picture.
        if (Le(b, 14, 4) == 12) return Still(Le(b, 18, 2), Le(b, 20, 2));
        const auto height = static_cast<int32_t>(Le(b, 22, 4));
        return Still(static_cast<int32_t>(Le(b, 18, 4)), std::llabs(static_cast<int64_t>(height)));
    }
    if (b.size() >= 4 && static_cast<unsigned char>(b[0]) == 0xFF &&
        static_cast<unsigned char>(b[1]) == 0xD8) {
        return JpegHeader(b);
    }
    return std::nullopt;
}

std::optional<std::string> PictureTooLarge(std::string_view bytes) {
    const auto h = ReadPictureHeader(bytes);
    if (!h || h->pixels <= kMaxPicturePixels) return std::nullopt;
    std::string why = "картинка слишком велика (" + std::to_string(h->width) + " на " +
                      std::to_string(h->height) + " точек";
    if (h->frames > 1) why += ", кадров: " + std::to_string(h->frames);
    return why + "; можно не больше " + std::to_string(kMaxPicturePixels / 1'000'000) +
           " млн точек на все кадры)";
}

}  // namespace velmora::base

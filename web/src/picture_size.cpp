// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_size.h"

#include <cstdint>
#include <cstdlib>

namespace velmora::web {
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

std::optional<shell::WindowSize> Sized(int64_t w, int64_t h) {
    // A header may say anything; only a picture that could be drawn counts.
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535) return std::nullopt;
    return shell::WindowSize{static_cast<int>(w), static_cast<int>(h)};
}

std::optional<shell::WindowSize> JpegSize(std::string_view b) {
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
            return Sized(Be(b, at + 7, 2), Be(b, at + 5, 2));
        }
        if (length < 2) return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

std::optional<shell::WindowSize> PictureSize(std::string_view b) {
    if (b.size() >= 10 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")) {
        return Sized(Le(b, 6, 2), Le(b, 8, 2));
    }
    if (b.size() >= 24 && b.substr(0, 8) == "\x89PNG\r\n\x1a\n" && b.substr(12, 4) == "IHDR") {
        return Sized(Be(b, 16, 4), Be(b, 20, 4));
    }
    if (b.size() >= 26 && b.substr(0, 2) == "BM") {
        // Old OS/2 headers hold 16-bit sizes; a negative height is a top-down picture.
        if (Le(b, 14, 4) == 12) return Sized(Le(b, 18, 2), Le(b, 20, 2));
        const auto height = static_cast<int32_t>(Le(b, 22, 4));
        return Sized(static_cast<int32_t>(Le(b, 18, 4)), std::llabs(static_cast<int64_t>(height)));
    }
    if (b.size() >= 4 && static_cast<unsigned char>(b[0]) == 0xFF &&
        static_cast<unsigned char>(b[1]) == 0xD8) {
        return JpegSize(b);
    }
    return std::nullopt;
}

}  // namespace velmora::web

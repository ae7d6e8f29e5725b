// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_size.h"

#include "base/picture_header.h"

namespace velmora::web {

// The header is read as the game's file gate reads it (the gate has by then
// refused a picture over the pixel bound).
std::optional<shell::WindowSize> PictureSize(std::string_view bytes) {
    const auto header = base::ReadPictureHeader(bytes);
    if (!header) return std::nullopt;
    const int64_t w = header->width;
    const int64_t h = header->height;
    // A header may say anything; only a picture that could be drawn counts.
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535) return std::nullopt;
    return shell::WindowSize{static_cast<int>(w), static_cast<int>(h)};
}

}  // namespace velmora::web

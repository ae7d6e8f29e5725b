// What a picture will cost to decode, read from its header alone (GIF, PNG,
// BMP, JPEG): a 35-byte GIF may claim 65535 × 65535 pixels, and a decoder
// would allocate them before it found that the data is missing. The gate
// refuses a picture over the bound before anyone decodes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::base {

struct PictureHeader {
    int64_t width = 0;   // of the picture (a GIF's logical screen)
    int64_t height = 0;
    int64_t frames = 1;  // a GIF's images; 0 when it holds none
    // What decoding makes: each frame of a GIF is drawn on a canvas of the
    // logical screen, or of the frame where it is larger.
    uint64_t pixels = 0;
};

// None for bytes that are none of the four formats, or too short to say.
std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes);

// The most pixels of all frames together a picture may decode to: some 128 MB
// as the window holds them (four bytes a pixel); a picture of a game is a
// few hundred thousand.
inline constexpr uint64_t kMaxPicturePixels = 32'000'000;

// Why a picture is refused before decoding, or none when it may be decoded.
std::optional<std::string> PictureTooLarge(std::string_view bytes);

}  // namespace velmora::base

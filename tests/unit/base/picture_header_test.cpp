#include "base/picture_header.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora::base {
namespace {

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// A GIF of a logical screen w × h holding one image per entry of `frames`
// (its own width and height), each with one sub-block of data.
std::string Gif(unsigned w, unsigned h, const std::vector<std::pair<unsigned, unsigned>>& frames) {
    std::string b = "GIF89a" + Le16(w) + Le16(h) + std::string("\x80\0\0", 3) + std::string(6, '\0');
    for (const auto& [fw, fh] : frames) {
        b += std::string("\x21\xF9\x04\0\0\0\0\0", 8);  // a frame's delay: an extension
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a literal + string chain.
        b += '\x2C';
        for (unsigned v : {0u, 0u, fw, fh}) b += Le16(v);
        b += '\0';
        b += std::string("\x02\x02\x4C\x01\0", 5);
    }
    return b + "\x3B";
}

TEST(PictureHeader, CountsWhatDecodingWouldMakeWithoutDecoding) {
    struct Case {
        const char* name;
        std::string bytes;
        int64_t width, height, frames;
        uint64_t pixels;
        bool refused;
    };
    // A bomb of 43 bytes that claims 65535 × 65535.
    const std::string bomb = Gif(65535, 65535, {{65535, 65535}});
    const std::string manyFrames = Gif(1000, 1000, std::vector<std::pair<unsigned, unsigned>>(40, {1, 1}));
    const Case cases[] = {
        {"a still GIF", Gif(640, 480, {{640, 480}}), 640, 480, 1, 307200, false},
        {"an animation", Gif(320, 200, {{320, 200}, {10, 10}, {320, 200}}), 320, 200, 3, 192000, false},
        {"the bomb", bomb, 65535, 65535, 1, 65535ull * 65535, true},
        {"a small screen, huge frames", Gif(1, 1, {{8000, 8000}}), 1, 1, 1, 64'000'000, true},
        // Each tiny frame is drawn on the whole screen.
        {"40 one-pixel frames on a megapixel", manyFrames, 1000, 1000, 40, 40'000'000, true},
        {"a header only", Gif(640, 480, {}).substr(0, 13), 640, 480, 0, 307200, false},
        // Cut off in the image's descriptor: the screen alone is what a decoder would make.
        {"a cut-off image", bomb.substr(0, 30), 65535, 65535, 0, 65535ull * 65535, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto h = ReadPictureHeader(c.bytes);
        ASSERT_TRUE(h);
        EXPECT_EQ(h->width, c.width);
        EXPECT_EQ(h->height, c.height);
        EXPECT_EQ(h->frames, c.frames);
        EXPECT_EQ(h->pixels, c.pixels);
        EXPECT_EQ(PictureTooLarge(c.bytes).has_value(), c.refused);
    }
    EXPECT_EQ(*PictureTooLarge(bomb),
              "картинка слишком велика (65535 на 65535 точек; можно не больше 32 млн точек на все кадры)");
    EXPECT_FALSE(ReadPictureHeader("hello, world"));
    EXPECT_FALSE(PictureTooLarge("hello, world"));
}

}  // namespace
}  // namespace velmora::base

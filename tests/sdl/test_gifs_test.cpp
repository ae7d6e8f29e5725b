// The pictures of scripts/make-test-gifs, read back by SDL_image.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frontend/sdl/sdl_handles.h"

namespace {

using Surface = velmora::frontend::sdl::SurfacePtr;

std::string Gif(const char* name) {
    return std::string(VELMORA_TEST_GIFS) + "/" + name;
}

// The picture as 32-bit RGBA, so pixels read the same whatever SDL_image chose.
Surface Load(SDL_Surface* loaded) {
    Surface owner(loaded);
    if (!owner) return nullptr;
    return Surface(SDL_ConvertSurfaceFormat(owner.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Rgb& c) {
    return o << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb Pixel(SDL_Surface* s, int x, int y) {
    const auto* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 4;
    return {p[0], p[1], p[2]};
}

// Every pixel of the surface is the colour.
::testing::AssertionResult Solid(SDL_Surface* s, Rgb colour) {
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            if (!(Pixel(s, x, y) == colour)) {
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(TestGifs, SolidPicturesHaveTheirSizeAndColour) {
    struct Case {
        const char* file;
        int w, h;
        Rgb colour;
    };
    for (const Case& c : {Case{"red-64x48.gif", 64, 48, {255, 0, 0}},
                          Case{"blue-32x32.gif", 32, 32, {0, 0, 255}}}) {
        Surface s = Load(IMG_Load(Gif(c.file).c_str()));
        ASSERT_TRUE(s) << c.file << ": " << IMG_GetError();
        EXPECT_EQ(s->w, c.w) << c.file;
        EXPECT_EQ(s->h, c.h) << c.file;
        EXPECT_TRUE(Solid(s.get(), c.colour)) << c.file;
    }
}

// Busy enough that the compressor widens its codes and starts its table again.
TEST(TestGifs, PatternDecodesPixelForPixel) {
    Surface s = Load(IMG_Load(Gif("pattern-192x192.gif").c_str()));
    ASSERT_TRUE(s) << IMG_GetError();
    ASSERT_EQ(s->w, 192);
    ASSERT_EQ(s->h, 192);
    int wrong = 0;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 192; ++x) {
            const int i = (x * 7 + y * 13 + (x * y) % 11) % 16;
            const Rgb want{(i * 37) % 256, (i * 91) % 256, (i * 151) % 256};
            if (!(Pixel(s.get(), x, y) == want) && wrong++ < 5) {
                ADD_FAILURE() << x << "," << y << ": " << Pixel(s.get(), x, y) << " not " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(TestGifs, AnimationHasItsFramesAndDelays) {
    velmora::frontend::sdl::AnimationPtr a(
        IMG_LoadAnimation(Gif("animated-40x30.gif").c_str()));
    ASSERT_TRUE(a) << IMG_GetError();
    EXPECT_EQ(a->w, 40);
    EXPECT_EQ(a->h, 30);
    ASSERT_EQ(a->count, 3);
    const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const int delaysMs[] = {100, 200, 500};
    for (int f = 0; f < 3; ++f) {
        Surface frame(SDL_ConvertSurfaceFormat(a->frames[f], SDL_PIXELFORMAT_RGBA32, 0));
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->w, 40);
        EXPECT_EQ(frame->h, 30);
        EXPECT_TRUE(Solid(frame.get(), colours[f])) << "frame " << f;
        EXPECT_EQ(a->delays[f], delaysMs[f]) << "frame " << f;
    }
    // Loaded as a still picture: the first frame.
    Surface still = Load(IMG_Load(Gif("animated-40x30.gif").c_str()));
    ASSERT_TRUE(still) << IMG_GetError();
    EXPECT_TRUE(Solid(still.get(), colours[0]));
}

}  // namespace

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "frontend/sdl/font_set.h"
#include "frontend/sdl/sdl_front_end.h"
#include "frontend/sdl/sdl_window.h"
#include "sdl/test_pictures.h"
#include "ui/form.h"
#include "ui/panel.h"
#include "unit/test_folder.h"

// The offscreen video driver loads Mesa and unloads it at the end, and
// Mesa's leaks can then no longer be told from ours by any suppression.
extern "C" int __lsan_is_turned_off() { return 1; }

namespace velmora::frontend::sdl {
namespace {

TEST(Window, OffscreenWindowFrontEndDrawsOnlyWhenDue) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::unique_ptr<SdlWindow> window;
    try {
        window = std::make_unique<SdlWindow>();
    } catch (const SdlError& e) {
        GTEST_SKIP() << e.what();
    }
    EXPECT_STREQ(SDL_GetWindowTitle(window->Window()), "Игра Вельмора");
    EXPECT_NE(SDL_GetWindowFlags(window->Window()) & SDL_WINDOW_BORDERLESS, 0u);
    FontSet fonts;
    SdlFrontEnd frontEnd(window->Renderer(), fonts, window->Size());
    EXPECT_GT(frontEnd.InitialWindowSize().width, 0);
    EXPECT_EQ(frontEnd.KeyboardLayout(), "00000419");

    ui::Form form("Form1");
    form.SetBounds(0, 0, 100, 100);
    frontEnd.SetForm(&form);
    EXPECT_TRUE(frontEnd.DrawIfDue());
    EXPECT_FALSE(frontEnd.DrawIfDue());  // nothing changed, nothing moves
    EXPECT_FALSE(frontEnd.NextFrameAt());
    frontEnd.Changed();
    EXPECT_TRUE(frontEnd.DrawIfDue());

    test::TestFolder folder;
    const auto gif = folder.Write("anim.gif", kTwoFrameGif);
    const auto size = frontEnd.MeasurePicture(gif);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 1);
    EXPECT_FALSE(frontEnd.MeasurePicture(folder.path() / "none.gif"));
    ui::Image image("Image2");
    image.SetParent(&form);
    image.SetBounds(0, 0, 100, 100);
    image.LoadPicture(gif);
    frontEnd.PictureLoaded("Image2", gif);
    EXPECT_TRUE(frontEnd.DrawIfDue());
    ASSERT_TRUE(frontEnd.NextFrameAt());  // the animation asks for its next frame
    EXPECT_TRUE(frontEnd.DrawIfDue(*frontEnd.NextFrameAt()));
    EXPECT_TRUE(frontEnd.WriteScreenshot(folder.path() / "shot.png"));
    EXPECT_TRUE(std::filesystem::file_size(folder.path() / "shot.png") > 0);
}

}  // namespace
}  // namespace velmora::frontend::sdl

// The program as a companion sees it: velmora is started on the offscreen
// video driver with a key script, and the PNG of its last frame is looked at
// region by region. The castle's pictures are replaced by generated GIFs of
// known colours and sizes.
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "frontend/sdl/sdl_handles.h"
#include "unit/test_folder.h"

namespace velmora::frontend::sdl {
namespace {

namespace fs = std::filesystem;
using Rgb = std::array<int, 3>;

constexpr Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
constexpr Rgb kLime = kGreen, kAqua{0, 255, 255}, kFuchsia{255, 0, 255}, kYellow{255, 255, 0};

struct Box {
    int left, top, right, bottom;  // right and bottom excluded
};

class Frame {
public:
    explicit Frame(const fs::path& png) {
        SurfacePtr loaded(IMG_Load(png.c_str()));
        if (loaded) surface_.reset(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    }
    bool Loaded() const { return surface_ != nullptr; }
    int Width() const { return surface_->w; }
    int Height() const { return surface_->h; }
    Rgb At(int x, int y) const {
        const auto* row = static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch;
        const Uint32 p = reinterpret_cast<const Uint32*>(row)[x];
        return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
    }
    // Pixels of exactly one colour inside a box (clipped to the frame).
    int Count(Box b, Rgb colour) const {
        int n = 0;
        for (int y = std::max(0, b.top); y < std::min(Height(), b.bottom); ++y) {
            for (int x = std::max(0, b.left); x < std::min(Width(), b.right); ++x) n += At(x, y) == colour;
        }
        return n;
    }
    int Area(Box b) const {
        return (std::min(Width(), b.right) - std::max(0, b.left)) *
               (std::min(Height(), b.bottom) - std::max(0, b.top));
    }

private:
    SurfacePtr surface_;
};

class Views : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path gifs = VELMORA_TEST_GIFS;
        fs::copy(VELMORA_CASTLE, root(), fs::copy_options::recursive);
        auto put = [&](const char* made, const fs::path& as) {
            fs::copy_file(gifs / made, root() / as, fs::copy_options::overwrite_existing);
        };
        put("red-64x48.gif", "gif/menu.gif");
        put("blue-32x32.gif", "Projects/Default/gif/intro.gif");
        put("animated-40x30.gif", "Projects/Default/gif/0.gif");
        put("pattern-192x192.gif", "Projects/Default/gif/1.gif");
    }
    fs::path root() const { return folder.path() / "castle"; }

    // Plays the keys in the window and gives its last frame.
    Frame Play(const std::string& keys) {
        folder.Write("play.keys", keys);
        const fs::path shot = folder.path() / "last.png";
        // The offscreen driver's graphics libraries leak at exit, and only
        // the frame is under test here.
        const std::string command = "SDL_VIDEODRIVER=offscreen ASAN_OPTIONS=detect_leaks=0 '" +
                                    std::string(VELMORA_BINARY) + "' --frontend window --root '" +
                                    root().string() + "' --speech print --sound none --keys '" +
                                    (folder.path() / "play.keys").string() + "' --transcript '" +
                                    (folder.path() / "heard.txt").string() + "' --screenshot '" +
                                    shot.string() + "' > /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return Frame(shot);
    }
    std::string Heard() const { return folder.Read("heard.txt"); }

    test::TestFolder folder;
};

// The introduction's first page: its picture at twice its size, centred in
// the upper three quarters, and its line in fuchsia in the lowest quarter.
TEST_F(Views, IntroductionPageShowsItsPictureAndText) {
    const Frame f = Play("wait 400\n");
    ASSERT_TRUE(f.Loaded());
    ASSERT_EQ(f.Width(), 1024);
    ASSERT_EQ(f.Height(), 768);
    // 32×32 scaled by 2 at ((1024 - 64) / 2, (576 - 64) / 2).
    const Box picture{480, 256, 544, 320};
    EXPECT_EQ(f.Count(picture, kBlue), f.Area(picture));
    EXPECT_EQ(f.At(479, 256), kBlack);
    EXPECT_EQ(f.At(544, 319), kBlack);
    EXPECT_EQ(f.At(480, 320), kBlack);
    EXPECT_EQ(f.Count({0, 0, 1024, 768}, kBlue), 64 * 64);
    // The text, centred: fuchsia only in the page text's quarter, on both
    // sides of the middle.
    EXPECT_EQ(f.Count({0, 0, 1024, 576}, kFuchsia), 0);
    EXPECT_GT(f.Count({312, 576, 512, 768}, kFuchsia), 100);
    EXPECT_GT(f.Count({512, 576, 712, 768}, kFuchsia), 100);
    EXPECT_EQ(f.Count({0, 576, 200, 768}, kFuchsia), 0);
    EXPECT_NE(Heard().find("view: page"), std::string::npos);
}

// The main menu is its picture stretched over the whole window, and nothing
// else: the menu's lines are heard, not shown.
TEST_F(Views, MainMenuIsItsPictureAlone) {
    const Frame f = Play("Escape\nwait 300\nEscape\nwait 400\n");
    ASSERT_TRUE(f.Loaded());
    const Box all{0, 0, f.Width(), f.Height()};
    EXPECT_EQ(f.Count(all, kRed), f.Area(all));
    EXPECT_NE(Heard().find("view: picture"), std::string::npos);
}

// A new game, then two steps down the verbs: the place's picture (the
// animated one: whichever frame is up, it is one colour) inside its black
// margin, the lime message, the aqua indicators and the lime menu with its
// yellow cursor row on the second verb.
TEST_F(Views, GameViewShowsPictureMessageIndicatorsAndMenu) {
    const Frame f = Play("Escape\nwait 300\nEscape\nwait 300\n1\nwait 600\nDown\nwait 200\nDown\nwait 400\n");
    ASSERT_TRUE(f.Loaded());
    const std::string heard = Heard();
    ASSERT_NE(heard.find("say: Идти."), std::string::npos) << heard;
    ASSERT_NE(heard.find("say: Отдыхать."), std::string::npos) << heard;

    // Image1: 10 pixels inside the upper half.
    const Box picture{10, 10, 1014, 374};
    const Rgb frame = f.At(500, 200);
    EXPECT_TRUE(frame == kRed || frame == kGreen || frame == kBlue) << frame[0] << frame[1] << frame[2];
    EXPECT_EQ(f.Count(picture, frame), f.Area(picture));
    EXPECT_EQ(f.Count({0, 0, 1024, 10}, kBlack), 1024 * 10);
    EXPECT_EQ(f.At(5, 200), kBlack);
    EXPECT_EQ(f.At(1018, 200), kBlack);

    // The message area: one lime line at its top left, black below it.
    const int rightPanel = 1024 - 1024 / 3;
    EXPECT_GT(f.Count({0, 384, 400, 420}, kLime), 300);
    EXPECT_EQ(f.Count({0, 440, rightPanel - 40, 768}, kLime), 0);

    // Indicators: three aqua numbers across the right third, under the strip.
    const int third = (1024 - rightPanel) / 3;
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(f.Count({rightPanel + i * third, 384, rightPanel + (i + 1) * third, 384 + 60}, kAqua), 20)
            << "indicator " << i;
    }
    EXPECT_EQ(f.Count({0, 0, rightPanel, 768}, kAqua), 0);

    // The menu: lime rows and one tall yellow cursor row, the second.
    const Box menu{rightPanel, 430, 1024, 768};
    EXPECT_GT(f.Count(menu, kLime), 2000);
    const int yellow = f.Count(menu, kYellow);
    EXPECT_GT(yellow, (1024 - rightPanel) * 40);
    int firstYellowRow = -1;
    for (int y = 430; y < 768 && firstYellowRow < 0; ++y) {
        if (f.At(1020, y) == kYellow) firstYellowRow = y;
    }
    EXPECT_GT(firstYellowRow, 440);  // below the first verb's row
    EXPECT_LT(firstYellowRow, 500);
}

}  // namespace
}  // namespace velmora::frontend::sdl

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "frontend/sdl/font_set.h"
#include "frontend/sdl/painter.h"
#include "frontend/sdl/picture_cache.h"
#include "frontend/sdl/screenshot.h"
#include "frontend/sdl/text_cache.h"
#include "sdl/test_pictures.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/list_box.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"
#include "unit/test_folder.h"

namespace velmora::frontend::sdl {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;


struct Rgb {
    Uint8 r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

// A software renderer drawing into a surface of its own.
class Canvas {
public:
    Canvas(int w, int h)
        : surface_(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888)),
          renderer_(SDL_CreateSoftwareRenderer(surface_.get())) {}
    SDL_Renderer* renderer() const { return renderer_.get(); }
    Rgb At(int x, int y) const {
        const auto* row = static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch;
        Uint32 pixel = 0;
        std::memcpy(&pixel, row + x * 4, 4);
        Rgb c;
        SDL_GetRGB(pixel, surface_->format, &c.r, &c.g, &c.b);
        return c;
    }
    // How many pixels of the rectangle have the colour.
    int Count(SDL_Rect r, Rgb colour) const {
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) n += At(x, y) == colour;
        return n;
    }
    int CountNot(SDL_Rect r, Rgb colour) const { return r.w * r.h - Count(r, colour); }

private:
    SurfacePtr surface_;
    RendererPtr renderer_;
};

constexpr Rgb kBlackPx{0, 0, 0};
constexpr Rgb kRedPx{255, 0, 0};
constexpr Rgb kBluePx{0, 0, 255};
constexpr Rgb kLimePx{0, 255, 0};
constexpr Rgb kYellowPx{255, 255, 0};

class Drawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(canvas.renderer(), nullptr) << SDL_GetError();
        form.SetBounds(0, 0, 200, 150);
    }
    void Paint() { painter.Paint(form, Clock::now()); }
    // A 2×2 red PNG in the test's folder (empty when it cannot be written).
    std::filesystem::path RedPng() const {
        SurfacePtr red(SDL_CreateRGBSurfaceWithFormat(0, 2, 2, 32, SDL_PIXELFORMAT_ARGB8888));
        SDL_FillRect(red.get(), nullptr, SDL_MapRGB(red->format, 255, 0, 0));
        const auto png = folder.path() / "red.png";
        return IMG_SavePNG(red.get(), png.c_str()) == 0 ? png : std::filesystem::path();
    }

    Canvas canvas{200, 150};
    FontSet fonts;
    PictureCache pictures{canvas.renderer()};
    Painter painter{canvas.renderer(), fonts, pictures};
    ui::Form form{"Form1"};
    test::TestFolder folder;
};

TEST_F(Drawing, PanelsLabelAndStretchedPicture) {
    // A 2×2 red PNG stretched over a 100×50 image.
    const auto png = RedPng();
    ASSERT_FALSE(png.empty());

    ui::Panel panel("ImagePanel");
    panel.SetParent(&form);
    panel.SetBounds(0, 0, 200, 75);
    ui::Image image("Image1");
    image.SetParent(&panel);
    image.SetBounds(10, 10, 100, 50);
    image.LoadPicture(png);
    ui::Panel hidden("Hidden");
    hidden.SetParent(&form);
    hidden.SetBounds(150, 0, 50, 150);
    hidden.Color = ui::kYellow;
    hidden.SetVisible(false);
    ui::Label label("Label1");
    label.SetParent(&form);
    label.SetBounds(10, 90, 180, 50);
    label.Font = {"MS Sans Serif", ui::kRussianCharset, 20, ui::kLime, false};
    label.Caption = base::Utf8ToCp1251("Жизнь 100");
    Paint();

    EXPECT_EQ(canvas.Count({10, 10, 100, 50}, kRedPx), 100 * 50);  // fills its bounds exactly
    EXPECT_EQ(canvas.At(9, 9), kBlackPx);
    EXPECT_EQ(canvas.At(110, 60), kBlackPx);
    EXPECT_EQ(canvas.Count({150, 0, 50, 80}, kYellowPx), 0);  // hidden: not drawn
    EXPECT_GT(canvas.Count({10, 90, 180, 50}, kLimePx), 50);  // the label's letters
    EXPECT_EQ(canvas.CountNot({0, 75, 8, 75}, kBlackPx), 0);   // nothing left of it
}

// Plain backgrounds are not drawn over the same colour again, but a black
// control still covers a picture that an earlier sibling drew beneath it
// (a tall page picture reaching into the page text), and a coloured panel
// on black is filled.
TEST_F(Drawing, ABlackControlCoversThePictureBeneathIt) {
    const auto png = RedPng();
    ASSERT_FALSE(png.empty());

    ui::Panel kin("KinPanel");
    kin.SetParent(&form);
    kin.SetBounds(0, 0, 200, 150);
    ui::Image picture("Image2");
    picture.SetParent(&kin);
    picture.SetBounds(0, 0, 200, 120);
    picture.LoadPicture(png);
    ui::RichEdit text("RichEdit2");
    text.SetParent(&kin);
    text.SetBounds(0, 100, 200, 50);
    ui::Panel yellow("Yellow");
    yellow.SetParent(&form);
    yellow.SetBounds(180, 0, 20, 20);
    yellow.Color = ui::kYellow;
    Paint();

    EXPECT_EQ(canvas.Count({0, 0, 180, 100}, kRedPx), 180 * 100);
    EXPECT_EQ(canvas.Count({0, 100, 200, 50}, kBlackPx), 200 * 50);
    EXPECT_EQ(canvas.Count({180, 0, 20, 20}, kYellowPx), 20 * 20);
}

TEST_F(Drawing, AnimatedGifPlaysItsFramesInALoop) {
    const auto gif = folder.Write("anim.gif", kTwoFrameGif);
    ASSERT_EQ(PictureCache::Measure(gif)->width, 1);
    EXPECT_FALSE(PictureCache::Measure(folder.Write("bad.gif", "GIF89a nonsense")));
    EXPECT_FALSE(PictureCache::Measure(folder.path() / "missing.gif"));

    ui::Image image("Image2");
    image.SetParent(&form);
    image.SetBounds(0, 0, 200, 150);
    image.LoadPicture(gif);
    const auto t0 = Clock::now();
    painter.Paint(form, t0);
    EXPECT_EQ(canvas.At(100, 75), kRedPx);
    ASSERT_TRUE(painter.NextAnimationFrame());
    EXPECT_EQ(*painter.NextAnimationFrame(), t0 + milliseconds(100));
    painter.Paint(form, t0 + milliseconds(150));
    EXPECT_EQ(canvas.At(100, 75), kBluePx);
    EXPECT_EQ(*painter.NextAnimationFrame(), t0 + milliseconds(300));
    painter.Paint(form, t0 + milliseconds(320));  // round again
    EXPECT_EQ(canvas.At(100, 75), kRedPx);

    // A picture that cannot be read leaves the image black, without a crash.
    image.LoadPicture(folder.path() / "missing.gif");
    Paint();
    EXPECT_EQ(canvas.At(100, 75), kBlackPx);
    EXPECT_FALSE(painter.NextAnimationFrame());
    // Only what the last frame showed is kept; shown again, the animation
    // starts from its first frame.
    EXPECT_EQ(pictures.Size(), 1u);
    image.LoadPicture(gif);
    const auto t1 = Clock::now();
    painter.Paint(form, t1);
    EXPECT_EQ(canvas.At(100, 75), kRedPx);
    EXPECT_EQ(*painter.NextAnimationFrame(), t1 + milliseconds(100));
    EXPECT_EQ(pictures.Size(), 1u);
}

TEST_F(Drawing, RichEditScrollsToTheCaretLine) {
    ui::RichEdit edit("RichEdit1");
    edit.SetParent(&form);
    edit.SetBounds(0, 0, 200, 150);
    edit.Font = {"Arial Black", ui::kRussianCharset, 17, ui::kLime, false};
    std::string text = base::Utf8ToCp1251("ЖЖЖЖ");
    for (int i = 0; i < 20; ++i) text += "\r\n";
    text += base::Utf8ToCp1251("ЖЖЖЖ");
    edit.SetText(text);
    Paint();
    EXPECT_GT(canvas.Count({0, 0, 200, 20}, kLimePx), 20);  // the first line on top
    EXPECT_EQ(canvas.Count({0, 40, 200, 110}, kLimePx), 0);

    edit.SetSelStart(static_cast<int>(text.size()));
    Paint();
    EXPECT_EQ(canvas.Count({0, 0, 200, 30}, kLimePx), 0);  // scrolled away
    EXPECT_GT(canvas.Count({0, 0, 200, 150}, kLimePx), 20);

    // With a scroll bar its thumb stands at the bottom of the strip.
    edit.ScrollBars = true;
    Paint();
    const Rgb thumb{160, 160, 160};
    EXPECT_EQ(canvas.Count({190, 0, 10, 40}, thumb), 0);
    EXPECT_GT(canvas.Count({190, 130, 10, 20}, thumb), 20);
    EXPECT_EQ(canvas.Count({183, 0, 17, 150}, kLimePx), 0);  // no text under the bar

    // Focused, it shows its caret: a bar as tall as a line, after the
    // line's second letter.
    edit.ScrollBars = false;
    edit.SetSelStart(2);
    Paint();
    const int unfocused = canvas.Count({0, 0, 200, 40}, kLimePx);
    form.Focus(&edit);
    ASSERT_TRUE(edit.Focused());
    Paint();
    TTF_Font* font = fonts.Get(edit.Font);
    const int caretX = 8 + FontSet::Size(font, base::Utf8("ЖЖ")).first;  // after the text's margin
    EXPECT_EQ(canvas.Count({caretX, 0, 2, TTF_FontLineSkip(font)}, kLimePx), 2 * TTF_FontLineSkip(font));
    EXPECT_GT(canvas.Count({0, 0, 200, 40}, kLimePx), unfocused);
}

TEST_F(Drawing, CentredWrappedTextStaysInsideTheBox) {
    ui::RichEdit edit("RichEdit2");
    edit.SetParent(&form);
    edit.SetBounds(20, 0, 160, 150);
    edit.Font = {"Monotype Corsiva", ui::kRussianCharset, 16, ui::kFuchsia, true};
    edit.Alignment = ui::TextAlign::Center;
    edit.SetText(base::Utf8ToCp1251("Давным-давно в тридевятом царстве жил-был храбрый рыцарь"));
    Paint();
    const Rgb fuchsia{255, 0, 255};
    EXPECT_GT(canvas.Count({20, 0, 160, 150}, fuchsia), 50);
    EXPECT_EQ(canvas.CountNot({0, 0, 20, 150}, kBlackPx), 0);  // clipped to the box
    EXPECT_EQ(canvas.CountNot({180, 0, 20, 150}, kBlackPx), 0);
    // Wrapped: more than one line has letters.
    EXPECT_GT(canvas.Count({20, 30, 160, 60}, fuchsia), 10);

    // A new text is laid out anew, not drawn from the old lines.
    edit.SetText(base::Utf8ToCp1251("Жук"));
    Paint();
    EXPECT_GT(canvas.Count({20, 0, 160, 30}, fuchsia), 5);
    EXPECT_EQ(canvas.Count({20, 40, 160, 110}, fuchsia), 0);
}

TEST_F(Drawing, OwnerDrawnListAndEditSelection) {
    ui::ListBox list("ListBox1");
    list.SetParent(&form);
    list.SetBounds(0, 0, 200, 100);
    list.Font = {"Arial Black", ui::kRussianCharset, 12, ui::kLime, false};
    list.Style = ui::ListStyle::OwnerDrawVariable;
    list.Add(base::Utf8ToCp1251("Осмотреть"));
    list.Add(base::Utf8ToCp1251("Взять"));
    list.SetItemHeightAt(0, 20);
    list.SetItemHeightAt(1, 40);
    list.SetItemIndex(1);
    list.OnDrawItem = [](int index, ui::Rect box, bool selected) -> std::optional<ui::ItemPaint> {
        ui::ItemPaint p{box, selected ? ui::kYellow : ui::kBlack, {}};
        p.Runs.push_back({index == 0 ? "A" : "B", box, selected ? ui::kBlack : ui::kLime, 12});
        ui::Rect value = box;
        value.Left = box.Right - box.Width() / 3;
        p.Runs.push_back({"1", value, ui::Rgb(255, 0, 0), 12});
        return p;
    };
    list.Invalidate();
    Paint();
    EXPECT_EQ(list.PaintRequests(), 0);  // taken by the drawing
    EXPECT_EQ(canvas.Count({0, 0, 200, 20}, kYellowPx), 0);
    EXPECT_GT(canvas.Count({0, 20, 200, 40}, kYellowPx), 200 * 40 / 2);  // the cursor row
    EXPECT_GT(canvas.Count({0, 0, 120, 20}, kLimePx), 5);
    EXPECT_GT(canvas.Count({134, 20, 66, 40}, kRedPx), 5);  // the value column
    EXPECT_EQ(canvas.Count({0, 20, 130, 40}, kRedPx), 0);
    EXPECT_EQ(canvas.Count({0, 60, 200, 40}, kYellowPx), 0);  // no rows below

    ui::Edit edit("Edit1");
    edit.SetParent(&form);
    edit.SetBounds(0, 110, 200, 40);
    edit.Font = {"Arial Black", ui::kRussianCharset, 14, ui::kAqua, false};
    edit.SetText(base::Utf8ToCp1251("Меч и щит"));
    edit.SetSel(0, 3);
    Paint();
    const Rgb highlight{0, 120, 215};
    const Rgb aqua{0, 255, 255};
    EXPECT_GT(canvas.Count({0, 110, 200, 40}, highlight), 50);
    EXPECT_GT(canvas.Count({0, 110, 200, 40}, aqua), 5);
}

// The tails of д and щ below the line stay inside a selected edit line's
// bar and its box, sized as the talking line sizes it; the message area's
// text keeps a margin from the screen's edge.
TEST_F(Drawing, LettersTailsAndMarginsStayInside) {
    const ui::FontInfo font{"Arial Black", ui::kRussianCharset, 18, ui::kAqua, false};
    SdlTextMeasure measure(fonts);
    const int height = measure.TextHeight(font, "1") + 4;
    ui::Edit edit("Edit1");
    edit.SetParent(&form);
    edit.SetBounds(0, 150 - height, 200, height);
    edit.Font = font;
    edit.SetText(base::Utf8ToCp1251("дщд"));
    edit.SetSel(0, 3);
    Paint();
    const Rgb highlight{0, 120, 215};
    const Rgb white{255, 255, 255};
    int lowestBar = -1, lowestLetter = -1;
    for (int y = 0; y < 150; ++y) {
        if (canvas.Count({0, y, 200, 1}, highlight) > 0) lowestBar = y;
        if (canvas.Count({0, y, 200, 1}, white) > 0) lowestLetter = y;
    }
    ASSERT_GT(lowestLetter, 0);
    EXPECT_GE(lowestBar, lowestLetter);  // the bar covers the tails
    EXPECT_LT(lowestBar, 149);           // and fits the box with room to spare

    ui::RichEdit message("RichEdit1");
    message.SetParent(&form);
    message.SetBounds(0, 0, 200, 100);
    message.Font = {"Arial Black", ui::kRussianCharset, 17, ui::kLime, false};
    message.SetText(base::Utf8ToCp1251("Жук жужжит жалобно у самого края"));
    Paint();
    EXPECT_GT(canvas.Count({0, 0, 200, 100}, kLimePx), 50);
    EXPECT_EQ(canvas.Count({0, 0, 6, 100}, kLimePx), 0);    // not at the left edge
    EXPECT_EQ(canvas.Count({194, 0, 6, 100}, kLimePx), 0);  // nor at the right
}

// Texts are rendered once while frames keep showing them, and let go of
// after a frame that does not: a long game's messages do not pile up.
TEST(TextCacheTest, KeepsWhatTheLastFrameUsed) {
    Canvas canvas(50, 50);
    FontSet fonts;
    TTF_Font* font = fonts.Get({"Arial Black", ui::kRussianCharset, 16, ui::kLime, false});
    ASSERT_NE(font, nullptr);
    TextCache texts(canvas.renderer());
    const std::string first = base::Utf8ToCp1251("Идти");
    const TextCache::Drawn a = texts.Get(font, first, ui::kLime);
    ASSERT_NE(a.texture, nullptr);
    EXPECT_EQ(a.width, FontSet::Size(font, base::Utf8("Идти")).first);
    EXPECT_EQ(texts.Get(font, first, ui::kLime).texture, a.texture);
    EXPECT_NE(texts.Get(font, first, ui::kYellow).texture, a.texture);
    EXPECT_EQ(texts.Get(font, "", ui::kLime).texture, nullptr);
    texts.EndFrame();
    EXPECT_EQ(texts.Size(), 2u);
    texts.Get(font, first, ui::kLime);  // the next frame shows only this
    texts.EndFrame();
    EXPECT_EQ(texts.Size(), 1u);
    texts.EndFrame();
    EXPECT_EQ(texts.Size(), 0u);
}

TEST(Fonts, FacesResolveToCyrillicFontsAndLargerSizesMeasureTaller) {
    FontSet fonts;
    for (const char* face : {"Arial Black", "Monotype Corsiva", "MS Sans Serif", "No Such Face"}) {
        const std::string file = fonts.FileFor(face, false);
        EXPECT_FALSE(file.empty()) << face;
        EXPECT_NE(fonts.Get(face, 12, false), nullptr) << face;
    }
    SdlTextMeasure measure(fonts);
    ui::FontInfo font{"Arial Black", ui::kRussianCharset, 18, ui::kLime, false};
    const int normal = measure.TextHeight(font, "1");
    font.Size = 38;
    const int cursor = measure.TextHeight(font, "1");
    EXPECT_GT(normal, 18);  // points at 96 dpi are more pixels than points
    EXPECT_GT(cursor, normal * 3 / 2);
    font.Size = 0;
    EXPECT_GE(measure.TextHeight(font, base::Utf8ToCp1251("Ж")), 0);
}

TEST(Screenshot, PngReadsBackWithTheFrame) {
    test::TestFolder folder;
    Canvas canvas(64, 32);
    SDL_SetRenderDrawColor(canvas.renderer(), 0, 255, 0, 255);
    SDL_RenderClear(canvas.renderer());
    const auto file = folder.path() / "shot.png";
    ASSERT_TRUE(WritePng(canvas.renderer(), file));
    SurfacePtr back(IMG_Load(file.c_str()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->w, 64);
    EXPECT_EQ(back->h, 32);
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(back.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    Uint32 pixel = 0;
    std::memcpy(&pixel, static_cast<const Uint8*>(rgb->pixels) + 5 * rgb->pitch + 7 * 4, 4);
    Rgb c;
    SDL_GetRGB(pixel, rgb->format, &c.r, &c.g, &c.b);
    EXPECT_EQ(c, kLimePx);
    EXPECT_FALSE(WritePng(canvas.renderer(), folder.path() / "no" / "such" / "dir.png"));
}

}  // namespace
}  // namespace velmora::frontend::sdl

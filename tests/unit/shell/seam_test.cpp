// The shell and its front end: the sizes the front end measures, mouse
// clicks on the menu's list, the timed-wait question and the one signal
// that something on screen changed.
#include <algorithm>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

Event Mouse(Event::Kind kind, int x, int y) {
    Event e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    return e;
}

// The menu's list in a 1920 by 1080 window: the right third, below the
// picture half and the 46-pixel indicators; rows of 24 pixels (18 points).
constexpr int kListLeft = 1280, kListTop = 540 + 46, kRow = 24;

Event RowClick(int row, bool twice = false) {
    return Mouse(twice ? Event::Kind::MouseDoubleClick : Event::Kind::MouseClick, kListLeft + 20,
                 kListTop + row * kRow + kRow / 2);
}

// A page picture is sized from the front end's window and picture sizes; a
// picture it cannot measure is loaded but left where it was.
TEST(ShellSeam, PagePicturesUseTheMeasuredSizes) {
    ShellFixture f("", 12, {}, {"GameIntrosCnt=1", "GameIntros0=#image pic.gif"});
    f.root.Write("Projects/Default/gif/pic.gif", "GIF89a");
    f.frontEnd.windowSize = {1024, 768};
    f.frontEnd.pictureSize = WindowSize{100, 50};
    f.Play();
    f.form->Rules().PlayPages(0);
    ui::Control* image = FindControl(f.form->Form(), "Image2");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Bounds(), (ui::Rect{412, 238, 612, 338}));  // scale 2

    ShellFixture unreadable("", 12, {}, {"GameIntrosCnt=1", "GameIntros0=#image pic.gif"});
    unreadable.root.Write("Projects/Default/gif/pic.gif", "not a picture");
    unreadable.frontEnd.pictureSize = std::nullopt;
    unreadable.Play();
    ui::Control* kept = FindControl(unreadable.form->Form(), "Image2");
    const ui::Rect before = kept->Bounds();
    unreadable.form->Rules().PlayPages(0);
    EXPECT_EQ(kept->Bounds().Width(), before.Width());
    EXPECT_EQ(kept->Bounds().Height(), before.Height());
    EXPECT_EQ(unreadable.frontEnd.calls.back(), "picture Image2 pic.gif");
}

// The page picture's scale steps with the screen's width, and the picture
// is centred across the width and in the upper three quarters.
TEST(ShellSeam, PagePicturesScaleWithTheScreensWidth) {
    struct Case {
        int w, h, scale;
    };
    for (const Case c : {Case{800, 600, 2}, Case{1024, 768, 2}, Case{1280, 720, 3}, Case{1366, 768, 4},
                         Case{1536, 864, 4}, Case{1920, 1080, 5}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        ShellFixture f("", 12, {}, {"GameIntrosCnt=1", "GameIntros0=#image pic.gif"});
        f.root.Write("Projects/Default/gif/pic.gif", "GIF89a");
        f.frontEnd.windowSize = {c.w, c.h};
        f.frontEnd.pictureSize = WindowSize{40, 30};
        f.Play();
        f.form->Rules().PlayPages(0);
        const ui::Rect image = FindControl(f.form->Form(), "Image2")->Bounds();
        EXPECT_EQ(image.Width(), 40 * c.scale);
        EXPECT_EQ(image.Height(), 30 * c.scale);
        EXPECT_EQ(image.Left, (c.w - 40 * c.scale) / 2);
        EXPECT_EQ(image.Top, (c.h * 3 / 4 - 30 * c.scale) / 2);
        EXPECT_EQ(FindControl(f.form->Form(), "RichEdit2")->Height(), c.h / 4);
    }
}

// The window starts at the front end's size and follows Resize events.
TEST(ShellSeam, TheWindowTakesTheFrontEndsSize) {
    ShellFixture f("");
    f.frontEnd.windowSize = {1200, 800};
    f.Play();
    ui::Form& form = f.form->Form();
    EXPECT_EQ(form.Width(), 1200);
    EXPECT_EQ(FindControl(form, "ImagePanel")->Height(), 400);
    EXPECT_EQ(FindControl(form, "RightPanel")->Width(), 400);
    // The panels beside a resized one follow: the menu stays on screen.
    EXPECT_EQ(FindControl(form, "MenuPanel")->Top(), 400);
    EXPECT_EQ(FindControl(form, "RightPanel")->Left(), 800);
    Event resize = Event::Of(Event::Kind::Resize);
    resize.width = 1000;
    resize.height = 600;
    f.events.queue.push_back(resize);
    f.Play();
    EXPECT_EQ(form.Height(), 600);
    EXPECT_EQ(FindControl(form, "ImagePanel")->Height(), 300);
    EXPECT_EQ(FindControl(form, "RightPanel")->Width(), 333);
    EXPECT_EQ(FindControl(form, "RightPanel")->Left(), 667);
    EXPECT_EQ(FindControl(form, "Image1")->Bounds(), (ui::Rect{10, 10, 990, 290}));
}

// The game view at sizes from a small window to a large screen: the picture
// half, the right third with its indicators and menu, and nothing showing
// that reaches outside its panel or the window. A window too small for the
// margins gives sizes of zero, never negative ones.
TEST(ShellSeam, TheGameViewFitsEveryWindowSize) {
    struct Size {
        int w, h;
    };
    for (const Size size : {Size{640, 480}, Size{800, 600}, Size{1024, 768}, Size{1366, 768},
                            Size{1920, 1080}, Size{3840, 2160}, Size{300, 200}, Size{15, 9}, Size{0, 0}}) {
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        ShellFixture f("");
        f.frontEnd.windowSize = {size.w, size.h};
        f.Play();
        ui::Form& form = f.form->Form();
        auto at = [&form](const char* name) {
            ui::Control* c = FindControl(form, name);
            EXPECT_NE(c, nullptr) << name;
            return c;
        };
        EXPECT_TRUE(at("GamePanel")->Showing());
        EXPECT_EQ(at("ImagePanel")->Height(), size.h / 2);
        EXPECT_EQ(at("RightPanel")->Width(), size.w / 3);
        EXPECT_EQ(at("RightPanel")->Left(), size.w - size.w / 3);
        EXPECT_EQ(at("MenuPanel")->Top(), size.h / 2);
        const ui::Rect image = at("Image1")->Bounds();
        EXPECT_EQ(image.Left, 10);
        EXPECT_EQ(image.Top, 10);
        EXPECT_EQ(image.Width(), std::max(size.w - 20, 0));
        EXPECT_EQ(image.Height(), std::max(size.h / 2 - 20, 0));
        // The three named numbers, each in its third of the strip.
        const int third = size.w / 3;
        for (int i = 0; i < 3; ++i) {
            const std::string name = "Label" + std::to_string(i + 1);
            const ui::Control* label = at(name.c_str());
            EXPECT_EQ(label->Left(), third * i / 3 + 4);
            EXPECT_EQ(label->Width(), std::max(third / 3 - 8, 1));
        }
        // The list and the edit line below it share the menu's panel.
        ui::Control* ik = at("IkPanel");
        ui::Control* list = at("ListBox1");
        ui::Control* edit = at("Edit1");
        EXPECT_EQ(list->Width(), ik->Width());
        EXPECT_EQ(edit->Width(), ik->Width());
        if (ik->Height() >= edit->Height()) {
            EXPECT_EQ(list->Height() + edit->Height(), ik->Height());
            EXPECT_EQ(edit->Top() + edit->Height(), ik->Height());
        }
        // Every control: no negative size; when the window has room for it,
        // inside its parent. (The labels keep their designed width and are
        // placed by their left edge only: the last one's box, not its number,
        // reaches past a narrow panel's edge and is clipped there.)
        std::function<void(ui::Control&)> check = [&](ui::Control& c) {
            EXPECT_GE(c.Width(), 0) << c.Name();
            EXPECT_GE(c.Height(), 0) << c.Name();
            ui::Control* parent = c.Parent();
            if (parent && c.Showing() && size.w >= 640 && c.Name().rfind("Label", 0) != 0) {
                EXPECT_GE(c.Left(), 0) << c.Name();
                EXPECT_GE(c.Top(), 0) << c.Name();
                EXPECT_LE(c.Left() + c.Width(), parent->Width()) << c.Name();
                EXPECT_LE(c.Top() + c.Height(), parent->Height()) << c.Name();
            }
            for (ui::Control* child : c.Children()) check(*child);
        };
        check(form);
    }
}

// A click on a row speaks it, a double click chooses it; clicks beside the
// list, and any click during a wait, do nothing. (The cursor row is drawn
// taller, 51 pixels: rows are found by the heights drawn.)
TEST(ShellSeam, MouseClicksOnTheMenusList) {
    ShellFixture f("anykey");
    f.events.queue.push_back(RowClick(2, true));  // examine
    f.Play();
    EXPECT_EQ(f.heard.back(), "2 предмета") << f.Heard();
    f.events.queue.push_back(RowClick(0, true));  // the stone: its script waits
    f.events.queue.push_back(RowClick(0, true));  // during the wait
    f.events.Press(ui::vk::Space, ' ');
    f.Play();
    EXPECT_EQ(f.Count("Ничего интересного."), 1) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Depth, 1);

    f.events.queue.push_back(RowClick(1));  // above the tall cursor row "Осмотреть"
    f.Play();
    EXPECT_EQ(f.heard.back(), "Отдыхать.") << f.Heard();
    const size_t heard = f.heard.size();
    f.events.queue.push_back(Mouse(Event::Kind::MouseDoubleClick, 10, 10));  // the picture
    f.events.queue.push_back(RowClick(30, true));                             // below the rows
    f.Play();
    EXPECT_EQ(f.heard.size(), heard) << f.Heard();
    EXPECT_EQ(f.form->Menu()->Current, 1);
    EXPECT_EQ(f.form->Menu()->Depth, 1);
}

// The shell answers how long a timed wait still runs.
TEST(ShellSeam, TheShellTellsTheTimedWaitsTicks) {
    ShellFixture f("");
    f.Play();
    std::vector<int32_t> left;
    f.frontEnd.onTick = [&] { left.push_back(f.form->TimedWaitTicksLeft()); };
    f.events.Ticks(3);
    f.events.Ticks(3);
    f.events.Ticks(1);  // after the wait
    f.form->Rules().WaitTicks(6);
    EXPECT_EQ(left, (std::vector<int32_t>{6, 3}));
    EXPECT_FALSE(f.form->TimedWaitRunning());
    f.Play();
    EXPECT_EQ(left.back(), 0);
}

// One Changed() for an event that changed what is shown, none for one that
// did not.
TEST(ShellSeam, TheFrontEndHearsOfChangesOncePerEvent) {
    ShellFixture f("");
    f.Play();
    EXPECT_GE(f.frontEnd.changed, 1);  // the game view, its text and picture
    f.frontEnd.changed = 0;
    f.events.Ticks(1);
    f.events.Up(ui::vk::Down);  // a release that changes nothing
    f.Play();
    EXPECT_EQ(f.frontEnd.changed, 0);
    f.events.Press(ui::vk::Down);  // the cursor row moves: once
    f.Play();
    EXPECT_EQ(f.frontEnd.changed, 1);
    f.events.Press(113);  // F2: the message area
    f.Play();
    EXPECT_EQ(f.frontEnd.changed, 2);
    f.events.Digit(2);  // rest: text and indicators, one event
    f.Play();
    EXPECT_EQ(f.frontEnd.changed, 4);  // the digit down moves the cursor, its release rests
}

}  // namespace
}  // namespace velmora::shell::test

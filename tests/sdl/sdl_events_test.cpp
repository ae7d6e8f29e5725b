#include "frontend/sdl/sdl_events.h"

#include <array>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "frontend/sdl/sdl_window.h"
#include "frontend/sdl/window_session.h"
#include "ui/form.h"
#include "ui/panel.h"
#include "unit/test_folder.h"

namespace velmora::frontend::sdl {
namespace {

using shell::Event;
using K = Event::Kind;

class SdlEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        try {
            window = std::make_unique<SdlWindow>();
        } catch (const SdlError& e) {
            GTEST_SKIP() << e.what();
        }
        events = std::make_unique<SdlEvents>(nullptr);
        events->OnTyped = [this](std::string_view t) { typed += t; };
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    static void Key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    static void Text(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
        SDL_PushEvent(&e);
    }
    // The next event that is not a tick.
    Event NextNonTick() {
        for (;;) {
            auto e = events->Next();
            if (!e) return Event::Of(K::Quit);
            if (e->kind != K::Tick) return *e;
        }
    }

    std::unique_ptr<SdlWindow> window;
    std::unique_ptr<SdlEvents> events;
    std::string typed;
};

TEST_F(SdlEventsTest, KeysComeDownTypedUpAndTextIsCp1251) {
    Key(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT);
    Text("Жё");
    Key(SDL_KEYUP, SDLK_a, KMOD_LSHIFT);
    Key(SDL_KEYDOWN, SDLK_RETURN);
    Key(SDL_KEYUP, SDLK_RETURN);
    Key(SDL_KEYDOWN, SDLK_F24);  // unknown: nothing

    Event e = NextNonTick();
    EXPECT_EQ(e.kind, K::KeyDown);
    EXPECT_EQ(e.key, 65);
    EXPECT_TRUE(e.shift.Shift);
    const std::string typed = base::Utf8ToCp1251("Жё");
    for (char c : typed) {
        e = NextNonTick();
        EXPECT_EQ(e.kind, K::KeyPress);
        EXPECT_EQ(e.ch, c);
    }
    e = NextNonTick();
    EXPECT_EQ(e.kind, K::KeyUp);
    EXPECT_EQ(e.key, 65);
    EXPECT_EQ(typed, base::Utf8ToCp1251("Жё"));  // the layout hears the letters
    // Enter types its character as on Windows.
    e = NextNonTick();
    EXPECT_EQ(e.kind, K::KeyDown);
    EXPECT_EQ(e.key, 13);
    e = NextNonTick();
    EXPECT_EQ(e.kind, K::KeyPress);
    EXPECT_EQ(e.ch, '\r');
    EXPECT_EQ(NextNonTick().kind, K::KeyUp);
}

TEST_F(SdlEventsTest, MouseResizePostedTicksAndQuit) {
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONUP;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.clicks = 1;
    click.button.x = 12;
    click.button.y = 34;
    SDL_PushEvent(&click);
    SDL_Event twice = click;
    twice.type = SDL_MOUSEBUTTONDOWN;
    twice.button.clicks = 2;
    SDL_PushEvent(&twice);
    SDL_Event resize{};
    resize.type = SDL_WINDOWEVENT;
    resize.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    resize.window.data1 = 800;
    resize.window.data2 = 600;
    SDL_PushEvent(&resize);

    Event e = NextNonTick();
    EXPECT_EQ(e.kind, K::MouseClick);
    EXPECT_EQ(e.x, 12);
    EXPECT_EQ(e.y, 34);
    EXPECT_EQ(NextNonTick().kind, K::MouseDoubleClick);
    e = NextNonTick();
    EXPECT_EQ(e.kind, K::Resize);
    EXPECT_EQ(e.width, 800);
    EXPECT_EQ(e.height, 600);

    // Ticks come every 100 ms of real time.
    const auto start = std::chrono::steady_clock::now();
    int ticks = 0;
    while (ticks < 3) {
        auto t = events->Next();
        ASSERT_TRUE(t);
        if (t->kind == K::Tick) ticks += t->ticks;
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(190));
    EXPECT_LT(took, std::chrono::milliseconds(2000));

    // Another thread's event wakes the wait.
    std::thread poster([this] { events->Post(Event::Of(K::SpeechEnded)); });
    EXPECT_EQ(NextNonTick().kind, K::SpeechEnded);
    poster.join();

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(NextNonTick().kind, K::Quit);
    EXPECT_FALSE(events->Next());
}

TEST_F(SdlEventsTest, AScriptPlaysItsKeysWaitsAndEndsWithTheFrameStillThere) {
    std::vector<KeyStep> script(3);
    script[0].key = 40;
    script[1].kind = KeyStep::Kind::Wait;
    script[1].waitMs = 250;
    script[2].key = 65;
    script[2].typed = 'a';
    SdlEvents scripted(nullptr, script);
    int ends = 0;
    scripted.OnEnd = [&ends] { ++ends; };
    std::string heard;
    scripted.OnTyped = [&heard](std::string_view t) { heard += t; };
    Key(SDL_KEYDOWN, SDLK_RETURN);  // the keyboard is not read meanwhile

    const auto start = std::chrono::steady_clock::now();
    std::vector<Event> got;
    int ticks = 0;
    while (auto e = scripted.Next()) {
        if (e->kind == K::Tick) {
            ticks += e->ticks;
            continue;
        }
        got.push_back(*e);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(240));
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].kind, K::KeyDown);
    EXPECT_EQ(got[0].key, 40);
    EXPECT_EQ(got[1].kind, K::KeyUp);
    EXPECT_EQ(got[2].key, 65);
    EXPECT_EQ(got[3].kind, K::KeyPress);
    EXPECT_EQ(got[3].ch, 'a');
    EXPECT_EQ(got[4].kind, K::KeyUp);
    EXPECT_GE(ticks, 2);
    EXPECT_EQ(heard, "a");
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(scripted.Next());
    EXPECT_EQ(ends, 1);  // once
}


TEST(WindowSessionTest, ScreenshotOfTheLastFrameWhenTheScriptIsUsedUp) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    test::TestFolder folder;
    const auto shot = folder.path() / "end.png";
    std::vector<KeyStep> script(1);
    script[0].key = 40;
    std::unique_ptr<WindowSession> session;
    try {
        session = std::make_unique<WindowSession>(nullptr, nullptr, WindowOptions{script, shot});
    } catch (const SdlError& e) {
        GTEST_SKIP() << e.what();
    }
    ui::Form form("Form1");
    const shell::WindowSize size = session->FrontEnd().InitialWindowSize();
    form.SetBounds(0, 0, size.width, size.height);
    ui::Panel panel("KinPanel");
    panel.SetParent(&form);
    panel.SetBounds(0, 0, 40, 30);
    panel.Color = ui::kLime;
    session->SetForm(&form);
    int keys = 0;
    while (auto e = session->Events().Next()) keys += e->kind != shell::Event::Kind::Tick;
    EXPECT_EQ(keys, 2);
    ASSERT_TRUE(session->ScreenshotWritten());
    session->SetForm(nullptr);

    SurfacePtr back(IMG_Load(shot.c_str()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->w, size.width);
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(back.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    auto at = [&rgb](int x, int y) {
        Uint32 pixel = 0;
        std::memcpy(&pixel, static_cast<const Uint8*>(rgb->pixels) + y * rgb->pitch + x * 4, 4);
        Uint8 r, g, b;
        SDL_GetRGB(pixel, rgb->format, &r, &g, &b);
        return std::array<int, 3>{r, g, b};
    };
    EXPECT_EQ(at(10, 10), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(at(50, 50), (std::array<int, 3>{0, 0, 0}));
}

}  // namespace
}  // namespace velmora::frontend::sdl

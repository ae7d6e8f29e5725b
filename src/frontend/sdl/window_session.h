// Everything the window front end is made of, built in the right order: the
// window, its fonts, the keyboard layout, the front end and its events.
//
//   WindowSession window(beep, tone, {keys, screenshotFile});  // throws SdlError without a display
//   ... once the shell exists: window.SetForm(&form1.Form()); and SetForm(nullptr) before it goes
//   RunInteractive(options, window.Events(), window.FrontEnd(), &sounds);
//   window.ScreenshotWritten()
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "frontend/common/key_script.h"
#include "frontend/sdl/font_set.h"
#include "frontend/sdl/sdl_events.h"
#include "frontend/sdl/sdl_front_end.h"
#include "frontend/sdl/sdl_window.h"
#include "frontend/sdl/xkb_layout.h"

namespace velmora::frontend::sdl {

struct WindowOptions {
    // Keys from a script instead of the keyboard; the game ends when it is used up.
    std::optional<std::vector<KeyStep>> script;
    // The last frame is written here as PNG when the events end; none: empty.
    std::filesystem::path screenshot;
};

class WindowSession {
public:
    WindowSession(std::function<void()> beep, std::function<void(int hz, int ms)> tone,
                  WindowOptions options = {});
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    SdlFrontEnd& FrontEnd() { return frontEnd_; }
    SdlEvents& Events() { return events_; }
    SDL_Renderer* Renderer() const { return window_.Renderer(); }
    void SetForm(ui::Form* form) { frontEnd_.SetForm(form); }
    // The screenshot asked for was written when the events ended.
    bool ScreenshotWritten() const { return screenshotWritten_; }

private:
    SdlWindow window_;
    FontSet fonts_;
    KeyboardLayoutName layout_;
    SdlFrontEnd frontEnd_;
    SdlEvents events_;
    bool screenshotWritten_ = false;
};

}  // namespace velmora::frontend::sdl

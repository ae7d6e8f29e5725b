#include "frontend/sdl/window_session.h"

namespace velmora::frontend::sdl {

WindowSession::WindowSession(std::function<void()> beep, std::function<void(int, int)> tone,
                             WindowOptions options)
    : layout_(X11XkbSource::Open()),
      frontEnd_(window_.Renderer(), fonts_, window_.Size(), std::move(beep), std::move(tone),
                [this] { return layout_.Current(); }),
      events_(&frontEnd_, std::move(options.script)) {
    events_.OnTyped = [this](std::string_view text) { layout_.Typed(text); };
    if (!options.screenshot.empty()) {
        events_.OnEnd = [this, file = options.screenshot] {
            screenshotWritten_ = frontEnd_.WriteScreenshot(file);
        };
    }
}

}  // namespace velmora::frontend::sdl

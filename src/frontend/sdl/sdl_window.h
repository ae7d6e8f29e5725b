// The one window: SDL's video started, a borderless window over the whole
// desktop captioned "Игра Вельмора", and its renderer.
#pragma once

#include <stdexcept>

#include "frontend/sdl/sdl_handles.h"
#include "shell/events.h"

namespace velmora::frontend::sdl {

class SdlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SdlWindow {
public:
    // Throws SdlError when there is no display or no renderer.
    SdlWindow();
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    SDL_Window* Window() const { return window_.get(); }
    SDL_Renderer* Renderer() const { return renderer_.get(); }
    // The size drawn into, in pixels.
    shell::WindowSize Size() const;

private:
    struct VideoStarted {
        VideoStarted();
        ~VideoStarted();
        VideoStarted(const VideoStarted&) = delete;
        VideoStarted& operator=(const VideoStarted&) = delete;
    };
    VideoStarted video_;  // first in, last out
    WindowPtr window_;
    RendererPtr renderer_;
};

}  // namespace velmora::frontend::sdl

#include "frontend/sdl/sdl_window.h"

#include <algorithm>
#include <string>

#include "window_icon_png.h"

namespace velmora::frontend::sdl {

namespace {

// The lantern of the desktop entry, for the task list and the window switcher.
// Without it the window still works, so a failure is not reported.
void SetIcon(SDL_Window* window) {
    SDL_RWops* rw = SDL_RWFromConstMem(kWindowIconPng, sizeof kWindowIconPng);
    const SurfacePtr icon(rw ? IMG_Load_RW(rw, 1) : nullptr);
    if (icon) SDL_SetWindowIcon(window, icon.get());
}

}  // namespace

SdlWindow::VideoStarted::VideoStarted() {
    // An X server with no client left resets (Xvfb, xvfb-run), refusing
    // connections meanwhile; the display check's own connection, just closed,
    // may have caused that. A refused start is tried again for up to a second.
    for (int attempt = 0; SDL_InitSubSystem(SDL_INIT_VIDEO) != 0; ++attempt) {
        if (attempt == 10) throw SdlError(std::string("no display: ") + SDL_GetError());
        SDL_Delay(100);
    }
}

SdlWindow::VideoStarted::~VideoStarted() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

SdlWindow::SdlWindow() {
    SDL_DisplayMode desktop{};
    int width = 1024, height = 768;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        width = desktop.w;
        height = desktop.h;
    }
    window_.reset(SDL_CreateWindow("Игра Вельмора", 0, 0, width, height,
                                   SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN));
    if (!window_) throw SdlError(std::string("no window: ") + SDL_GetError());
    SetIcon(window_.get());
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!renderer_) throw SdlError(std::string("no renderer: ") + SDL_GetError());
    // The pointer goes to the top edge, away from the texts and the picture.
    SDL_WarpMouseInWindow(window_.get(), std::min(1600, width - 1), 0);
}

SdlWindow::~SdlWindow() {
    renderer_.reset();  // before its window
    window_.reset();
}

shell::WindowSize SdlWindow::Size() const {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_.get(), &w, &h);
    return {w, h};
}

}  // namespace velmora::frontend::sdl

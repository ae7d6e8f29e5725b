#include "app/window_run.h"

#include <cstdlib>
#include <iostream>

#include "frontend/sdl/window_session.h"

namespace velmora::app {

bool DisplayAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* video = std::getenv("SDL_VIDEODRIVER");
    return (x11 && *x11) || (wayland && *wayland) || (video && std::string(video) == "offscreen");
}

int RunWindow(const InteractiveOptions& options, std::optional<std::vector<frontend::KeyStep>> keys,
              const std::filesystem::path& screenshot) {
    GameSounds sounds;
    frontend::sdl::WindowOptions windowOptions;
    windowOptions.script = std::move(keys);
    windowOptions.screenshot = screenshot;
    try {
        frontend::sdl::WindowSession window(
            [&sounds] { if (sounds.beep) sounds.beep(); },
            [&sounds](int hz, int ms) { if (sounds.tone) sounds.tone(hz, ms); },
            std::move(windowOptions));
        InteractiveOptions withWindow = options;
        withWindow.showForm = [&window](ui::Form* form) { window.SetForm(form); };
        const int status = RunInteractive(withWindow, window.Events(), window.FrontEnd(), &sounds);
        if (!screenshot.empty() && !window.ScreenshotWritten()) {
            std::cerr << "error: " << screenshot.string() << ": the screenshot could not be written\n";
            return 1;
        }
        return status;
    } catch (const frontend::sdl::SdlError& e) {
        std::cerr << "velmora: no window: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace velmora::app

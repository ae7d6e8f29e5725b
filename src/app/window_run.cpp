#include "app/window_run.h"

#include <csignal>
#include <iostream>

#include "frontend/sdl/display_probe.h"
#include "frontend/sdl/window_session.h"

namespace velmora::app {
namespace {

// SDL turns SIGINT and SIGTERM into its quit event; a session that ends
// sends SIGHUP, which would kill the game before it keeps the running game
// in the autosave. It is passed on as SIGTERM (raise is safe in a handler).
extern "C" void HangUpAsTerminate(int) { std::raise(SIGTERM); }

}  // namespace

std::string WindowProblem(bool allowOffscreen) {
    return frontend::sdl::ProbeDisplay(allowOffscreen).problem;
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
        struct sigaction hangUp {};
        hangUp.sa_handler = HangUpAsTerminate;
        sigemptyset(&hangUp.sa_mask);
        struct sigaction before {};
        ::sigaction(SIGHUP, &hangUp, &before);
        struct RestoreHangUp {
            struct sigaction old;
            ~RestoreHangUp() { ::sigaction(SIGHUP, &old, nullptr); }
        } restore{before};
        InteractiveOptions withWindow = options;
        withWindow.showForm = [&window](ui::Form* form) { window.SetForm(form); };
        const int status = RunInteractive(withWindow, window.Events(), window.FrontEnd(), &sounds);
        if (!screenshot.empty() && !window.ScreenshotWritten()) {
            std::cerr << "velmora: " << screenshot.string() << ": the screenshot could not be written\n";
            return 1;
        }
        return status;
    } catch (const frontend::sdl::SdlError& e) {
        std::cerr << "velmora: no window: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace velmora::app

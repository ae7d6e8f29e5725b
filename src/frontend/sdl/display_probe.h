// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the window can be played in. Without a display SDL falls back to
// its offscreen driver, which opens a window nobody sees and gives no keys:
// a blind player would wait in silence. So SDL's video is started for a
// moment to see which driver it takes.
#pragma once

#include <string>
#include <string_view>

namespace velmora::frontend::sdl {

struct DisplayProbe {
    bool usable = false;
    std::string driver;   // the video driver SDL took; empty when none started
    std::string problem;  // why the window cannot be played in, one line
};

// A driver gives a window a player can use when it is x11 or wayland, or
// one that `asked` (SDL_VIDEODRIVER, a comma-separated list) names, or
// offscreen when allowOffscreen (a screenshot made without a display).
bool DriverUsable(std::string_view driver, std::string_view asked, bool allowOffscreen);

// The drivers to try when the player named none, comma-separated: x11 when
// DISPLAY is set, wayland when WAYLAND_DISPLAY is set and can be found (an
// absolute path, or XDG_RUNTIME_DIR set), then offscreen when allowed. Empty
// when there is nothing to try. Arguments may be null.
std::string CandidateDrivers(const char* display, const char* wayland, const char* runtimeDir,
                             bool allowOffscreen);

// Starts SDL's video and stops it again. When usable, the driver found is
// kept for the window, so it cannot silently fall back to another one.
DisplayProbe ProbeDisplay(bool allowOffscreen);

}  // namespace velmora::frontend::sdl

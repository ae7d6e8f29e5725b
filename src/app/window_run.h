// The game in its full-screen window, for a sighted companion to follow.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/interactive_run.h"
#include "frontend/common/key_script.h"

namespace velmora::app {

// Empty when the window can be played in: a display that opens and gives
// keys, or SDL's offscreen driver when SDL_VIDEODRIVER asks for it or
// allowOffscreen (a screenshot). Else why not, one line.
std::string WindowProblem(bool allowOffscreen);

// Plays in the window; with keys, the script is played in real time instead of
// the keyboard, and with a screenshot file the last frame is written as PNG
// when the script is used up. The exit status.
int RunWindow(const InteractiveOptions& options, std::optional<std::vector<frontend::KeyStep>> keys,
              const std::filesystem::path& screenshot);

}  // namespace velmora::app

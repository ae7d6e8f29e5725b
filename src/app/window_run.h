// The game in its full-screen window, for a sighted companion to follow.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "app/interactive_run.h"
#include "frontend/headless/key_script.h"

namespace velmora::app {

// Whether a window can be shown: a display is named.
bool DisplayAvailable();

// Plays in the window; with keys, the script is played in real time instead of
// the keyboard, and with a screenshot file the last frame is written as PNG
// when the script is used up. The exit status.
int RunWindow(const InteractiveOptions& options, std::optional<std::vector<frontend::KeyStep>> keys,
              const std::filesystem::path& screenshot);

}  // namespace velmora::app

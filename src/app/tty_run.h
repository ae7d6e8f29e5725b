// The game in a terminal, for console screen-reader and braille users.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/interactive_run.h"
#include "frontend/common/key_script.h"

namespace velmora::app {

// Whether a terminal can be opened for playing.
bool TerminalAvailable();

// The terminal's own keys, for --help.
std::string TtyHelp();

// Plays in the terminal; with keys, the script is played in real time
// instead of reading the terminal (for tests). The exit status.
int RunTty(const InteractiveOptions& options, std::optional<std::vector<frontend::KeyStep>> keys);

}  // namespace velmora::app

// Where the game is and where the player's files go (main.ini, Saves/,
// Settings/): a folder given on the command line, a portable copy beside the
// executable, the installed data, or the game folder of a source checkout.
#pragma once

#include <filesystem>
#include <string>

namespace velmora::app {

// The game root: `given` (--root) when not empty, the executable's folder when
// it holds a game, the installed data, or the game folder of a source checkout.
std::filesystem::path GameRoot(const std::string& given);

// The root itself when it is writable and not in a source checkout, else
// $XDG_DATA_HOME/velmora (created).
std::filesystem::path StateFolder(const std::filesystem::path& root);

}  // namespace velmora::app

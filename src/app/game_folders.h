// Where the game is and where the player's files go (main.ini, Saves/,
// Settings/): a folder given on the command line, a portable copy beside the
// executable, the installed data, or the game folder of a source checkout.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/project_choice.h"

namespace velmora::app {

enum class RootKind {
    Given,      // --root
    Portable,   // the executable's own folder holds the game
    Installed,  // ../share/velmora beside the executable's bin folder
    Checkout,   // the game folder of a source checkout the executable was built in
};

struct GameRoot {
    std::filesystem::path path;
    RootKind kind = RootKind::Given;
};

// A folder holds a game when it has a Projects folder, a main.ini, or a
// game.ini of a project that is the program folder itself.
bool HoldsGame(const std::filesystem::path& dir);

// The game root: `given` (--root) when not empty, else the executable's folder,
// the installed data, or the game folder of a source checkout, the first that
// holds a game. No value when none does; *lookedIn then lists the folders tried.
std::optional<GameRoot> FindGameRoot(const std::string& given,
                                     std::vector<std::filesystem::path>* lookedIn);

// Where main.ini, Saves/ and Settings/ go: a given or portable root itself
// when it is writable, not in a source checkout, not the installed data
// (however it is named) and not under /usr; else $XDG_DATA_HOME/velmora,
// created.
std::filesystem::path StateFolder(const GameRoot& root);

// $XDG_DATA_HOME/velmora, else ~/.local/share/velmora (not created); the
// home is $HOME, else the user database's. With no home at all, a folder of
// the temporary folder that only this user owns (velmora-UID, made 0700 and
// checked to be theirs, never a link), else one for this run only, else
// empty; which, is said once on standard error.
std::filesystem::path UserDataFolder();

// The project --project names: a folder that holds game.ini, or the name of
// one under the player's Projects folder (in the user's data folder) or the
// game's. No value when none is found; *lookedIn lists where it was sought.
std::optional<shell::ProjectChoice> FindProject(const std::string& given,
                                                const std::filesystem::path& gameRoot,
                                                std::vector<std::filesystem::path>* lookedIn);

// Why a folder that was looked in holds no project although it has a
// game.ini (a named pipe, a device, a link out of the folder, too large): the
// file gate's reason, with the file; none otherwise.
std::optional<std::string> RefusedGameFile(const std::filesystem::path& dir);

// The Projects folders whose projects are offered by name, the player's own
// first: --project, --list-projects and the main menu's adventure chooser.
std::vector<std::filesystem::path> ProjectsFolders(const std::filesystem::path& gameRoot);

struct OfferedProject {
    std::string name;
    std::filesystem::path folder;
};
// The projects a player can name with --project: their own first, then the
// game's, each folder under Projects that holds game.ini.
std::vector<OfferedProject> OfferedProjects(const std::filesystem::path& gameRoot);

}  // namespace velmora::app

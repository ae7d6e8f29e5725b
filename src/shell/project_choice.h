// A project named on the command line rather than by main.ini: a player's own
// adventure, or the folder an author is writing.
#pragma once

#include <filesystem>
#include <string>

namespace velmora::shell {

struct ProjectChoice {
    std::filesystem::path root;  // the folder the path is relative to
    std::string path;            // code page 1251, no trailing '\'; its folder holds game.ini
};

}  // namespace velmora::shell

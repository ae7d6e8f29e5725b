// velmora-tool new DIR: a commented starter project an author grows a game from.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace velmora::tool {

// The walkthrough that wins the starter (a key script, UTF-8), also written
// into the project as walkthrough.keys.
const std::string& StarterWalkthrough();

// Writes the starter into dir, which must not exist or be empty; returns the
// exit status (0 written; 1 when it cannot be written; 2 when dir is taken)
// and says what it did on out, or the problem on err.
int NewProject(const std::filesystem::path& dir, std::ostream& out, std::ostream& err);

}  // namespace velmora::tool

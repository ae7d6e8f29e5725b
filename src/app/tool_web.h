// velmora-tool web DIR OUT: a static site whose page plays the project in DIR.
#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

namespace velmora::tool {

// Where the built page is looked for, first to last: beside an installed
// program (../share/velmora/web), then build-web/site of a source checkout
// the program was built in.
std::vector<std::filesystem::path> PageCandidates();

// page empty: the first candidate that holds the page. Returns the exit status.
int WebSite(const std::filesystem::path& dir, const std::filesystem::path& outDir,
            std::filesystem::path page, std::ostream& out, std::ostream& err);

}  // namespace velmora::tool

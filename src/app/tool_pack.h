// velmora-tool pack DIR [ZIP]: a checked project as one zip, its folder on top.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace velmora::tool {

struct ZipEntry {
    std::string name;  // '/' between folders
    std::string bytes;
};

// A zip of the entries in the order given: deflated where that is smaller,
// every time stamp the same (1980-01-01 00:00), so the same entries give the
// same bytes. Throws std::length_error past what a zip without its 64-bit
// extension holds.
std::string WriteZip(const std::vector<ZipEntry>& entries);

// The project's files (dot files and links left out, and said on err),
// sorted by name, under top/.
std::vector<ZipEntry> ProjectEntries(const std::filesystem::path& dir, const std::string& top,
                                     std::ostream& err);

// The folder's own name, also for "DIR/" and ".".
std::string FolderName(const std::filesystem::path& dir);

// The checker's verdict before a project is shared: 1 with its report and
// nothingDone ("nothing packed") on err when it has errors; else 0, its warnings on err.
int CheckBeforeSharing(const std::filesystem::path& dir, std::ostream& err, const std::string& nothingDone);

// Checks dir as `check` does, then writes zip (empty: NAME.zip in the
// current folder); returns the exit status.
int PackProject(const std::filesystem::path& dir, std::filesystem::path zip, std::ostream& out,
                std::ostream& err);

}  // namespace velmora::tool

// Files of a save replaced as one unit. A slot is two files (the hero and the
// map), and a kill between their two renames used to leave the new map file
// under the old game file. Now the new files are first written whole beside
// the old ones ("1-game.ini.new"), then a small journal naming them
// ("<unit>pending", e.g. "Saves/1-pending") is renamed in: that rename is the
// moment the save happens. The staged files are then renamed over the old
// ones and the journal removed. A kill before the journal leaves the old save
// whole (the staged and temporary files are removed at the next start);
// after it, the next start or the next use of the unit finishes the renames.
// All the space a save needs is taken before the journal, so a full disk
// fails the save while the old one is still whole. The files keep their
// names and format: any reader sees either the old or the new set.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_error.h"

namespace velmora::world {

// One file of a set: its name (a plain name, no folder) and its bytes; no
// bytes means the file is removed.
struct SetFile {
    std::string name;
    std::optional<std::string> bytes;
    bool operator==(const SetFile&) const = default;
};

// Several named files as one file, with a checksum, and back. Unpacking
// throws base::FileError naming `shownName` when the bytes are damaged.
std::string PackFiles(const std::vector<SetFile>& files);
std::vector<SetFile> UnpackFiles(std::string_view bytes, const std::string& shownName);
// A name PackFiles accepts: letters, digits, '-', '_', '.', not leading '.'.
bool IsPlainName(std::string_view name);

// The journal file of a unit: unit + "pending".
std::string JournalName(std::string_view unit);

// Replaces (or removes) the files of `folder` as one unit named by `unit`
// (the common beginning of their names, e.g. "1-" or "cur-"). Throws
// base::FileError when it cannot; the unit is then whole, old or new. The
// folder must exist.
void ReplaceAsOne(const std::filesystem::path& folder, std::string_view unit,
                  const std::vector<SetFile>& files);

// Finishes a replacement of the unit that a kill interrupted, or undoes
// one that had not happened yet. A journal that cannot be read (damaged, a
// pipe, too large) is removed and the old save stands; why is returned.
std::optional<base::FileError> RecoverUnit(const std::filesystem::path& folder,
                                           std::string_view unit);
// The same for every unit of the folder, and removes the temporary and
// staged files that killed writes left. Throws base::FileError when a file
// cannot be written or removed, or, once all is done, for the first journal
// that could not be read.
void RecoverFolder(const std::filesystem::path& folder);

}  // namespace velmora::world

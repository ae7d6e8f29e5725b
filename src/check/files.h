// The project's files as bytes: found as the game finds them, and looked at
// for what the game's reader would silently get wrong (wrong encoding, cut
// off, repeated or broken lines).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/report.h"
#include "world/key_lines.h"

namespace velmora::check {

// The entry `name` (one name, any letter case) in dir, of any kind: a pipe
// or a device too, which the game's own lookup passes over.
std::optional<std::filesystem::path> FindAnyEntry(const std::filesystem::path& dir,
                                                  std::string_view name);

// The numbers k of the files map<k>.ini in dir, any letter case, ascending.
std::vector<int32_t> MapNumbers(const std::filesystem::path& dir);

struct RawFile {
    std::string name;  // as shown
    std::string bytes;
};

// The file `relative` names under dir, read whole through the game's file
// gate; nothing (and an error reported) when it is missing or the gate
// refuses it (not a regular file, a link out of the project, too large).
std::optional<RawFile> ReadProjectFile(const std::filesystem::path& dir, std::string_view relative,
                                       Report& report);

// What the bytes of a key-line file hide: a character 1251 lacks in a UTF-8
// file, a plain file that does not start as one (the game then unscrambles
// it to noise), a 1251 file with a line in UTF-8, a zero byte that ends the
// text early, a scrambled file cut off in mid-line. The text the game reads
// (1251), or nothing when the file is one error and nothing more is to be
// learnt from its lines.
std::optional<std::string> CheckFileBytes(const RawFile& file, Report& report);

// The first line of a 1251 text that is UTF-8 with letters beyond ASCII:
// pasted from an editor that saves UTF-8, it is heard garbled. True when
// there is one (and it is reported as an error).
bool CheckUtf8Lines(const std::string& fileName, std::string_view text, Report& report);

// Lines with no '=' (ignored by the game) and names given twice (the first
// wins).
void CheckLineNames(const world::TMyIniList& lines, const std::string& fileName, Report& report);

}  // namespace velmora::check

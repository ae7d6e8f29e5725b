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

// Larger project files are refused unread: no adventure comes near it, and
// the loader's lines of a file this size already take a few hundred MiB.
inline constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

// The bytes of the file at `path`, at most `cap` of them, or why it cannot be
// read: opened without blocking (a named pipe or a device never hangs the
// checker) and read only when it is a regular file no larger than the cap.
struct BoundedRead {
    std::optional<std::string> bytes;
    std::string problem;  // when there are no bytes, Russian
};
BoundedRead ReadBounded(const std::filesystem::path& path, std::uintmax_t cap);

// The entry `name` (one name, any letter case) in dir, of any kind: a pipe
// or a device too, which the game's own lookup passes over.
std::optional<std::filesystem::path> FindAnyEntry(const std::filesystem::path& dir,
                                                  std::string_view name);

// Why the file at `path` is not one the game can read (a folder, a pipe, a
// device), or empty for a regular file or one that is not there.
std::string NotAFile(const std::filesystem::path& path);

// The numbers k of the files map<k>.ini in dir, any letter case, ascending.
std::vector<int32_t> MapNumbers(const std::filesystem::path& dir);

struct RawFile {
    std::string name;  // as shown
    std::string bytes;
};

// The file `relative` names under dir, read whole; nothing (and an error
// reported) when it is missing, unreadable or too large.
std::optional<RawFile> ReadProjectFile(const std::filesystem::path& dir, std::string_view relative,
                                       Report& report);

// What the bytes of a key-line file hide: a UTF-8 text, a plain file that
// does not start as one (the game then unscrambles it to noise), a zero byte
// that ends the text early, a scrambled file cut off in mid-line.
void CheckFileBytes(const RawFile& file, Report& report);

// Lines with no '=' (ignored by the game) and names given twice (the first
// wins).
void CheckLineNames(const world::TMyIniList& lines, const std::string& fileName, Report& report);

}  // namespace velmora::check

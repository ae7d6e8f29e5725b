// The one gate for every file the program reads: a project's files, the
// program's own (main.ini, Settings/colors.ini), the player's saves and their
// journals. Whoever reads one — the world, the rules, the pictures, the
// music, the sounds, the settings, the saves — reads it through here. A
// project's file passes only when, after its links are resolved, it lies
// inside the folder it was named in; every file must be a regular file no
// larger than the cap of its kind. It is opened non-blocking, so a named pipe
// in its place cannot hang the game, and read no further than the cap, so a
// device cannot exhaust memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_error.h"
#include "base/unique_fd.h"

namespace velmora::base {

// Settings: main.ini, colors.ini and the like; Save: a slot's files, the
// autosave and the journal of a save in progress.
enum class FileKind { Text, Picture, Music, Sound, Settings, Save };

// The largest file of each kind the gate lets through, in bytes. The caps
// are far above what any adventure ships (a map file is kilobytes, a
// picture or a song a few megabytes) and far below what hurts the program.
std::uint64_t MaxFileBytes(FileKind kind);

// What the gate says of one named file.
struct GatedFile {
    enum class Status { Found, Missing, Refused };
    Status status = Status::Missing;
    std::filesystem::path path;      // Found: the file as found (its links may stay)
    std::optional<FileError> error;  // Refused: the file and why, for the player

    bool Found() const { return status == Status::Found; }
    bool Refused() const { return status == Status::Refused; }
};

// The file `relative` (a project's name: 1251, any case, '\' or '/') under
// root. Missing when it is not there (or the name would leave root, which
// FindPath already refuses); Refused when it is there but may not be read.
GatedFile GateFile(const std::filesystem::path& root, std::string_view relative, FileKind kind);

// The same checks for a file already found (an absolute path): it must lie
// inside root after links are resolved. A picture is read for its header.
GatedFile GatePath(const std::filesystem::path& root, const std::filesystem::path& file,
                   FileKind kind);

// Opens a file for reading as the gate does: non-blocking (cleared once
// open), a regular file, no larger than the cap. Throws FileError naming the
// file. Drivers that must read a file themselves open it through this.
UniqueFd OpenCheckedFile(const std::filesystem::path& file, FileKind kind);

// The whole content of a file opened by OpenCheckedFile, read no further
// than the cap (a file that grows meanwhile is refused); a picture whose
// header claims more pixels than kMaxPicturePixels is refused as well.
// Throws FileError.
std::string ReadCheckedFile(const std::filesystem::path& file, FileKind kind);

// GateFile and ReadCheckedFile at once: no value when the file is missing;
// throws FileError when it is refused or cannot be read.
std::optional<std::string> ReadProjectFile(const std::filesystem::path& root,
                                           std::string_view relative, FileKind kind);

}  // namespace velmora::base

// The "drives" of the file navigator on Linux: the mounted file systems that
// hold files, with their free and total space.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::talkui {

struct DriveInfo {
    enum class Kind { Fixed, Network, CdRom };
    std::string Path;  // the mount point, code page 1251
    Kind Type = Kind::Fixed;
    // Known for fixed drives only, as a network or CD drive is slow to ask.
    std::optional<uintmax_t> Free;
    std::optional<uintmax_t> Total;
};

// The mount points of a /proc/mounts text: the root, block devices and network
// file systems, each once, in path order. Sizes are not filled in.
std::vector<DriveInfo> ParseMounts(std::string_view mounts);
// The system's drives with the space of the fixed ones.
std::vector<DriveInfo> SystemDrives();

}  // namespace velmora::talkui

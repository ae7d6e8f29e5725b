#include "talkui/drives.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <system_error>

#include "base/encoding.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "talkui/string_list.h"

namespace fs = std::filesystem;

namespace velmora::talkui {
namespace {

constexpr std::array<std::string_view, 11> kNetworkTypes = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "afs", "ncpfs", "davfs"};
constexpr std::array<std::string_view, 2> kCdTypes = {"iso9660", "udf"};

template <size_t N>
bool OneOf(std::string_view value, const std::array<std::string_view, N>& set) {
    return std::find(set.begin(), set.end(), value) != set.end();
}

// Mount points escape blanks and the like as \ and three octal digits.
std::string Unescape(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start < line.size()) {
        const size_t end = std::min(line.find_first_of(" \t", start), line.size());
        if (end > start) fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

}  // namespace

std::vector<DriveInfo> ParseMounts(std::string_view mounts) {
    std::map<std::string, DriveInfo> byPath;
    size_t start = 0;
    while (start < mounts.size()) {
        const size_t end = std::min(mounts.find('\n', start), mounts.size());
        const std::vector<std::string_view> f = Fields(mounts.substr(start, end - start));
        start = end + 1;
        if (f.size() < 3) continue;
        const std::string path = Unescape(f[1]);
        const std::string_view type = f[2];
        DriveInfo drive{base::NameOf(path), DriveInfo::Kind::Fixed, {}, {}};
        if (OneOf(type, kNetworkTypes)) {
            drive.Type = DriveInfo::Kind::Network;
        } else if (OneOf(type, kCdTypes)) {
            drive.Type = DriveInfo::Kind::CdRom;
        } else if (path != "/" && f[0].substr(0, 5) != "/dev/") {
            continue;  // proc, sysfs, tmpfs and the other files-less systems
        }
        byPath[path] = std::move(drive);
    }
    std::vector<DriveInfo> drives;
    for (auto& [path, drive] : byPath) drives.push_back(std::move(drive));
    std::sort(drives.begin(), drives.end(), [](const DriveInfo& a, const DriveInfo& b) {
        return CompareText1251(a.Path, b.Path) < 0;
    });
    return drives;
}

std::vector<DriveInfo> SystemDrives() {
    std::string mounts;
    try {
        mounts = base::ReadCheckedFile("/proc/self/mounts", base::FileKind::Text);
    } catch (const base::FileError&) {
        mounts = "/ / rootfs rw 0 0\n";  // at least the root
    }
    std::vector<DriveInfo> drives = ParseMounts(mounts);
    for (DriveInfo& drive : drives) {
        if (drive.Type != DriveInfo::Kind::Fixed) continue;
        std::error_code ec;
        const fs::space_info space = fs::space(base::PathOf1251(drive.Path), ec);
        if (ec) continue;
        drive.Free = space.available;
        drive.Total = space.capacity;
    }
    return drives;
}

}  // namespace velmora::talkui

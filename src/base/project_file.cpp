#include "base/project_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "base/paths.h"
#include "base/picture_header.h"

namespace fs = std::filesystem;

namespace velmora::base {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

// The caps, in one place. Songs are streamed while they play; a sound is
// decoded whole, to several times its size, so its cap is the smaller.
struct KindCap {
    FileKind kind;
    std::uint64_t maxBytes;
};
constexpr KindCap kCaps[] = {
    {FileKind::Text, 16 * kMiB},
    {FileKind::Picture, 32 * kMiB},
    {FileKind::Music, 64 * kMiB},
    {FileKind::Sound, 16 * kMiB},
    // A settings file is a few lines; a save holds the state of every map
    // of a project, each far smaller than its map.
    {FileKind::Settings, 1 * kMiB},
    {FileKind::Save, 256 * kMiB},
};

std::string Reason(int err) {
    switch (err) {
        case ENOENT: return "нет такого файла";
        case EACCES:
        case EPERM: return "нет доступа";
        case EISDIR: return "это папка";
        case ENOTDIR: return "часть пути не папка";
        case ELOOP: return "ссылки замкнуты в круг";
        case ENXIO: return "это не файл";
        case EIO: return "ошибка чтения с диска";
        default: return "системная ошибка " + std::to_string(err);
    }
}

// Why a file that is not a regular file is refused.
std::string NotRegular(mode_t mode) {
    if (S_ISDIR(mode)) return "это папка, а не файл";
    if (S_ISFIFO(mode)) return "это именованный канал, а не файл";
    if (S_ISSOCK(mode)) return "это сокет, а не файл";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "это устройство, а не файл";
    return "это не обычный файл";
}

std::string TooLarge(std::uint64_t size, FileKind kind) {
    const std::uint64_t cap = MaxFileBytes(kind);
    // Rounded up: a file just over the cap never reads as the cap itself.
    return "файл слишком велик (" + std::to_string(size / kMiB + (size % kMiB != 0)) +
           " МБ, можно не больше " + std::to_string(cap / kMiB) + " МБ)";
}

bool Inside(const fs::path& root, const fs::path& file) {
    auto [r, f] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
    return r == root.end() && f != file.end();
}

GatedFile Refuse(const fs::path& file, std::string why) {
    GatedFile gated;
    gated.status = GatedFile::Status::Refused;
    gated.error.emplace(DisplayPath(file), std::move(why));
    return gated;
}

}  // namespace

std::uint64_t MaxFileBytes(FileKind kind) {
    for (const KindCap& cap : kCaps) {
        if (cap.kind == kind) return cap.maxBytes;
    }
    return 0;
}

GatedFile GatePath(const fs::path& root, const fs::path& file, FileKind kind) {
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(file, ec);
    if (!fs::exists(link)) return {};
    const fs::path realRoot = fs::canonical(root, ec);
    if (ec) return {};
    const fs::path realFile = fs::canonical(file, ec);
    // A link that leads nowhere is a missing file, as the game treats one.
    if (ec) {
        return ec == std::errc::no_such_file_or_directory ? GatedFile{}
                                                          : Refuse(file, Reason(ec.value()));
    }
    struct stat st {};
    if (::stat(realFile.c_str(), &st) != 0) return Refuse(file, Reason(errno));
    if (!S_ISREG(st.st_mode)) return Refuse(file, NotRegular(st.st_mode));
    if (!Inside(realRoot, realFile)) return Refuse(file, "ссылка ведёт за пределы папки игры");
    if (static_cast<std::uint64_t>(st.st_size) > MaxFileBytes(kind)) {
        return Refuse(file, TooLarge(static_cast<std::uint64_t>(st.st_size), kind));
    }
    // A picture's header is read too: one that would decode to more than
    // the bound is refused here, before any decoder sees it.
    if (kind == FileKind::Picture) {
        try {
            ReadCheckedFile(file, kind);
        } catch (const FileError& e) {
            return Refuse(file, e.problem());
        }
    }
    GatedFile gated;
    gated.status = GatedFile::Status::Found;
    gated.path = file;
    return gated;
}

GatedFile GateFile(const fs::path& root, std::string_view relative, FileKind kind) {
    if (root.empty()) return {};
    const auto found = FindEntryPath(root, relative);
    if (!found) return {};
    return GatePath(root, *found, kind);
}

UniqueFd OpenCheckedFile(const fs::path& file, FileKind kind) {
    // Non-blocking: opening a named pipe with no writer returns at once
    // instead of waiting for one; the check below then refuses it.
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) throw FileError(DisplayPath(file), "не открывается: " + Reason(errno));
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        throw FileError(DisplayPath(file), "не читается: " + Reason(errno));
    }
    if (!S_ISREG(st.st_mode)) throw FileError(DisplayPath(file), NotRegular(st.st_mode));
    if (static_cast<std::uint64_t>(st.st_size) > MaxFileBytes(kind)) {
        throw FileError(DisplayPath(file), TooLarge(static_cast<std::uint64_t>(st.st_size), kind));
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::string ReadCheckedFile(const fs::path& file, FileKind kind) {
    UniqueFd fd = OpenCheckedFile(file, kind);
    const std::uint64_t cap = MaxFileBytes(kind);
    struct stat st {};
    const std::uint64_t size =
        ::fstat(fd.Get(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    // One byte more than the file holds shows its end without a second read.
    std::string data(static_cast<size_t>(std::min(size, cap) + 1), '\0');
    size_t have = 0;
    for (;;) {
        if (have == data.size()) {
            if (have > cap) throw FileError(DisplayPath(file), TooLarge(have, kind));
            data.resize(static_cast<size_t>(std::min<std::uint64_t>(cap + 1, data.size() * 2)));
        }
        const ssize_t n = ::read(fd.Get(), data.data() + have, data.size() - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(DisplayPath(file), "не читается: " + Reason(errno));
        }
        if (n == 0) break;
        have += static_cast<size_t>(n);
    }
    if (have > cap) throw FileError(DisplayPath(file), TooLarge(have, kind));
    data.resize(have);
    if (kind == FileKind::Picture) {
        if (auto why = PictureTooLarge(data)) throw FileError(DisplayPath(file), *why);
    }
    return data;
}

std::optional<std::string> ReadProjectFile(const fs::path& root, std::string_view relative,
                                           FileKind kind) {
    GatedFile gated = GateFile(root, relative, kind);
    if (gated.Refused()) throw *gated.error;
    if (!gated.Found()) return std::nullopt;
    return ReadCheckedFile(gated.path, kind);
}

}  // namespace velmora::base

#include "base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/errno_text.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "base/unique_fd.h"

namespace fs = std::filesystem;

namespace velmora::base {
namespace {

[[noreturn]] void Fail(const fs::path& path, const std::string& what, int err) {
    throw FileError(DisplayPath(path), what + ": " + ErrnoText(err));
}

}  // namespace

StagedFile::StagedFile(fs::path target, std::string_view bytes) : target_(std::move(target)) {
    std::string pattern = target_.string() + ".tmp-XXXXXX";
    UniqueFd fd(::mkstemp(pattern.data()));
    if (fd.Get() < 0) Fail(target_, "не создаётся временный файл", errno);
    temp_ = pattern;
    // A constructor that throws runs no destructor: a failed write or flush
    // (a full disk) removes the temporary file here.
    try {
        WriteAll(fd.Get(), bytes);
        if (::close(fd.Release()) != 0) Fail(target_, "не записывается", errno);
    } catch (...) {
        ::unlink(temp_.c_str());
        throw;
    }
    pending_ = true;  // from here on the destructor removes the temporary file
}

void StagedFile::WriteAll(int fd, std::string_view bytes) const {
    // The old file's mode, or what a new file usually gets, not mkstemp's 0600.
    struct stat old {};
    ::fchmod(fd, ::stat(target_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(target_, "не записывается", errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) Fail(target_, "не записывается", errno);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::move(other.temp_)), pending_(other.pending_) {
    other.pending_ = false;
}

StagedFile::~StagedFile() {
    if (pending_) ::unlink(temp_.c_str());
}

void StagedFile::Commit(bool syncFolder) {
    if (!pending_) return;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) Fail(target_, "не заменяется", errno);
    pending_ = false;
    if (syncFolder) SyncFolder(target_.parent_path());
}

void WriteFileAtomic(const fs::path& path, std::string_view bytes) {
    StagedFile file(path, bytes);
    file.Commit();
}

void SyncFolder(const fs::path& folder) {
    const fs::path dir = folder.empty() ? fs::path(".") : folder;
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) Fail(dir, "папка не открывается", errno);
    // A file system that cannot sync a folder (some network ones) keeps
    // its renames its own way; that is no failure of the save.
    if (::fsync(fd.Get()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        Fail(dir, "папка не записывается", errno);
    }
}

void RemoveFile(const fs::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) Fail(path, "не удаляется", errno);
}

bool IsTemporaryName(std::string_view name) {
    // What mkstemp makes of "NAME.tmp-XXXXXX": six letters or digits.
    const size_t at = name.rfind(".tmp-");
    if (at == std::string_view::npos || at == 0 || name.size() - at != 11) return false;
    for (char c : name.substr(at + 5)) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

}  // namespace velmora::base

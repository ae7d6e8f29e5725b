#include "world/save_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "base/cp1251.h"
#include "base/errno_text.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/project_file.h"
#include "base/paths.h"

namespace fs = std::filesystem;

namespace velmora::world {
namespace {

constexpr std::string_view kHeader = "VelmoraFiles 1\r\n";
constexpr std::string_view kEnd = "end ";
// A save is a few files of a few megabytes at most; a size beyond this is damage.
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;
constexpr size_t kMaxNameLength = 128;

uint32_t Fnv1a(std::string_view bytes) {
    uint32_t h = 2166136261u;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string Hex8(uint32_t v) {
    static const char* digits = "0123456789abcdef";
    std::string s(8, '0');
    for (int i = 7; i >= 0; --i) {
        s[static_cast<size_t>(i)] = digits[v & 15u];
        v >>= 4;
    }
    return s;
}

[[noreturn]] void Damaged(const std::string& shownName, const std::string& what) {
    throw base::FileError(shownName, "файл повреждён: " + what);
}

// The text up to the next CR LF, which is skipped; none when there is none.
std::optional<std::string_view> TakeLine(std::string_view& rest) {
    const size_t end = rest.find("\r\n");
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 2);
    return line;
}

fs::path In(const fs::path& folder, std::string_view name) { return folder / std::string(name); }

// The newest of the map files of a slot must be the one just written: a
// load takes the slot's map from it, and two saves on two maps within one
// tick of the file system's clock would otherwise tie.
void MakeNewest(const fs::path& folder, std::string_view unit, const SetFile& file) {
    // Letter case as a load finds the files: in any (saves copied from Windows).
    const std::string head = base::LowerText1251(std::string(unit) + "map");
    const auto isMapFile = [&head](const std::string& name) {
        return base::LowerText1251(name).starts_with(head);
    };
    if (!isMapFile(file.name) || !file.bytes) return;
    struct stat own {};
    const fs::path path = In(folder, file.name);
    if (::stat(path.c_str(), &own) != 0) return;
    timespec newest = own.st_mtim;
    bool tied = false;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name == file.name || !isMapFile(name) || base::IsTemporaryName(name)) continue;
        struct stat other {};
        if (::stat(entry.path().c_str(), &other) != 0) continue;
        const timespec t = other.st_mtim;
        if (t.tv_sec > newest.tv_sec || (t.tv_sec == newest.tv_sec && t.tv_nsec >= newest.tv_nsec)) {
            newest = t;
            tied = true;
        }
    }
    if (!tied) return;
    newest.tv_nsec += 1000;
    if (newest.tv_nsec >= 1000000000) {
        newest.tv_nsec -= 1000000000;
        ++newest.tv_sec;
    }
    const timespec times[2] = {own.st_atim, newest};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string StagedName(const std::string& name) { return name + ".new"; }

// Puts the staged files of a committed journal in place (renames, no new
// space needed); running it again after a kill gives the same result.
void Apply(const fs::path& folder, std::string_view unit, const std::vector<SetFile>& files) {
    for (const SetFile& file : files) {
        const fs::path target = In(folder, file.name);
        if (!file.bytes) {
            base::RemoveFile(target);
            continue;
        }
        const fs::path staged = In(folder, StagedName(file.name));
        if (::rename(staged.c_str(), target.c_str()) != 0 && errno != ENOENT) {
            throw base::FileError(base::DisplayPath(target), "не заменяется: " + base::ErrnoText(errno));
        }
    }
    for (const SetFile& file : files) MakeNewest(folder, unit, file);
    base::SyncFolder(folder);
}

// Files staged for a unit whose journal never came: the old save stands.
void RollBack(const fs::path& folder, std::string_view unit) {
    std::error_code ec;
    std::vector<fs::path> staged;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > unit.size() + 4 && name.starts_with(unit) &&
            name.ends_with(".new")) {
            staged.push_back(entry.path());
        }
    }
    for (const fs::path& file : staged) base::RemoveFile(file);
}

// Removes the staged files of a replacement that failed before its journal.
class StagedSet {
public:
    explicit StagedSet(fs::path folder) : folder_(std::move(folder)) {}
    ~StagedSet() {
        for (const fs::path& file : files_) ::unlink(file.c_str());
    }
    StagedSet(const StagedSet&) = delete;
    StagedSet& operator=(const StagedSet&) = delete;
    void Add(const std::string& name, const std::string& bytes) {
        const fs::path path = In(folder_, StagedName(name));
        base::StagedFile staged(path, bytes);
        staged.Commit(false);
        files_.push_back(path);
    }
    void Keep() { files_.clear(); }

private:
    fs::path folder_;
    std::vector<fs::path> files_;
};

}  // namespace

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '.') return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

std::string PackFiles(const std::vector<SetFile>& files) {
    std::string out(kHeader);
    for (const SetFile& file : files) {
        if (!IsPlainName(file.name)) throw std::invalid_argument("PackFiles: not a plain name");
        out += file.name;
        out += ' ';
        out += file.bytes ? std::to_string(file.bytes->size()) : std::string("-");
        out += "\r\n";
        if (file.bytes) out += *file.bytes;
        out += "\r\n";
    }
    out += kEnd;
    out += Hex8(Fnv1a(out));
    out += "\r\n";
    return out;
}

std::vector<SetFile> UnpackFiles(std::string_view bytes, const std::string& shownName) {
    if (bytes.substr(0, kHeader.size()) != kHeader) Damaged(shownName, "нет заголовка");
    // The checksum covers everything before it; it is checked first, so a
    // file cut short or overwritten anywhere is refused whole.
    const size_t endAt = bytes.rfind(std::string("\r\n") + std::string(kEnd));
    if (endAt == std::string_view::npos || endAt + 2 < kHeader.size()) Damaged(shownName, "нет конца");
    const std::string_view sumLine = bytes.substr(endAt + 2 + kEnd.size());
    if (sumLine != Hex8(Fnv1a(bytes.substr(0, endAt + 2 + kEnd.size()))) + "\r\n") {
        Damaged(shownName, "не сходится контрольная сумма");
    }
    std::string_view rest = bytes.substr(kHeader.size(), endAt + 2 - kHeader.size());
    std::vector<SetFile> files;
    while (!rest.empty()) {
        const auto line = TakeLine(rest);
        if (!line) Damaged(shownName, "оборванная строка");
        const size_t space = line->find(' ');
        if (space == std::string_view::npos) Damaged(shownName, "строка без размера");
        SetFile file;
        file.name = std::string(line->substr(0, space));
        if (!IsPlainName(file.name)) Damaged(shownName, "недопустимое имя");
        const std::string_view size = line->substr(space + 1);
        if (size != "-") {
            uint64_t n = 0;
            const auto [ptr, ec] = std::from_chars(size.data(), size.data() + size.size(), n);
            if (ec != std::errc() || ptr != size.data() + size.size() || n > kMaxFileBytes ||
                n + 2 > rest.size()) {
                Damaged(shownName, "неверный размер");
            }
            file.bytes = std::string(rest.substr(0, static_cast<size_t>(n)));
            rest.remove_prefix(static_cast<size_t>(n));
        }
        if (rest.substr(0, 2) != "\r\n") Damaged(shownName, "нет конца строки");
        rest.remove_prefix(2);
        files.push_back(std::move(file));
    }
    return files;
}

std::string JournalName(std::string_view unit) { return std::string(unit) + "pending"; }

std::optional<base::FileError> RecoverUnit(const fs::path& folder, std::string_view unit) {
    const fs::path journal = In(folder, JournalName(unit));
    std::error_code ec;
    if (!fs::exists(journal, ec)) {
        RollBack(folder, unit);
        return std::nullopt;
    }
    std::vector<SetFile> files;
    try {
        files = UnpackFiles(base::ReadCheckedFile(journal, base::FileKind::Save),
                            base::DisplayPath(journal));
    } catch (const base::FileError& e) {
        // A journal is renamed in whole, so this is damage from outside; the
        // files it would have replaced are still the old save, whole.
        base::RemoveFile(journal);
        RollBack(folder, unit);
        return e;
    }
    Apply(folder, unit, files);
    base::RemoveFile(journal);
    return std::nullopt;
}

void ReplaceAsOne(const fs::path& folder, std::string_view unit, const std::vector<SetFile>& files) {
    RecoverUnit(folder, unit);
    // Everything that needs space or may be refused happens before the
    // journal: a full disk or a folder in the way fails the save here, and
    // the old save stays whole.
    StagedSet staged(folder);
    std::vector<SetFile> journal;
    try {
        for (const SetFile& file : files) {
            std::error_code ec;
            if (fs::is_directory(In(folder, file.name), ec)) {
                throw base::FileError(base::DisplayPath(In(folder, file.name)),
                                      "не заменяется: " + base::ErrnoText(EISDIR));
            }
            if (file.bytes) staged.Add(file.name, *file.bytes);
            journal.push_back({file.name, file.bytes ? std::optional<std::string>("") : std::nullopt});
        }
        base::SyncFolder(folder);
        base::StagedFile pending(In(folder, JournalName(unit)), PackFiles(journal));
        pending.Commit(false);  // the save happens here
    } catch (const base::FileError& e) {
        // The player knows the save by its files, not by the staged ones.
        if (files.empty()) throw;
        throw base::FileError(base::DisplayPath(In(folder, files.front().name)), e.problem());
    }
    // From here on the journal stands, and the staged files it names stay
    // whatever fails: the next recovery puts them in place.
    staged.Keep();
    base::SyncFolder(folder);
    Apply(folder, unit, journal);
    base::RemoveFile(In(folder, JournalName(unit)));
}

void RecoverFolder(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> temporary;
    std::vector<std::string> units;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (base::IsTemporaryName(name)) {
            temporary.push_back(entry.path());
        } else if (name.size() > 7 && name.ends_with("pending")) {
            units.push_back(name.substr(0, name.size() - 7));
        }
    }
    if (ec && ec != std::errc::no_such_file_or_directory) {
        throw base::FileError(base::DisplayPath(folder), "папка не читается: " + base::ErrnoText(ec));
    }
    for (const fs::path& file : temporary) base::RemoveFile(file);
    std::optional<base::FileError> refused;
    for (const std::string& unit : units) {
        auto why = RecoverUnit(folder, unit);
        if (why && !refused) refused = std::move(why);
    }
    // Staged files of units without a journal: saves killed before they happened.
    std::vector<fs::path> staged;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.ends_with(".new") && entry.is_regular_file(ec)) {
            staged.push_back(entry.path());
        }
    }
    for (const fs::path& file : staged) base::RemoveFile(file);
    if (refused) throw *refused;
}

}  // namespace velmora::world

#include "world/autosave.h"

#include <sys/stat.h>

#include <system_error>

#include "base/cp1251.h"
#include "base/errno_text.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/project_file.h"
#include "base/paths.h"
#include "world/key_lines.h"

namespace fs = std::filesystem;

namespace velmora::world {
namespace {

constexpr std::string_view kCurPrefix = "cur-map";

// A working-state map file: "cur-map<k>.ini" in any letter case.
bool IsWorkingMapFile(const std::string& name) {
    const std::string lower = base::LowerText1251(name);
    if (lower.size() <= kCurPrefix.size() + 4 || !lower.starts_with(kCurPrefix) ||
        !lower.ends_with(".ini")) {
        return false;
    }
    const std::string digits = lower.substr(kCurPrefix.size(), lower.size() - kCurPrefix.size() - 4);
    return digits.find_first_not_of("0123456789") == std::string::npos && IsPlainName(name);
}

fs::path SavesForWriting(const GameProject& gp) {
    const auto saves = base::PathForWriting(gp.folders.state, "Saves");
    if (!saves) throw base::FileError("Saves", "имя ведёт за пределы своей папки");
    std::error_code ec;
    fs::create_directories(*saves, ec);
    if (ec) throw base::FileError(base::DisplayPath(*saves), "папка не создаётся: " + base::ErrnoText(ec));
    return *saves;
}

// Found as it is, pipe or device: reading it then says why it is refused.
std::optional<fs::path> AutosaveFile(const GameProject& gp) {
    return base::FindEntryPath(gp.folders.state, "Saves\\" + std::string(kAutosaveName));
}

}  // namespace

std::optional<Autosave> ReadAutosave(const GameProject& gp) {
    const auto file = AutosaveFile(gp);
    if (!file) return std::nullopt;
    Autosave save;
    save.shownName = base::DisplayPath(*file);
    const std::vector<SetFile> files =
        UnpackFiles(base::ReadCheckedFile(*file, base::FileKind::Save), save.shownName);
    bool project = false, mapIndex = false, game = false, map = false;
    for (const SetFile& f : files) {
        if (!f.bytes) continue;
        if (f.name == "project") {
            save.project = *f.bytes;
            project = true;
        } else if (f.name == "mapindex") {
            const auto n = TryParseInt32(*f.bytes);
            if (!n || *n < 0) throw base::FileError(save.shownName, "файл повреждён: неверный номер карты");
            save.mapIndex = *n;
            mapIndex = true;
        } else if (f.name == "game.ini") {
            save.state.game = *f.bytes;
            game = true;
        } else if (f.name == "map.ini") {
            save.state.map = *f.bytes;
            map = true;
        } else if (IsWorkingMapFile(f.name)) {
            save.working.push_back(f);
        }
    }
    if (!project || !mapIndex || !game || !map) {
        throw base::FileError(save.shownName, "файл повреждён: не хватает части сохранения");
    }
    return save;
}

bool AutosaveBelongs(const Autosave& save, const GameProject& gp) {
    return base::LowerText1251(save.project) == base::LowerText1251(gp.folders.projectPath);
}

void CheckAutosave(const GameProject& gp, const Autosave& save) {
    CheckStateBytes(gp, save.mapIndex, save.state, save.shownName);
}

void LoadAutosave(GameProject& gp, const Autosave& save) {
    LoadStateBytes(gp, save.mapIndex, save.state, save.shownName, [&] {
        // The working state becomes the autosave's, as one unit, before the
        // game is replaced: a failure here leaves the game as it was.
        const fs::path saves = SavesForWriting(gp);
        std::vector<SetFile> files = save.working;
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(saves, ec)) {
            const std::string name = entry.path().filename().string();
            if (!IsWorkingMapFile(name)) continue;
            bool kept = false;
            for (const SetFile& f : save.working) kept = kept || f.name == name;
            if (!kept) files.push_back({name, std::nullopt});
        }
        if (ec) throw base::FileError(base::DisplayPath(saves), "папка не читается: " + base::ErrnoText(ec));
        ReplaceAsOne(saves, "cur-", files);
    });
}

void ForgetAutosave(const GameProject& gp) {
    const auto file = AutosaveFile(gp);
    if (!file) return;
    base::RemoveFile(*file);
    base::SyncFolder(file->parent_path());
}

std::vector<SetFile> AutosaveWriter::WorkingState(const fs::path& saves) {
    std::vector<SetFile> files;
    std::map<std::string, Cached> seen;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(saves, ec)) {
        const std::string name = entry.path().filename().string();
        if (!IsWorkingMapFile(name)) continue;
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const int64_t mtime = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
        Cached c;
        auto old = cache_.find(name);
        if (old != cache_.end() && old->second.mtimeNs == mtime && old->second.size == st.st_size) {
            c = std::move(old->second);
        } else {
            c.mtimeNs = mtime;
            c.size = st.st_size;
            c.bytes = base::ReadCheckedFile(entry.path(), base::FileKind::Save);
        }
        files.push_back({name, c.bytes});
        seen.emplace(name, std::move(c));
    }
    if (ec) throw base::FileError(base::DisplayPath(saves), "папка не читается: " + base::ErrnoText(ec));
    cache_ = std::move(seen);
    return files;
}

void AutosaveWriter::Write(GameProject& gp) {
    const fs::path saves = SavesForWriting(gp);
    const fs::path file = saves / std::string(kAutosaveName);
    StateBytes state = StateFileBytes(gp, base::DisplayPath(file));
    std::vector<SetFile> files;
    files.push_back({"project", gp.folders.projectPath});
    files.push_back({"mapindex", std::to_string(gp.map.mapIndex)});
    files.push_back({"game.ini", std::move(state.game)});
    files.push_back({"map.ini", std::move(state.map)});
    for (SetFile& f : WorkingState(saves)) files.push_back(std::move(f));
    base::StagedFile staged(file, PackFiles(files));
    staged.Commit(true);
}

}  // namespace velmora::world

#include "world/game_files.h"

#include <functional>
#include <optional>
#include <vector>
#include <system_error>

#include "base/cp1251.h"
#include "base/errno_text.h"
#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "world/key_access.h"
#include "world/link.h"
#include "world/save_set.h"
#include "world/state_check.h"
#include "world/transfer.h"

namespace fs = std::filesystem;

namespace velmora::world {
namespace {

std::string GameFileName(std::string_view prefix) { return std::string(prefix) + "game.ini"; }

std::string MapFileName(std::string_view prefix, int32_t mapIndex) {
    return std::string(prefix) + "map" + std::to_string(int64_t{mapIndex} + 1) + ".ini";
}

// A file of the game as it was read: its lines and the name errors give it.
struct ReadFile {
    TMyIniList lines;
    std::string name;
    bool exists = false;
};

std::string ShownName(const fs::path& root, std::string_view relative) {
    const auto path = base::PathForWriting(root, relative);
    return path ? base::DisplayPath(*path) : std::string(relative);
}

// A project's file is read as editors save it (UTF-8 or 1251); a save, which
// only the program writes, as the 1251 it is.
enum class Origin { Project, Save };

ReadFile Read(const fs::path& root, std::string_view relative, Origin origin = Origin::Save) {
    ReadFile file;
    // Found whatever it is, so that a pipe or a device in a file's place is
    // named to the player by the gate's reading below instead of taken for missing.
    const auto path = base::FindEntryPath(root, relative);
    if (!path) {
        file.name = ShownName(root, relative);
        return file;
    }
    file.name = base::DisplayPath(*path);
    // A link may not lead out of the folder the file is named in.
    const base::GatedFile gated = base::GatePath(path->parent_path(), *path, base::FileKind::Text);
    if (gated.Refused()) throw *gated.error;
    std::string bytes = base::ReadCheckedFile(*path, base::FileKind::Text);
    file.lines = origin == Origin::Project
                     ? TMyIniList::FromText(DecodeProjectKeyLines(std::move(bytes), file.name).text)
                     : TMyIniList::FromFileBytes(std::move(bytes));
    file.exists = true;
    return file;
}

// What a full load produces, built aside and moved in once it is complete.
struct Staged {
    MMap map;
    MGame game;
    THero hero;
    RuleVariables vars;
};

std::optional<Staged> StageFullLoad(const GameProject& gp, const fs::path& root,
                                    std::string_view prefix, int32_t mapIndex) {
    ReadFile game = Read(root, GameFileName(prefix), Origin::Project);
    if (!game.exists) return std::nullopt;
    ReadFile map = Read(root, MapFileName(prefix, mapIndex), Origin::Project);

    Staged s;
    s.map.mapIndex = mapIndex;
    s.map.Title = gp.map.Title;
    s.map.Author = gp.map.Author;
    s.hero.BagFull = gp.hero.BagFull;
    s.hero.Level = gp.hero.Level;
    s.hero.fRest = gp.hero.fRest;
    s.hero.LastMessage = gp.hero.LastMessage;
    s.hero.CurScrNo = gp.hero.CurScrNo;
    // The hero takes the InitHealth of the project loaded before this one.
    ResetHero(s.hero, gp.game);
    s.vars = gp.vars;

    KeyAccessor mapKeys(map.lines, false, map.name);
    TransferMapFile(s.map, s.vars, mapKeys, false);
    KeyAccessor gameKeys(game.lines, false, game.name);
    TransferGameSection(s.game, gameKeys);
    return s;
}

void Commit(GameProject& gp, Staged&& s) {
    gp.map = std::move(s.map);
    gp.game = std::move(s.game);
    gp.hero = std::move(s.hero);
    gp.vars = std::move(s.vars);
}

// A full load of map index n, replacing the records only once it is complete.
bool LoadInFull(GameProject& gp, const fs::path& root, std::string_view prefix, int32_t mapIndex) {
    auto staged = StageFullLoad(gp, root, prefix, mapIndex);
    if (!staged) return false;
    Commit(gp, std::move(*staged));
    return true;
}

// Reads a state over the map and hero given. The state is checked whole
// first; once it passes, applying it cannot fail, so a damaged state changes
// nothing. A map file that is missing or holds no line carries no map state.
void ApplyState(MMap& map, THero& hero, RuleVariables& vars, ReadFile& game,
                ReadFile& mapFile) {
    const bool mapState = mapFile.exists && !HoldsNoLines(mapFile.lines);
    CheckSavedHero(game.lines, game.name, map);
    if (mapState) CheckSavedMap(mapFile.lines, mapFile.name, map);
    if (mapState) {
        KeyAccessor mapKeys(mapFile.lines, false, mapFile.name);
        TransferMapFile(map, vars, mapKeys, true);
    }
    KeyAccessor gameKeys(game.lines, false, game.name);
    TransferHero(hero, gameKeys);
    PlaceHero(map, hero);
}

bool ReadState(MMap& map, THero& hero, RuleVariables& vars, const fs::path& root,
               std::string_view prefix) {
    ReadFile game = Read(root, GameFileName(prefix));
    if (!game.exists) return false;
    ReadFile mapFile = Read(root, MapFileName(prefix, map.mapIndex));
    ApplyState(map, hero, vars, game, mapFile);
    return true;
}

// The project's file of a map; a map that the project lacks cannot be entered.
void RequireProjectMap(const GameProject& gp, int32_t mapIndex) {
    const std::string name = MapFileName(gp.folders.projectPath, mapIndex);
    if (!base::FindPath(gp.folders.ProjectsRoot(), name)) {
        throw base::FileError(ShownName(gp.folders.ProjectsRoot(), name), "нет такого файла карты");
    }
}

Staged StageProjectMap(const GameProject& gp, int32_t mapIndex) {
    auto staged = StageFullLoad(gp, gp.folders.ProjectsRoot(), gp.folders.projectPath, mapIndex);
    if (!staged) {
        throw base::FileError(ShownName(gp.folders.ProjectsRoot(), GameFileName(gp.folders.projectPath)),
                              "нет файла игры проекта");
    }
    return std::move(*staged);
}

// "<prefix>map<k>.ini" in any letter case: k - 1, or nothing.
std::optional<int32_t> MapIndexOfStateFile(const std::string& fileName, const std::string& prefix) {
    const std::string name = base::LowerText1251(fileName);
    const std::string head = prefix + "map";
    const std::string tail = ".ini";
    if (name.size() <= head.size() + tail.size() || !name.starts_with(head) ||
        !name.ends_with(tail)) {
        return std::nullopt;
    }
    const std::string digits = name.substr(head.size(), name.size() - head.size() - tail.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const std::optional<int32_t> k = TryParseInt32(digits);
    if (!k || *k < 1) return std::nullopt;
    return *k - 1;
}

// The map a slot was saved on: the map of its newest map file, or nothing
// when it has none.
std::optional<int32_t> SavedMapIndex(const fs::path& root, int32_t slot) {
    const auto saves = base::FindPath(root, "Saves");
    if (!saves) return std::nullopt;
    const std::string prefix = std::to_string(slot) + "-";
    std::optional<int32_t> best;
    fs::file_time_type newest{};
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(*saves, ec)) {
        const auto index = MapIndexOfStateFile(entry.path().filename().string(), prefix);
        if (!index) continue;
        const fs::file_time_type written = entry.last_write_time(ec);
        if (ec) continue;
        if (!best || written > newest) {
            best = index;
            newest = written;
        }
    }
    return best;
}

void CreateFolderOf(const fs::path& file) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        throw base::FileError(base::DisplayPath(file.parent_path()),
                              "папка не создаётся: " + base::ErrnoText(ec));
    }
}

fs::path WritablePath(const fs::path& root, std::string_view relative) {
    auto path = base::PathForWriting(root, relative);
    if (!path) throw base::FileError(std::string(relative), "имя ведёт за пределы своей папки");
    return *path;
}

void Write(GameProject& gp, const fs::path& root, std::string_view prefix, bool stateOnly) {
    TMyIniList gameLines;
    TMyIniList mapLines;
    const fs::path gamePath = WritablePath(root, GameFileName(prefix));
    const fs::path mapPath = WritablePath(root, MapFileName(prefix, gp.map.mapIndex));
    KeyAccessor mapKeys(mapLines, true, base::DisplayPath(mapPath));
    TransferMapFile(gp.map, gp.vars, mapKeys, stateOnly);
    KeyAccessor gameKeys(gameLines, true, base::DisplayPath(gamePath));
    if (stateOnly) {
        TransferHero(gp.hero, gameKeys);
    } else {
        TransferGameSection(gp.game, gameKeys);
    }
    CreateFolderOf(gamePath);
    CreateFolderOf(mapPath);
    const std::string gameName = gamePath.filename().string();
    const std::string mapName = mapPath.filename().string();
    const std::string unit = gameName.substr(0, gameName.size() - std::string_view("game.ini").size());
    if (gamePath.parent_path() == mapPath.parent_path() && IsPlainName(gameName) &&
        IsPlainName(mapName)) {
        // A slot or the working state: both files replaced as one unit, so a
        // kill between them can never pair a new map file with an old hero.
        ReplaceAsOne(gamePath.parent_path(), unit,
                     {{gameName, gameLines.ToFileBytes()}, {mapName, mapLines.ToFileBytes()}});
        return;
    }
    // Both files are written in full before either replaces its old version;
    // the game file, which marks a slot as used, goes last.
    base::StagedFile game(gamePath, gameLines.ToFileBytes());
    base::StagedFile map(mapPath, mapLines.ToFileBytes());
    map.Commit();
    game.Commit();
}

}  // namespace

bool TransferGameFiles(GameProject& gp, const fs::path& root, std::string_view prefix,
                       bool stateOnly, bool reading) {
    if (!reading) {
        Write(gp, root, prefix, stateOnly);
        return true;
    }
    if (stateOnly) return ReadState(gp.map, gp.hero, gp.vars, root, prefix);
    return LoadInFull(gp, root, prefix, gp.map.mapIndex);
}

bool LoadProject(GameProject& gp) {
    return TransferGameFiles(gp, gp.folders.ProjectsRoot(), gp.folders.projectPath, false, true);
}

bool LoadProjectMap(GameProject& gp, int32_t mapIndex) {
    return LoadInFull(gp, gp.folders.ProjectsRoot(), gp.folders.projectPath, mapIndex);
}

void ForgetWorkingState(const GameProject& gp) {
    const auto saves = base::FindPath(gp.folders.state, "Saves");
    if (!saves) return;
    RecoverUnit(*saves, "cur-");
    std::error_code ec;
    std::vector<SetFile> doomed;
    for (const fs::directory_entry& entry : fs::directory_iterator(*saves, ec)) {
        const std::string name = entry.path().filename().string();
        if (base::LowerText1251(name) == "cur-game.ini" || MapIndexOfStateFile(name, "cur-")) {
            if (IsPlainName(name)) doomed.push_back({name, std::nullopt});
        }
    }
    if (ec) throw base::FileError(base::DisplayPath(*saves), "папка не читается: " + base::ErrnoText(ec));
    // Removed as one unit too: a kill leaves the whole old working state or none.
    if (!doomed.empty()) ReplaceAsOne(*saves, "cur-", doomed);
}

StateBytes StateFileBytes(GameProject& gp, const std::string& shownName) {
    TMyIniList gameLines;
    TMyIniList mapLines;
    KeyAccessor mapKeys(mapLines, true, shownName);
    TransferMapFile(gp.map, gp.vars, mapKeys, true);
    KeyAccessor gameKeys(gameLines, true, shownName);
    TransferHero(gp.hero, gameKeys);
    return {gameLines.ToFileBytes(), mapLines.ToFileBytes()};
}

namespace {

// The map n loaded from the project with a state held in memory read over it.
Staged StageStateBytes(const GameProject& gp, int32_t mapIndex, const StateBytes& bytes,
                       const std::string& shownName) {
    RequireProjectMap(gp, mapIndex);
    Staged staged = StageProjectMap(gp, mapIndex);
    ReadFile game;
    game.lines = TMyIniList::FromFileBytes(bytes.game);
    game.name = shownName;
    game.exists = true;
    ReadFile map;
    map.lines = TMyIniList::FromFileBytes(bytes.map);
    map.name = shownName;
    map.exists = true;
    ApplyState(staged.map, staged.hero, staged.vars, game, map);
    LinkWorld(staged.map, staged.hero);
    return staged;
}

}  // namespace

void CheckStateBytes(const GameProject& gp, int32_t mapIndex, const StateBytes& bytes,
                     const std::string& shownName) {
    (void)StageStateBytes(gp, mapIndex, bytes, shownName);
}

void LoadStateBytes(GameProject& gp, int32_t mapIndex, const StateBytes& bytes,
                    const std::string& shownName, const std::function<void()>& beforeCommit) {
    Staged staged = StageStateBytes(gp, mapIndex, bytes, shownName);
    if (beforeCommit) beforeCommit();
    Commit(gp, std::move(staged));
}

void RecoverSaves(const GameProject& gp) {
    if (const auto saves = base::FindPath(gp.folders.state, "Saves")) RecoverFolder(*saves);
    // main.ini is written through a temporary file as well.
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(gp.folders.state, ec)) {
        const std::string name = entry.path().filename().string();
        if (base::IsTemporaryName(name) && base::LowerText1251(name).starts_with("main.ini.tmp-")) {
            base::RemoveFile(entry.path());
        }
    }
}

std::string SlotPrefix(int32_t slot) { return "Saves\\" + std::to_string(slot) + "-"; }

void SaveSlot(GameProject& gp, int32_t slot) {
    TransferGameFiles(gp, gp.folders.state, SlotPrefix(slot), true, false);
}

bool LoadSlot(GameProject& gp, int32_t slot) {
    const std::string prefix = SlotPrefix(slot);
    // A save that a kill interrupted is finished first: the slot is then the
    // whole old or the whole new save.
    if (const auto saves = base::FindPath(gp.folders.state, "Saves")) {
        RecoverUnit(*saves, std::to_string(slot) + "-");
    }
    if (!base::FindPath(gp.folders.state, GameFileName(prefix))) return false;
    // A slot is applied to the map it was saved on, which need not be the one
    // loaded now (after a restart the first map is): that map is loaded aside,
    // the state read over it, and only a whole result replaces the game.
    const int32_t mapIndex = SavedMapIndex(gp.folders.state, slot).value_or(gp.map.mapIndex);
    if (mapIndex == gp.map.mapIndex) {
        if (!TransferGameFiles(gp, gp.folders.state, prefix, true, true)) return false;
        LinkWorld(gp.map, gp.hero);
        return true;
    }
    RequireProjectMap(gp, mapIndex);
    Staged staged = StageProjectMap(gp, mapIndex);
    if (!ReadState(staged.map, staged.hero, staged.vars, gp.folders.state, prefix)) return false;
    LinkWorld(staged.map, staged.hero);
    Commit(gp, std::move(staged));
    return true;
}

std::optional<std::string> SlotScreenTitle(const GameProject& gp, int32_t slot) {
    const std::string prefix = SlotPrefix(slot);
    ReadFile game = Read(gp.folders.state, GameFileName(prefix));
    if (!game.exists) return std::nullopt;
    const int32_t mapIndex = SavedMapIndex(gp.folders.state, slot).value_or(gp.map.mapIndex);
    // The slot as loading would check it: a damaged one throws here as there.
    auto titleIn = [&](const MMap& map) {
        CheckSavedHero(game.lines, game.name, map);
        ReadFile mapFile = Read(gp.folders.state, MapFileName(prefix, mapIndex));
        if (mapFile.exists && !HoldsNoLines(mapFile.lines)) CheckSavedMap(mapFile.lines, mapFile.name, map);
        THero hero;
        KeyAccessor keys(game.lines, false, game.name);
        TransferHero(hero, keys);
        const auto at = static_cast<size_t>(hero.CurScrNo);
        return hero.CurScrNo >= 0 && at < map.screens.size() ? map.screens[at]->Title : std::string();
    };
    if (mapIndex == gp.map.mapIndex) return titleIn(gp.map);
    RequireProjectMap(gp, mapIndex);
    return titleIn(StageProjectMap(gp, mapIndex).map);
}

void ChangeMap(GameProject& gp, int32_t mapIndex) {
    // A map the project lacks is refused before anything is written.
    RequireProjectMap(gp, mapIndex);
    TransferGameFiles(gp, gp.folders.state, kWorkingStatePrefix, true, false);
    Staged staged = StageProjectMap(gp, mapIndex);
    ReadState(staged.map, staged.hero, staged.vars, gp.folders.state, kWorkingStatePrefix);
    LinkWorld(staged.map, staged.hero);
    Commit(gp, std::move(staged));
}

}  // namespace velmora::world

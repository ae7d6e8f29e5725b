#include "world/game_files.h"

#include <optional>
#include <system_error>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "world/key_access.h"
#include "world/link.h"
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

ReadFile Read(const fs::path& root, std::string_view relative) {
    ReadFile file;
    const auto path = base::FindPath(root, relative);
    if (!path) {
        file.name = ShownName(root, relative);
        return file;
    }
    file.name = base::DisplayPath(*path);
    file.lines = TMyIniList::FromFileBytes(base::ReadWholeFile(*path));
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
    ReadFile game = Read(root, GameFileName(prefix));
    if (!game.exists) return std::nullopt;
    ReadFile map = Read(root, MapFileName(prefix, mapIndex));

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

// A saved state must fit the map it is applied to; checked before anything changes.
void CheckState(const MMap& map, ReadFile& mapFile, ReadFile& gameFile) {
    if (mapFile.exists) {
        KeyAccessor keys(mapFile.lines, false, mapFile.name);
        keys.currentSection = "Map";
        const struct {
            const char* key;
            size_t have;
            const char* what;
        } lists[] = {{"ScrCount", map.screens.size(), "экранов"},
                     {"ObjCount", map.objects.size(), "предметов"},
                     {"CmdCount", map.commands.size(), "команд"}};
        for (const auto& list : lists) {
            const int32_t saved = keys.ReadCount(list.key);
            if (saved > static_cast<int64_t>(list.have)) {
                throw base::FileError(mapFile.name, std::string("в сохранённой игре ") + list.what + " " +
                                                        std::to_string(saved) +
                                                        ", а на карте только " +
                                                        std::to_string(list.have));
            }
        }
    }
    KeyAccessor keys(gameFile.lines, false, gameFile.name);
    keys.currentSection = "Hero";
    const int32_t at = keys.ReadInt("CurScrNo");
    if (!map.screens.empty() && (at < 0 || static_cast<size_t>(at) >= map.screens.size())) {
        throw base::FileError(gameFile.name, "герой стоит на экране " + std::to_string(at) +
                                                 ", а на карте экраны от 0 до " +
                                                 std::to_string(map.screens.size() - 1));
    }
}

bool ReadState(MMap& map, THero& hero, RuleVariables& vars, const fs::path& root,
               std::string_view prefix) {
    ReadFile game = Read(root, GameFileName(prefix));
    if (!game.exists) return false;
    ReadFile mapFile = Read(root, MapFileName(prefix, map.mapIndex));
    CheckState(map, mapFile, game);
    if (mapFile.exists) {
        KeyAccessor mapKeys(mapFile.lines, false, mapFile.name);
        TransferMapFile(map, vars, mapKeys, true);
    }
    KeyAccessor gameKeys(game.lines, false, game.name);
    TransferHero(hero, gameKeys);
    PlaceHero(map, hero);
    return true;
}

void CreateFolderOf(const fs::path& file) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        throw base::FileError(base::DisplayPath(file.parent_path()),
                              "папка не создаётся: " + ec.message());
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
    auto staged = StageFullLoad(gp, root, prefix, gp.map.mapIndex);
    if (!staged) return false;
    Commit(gp, std::move(*staged));
    return true;
}

bool LoadProject(GameProject& gp) {
    return TransferGameFiles(gp, gp.folders.program, gp.folders.projectPath, false, true);
}

std::string SlotPrefix(int32_t slot) { return "Saves\\" + std::to_string(slot) + "-"; }

void SaveSlot(GameProject& gp, int32_t slot) {
    TransferGameFiles(gp, gp.folders.state, SlotPrefix(slot), true, false);
}

bool LoadSlot(GameProject& gp, int32_t slot) {
    if (!TransferGameFiles(gp, gp.folders.state, SlotPrefix(slot), true, true)) return false;
    LinkWorld(gp.map, gp.hero);
    return true;
}

void ChangeMap(GameProject& gp, int32_t mapIndex) {
    TransferGameFiles(gp, gp.folders.state, kWorkingStatePrefix, true, false);
    auto staged = StageFullLoad(gp, gp.folders.program, gp.folders.projectPath, mapIndex);
    if (!staged) {
        throw base::FileError(ShownName(gp.folders.program, GameFileName(gp.folders.projectPath)),
                              "нет файла игры проекта");
    }
    ReadState(staged->map, staged->hero, staged->vars, gp.folders.state, kWorkingStatePrefix);
    LinkWorld(staged->map, staged->hero);
    Commit(gp, std::move(*staged));
}

}  // namespace velmora::world

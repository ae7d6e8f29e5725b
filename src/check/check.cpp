#include "check/check.h"

#include <algorithm>
#include <system_error>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "base/project_text.h"
#include "check/checks.h"
#include "check/files.h"
#include "world/game_files.h"
#include "world/link.h"

namespace fs = std::filesystem;

namespace velmora::check {
namespace {

// A project of a program folder stands in <program>/Projects/<name>, and the
// program's sounds in <program>/Media; a project may also be the program
// folder itself, with its Media beside game.ini.
fs::path GuessMediaFolder(const fs::path& dir) {
    std::error_code ec;
    fs::path folder = fs::absolute(dir, ec).lexically_normal();
    if (ec) return {};
    if (!folder.has_filename()) folder = folder.parent_path();
    const fs::path parent = folder.parent_path();
    if (base::LowerAscii(parent.filename().string()) == "projects") {
        return parent.parent_path() / "Media";
    }
    const auto own = base::FindPath(folder, "Media");
    return own ? *own : folder / "Media";
}

// Reads one map as the game would, with the game file beside it.
LoadedMap LoadMap(const fs::path& dir, int32_t k, Report& report) {
    LoadedMap map;
    map.number = k;
    const auto raw = ReadProjectFile(dir, "map" + std::to_string(k) + ".ini", report);
    if (!raw) return map;
    map.fileName = raw->name;
    const auto text = CheckFileBytes(*raw, report);
    if (!text) return map;
    map.lines = world::TMyIniList::FromText(*text);
    CheckLineNames(map.lines, map.fileName, report);
    auto gp = std::make_unique<world::GameProject>();
    gp->folders.program = dir;
    gp->folders.state = dir;
    gp->map.mapIndex = k - 1;
    try {
        if (!world::LoadProject(*gp)) return map;  // game.ini went away meanwhile
    } catch (const base::FileError& e) {
        report.Error(e.file(), "", e.problem());
        return map;
    } catch (const std::exception& e) {
        report.Error(map.fileName, "", std::string("не читается: ") + e.what());
        return map;
    }
    map.gridBuilt = world::LinkWorld(gp->map, gp->hero);
    map.gp = std::move(gp);
    return map;
}

// The texts of the main menu and the game menu: without them the menu says
// only its title.
void CheckMenuTexts(const fs::path& dir, Report& report) {
    for (const char* name : {"menu.txt", "gmenu.txt"}) {
        const base::GatedFile gated = base::GateFile(dir, name, base::FileKind::Text);
        if (gated.Refused()) {
            report.Error(gated.error->file(), "", gated.error->problem());
        } else if (gated.Found()) {
            // Each line is spoken as a menu entry: read as the game reads it.
            try {
                const std::string shown = base::DisplayPath(gated.path);
                const base::ProjectText text = base::DecodeProjectText(
                    base::ReadCheckedFile(gated.path, base::FileKind::Text), shown);
                if (!text.wasUtf8) CheckUtf8Lines(shown, text.text, report);
            } catch (const base::FileError& e) {
                report.Error(e.file(), "", e.problem());
            }
        } else {
            report.Warning(base::DisplayPath(dir / name), "",
                           std::string("нет такого файла: ") +
                               (name[0] == 'm' ? "главное меню" : "выбор сохранённой игры") +
                               " скажет только свой заголовок, и игрок не узнает, что выбирать",
                           kind::kNoMenu);
        }
    }
}

}  // namespace

void CheckProject(const fs::path& dir, Report& report, const fs::path& mediaFolder) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        report.Error(base::DisplayPath(dir), "", "нет такой папки");
        return;
    }
    Project project;
    project.dir = dir;
    project.report = &report;
    project.sound = std::make_unique<sound::SoundSystem>(
        dir, mediaFolder.empty() ? GuessMediaFolder(dir) : mediaFolder, nullptr, nullptr);

    const auto game = ReadProjectFile(dir, "game.ini", report);
    if (!game) return;
    project.gameFileName = game->name;
    // Every map is loaded with the game file: one the game refuses is the one error.
    const auto text = CheckFileBytes(*game, report);
    if (!text) return;
    project.gameLines = world::TMyIniList::FromText(*text);
    CheckLineNames(project.gameLines, project.gameFileName, report);

    const std::vector<int32_t> numbers = MapNumbers(dir);
    if (numbers.empty() || numbers.front() != 1) {
        report.Error(base::DisplayPath(dir / "map1.ini"), "",
                     "нет такого файла: первая карта пуста, игре негде начать");
    }
    for (int32_t k : numbers) project.maps.push_back(LoadMap(dir, k, report));

    CheckGameKeys(project, report);
    CheckPagesAndMusic(project, report);
    CheckMenuTexts(dir, report);
    Journeys journeys;
    for (const LoadedMap& map : project.maps) {
        if (!map.gp) continue;
        CheckMapKeys(map, report);
        CheckMapLinks(map, report);
        CheckMapScripts(project, map, journeys, report);
    }
    for (const LoadedMap& map : project.maps) {
        if (map.gp) CheckMapPictures(project, map, journeys, report);
    }
    // Where the hero can go is known only from every map: with one the game
    // refuses, its one error is all, not every screen of the others unreached.
    const bool allRead = std::all_of(project.maps.begin(), project.maps.end(),
                                     [](const LoadedMap& map) { return map.gp != nullptr; });
    for (const LoadedMap& map : project.maps) {
        if (map.gp && allRead) CheckReachable(map, journeys, report);
    }
}

}  // namespace velmora::check

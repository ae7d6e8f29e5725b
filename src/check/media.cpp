// Pictures, music and sounds the project names or the game looks for.
#include "base/cp1251.h"
#include "base/paths.h"
#include "check/checks.h"
#include "rules/script_syntax.h"
#include "world/key_access.h"

namespace velmora::check {

void CheckMapPictures(const Project& project, const LoadedMap& map, Report& report) {
    const world::MMap& m = map.gp->map;
    // A move shows the picture named by the screen's position.
    for (size_t i = 0; i < m.screens.size(); ++i) {
        const std::string name = rules::ScreenPictureName(static_cast<int64_t>(i), 0);
        if (project.HasFile(name)) continue;
        report.Warning(map.fileName, "Scr" + std::to_string(i) + "Title",
                       "у экрана " + Quoted(m.screens[i]->Title) + " нет картинки " + ShownPath(name),
                       kind::kNoPicture);
    }
}

void CheckPagesAndMusic(const Project& project, Report& report) {
    const std::pair<const char*, const char*> music[] = {{"menu.mid", "музыки главного меню"},
                                                         {"map1.mid", "музыки игры"}};
    for (const auto& [name, what] : music) {
        if (!project.HasMusicFile(name)) {
            report.Warning(base::DisplayPath(project.dir / name), "",
                           std::string("нет такого файла: игра пройдёт без ") + what,
                           kind::kNoMusic);
        }
    }
    const world::MGame* game = project.Game();
    if (game == nullptr) return;
    const std::string& file = project.gameFileName;
    for (size_t p = 0; p < game->Intros.lines.size(); ++p) {
        const std::string key = "GameIntros" + std::to_string(p);
        const std::vector<std::string> lines = world::SplitLines(game->Intros.lines[p]);
        size_t unspoken = 0;  // the first narration line no #page or #wait has spoken yet
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (line.empty() || line[0] != '#') {
                if (unspoken == 0 && !base::TrimBlanks(line).empty()) unspoken = i + 1;
                continue;
            }
            if (line.size() < 2) continue;
            const size_t space = line.find(' ');
            const std::string keyword = base::LowerText1251(
                line.substr(1, space == std::string::npos ? std::string::npos : space - 1));
            const std::string argument =
                space == std::string::npos ? std::string() : line.substr(space + 1);
            const std::string where = "строка " + std::to_string(i + 1) + " " + Quoted(line) + ": ";
            if ((keyword == "image" || keyword == "play" || keyword == "snd") &&
                base::TrimBlanks(argument).empty()) {
                report.Error(file, key, where + "не назван файл");
            } else if (keyword == "image") {
                // The game skips a missing file, as it does a screen's picture.
                if (!project.HasFile("gif\\" + argument)) {
                    report.Warning(
                        file, key,
                        where + "нет картинки " + ShownPath("gif\\" + argument) + ": игра её пропустит",
                        kind::kNoPicture);
                }
            } else if (keyword == "play") {
                if (!project.HasFile(argument, base::FileKind::Music)) {
                    report.Warning(file, key,
                                   where + "нет музыки " + Quoted(argument) + ": игра её пропустит",
                                   kind::kNoMusic);
                }
            } else if (keyword == "snd") {
                if (!project.HasSoundFile(argument)) {
                    report.Warning(file, key,
                                   where + "нет звукового файла " + Quoted(argument) +
                                       " ни в папке Snd проекта, ни в Media: игра его пропустит",
                                   kind::kNoSound);
                }
            } else if (keyword == "page" || keyword == "wait" || keyword == "vol") {
                if (!argument.empty() && !world::TryParseInt32(argument)) {
                    report.Warning(file, key,
                                   where + Quoted(argument) + " не число: игра возьмёт " +
                                       (keyword == "vol" ? "0" : "10"));
                }
            } else {
                report.Warning(
                    file, key,
                    where + "неизвестная строка #" + Shown(keyword) + ": игра её пропускает",
                    kind::kNothing);
            }
            if (keyword == "page" || keyword == "wait") unspoken = 0;
        }
        if (unspoken != 0) {
            report.Warning(file, key,
                           "текст со строки " + std::to_string(unspoken) +
                               " не кончается строкой #page или #wait: игра покажет его, но "
                               "не скажет, и незрячий игрок его не услышит",
                           kind::kDeadEnd);
        }
    }
}

}  // namespace velmora::check

// Pictures, music and sounds the project names or the game looks for.
#include "base/cp1251.h"
#include "base/paths.h"
#include "check/checks.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "world/key_access.h"

namespace velmora::check {

namespace {

// The picture an arrival at the screen at `position` shows: named by the
// position and the frame its entry chooses at once.
std::string ArrivalPicture(const world::MMap& map, size_t position) {
    return rules::ScreenPictureName(static_cast<int64_t>(position),
                                    rules::Rules::ArrivalFrame(*map.screens[position]));
}

// A frame the game names two ways when a screen's number is not its place:
// `frame` by the number, an arrival and a loaded game by the place. Told
// when only the number's file is there: the arrival then keeps the picture
// it had. (The other way round, `frame` itself finds nothing; its script
// line is told.)
void CheckFrameNames(const Project& project, const LoadedMap& map, size_t i, int32_t frame,
                     Report& report) {
    const world::MScreen& s = *map.gp->map.screens[i];
    if (s.no == static_cast<int64_t>(i)) return;
    const std::string byNumber = rules::ScreenPictureName(s.no, frame);
    const std::string byPlace = rules::ScreenPictureName(static_cast<int64_t>(i), frame);
    if (!project.HasFile(byNumber) || project.HasFile(byPlace)) return;
    report.Warning(map.fileName, "Scr" + std::to_string(i) + "no",
                   "кадр " + std::to_string(frame) + " экрана " + Quoted(s.Title) + " (номер " +
                       std::to_string(s.no) + ", место в списке " + std::to_string(i) +
                       "): есть " + ShownPath(byNumber) + ", а нет " + ShownPath(byPlace) +
                       ": frame ищет кадр по номеру экрана, а приход на экран и загрузка игры "
                       "по месту в списке, и тогда игра оставит прежнюю картинку",
                   kind::kNoPicture);
}

}  // namespace

void CheckMapPictures(const Project& project, const LoadedMap& map, const Journeys& journeys,
                      Report& report) {
    const world::MMap& m = map.gp->map;
    const auto chosen = journeys.frames.find(map.number);
    for (size_t i = 0; i < m.screens.size(); ++i) {
        const world::MScreen& s = *m.screens[i];
        const std::string key = "Scr" + std::to_string(i) + "Title";
        // A move shows the picture named by the screen's position, in the
        // frame the screen's entry switches to before it is seen.
        const int32_t frame = rules::Rules::ArrivalFrame(s);
        const std::string name = ArrivalPicture(m, i);
        if (!project.HasFile(name)) {
            if (frame != 0 && s.no != static_cast<int64_t>(i) &&
                project.HasFile(rules::ScreenPictureName(s.no, frame))) {
                CheckFrameNames(project, map, i, frame, report);
            } else {
                report.Warning(map.fileName, key,
                               "у экрана " + Quoted(s.Title) + " нет картинки " + ShownPath(name) +
                                   (frame != 0 ? " (он открывается кадром " +
                                                     std::to_string(frame) +
                                                     ": frame первой строкой OnEnter)"
                                               : std::string()) +
                                   ": игра оставит прежнюю картинку",
                               kind::kNoPicture);
            }
        } else {
            // Every map looks its pictures up in the one gif folder by
            // place: a later map's screen whose arrival names the same file
            // as an earlier map's screen at that place shows that one.
            for (const LoadedMap& other : project.maps) {
                if (other.number >= map.number) break;
                if (!other.gp || i >= other.gp->map.screens.size()) continue;
                if (ArrivalPicture(other.gp->map, i) != name) continue;
                report.Warning(
                    map.fileName, key,
                    "у экрана " + Quoted(s.Title) + " нет своей картинки: игра покажет " +
                        ShownPath(name) + ", картинку экрана " +
                        Quoted(other.gp->map.screens[i]->Title) + " карты " + other.fileName +
                        " на том же месте в списке (картинки ищутся по месту экрана, а не по "
                        "карте; своя картинка — кадр: frame 1 первой строкой OnEnter и файл " +
                        ShownPath(rules::ScreenPictureName(static_cast<int64_t>(i), 1)) + ")",
                    kind::kNoPicture);
                break;
            }
        }
        if (chosen == journeys.frames.end()) continue;
        const auto frames = chosen->second.find(i);
        if (frames == chosen->second.end()) continue;
        for (int32_t f : frames->second) {
            if (f != frame) CheckFrameNames(project, map, i, f, report);
        }
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

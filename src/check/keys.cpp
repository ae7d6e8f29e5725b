// What loading forgives: a missing key reads as 0 or empty, a count decides
// how many sections and items are read whatever the file holds.
#include <algorithm>
#include <string>
#include <unordered_set>

#include "base/cp1251.h"
#include "check/checks.h"
#include "world/link.h"
#include "world/transfer.h"

namespace velmora::check {
namespace {

bool Has(const world::TMyIniList& lines, const std::string& name) {
    std::string_view value;
    return lines.Find(name, value);
}

// The items of one counted list that the file lacks (they read as empty texts).
void CheckListItems(const world::TMyIniList& lines, const std::string& fileName,
                    const std::string& name, Report& report) {
    std::string_view value;
    if (!lines.Find(name + "Cnt", value)) return;
    const int32_t count = world::ParseInt32(value, 0);
    if (count < 0) {
        report.Warning(fileName, name + "Cnt",
                       "отрицательный счётчик " + std::to_string(count) + ": список пуст");
        return;
    }
    // A file of n lines holds at most n items: the count alone never sets
    // the work.
    const int64_t limit = std::min<int64_t>(count, static_cast<int64_t>(lines.LineCount()) + 1);
    int64_t missing = count - limit;
    int64_t firstMissing = -1;
    for (int64_t i = 0; i < limit; ++i) {
        if (Has(lines, name + std::to_string(i))) continue;
        if (firstMissing < 0) firstMissing = i;
        ++missing;
    }
    if (firstMissing < 0) firstMissing = limit;
    if (missing > 0) {
        report.Warning(
            fileName, name + "Cnt",
            "счётчик " + std::to_string(count) + ", а строки " + name +
                std::to_string(firstMissing) + " нет" +
                (missing > 1 ? " (всего не хватает " + std::to_string(missing) + ")" : "") +
                ": игра читает вместо них пустой текст");
    }
}

// A count of records against the sections present: sections past the count
// are never read, sections under it that are missing read as empty records.
void CheckRecordCount(const world::TMyIniList& lines, const std::string& fileName,
                      const std::string& section, int64_t count, Report& report) {
    const std::string countKey = "Map" + section + "Count";
    if (count < 0) {
        report.Warning(fileName, countKey, "отрицательный счётчик " + std::to_string(count));
        return;
    }
    const std::string next = section + std::to_string(count);
    if (Has(lines, next + "no") || Has(lines, next + "Title")) {
        report.Warning(fileName, countKey,
                       "счётчик " + std::to_string(count) + ", но в файле есть раздел " + next +
                           ": игра его не читает");
    }
    for (int64_t i = 0; i < count; ++i) {
        const std::string s = section + std::to_string(i);
        if (!Has(lines, s + "no") && !Has(lines, s + "Title")) {
            report.Warning(fileName, countKey,
                           "счётчик " + std::to_string(count) + ", а раздела " + s +
                               " нет: игра читает пустую запись (файл обрезан?)");
            return;
        }
    }
}

// A key's name with every run of digits as one '#': "Scr12OnEnter" is "Scr#OnEnter".
std::string Shape(std::string_view name, std::vector<std::string>* numbers = nullptr) {
    std::string shape;
    for (size_t i = 0; i < name.size();) {
        if (name[i] < '0' || name[i] > '9') {
            shape += name[i++];
            continue;
        }
        const size_t start = i;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
        shape += '#';
        if (numbers) numbers->emplace_back(name.substr(start, i - start));
    }
    return shape;
}

// The shapes of every key the game reads, written once from records of each kind.
const std::vector<std::string>& KnownShapes() {
    static const std::vector<std::string> shapes = [] {
        world::MMap map;
        map.screens.push_back(std::make_unique<world::MScreen>());
        map.objects.push_back(std::make_unique<world::MObj>());
        map.commands.push_back(std::make_unique<world::MScript>());
        map.ScrCount = map.ObjCount = map.CmdCount = 1;
        world::MGame game;
        world::THero hero;
        world::RuleVariables vars;
        std::unordered_set<std::string> seen;
        for (bool stateOnly : {false, true}) {
            world::TMyIniList lines;
            world::KeyAccessor keys(lines, true, "");
            world::TransferMapFile(map, vars, keys, stateOnly);
            keys.currentSection.clear();
            world::TransferGameSection(game, keys);
            keys.currentSection.clear();
            world::TransferHero(hero, keys);
            for (size_t i = 0; i < lines.LineCount(); ++i) {
                const std::string_view line = lines.Line(i);
                const std::string shape = Shape(line.substr(0, line.find('=')));
                seen.insert(shape);
                // A counted list's items: "Scr#DescrCnt" reads "Scr#Descr#".
                if (shape.ends_with("Cnt")) seen.insert(shape.substr(0, shape.size() - 3) + "#");
            }
        }
        return std::vector<std::string>(seen.begin(), seen.end());
    }();
    return shapes;
}

// Lines whose name the game never reads but is a slip away from one it does.
void CheckMisspelledKeys(const world::TMyIniList& lines, const std::string& fileName,
                         Report& report) {
    const std::vector<std::string>& known = KnownShapes();
    const std::unordered_set<std::string> lookup(known.begin(), known.end());
    size_t told = 0;
    for (size_t i = 0; i < lines.LineCount() && told < 20; ++i) {
        const std::string_view line = lines.Line(i);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0 || eq > 64) continue;
        std::vector<std::string> numbers;
        const std::string shape = Shape(line.substr(0, eq), &numbers);
        if (lookup.contains(shape)) continue;
        const std::string near = NearestName(shape, known);
        if (near.empty()) continue;
        // The nearest name with the line's own numbers put back.
        std::string named;
        size_t k = 0;
        for (char c : near) {
            if (c == '#') {
                named += k < numbers.size() ? numbers[k++] : std::string("0");
            } else {
                named += c;
            }
        }
        ++told;
        // Proven: the value is lost, whatever the author meant by it.
        Finding finding{Severity::Warning, fileName, Shown(line.substr(0, eq)),
                        "такой строки игра не знает и не читает: может быть, " + named + "?",
                        kind::kKeys};
        finding.proven = true;
        report.Add(std::move(finding));
    }
}

void MissingMeans(const world::TMyIniList& lines, const std::string& fileName,
                  const std::string& name, const std::string& meaning, Report& report,
                  const char* kind = kind::kOther) {
    if (!Has(lines, name)) report.Warning(fileName, name, "нет строки: " + meaning, kind);
}

}  // namespace

void CheckMapKeys(const LoadedMap& map, Report& report) {
    const world::TMyIniList& lines = map.lines;
    const std::string& file = map.fileName;
    CheckMisspelledKeys(lines, file, report);
    const world::MMap& m = map.gp->map;
    CheckRecordCount(lines, file, "Scr", m.ScrCount, report);
    CheckRecordCount(lines, file, "Obj", m.ObjCount, report);
    CheckRecordCount(lines, file, "Cmd", m.CmdCount, report);
    for (size_t i = 0; i < m.screens.size(); ++i) {
        const std::string s = "Scr" + std::to_string(i);
        for (const char* list : {"Descr", "RestMessage", "Messages", "Scripts"}) {
            CheckListItems(lines, file, s + list, report);
        }
        if (m.screens[i]->Descr.lines.empty()) {
            report.Warning(file, s + "DescrCnt",
                           "у экрана " + Quoted(m.screens[i]->Title) +
                               " нет описаний: придя сюда, игрок услышит «не задано»");
        }
        std::string missing;
        for (const char* exit : {"North", "South", "East", "West"}) {
            if (!Has(lines, s + exit)) missing += (missing.empty() ? "" : ", ") + std::string(exit);
        }
        if (!missing.empty()) {
            report.Warning(
                file, s,
                "нет строк выходов " + missing + ": такой выход читается как 0 и ведёт на экран 0");
        }
    }
    for (size_t i = 0; i < m.objects.size(); ++i) {
        const std::string o = "Obj" + std::to_string(i);
        CheckListItems(lines, file, o + "Descr", report);
        MissingMeans(lines, file, o + "Takable", "предмет нельзя взять", report);
        const std::string title = Quoted(m.objects[i]->Title);
        // Read as 0: the object lies on the screen numbered 0, if there is one.
        const bool screenZero = world::ScreenIndexOf(m, 0) >= 0;
        MissingMeans(lines, file, o + "ScrWhere",
                     "ScrWhere читается как 0, и предмет " + title +
                         (screenZero ? " лежит на экране номер 0"
                                     : " лежит на экране номер 0, а такого экрана нет: предмета "
                                       "не будет нигде"),
                     report, kind::kKeys);
        MissingMeans(lines, file, o + "Visible",
                     "Visible читается как 0, и предмет " + title +
                         " скрыт: игрок его не увидит, пока скрипт не покажет его (show)",
                     report, kind::kKeys);
    }
    for (size_t i = 0; i < m.commands.size(); ++i) {
        const std::string c = "Cmd" + std::to_string(i);
        MissingMeans(lines, file, c + "cScr", "cScr 0: команда работает только на экране номер 0",
                     report);
    }
}

void CheckGameKeys(const Project& project, Report& report) {
    const world::TMyIniList& lines = project.gameLines;
    const std::string& file = project.gameFileName;
    CheckMisspelledKeys(lines, file, report);
    for (const world::GameListKey& list : world::GameListKeys()) {
        CheckListItems(lines, file, std::string("Game") + list.name, report);
    }
    const world::MGame* game = project.Game();
    if (game == nullptr) return;
    // The standard messages the player hears; an empty list is said as "не задано".
    // Death is told below, Intros are pages, and Ok the game never says.
    for (const auto& [name, list] : world::GameListKeys()) {
        if (list == &world::MGame::Death || list == &world::MGame::Intros ||
            list == &world::MGame::Ok)
            continue;
        if ((game->*list).lines.empty()) {
            report.Warning(file, std::string("Game") + name + "Cnt",
                           "список пуст: игрок услышит «не задано»");
        }
    }
    if (game->Death.lines.empty()) {
        report.Warning(file, "GameDeathCnt", "список пуст: смерть героя пройдёт без слов");
    }
    if (game->InitHealth < 1) {
        report.Error(file, "GameInitHealth",
                     (Has(lines, "GameInitHealth") ? std::to_string(game->InitHealth)
                                                   : std::string("нет строки, здоровье 0")) +
                         ": герой начинает без здоровья и погибнет на первом шаге");
    } else if (game->GoDecHealth >= game->InitHealth) {
        report.Error(file, "GameGoDecHealth",
                     "шаг стоит " + std::to_string(game->GoDecHealth) + " здоровья, а у героя " +
                         std::to_string(game->InitHealth) +
                         " (GameInitHealth): он погибнет на первом же шаге");
    }
}

}  // namespace velmora::check

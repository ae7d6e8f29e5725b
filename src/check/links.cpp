// Numbers, exits, the grid, where objects lie and what commands name.
#include <limits>
#include <map>
#include <unordered_map>
#include <utility>

#include "base/cp1251.h"
#include "check/checks.h"
#include "world/key_access.h"
#include "world/link.h"

namespace velmora::check {
namespace {

using world::MMap;

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about a
// literal prepended to a temporary string.
std::string Key(const char* section, size_t i, const char* key) {
    std::string text(section);
    text += std::to_string(i);
    text += key;
    return text;
}

std::string Cell(int64_t x, int64_t y) {
    std::string text("(");
    text += std::to_string(x);
    text += ", ";
    text += std::to_string(y);
    text += ")";
    return text;
}

// The lookups by number walk back from where a number would stand without
// gaps, so numbers must ascend and never be below their position.
template <typename Record, typename IndexOf>
void CheckNumbers(const LoadedMap& lm, const std::vector<std::unique_ptr<Record>>& records,
                  const char* section, const char* what, IndexOf indexOf, Report& report) {
    for (size_t i = 0; i < records.size(); ++i) {
        const int32_t no = records[i]->no;
        if (indexOf(lm.gp->map, no) == static_cast<int32_t>(i)) continue;
        report.Error(lm.fileName, Key(section, i, "no"),
                     std::string(what) + " номер " + std::to_string(no) +
                         " не находится по номеру: номера должны расти по порядку и быть не "
                         "меньше места в списке (" +
                         std::to_string(i) + ")");
    }
}

template <typename Record>
void CheckTitles(const LoadedMap& lm, const std::vector<std::unique_ptr<Record>>& records,
                 const char* section, const char* consequence, Report& report) {
    std::unordered_map<std::string, size_t> first;
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string& title = records[i]->Title;
        if (title.empty()) {
            report.Warning(lm.fileName, Key(section, i, "Title"), "пустое название");
            continue;
        }
        const auto [at, fresh] = first.emplace(base::LowerText1251(title), i);
        if (!fresh) {
            report.Warning(lm.fileName, Key(section, i, "Title"),
                           "то же название " + Quoted(title) + ", что у " + section +
                               std::to_string(at->second) + ": " + consequence);
        }
    }
}

struct Direction {
    const char* key;
    int32_t world::MScreen::*exit;
    int dx, dy;
};
constexpr Direction kDirections[] = {
    {"North", &world::MScreen::North, 0, 1},
    {"South", &world::MScreen::South, 0, -1},
    {"West", &world::MScreen::West, -1, 0},
    {"East", &world::MScreen::East, 1, 0},
};

// The screen a grid exit of s leads to in direction d, or -1.
int32_t Neighbour(const MMap& m, const world::MScreen& s, const Direction& d) {
    const int64_t x = int64_t{s.x} + d.dx;
    const int64_t y = int64_t{s.y} + d.dy;
    if (x < std::numeric_limits<int32_t>::min() || x > std::numeric_limits<int32_t>::max() ||
        y < std::numeric_limits<int32_t>::min() || y > std::numeric_limits<int32_t>::max()) {
        return -1;
    }
    return world::CellAt(m, static_cast<int32_t>(x), static_cast<int32_t>(y));
}

bool UsesGrid(const MMap& m) {
    for (const auto& s : m.screens) {
        for (const Direction& d : kDirections) {
            if ((*s).*d.exit < 0 && (*s).*d.exit != world::kExitNone) return true;
        }
    }
    return false;
}

void CheckExits(const LoadedMap& lm, Report& report) {
    const MMap& m = lm.gp->map;
    const bool grid = UsesGrid(m);
    // Screens by cell: two on one cell hide the earlier from the grid.
    std::map<std::pair<int32_t, int32_t>, std::vector<size_t>> cells;
    for (size_t i = 0; i < m.screens.size(); ++i)
        cells[{m.screens[i]->x, m.screens[i]->y}].push_back(i);
    if (grid && !lm.gridBuilt) {
        report.Error(lm.fileName, "",
                     "координаты экранов занимают " + std::to_string(m.gridWidth) + " x " +
                         std::to_string(m.gridHeight) + " клеток, больше " +
                         std::to_string(world::kMaxGridCells) +
                         ": выходы по карте (-1) никуда не ведут");
    }
    if (grid) {
        for (const auto& [cell, here] : cells) {
            if (here.size() < 2) continue;
            std::string names;
            for (size_t i : here)
                names += (names.empty() ? "" : ", ") + Quoted(m.screens[i]->Title);
            report.Warning(lm.fileName, Key("Scr", here.back(), "x"),
                           "экраны " + names + " стоят в одной клетке " +
                               Cell(cell.first, cell.second) +
                               ": по карте туда ведёт только последний");
        }
    }
    const int64_t count = static_cast<int64_t>(m.screens.size());
    for (size_t i = 0; i < m.screens.size(); ++i) {
        const world::MScreen& s = *m.screens[i];
        for (const Direction& d : kDirections) {
            const int32_t v = s.*d.exit;
            const std::string key = Key("Scr", i, d.key);
            if (v == world::kExitNone) continue;
            if (v >= 0) {
                if (v >= count) {
                    report.Error(lm.fileName, key,
                                 "выход ведёт на экран " + std::to_string(v) +
                                     ", а на карте экраны от 0 до " + std::to_string(count - 1));
                }
                continue;
            }
            if (v != world::kExitByGrid) {
                report.Warning(
                    lm.fileName, key,
                    "значение " + std::to_string(v) + " игра понимает как -1 (выход по карте)");
            }
            if (!lm.gridBuilt) continue;
            const int32_t target = Neighbour(m, s, d);
            if (target < 0) continue;
            const world::MScreen& there = *m.screens[static_cast<size_t>(target)];
            const auto it = cells.find({there.x, there.y});
            if (it == cells.end() || it->second.size() < 2) continue;
            report.Error(lm.fileName, key,
                         "выход по карте ведёт в клетку " + Cell(there.x, there.y) +
                             ", где стоят " + std::to_string(it->second.size()) +
                             " экрана: игра поведёт на " +
                             Quoted(m.screens[it->second.back()]->Title) + ", а не на " +
                             Quoted(m.screens[it->second.front()]->Title));
        }
    }
}

void CheckObjects(const LoadedMap& lm, Report& report) {
    const MMap& m = lm.gp->map;
    for (size_t j = 0; j < m.objects.size(); ++j) {
        const world::MObj& o = *m.objects[j];
        if (o.ScrWhere >= 0 && world::ScreenByNumber(m, o.ScrWhere) == nullptr) {
            report.Error(lm.fileName, Key("Obj", j, "ScrWhere"),
                         "предмет " + Quoted(o.Title) + " лежит на экране номер " +
                             std::to_string(o.ScrWhere) +
                             ", а такого экрана нет: его не будет нигде");
        }
    }
}

void CheckCommands(const LoadedMap& lm, Report& report) {
    const MMap& m = lm.gp->map;
    for (size_t k = 0; k < m.commands.size(); ++k) {
        const world::MScript& c = *m.commands[k];
        const std::string title = Quoted(c.Title);
        if (c.cObj1 < 0) {
            report.Warning(
                lm.fileName, Key("Cmd", k, "cObj1"),
                "команда " + title + " не привязана ни к одному предмету: игрок её не найдёт");
        } else if (world::ObjectByNumber(m, c.cObj1) == nullptr) {
            report.Error(lm.fileName, Key("Cmd", k, "cObj1"),
                         "предмета номер " + std::to_string(c.cObj1) + " нет: команда " + title +
                             " не будет предложена");
        }
        if (c.cObj1 >= 0 && world::ObjectByNumber(m, c.cObj2) == nullptr) {
            report.Error(lm.fileName, Key("Cmd", k, "cObj2"),
                         "предмета номер " + std::to_string(c.cObj2) + " нет: команда " + title +
                             " никогда не сработает");
        }
        if (c.cScr >= 0 && world::ScreenByNumber(m, c.cScr) == nullptr) {
            report.Error(lm.fileName, Key("Cmd", k, "cScr"),
                         "экрана номер " + std::to_string(c.cScr) + " нет: команда " + title +
                             " никогда не сработает");
        } else if (c.cScr == -1) {
            report.Warning(
                lm.fileName, Key("Cmd", k, "cScr"),
                "-1: команда " + title + " не работает ни на одном экране (на любом: -2)");
        }
        // A missing key reads as 0 too.
        std::string_view given;
        if (c.Enabled == 0) {
            const std::string key = Key("Cmd", k, "Enabled");
            report.Warning(lm.fileName, key,
                           std::string(lm.lines.Find(key, given) ? "0" : "нет строки, значит 0") +
                               ": команда " + title +
                               " никогда не выполнится (игра её не включает)");
        }
        if (c.MaxOnce <= 0) {
            const std::string key = Key("Cmd", k, "MaxOnce");
            report.Warning(lm.fileName, key,
                           (lm.lines.Find(key, given) ? std::to_string(c.MaxOnce)
                                                      : std::string("нет строки, значит 0")) +
                               ": команда " + title + " никогда не выполнится");
        }
    }
}

// Whether a script has a line that may take the hero off his screen or end
// the game: go, map, die, exit, open, or health that may kill.
bool MayLeave(const std::string& script) {
    for (const std::string& line : world::SplitLines(script)) {
        const std::string_view t = base::TrimBlanks(line);
        const size_t space = t.find(' ');
        const std::string keyword = base::LowerText1251(t.substr(0, space));
        if (keyword == "go" || keyword == "map" || keyword == "die" || keyword == "exit" ||
            keyword == "open" || keyword == "health") {
            return true;
        }
        if (keyword == "ifnt" || keyword == "force" || keyword == "call") return true;  // runs more
    }
    return false;
}

// Whether some script of the map names the object after a statement that
// moves objects (take, drop, hide, show): it may then be brought elsewhere.
bool ScriptsMove(const MMap& m, const std::string& title) {
    const std::string lower = base::LowerText1251(title);
    const auto names = [&](const std::string& script) {
        for (const std::string& line : world::SplitLines(script)) {
            const std::string t = base::LowerText1251(base::TrimBlanks(line));
            for (const char* verb : {"take ", "drop ", "show ", "hide "}) {
                if (t.find(std::string(verb) + lower) != std::string::npos) return true;
            }
        }
        return false;
    };
    for (const auto& s : m.screens) {
        for (const std::string* t : {&s->OnEnter, &s->OnAnyAct, &s->OnRest, &s->OnGo})
            if (names(*t)) return true;
        for (const std::string& t : s->Scripts.lines)
            if (names(t)) return true;
    }
    for (const auto& o : m.objects) {
        for (const std::string* t : {&o->OnExam, &o->OnTake, &o->OnDrop})
            if (names(*t)) return true;
    }
    for (const auto& c : m.commands) {
        if (names(world::JoinLines(c->script))) return true;
    }
    return false;
}

// Screens with no exit whose scripts never move the hero on nor end the game:
// a player who comes there can only quit.
void CheckWayOut(const LoadedMap& lm, const std::vector<bool>& reached, Report& report) {
    const MMap& m = lm.gp->map;
    bool objectsMove = false;  // an object's script runs wherever it is carried
    for (const auto& o : m.objects) {
        objectsMove =
            objectsMove || MayLeave(o->OnExam) || MayLeave(o->OnTake) || MayLeave(o->OnDrop);
    }
    if (objectsMove) return;
    for (size_t i = 0; i < m.screens.size(); ++i) {
        if (!reached[i]) continue;  // told already
        const world::MScreen& s = *m.screens[i];
        bool exit = false;
        for (const Direction& d : kDirections) {
            const int32_t v = s.*d.exit;
            if (v >= 0 || (v != world::kExitNone && lm.gridBuilt && Neighbour(m, s, d) >= 0))
                exit = true;
        }
        if (exit || !s.DieOnRest.empty() || MayLeave(s.OnEnter) || MayLeave(s.OnAnyAct) ||
            MayLeave(s.OnRest)) {
            continue;
        }
        bool leaves = false;
        for (const std::string& t : s.Scripts.lines) leaves = leaves || MayLeave(t);
        for (const auto& c : m.commands) {
            if (c->cScr == s.no || c->cScr <= -2)
                leaves = leaves || MayLeave(world::JoinLines(c->script));
        }
        if (leaves) continue;
        report.Warning(lm.fileName, Key("Scr", i, "Title"),
                       "с экрана " + Quoted(s.Title) +
                           " нет выхода, и ни один скрипт, что может выполниться на нём, не "
                           "ведёт дальше (go, map, open) и не кончает игру (die, exit): игрок "
                           "застрянет; если это конец игры, закончите его строкой exit",
                       kind::kDeadEnd);
    }
}

// Commands whose conditions never all hold: their screen is never reached,
// or their second object lies elsewhere and cannot be brought there.
void CheckCommandsCanHold(const LoadedMap& lm, const std::vector<bool>& reached, Report& report) {
    const MMap& m = lm.gp->map;
    for (size_t k = 0; k < m.commands.size(); ++k) {
        const world::MScript& c = *m.commands[k];
        if (c.cScr < 0 || c.cObj1 < 0) continue;
        const int32_t at = world::ScreenIndexOf(m, c.cScr);
        if (at < 0 || static_cast<size_t>(at) >= m.screens.size()) continue;  // told already
        const world::MScreen& s = *m.screens[static_cast<size_t>(at)];
        if (!reached[static_cast<size_t>(at)]) {
            report.Warning(lm.fileName, Key("Cmd", k, "cScr"),
                           "команда " + Quoted(c.Title) + " работает только на экране " +
                               Quoted(s.Title) + ", куда игрок не попадёт: она не сработает",
                           kind::kDeadEnd);
            continue;
        }
        const world::MObj* second = world::ObjectByNumber(m, c.cObj2);
        if (second == nullptr || c.cObj2Carry != 0 || second->ScrWhere < 0 ||
            second->ScrWhere == c.cScr || second->Takable != 0 || ScriptsMove(m, second->Title)) {
            continue;
        }
        report.Warning(lm.fileName, Key("Cmd", k, "cObj2"),
                       "предмет " + Quoted(second->Title) + " лежит на экране номер " +
                           std::to_string(second->ScrWhere) +
                           ", его нельзя взять и ни один "
                           "скрипт его не переносит, а команда " +
                           Quoted(c.Title) + " работает только на экране " + Quoted(s.Title) +
                           ": она не сработает",
                       kind::kDeadEnd);
    }
}

}  // namespace

void CheckReachable(const LoadedMap& lm, const Journeys& journeys, Report& report) {
    const MMap& m = lm.gp->map;
    if (m.screens.empty()) return;
    if (journeys.enteredAnywhere.contains(lm.number)) {
        CheckWayOut(lm, std::vector<bool>(m.screens.size(), true), report);
        return;
    }
    std::vector<size_t> todo;
    if (lm.number == 1) todo.push_back(0);  // a game starts on the first screen
    for (const auto* from : {&journeys.entries, &journeys.goTargets}) {
        if (const auto it = from->find(lm.number); it != from->end()) {
            todo.insert(todo.end(), it->second.begin(), it->second.end());
        }
    }
    // A script that opens an exit may open any: every grid neighbour counts then.
    const bool opened = journeys.opened.contains(lm.number);
    std::vector<bool> reached(m.screens.size(), false);
    while (!todo.empty()) {
        const size_t at = todo.back();
        todo.pop_back();
        if (at >= reached.size() || reached[at]) continue;
        reached[at] = true;
        const world::MScreen& s = *m.screens[at];
        for (const Direction& d : kDirections) {
            const int32_t v = s.*d.exit;
            int32_t target = v;
            if (v < 0 && (v != world::kExitNone || opened)) target = Neighbour(m, s, d);
            if (target >= 0) todo.push_back(static_cast<size_t>(target));
        }
    }
    for (size_t i = 0; i < m.screens.size(); ++i) {
        if (reached[i]) continue;
        report.Warning(lm.fileName, Key("Scr", i, "Title"),
                       "на экран " + Quoted(m.screens[i]->Title) +
                           " не ведут ни выходы, ни go, ни смена карты: игрок его не увидит",
                       kind::kUnreachable);
    }
    CheckWayOut(lm, reached, report);
    CheckCommandsCanHold(lm, reached, report);
}

void CheckMapLinks(const LoadedMap& lm, Report& report) {
    const MMap& m = lm.gp->map;
    if (m.screens.empty()) {
        report.Error(lm.fileName, "MapScrCount",
                     "на карте нет ни одного экрана: герою негде стоять");
    }
    CheckNumbers(lm, m.screens, "Scr", "экран", world::ScreenIndexOf, report);
    CheckNumbers(lm, m.objects, "Obj", "предмет", world::ObjectIndexOf, report);
    CheckNumbers(lm, m.commands, "Cmd", "команда", world::CommandIndexOf, report);
    CheckTitles(lm, m.screens, "Scr", "go найдёт только первый", report);
    CheckTitles(lm, m.objects, "Obj", "скрипты найдут только первый", report);
    CheckExits(lm, report);
    CheckObjects(lm, report);
    CheckCommands(lm, report);
}

}  // namespace velmora::check

// Every script of a map checked where it runs, then what the scripts leave
// of its objects: never to be carried, or hidden for good.
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "check/checks.h"
#include "check/script_checker.h"
#include "world/key_access.h"
#include "world/link.h"

namespace velmora::check {
namespace {

std::string Key(const char* section, size_t i, const std::string& key) {
    return section + std::to_string(i) + key;
}

}  // namespace

void CheckMapScripts(const Project& project, const LoadedMap& map, Journeys& journeys,
                     Report& report) {
    const world::MMap& m = map.gp->map;
    ScriptChecker checker(project, map, journeys, report);
    // A take, a walk or a rest whose script runs no line is cancelled, and
    // nothing is said.
    const auto silent = [&](const std::string& key, bool mayRunNothing) {
        if (!mayRunNothing) return;
        report.Warning(map.fileName, key,
                       "каждая строка скрипта стоит в блоке, условие которого может быть ложно: "
                       "когда ни одна не выполнится, скрипт вернёт «нет», и игра молча отменит "
                       "действие (добавьте else со словами)",
                       kind::kDeadEnd);
    };
    for (size_t i = 0; i < m.screens.size(); ++i) {
        const world::MScreen& s = *m.screens[i];
        checker.Check(Key("Scr", i, "OnAnyAct"), s.OnAnyAct, {i});
        silent(Key("Scr", i, "OnRest"), checker.Check(Key("Scr", i, "OnRest"), s.OnRest, {i}));
        silent(Key("Scr", i, "OnGo"), checker.Check(Key("Scr", i, "OnGo"), s.OnGo, {i}));
        checker.Check(Key("Scr", i, "OnEnter"), s.OnEnter, {i});
        for (size_t j = 0; j < s.Scripts.lines.size(); ++j) {
            checker.Check(Key("Scr", i, "Scripts" + std::to_string(j)), s.Scripts.lines[j], {i});
        }
    }
    // Objects go with the hero: their scripts may run on any screen.
    for (size_t j = 0; j < m.objects.size(); ++j) {
        const world::MObj& o = *m.objects[j];
        checker.Check(Key("Obj", j, "OnExam"), o.OnExam, {});
        silent(Key("Obj", j, "OnTake"), checker.Check(Key("Obj", j, "OnTake"), o.OnTake, {}));
        checker.Check(Key("Obj", j, "OnDrop"), o.OnDrop, {});  // a drop cannot be refused
    }
    for (size_t k = 0; k < m.commands.size(); ++k) {
        const world::MScript& c = *m.commands[k];
        std::vector<size_t> where;
        if (c.cScr >= 0) {
            const int32_t at = world::ScreenIndexOf(m, c.cScr);
            if (at < 0 || static_cast<size_t>(at) >= m.screens.size()) continue;  // never runs
            where.push_back(static_cast<size_t>(at));
        }
        // A command that fails says ICant: never silent.
        checker.Check(Key("Cmd", k, "list->Text"), world::JoinLines(c.script), where);
    }
    for (size_t j = 0; j < m.objects.size(); ++j) {
        const world::MObj& o = *m.objects[j];
        const std::string title = base::LowerText1251(o.Title);
        // The load may never go above 100.
        const bool tooHeavy = o.Weight > 100;
        const bool neverTaken = o.Takable == 0 && !checker.MayBeGiven(title);
        if (tooHeavy && checker.MayBeGiven(title)) {
            // a script's take may still hand it over
        } else if (tooHeavy || neverTaken) {
            if (const auto asked = checker.AskedCarried().find(title);
                asked != checker.AskedCarried().end()) {
                report.Warning(map.fileName, asked->second,
                               "условие carry " + Shown(o.Title) + " никогда не верно: предмет " +
                                   Quoted(o.Title) +
                                   (tooHeavy ? " тяжелее предела ноши 100"
                                             : " нельзя взять (Takable 0), и ни один скрипт не "
                                               "делает его takeable и не берёт его"),
                               kind::kDeadEnd);
            }
            for (const auto& c : m.commands) {
                const bool first = c->cObj1 == o.no && c->cObj1Carry != 0;
                const bool second = c->cObj2 == o.no && c->cObj2Carry != 0 && c->cObj1 >= 0;
                if (!first && !second) continue;
                Finding finding{
                    Severity::Warning, map.fileName, Key("Obj", j, tooHeavy ? "Weight" : "Takable"),
                    "команда " + Quoted(c->Title) + " требует нести предмет " + Quoted(o.Title) +
                        (tooHeavy ? ", а он весит " + std::to_string(o.Weight) +
                                        ", больше предела ноши 100"
                                  : std::string(", а его нельзя взять (Takable 0) и "
                                                "ни один скрипт карты не делает его "
                                                "takeable")) +
                        ": команда не сработает",
                    kind::kDeadEnd};
                finding.proven = true;
                report.Add(std::move(finding));
                break;
            }
        }
        if (o.Visible != 0 || checker.ShownObjects().contains(title)) continue;
        // A hidden object a command needs makes that command a proven dead end.
        const world::MScript* needing = nullptr;
        for (const auto& c : m.commands) {
            if (c->cObj1 == o.no || (c->cObj2 == o.no && c->cObj1 >= 0)) {
                needing = c.get();
                break;
            }
        }
        Finding finding{
            Severity::Warning, map.fileName, Key("Obj", j, "Visible"),
            "предмет " + Quoted(o.Title) + " скрыт, и ни один скрипт карты его не показывает" +
                (needing != nullptr ? ", а команда " + Quoted(needing->Title) +
                                          " без него не сработает"
                                    : std::string()),
            kind::kDeadEnd};
        finding.proven = needing != nullptr;
        report.Add(std::move(finding));
    }
}

}  // namespace velmora::check

// What a line names on the maps the hero may be on: objects, screens by
// title, items of a screen's lists, and the map a `map` enters.
#include "base/cp1251.h"
#include "check/script_checker.h"

namespace velmora::check {

// The object a statement or condition names by title, looked up on every
// map the hero may be on; false when it is on none.
bool ScriptChecker::Object(const std::vector<std::string>& words, size_t i, size_t n,
                           std::string_view line, Severity severity,
                           const std::string& consequence) {
    if (i >= words.size()) {
        Problem(severity, n, line, "не назван предмет" + consequence, kind::kNothing);
        return false;
    }
    const std::string lower = base::LowerText1251(words[i]);
    std::vector<const Tables*> lacking;
    for (const Place& p : where_) {
        if (!p.at->objects.contains(lower)) lacking.push_back(p.at);
    }
    if (lacking.empty()) return true;
    const Tables& t = *lacking.front();
    std::string hint;
    const auto spaced = t.spacedObjects.find(lower);
    if (spaced != t.spacedObjects.end()) {
        hint = " (название " + Quoted(spaced->second) + " с пробелом скрипт назвать не может)";
    } else {
        hint = DidYouMean(words[i], t.objectTitles);
    }
    if (lacking.size() < where_.size()) {
        Warning(n, line,
                "предмета " + Quoted(words[i]) + " нет на карте map" + std::to_string(t.number) +
                    ".ini, где может оказаться герой" + hint +
                    (consequence.empty() ? "" : " (там" + consequence.substr(1) + ")"),
                kind::kNothing);
        return true;
    }
    // A show of no object on any map the hero may be on: whatever it was
    // to show stays hidden.
    const bool proven = base::LowerText1251(words[0]) == "show";
    Problem(severity, n, line,
            "предмета " + Quoted(words[i]) + " на этой карте нет" + hint + consequence,
            kind::kNothing, proven);
    return false;
}

// An item N of a screen's list (Messages, Scripts): `severity` when every
// screen the hero may stand on lacks it, a warning when only some do.
void ScriptChecker::ScreenItem(int32_t number, world::MessageList world::MScreen::*list,
                               const char* what, Severity severity, const char* kind,
                               const std::string& consequence, size_t n, std::string_view line) {
    const size_t wanted = static_cast<size_t>(number);
    size_t cases = 0;
    std::vector<std::string> lacking;
    for (const Place& p : where_) {
        const world::MMap& m = *p.at->map;
        if (p.anywhere) {
            ++cases;
            const size_t most =
                list == &world::MScreen::Messages ? p.at->mostMessages : p.at->mostScripts;
            if (!m.screens.empty() && wanted > most) {
                lacking.push_back("ни у одного экрана карты нет " + std::string(what) + " номер " +
                                  std::to_string(number));
            }
            continue;
        }
        for (size_t i : p.here) {
            ++cases;
            const world::MScreen& s = *m.screens[i];
            if (wanted <= (s.*list).lines.size()) continue;
            lacking.push_back("у экрана " + Quoted(s.Title) + " " + what + " " +
                              std::to_string((s.*list).lines.size()) + ", номера " +
                              std::to_string(number) + " нет");
        }
    }
    if (lacking.empty()) return;
    std::string text;
    for (const std::string& l : lacking) text += (text.empty() ? "" : "; ") + l;
    if (lacking.size() < cases) {
        Warning(n, line, text + " (если герой там)" + consequence, kind);
    } else {
        Problem(severity, n, line, text + consequence, kind);
    }
}

// `go`: on each map the hero may be on, to the screen of that title; where
// there is none, he stays.
void ScriptChecker::GoTarget(const std::string& title, const std::vector<std::string>& words,
                             size_t n, std::string_view line) {
    const std::string lower = base::LowerText1251(title);
    size_t found = 0;
    for (Place& p : where_) {
        const auto it = p.at->screens.find(lower);
        if (it == p.at->screens.end()) continue;
        p.here = {it->second};
        p.anywhere = false;
        journeys_.goTargets[p.at->number].insert(it->second);
        ++found;
    }
    if (found == where_.size()) return;
    const Tables& t = *where_.front().at;
    std::string hint;
    for (const auto& [name, pos] : t.screens) {
        if (name.size() > lower.size() && name.starts_with(lower + " ")) {
            hint = " (название " + Quoted(t.map->screens[pos]->Title) +
                   " с пробелом скрипт назвать не может: go читает одно слово)";
            break;
        }
    }
    if (hint.empty()) hint = DidYouMean(title, t.screenTitles);
    if (found > 0) {
        Warning(n, line,
                "экрана " + Quoted(title) + " нет на одной из карт, где может быть герой" + hint +
                    ": там он останется на месте");
        return;
    }
    if (words.size() > 2 && hint.empty()) hint = " (go читает только одно слово)";
    Nothing(n, line,
            "экрана " + Quoted(title) + " на этой карте нет" + hint +
                ": строка ничего не делает, герой остаётся на месте");
}

// `map N` enters map<N+1>.ini with the hero on the position he stands on
// now; the game refuses a map without that position, and he stays. The
// lines after it act on the new map.
void ScriptChecker::Map(int32_t index, size_t n, std::string_view line) {
    const int64_t k = int64_t{index} + 1;
    const LoadedMap* target = index >= 0 ? project_.MapByNumber(k) : nullptr;
    if (target == nullptr) {
        Error(n, line, "нет файла карты map" + std::to_string(k) + ".ini: игра не сменит карту");
        return;
    }
    if (!target->gp) return;  // its own load error is reported
    const Tables& to = TablesOf(*target);
    const size_t count = target->gp->map.screens.size();
    const std::string there =
        "на карте map" + std::to_string(k) + ".ini экранов " + std::to_string(count);
    Where after;
    Place entered{&to, false, {}};
    std::vector<std::string> refused;
    size_t cases = 0;
    for (const Place& p : where_) {
        const world::MMap& m = *p.at->map;
        if (p.anywhere) {
            ++cases;
            if (m.screens.size() > count) {
                Warning(n, line,
                        there + ", а герой может стоять здесь на экране до " +
                            std::to_string(m.screens.size() - 1) + ": там игра не сменит карту");
                Add(after, p);
            }
            entered.anywhere = true;
            continue;
        }
        Place stays{p.at, false, {}};
        for (size_t pos : p.here) {
            ++cases;
            if (pos < count) {
                entered.here.insert(pos);
                continue;
            }
            stays.here.insert(pos);
            refused.push_back("герой стоит на экране " + std::to_string(pos) + " (" +
                              Quoted(m.screens[pos]->Title) + ")");
        }
        if (!stays.here.empty()) Add(after, stays);
    }
    if (!refused.empty()) {
        std::string text;
        for (const std::string& r : refused) text += (text.empty() ? "" : "; ") + r;
        Problem(refused.size() < cases ? Severity::Warning : Severity::Error, n, line,
                there + ", а " + text + ": игра не сменит карту", kind::kDeadEnd);
    }
    if (entered.anywhere || !entered.here.empty()) {
        if (entered.anywhere) entered.here.clear();
        if (entered.anywhere) {
            journeys_.enteredAnywhere.insert(target->number);
        } else {
            journeys_.entries[target->number].insert(entered.here.begin(), entered.here.end());
        }
        Add(after, entered);
    }
    where_ = std::move(after);
}

}  // namespace velmora::check

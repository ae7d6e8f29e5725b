// Scripts read as the runner reads them: the same block scan, the same
// statement and condition keywords, then every name checked against the map.
#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/cp1251.h"
#include "check/checks.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "rules/texts.h"
#include "world/key_access.h"
#include "world/link.h"

namespace velmora::check {
namespace {

using rules::ArgKind;

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool Indented(std::string_view raw) {
    return !raw.empty() && static_cast<unsigned char>(raw[0]) <= ' ';
}

// One script: where it stands and where the hero may be when it runs.
class ScriptChecker {
  public:
    ScriptChecker(const Project& project, const LoadedMap& map, Journeys& journeys, Report& report)
        : project_(project), map_(map), journeys_(journeys), report_(report) {}

    // `screens`: the positions the hero may stand on when the script runs;
    // none: any screen.
    void Check(const std::string& key, const std::string& text,
               const std::vector<size_t>& screens) {
        if (text.empty()) return;
        key_ = key;
        where_.at = &TablesOf(map_);
        where_.anywhere = screens.empty();
        where_.here = std::set<size_t>(screens.begin(), screens.end());
        const std::vector<std::string> lines = world::SplitLines(text);
        std::vector<size_t> numbers(lines.size());
        for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = i + 1;
        Lines(lines, numbers, 1);
    }

    // The objects some script shows (lower-cased titles).
    const std::unordered_set<std::string>& ShownObjects() const { return shown_; }

  private:
    void Problem(Severity severity, size_t number, std::string_view line, const std::string& text) {
        std::string shown(base::TrimBlanks(line));
        if (shown.size() > 60) shown = shown.substr(0, 57) + "...";
        report_.Add({severity, map_.fileName, key_,
                     "строка " + std::to_string(number) + " " + Quoted(shown) + ": " + text});
    }
    void Error(size_t n, std::string_view line, const std::string& text) {
        Problem(Severity::Error, n, line, text);
    }
    void Warning(size_t n, std::string_view line, const std::string& text) {
        Problem(Severity::Warning, n, line, text);
    }

    // The runner's walk over one script or branch.
    void Lines(const std::vector<std::string>& lines, const std::vector<size_t>& numbers,
               int depth) {
        if (depth > rules::kMaxScriptDepth) {
            Error(numbers.front(), lines.front(),
                  "блоки вложены глубже " + std::to_string(rules::kMaxScriptDepth) +
                      ": игра этот блок не выполнит");
            return;
        }
        std::string stopper;  // the die, exit or ret after which this level stops
        bool unreachableTold = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = base::TrimBlanks(lines[i]);
            if (line.empty()) continue;
            if (!stopper.empty() && !unreachableTold) {
                Warning(numbers[i], line,
                        "строка после " + stopper + " никогда не выполнится: скрипт там кончается");
                unreachableTold = true;  // once per level
            }
            if (!rules::OpensBlock(line)) {
                Statement(lines[i], line, numbers[i]);
                const std::vector<std::string> words = rules::Rules::SplitWords(line);
                const std::string keyword = base::LowerText1251(words.front());
                if (stopper.empty() &&
                    (keyword == "die" || keyword == "exit" || keyword == "ret")) {
                    stopper = keyword + " (строка " + std::to_string(numbers[i]) + ")";
                }
                continue;
            }
            if (depth > 1 && Indented(lines[i])) {
                Error(numbers[i], line,
                      "if с отступом внутри блока: внешний блок его не видит, и его endif "
                      "закроет внешний блок");
            }
            const rules::BlockLines block = rules::ScanBlock(lines, i);
            if (block.endLine == 0) {
                std::string hint;
                for (size_t j = i + 1; j < lines.size(); ++j) {
                    if (Indented(lines[j]) && StartsWith(base::TrimBlanks(lines[j]), "endif")) {
                        hint = " (endif с отступом игра не узнаёт: только с первой колонки)";
                        break;
                    }
                }
                Error(numbers[i], line,
                      "блок без endif: игра остановит скрипт на этой строке" + hint);
                return;
            }
            Condition(line.substr(2), numbers[i], line);
            // The scan takes any line that starts with else or endif: the
            // rest of it is never read.
            if (block.elseLine != 0) {
                const std::string_view e = base::TrimBlanks(lines[block.elseLine]);
                if (e != "else") {
                    Error(numbers[block.elseLine], e,
                          "игра читает эту строку как else, остальное в ней пропускает: ветка "
                          "выполнится без этого условия");
                }
            }
            const std::string_view end = base::TrimBlanks(lines[block.endLine]);
            if (end != "endif") {
                Warning(numbers[block.endLine], end,
                        "игра читает эту строку как endif, остальное в ней пропускает");
            }
            // Each branch starts where the hero stands before the block; after
            // it he stands where a branch that moved him left him.
            const Where before = where_;
            const size_t trueEnd = block.elseLine != 0 ? block.elseLine : block.endLine;
            Branch(lines, numbers, i + 1, trueEnd, depth);
            const Where afterTrue = std::exchange(where_, before);
            if (block.elseLine != 0)
                Branch(lines, numbers, block.elseLine + 1, block.endLine, depth);
            if (afterTrue != before) where_ = afterTrue;
            i = block.endLine;
        }
    }

    void Branch(const std::vector<std::string>& lines, const std::vector<size_t>& numbers,
                size_t from, size_t to, int depth) {
        if (to <= from) return;
        if (to - from == 1) {
            // One line is run as a statement, even an opener.
            Statement(lines[from], base::TrimBlanks(lines[from]), numbers[from]);
            return;
        }
        const auto f = static_cast<std::ptrdiff_t>(from);
        const auto t = static_cast<std::ptrdiff_t>(to);
        Lines(std::vector<std::string>(lines.begin() + f, lines.begin() + t),
              std::vector<size_t>(numbers.begin() + f, numbers.begin() + t), depth + 1);
    }

    void Condition(std::string_view condition, size_t n, std::string_view line) {
        const std::vector<std::string> words = rules::Rules::SplitWords(condition);
        if (words.empty()) {
            Error(n, line, "if без условия: оно всегда ложно");
            return;
        }
        const std::string keyword = base::LowerText1251(words[0]);
        if (!rules::IsConditionKeyword(keyword)) {
            Error(n, line, "неизвестное условие " + Quoted(words[0]) + ": оно всегда ложно");
            return;
        }
        const auto number = [&](size_t i) -> std::optional<int32_t> {
            if (i >= words.size()) {
                Error(n, line, "у условия " + keyword + " нет числа: оно всегда ложно");
                return std::nullopt;
            }
            const auto v = world::TryParseInt32(words[i]);
            if (!v) Error(n, line, Quoted(words[i]) + " не число: условие всегда ложно");
            return v;
        };
        if (keyword == "done") {
            const auto v = number(1);
            if (v && world::CommandByNumber(M(), *v) == nullptr) {
                Error(n, line,
                      "команды номер " + std::to_string(*v) + " нет: условие всегда ложно");
            }
        } else if (keyword == "curss") {
            number(1);
        } else if (keyword == "ostat") {
            if (Object(words, 1, n, line)) number(2);
        } else if (keyword == "carry") {
            Object(words, 1, n, line);
        } else if (keyword == "going" && words.size() > 1) {
            const auto v = number(1);
            if (v && *v >= 0 && static_cast<size_t>(*v) >= M().screens.size()) {
                Error(n, line,
                      "экрана на месте " + std::to_string(*v) + " нет: условие всегда ложно");
            }
        }
    }

    // The object a statement or condition names by title; false when there is none.
    bool Object(const std::vector<std::string>& words, size_t i, size_t n, std::string_view line) {
        if (i >= words.size()) {
            Error(n, line, "не назван предмет");
            return false;
        }
        if (where_.at->objects.contains(base::LowerText1251(words[i]))) return true;
        std::string hint;
        const auto spaced = where_.at->spacedObjects.find(base::LowerText1251(words[i]));
        if (spaced != where_.at->spacedObjects.end()) {
            hint = " (название " + Quoted(spaced->second) + " с пробелом скрипт назвать не может)";
        }
        Error(n, line, "предмета " + Quoted(words[i]) + " на этой карте нет" + hint);
        return false;
    }

    // An item N of a screen's list (Messages, Scripts): flagged where the
    // hero surely stands and the screen lacks it, or when no screen has it.
    void ScreenItem(int32_t number, world::MessageList world::MScreen::*list, const char* what,
                    Severity severity, size_t n, std::string_view line) {
        const size_t wanted = static_cast<size_t>(number);
        if (where_.anywhere) {
            const size_t most = list == &world::MScreen::Messages ? where_.at->mostMessages
                                                                  : where_.at->mostScripts;
            if (!M().screens.empty() && wanted > most) {
                Problem(severity, n, line,
                        "ни у одного экрана карты нет " + std::string(what) + " номер " +
                            std::to_string(number));
            }
            return;
        }
        for (size_t i : where_.here) {
            const world::MScreen& s = *M().screens[i];
            if (wanted <= (s.*list).lines.size()) continue;
            Problem(severity, n, line,
                    "у экрана " + Quoted(s.Title) + " " + what + " " +
                        std::to_string((s.*list).lines.size()) + ", номера " +
                        std::to_string(number) + " нет");
        }
    }

    void Statement(std::string_view raw, std::string_view line, size_t n) {
        const std::vector<std::string> words = rules::Rules::SplitWords(line);
        if (words.empty()) return;
        const std::string keyword = base::LowerText1251(words[0]);
        if (keyword == "if" || keyword == "else" || keyword == "endif") {
            BlockWordOutOfPlace(raw, line, words[0], keyword, n);
            return;
        }
        const rules::StatementForm* form = rules::FindStatement(keyword);
        if (form == nullptr) {
            Error(n, line,
                  "неизвестная команда " + Quoted(words[0]) +
                      (rules::IsConditionKeyword(keyword) ? " (условие без if)" : "") +
                      ": строка ничего не делает");
            return;
        }
        if (words.size() - 1 < form->required) {
            Error(n, line,
                  "не хватает аргументов: " + keyword + " ждёт " + std::to_string(form->required));
            return;
        }
        std::vector<std::optional<int32_t>> numbers(form->args.size());
        for (size_t a = 0; a < form->args.size(); ++a) {
            const size_t w = a + 1;
            if (w >= words.size()) break;
            switch (form->args[a]) {
                case ArgKind::Object:
                    if (!Object(words, w, n, line)) return;
                    break;
                case ArgKind::Number:
                    numbers[a] = world::TryParseInt32(words[w]);
                    if (!numbers[a]) {
                        Error(n, line,
                              Quoted(words[w]) + " не число: игра возьмёт число по умолчанию");
                        return;
                    }
                    break;
                case ArgKind::Direction: {
                    const std::string d = base::LowerText1251(words[w]);
                    if (d != rules::texts::NorthWord() && d != rules::texts::SouthWord() &&
                        d != rules::texts::EastWord() && d != rules::texts::WestWord() &&
                        d != "n" && d != "s" && d != "e" && d != "w") {
                        Error(n, line,
                              Quoted(words[w]) +
                                  " не направление (север, юг, восток, запад, n, s, e, w)");
                        return;
                    }
                    break;
                }
                case ArgKind::Screen:
                    GoTarget(words[w], n, line);
                    break;
                case ArgKind::Text:
                case ArgKind::Statement:
                    break;
            }
        }
        if (keyword == "show") shown_.insert(base::LowerText1251(words[1]));
        if (keyword == "open") journeys_.opened.insert(where_.at->number);
        const auto num = [&](size_t a, int32_t fallback) {
            return a < numbers.size() && numbers[a] ? *numbers[a] : fallback;
        };
        const std::string_view rest = line.size() > 3 ? base::TrimBlanks(line.substr(3)) : "";
        if (keyword == "say" && rest.empty()) {
            Warning(n, line, "say без текста ничего не говорит");
        } else if (keyword == "snd" && !project_.HasSoundFile(line.substr(3))) {
            Error(n, line,
                  "нет звукового файла " + Quoted(rest) + " ни в папке Snd проекта, ни в Media");
        } else if (keyword == "mes") {
            const int32_t v = num(0, 1);
            if (v < 1) {
                Warning(n, line, "mes " + std::to_string(v) + " ничего не говорит");
            } else {
                ScreenItem(v, &world::MScreen::Messages, "сообщений", Severity::Warning, n, line);
            }
        } else if (keyword == "call" || keyword == "force") {
            const int32_t v = num(0, keyword == "call" ? 1 : 0);
            if (v < 1 && !(keyword == "force" && v == 0)) {
                Error(n, line, keyword + " " + std::to_string(v) + " ничего не выполнит");
            } else if (v >= 1) {
                ScreenItem(v, &world::MScreen::Scripts, "скриптов", Severity::Error, n, line);
            }
        } else if (keyword == "frame") {
            Frame(num(0, -1), n, line);
        } else if ((keyword == "state" && num(0, -1) < 0) ||
                   (keyword == "setostat" && num(1, -1) < 0)) {
            Warning(n, line, "отрицательное состояние: строка ничего не меняет");
        } else if (keyword == "inter") {
            const int32_t v = num(0, 0);
            const world::MGame* game = project_.Game();
            const size_t pages = game != nullptr ? game->Intros.lines.size() : 0;
            if (v < 1 || static_cast<size_t>(v) > pages) {
                Error(n, line,
                      "страниц Intros " + std::to_string(pages) + ", номера " + std::to_string(v) +
                          " нет: строка ничего не делает");
            }
        } else if (keyword == "die") {
            Die(num(0, 0), num(1, -1), n, line);
        } else if (keyword == "map") {
            Map(num(0, 0), n, line);
        } else if (keyword == "ifnt") {
            const int32_t v = num(0, 0);
            if (v == 0) {
                Warning(n, line, "ifnt 0 ничего не ждёт: строка только отменяет ожидание");
            } else if (world::CommandByNumber(M(), v) == nullptr) {
                Error(n, line,
                      "команды номер " + std::to_string(v) +
                          " нет: ожидание сработает на любое действие");
            }
            const size_t at = line.find(words[2]);
            if (at != std::string_view::npos && ifntDepth_ < 8) {
                ++ifntDepth_;
                Statement(line.substr(at), line.substr(at), n);
                --ifntDepth_;
            }
        }
    }

    void BlockWordOutOfPlace(std::string_view raw, std::string_view line, const std::string& word,
                             const std::string& keyword, size_t n) {
        const bool exact = StartsWith(line, keyword);
        if (!exact) {
            Error(n, line,
                  Quoted(word) + " с большой буквы: игра узнаёт только " + keyword +
                      (keyword == "if" ? ", блок не открывается, его строки выполнятся всегда"
                                       : ", строка ничего не делает"));
        } else if (keyword == "if") {
            Error(n, line,
                  rules::OpensBlock(line) ? "блок if в ветке из одной строки: игра выполняет его "
                                            "как команду, и он ничего не делает"
                                          : "if без условия: строка ничего не делает");
        } else if (Indented(raw)) {
            Error(n, line,
                  keyword + " с отступом: внутри блока игра узнаёт " + keyword +
                      " только с первой колонки, здесь строка ничего не делает");
        } else {
            Error(n, line, keyword + " без своего if: строка ничего не делает");
        }
    }

    void GoTarget(const std::string& title, size_t n, std::string_view line) {
        const auto it = where_.at->screens.find(base::LowerText1251(title));
        if (it != where_.at->screens.end()) {
            where_.here = {it->second};
            journeys_.goTargets[where_.at->number].insert(it->second);
            where_.anywhere = false;
            return;
        }
        Error(n, line, "экрана " + Quoted(title) + " на этой карте нет");
    }

    void Frame(int32_t frame, size_t n, std::string_view line) {
        if (frame < 0) {
            Warning(n, line, "отрицательный кадр: строка ничего не меняет");
            return;
        }
        if (where_.anywhere) return;
        for (size_t i : where_.here) {
            const std::string name = rules::ScreenPictureName(M().screens[i]->no, frame);
            if (!project_.HasFile(name)) Error(n, line, "нет картинки " + Shown(name));
        }
    }

    void Die(int32_t line1, int32_t picture, size_t n, std::string_view line) {
        const world::MGame* game = project_.Game();
        const size_t deaths = game != nullptr ? game->Death.lines.size() : 0;
        if (line1 < 0 || (line1 > 0 && static_cast<size_t>(line1) > deaths)) {
            Warning(n, line,
                    "строк Death " + std::to_string(deaths) + ", номера " + std::to_string(line1) +
                        " нет: смерть пройдёт без слов");
        }
        if (picture >= 0 && !project_.HasFile(rules::DeathPictureName(picture))) {
            Error(n, line, "нет картинки " + Shown(rules::DeathPictureName(picture)));
        }
    }

    // `map N` enters map<N+1>.ini with the hero on the position he stands on
    // now; the game refuses a map without that position. The lines after it
    // act on the new map.
    void Map(int32_t index, size_t n, std::string_view line) {
        const int64_t k = int64_t{index} + 1;
        const LoadedMap* target = index >= 0 ? project_.MapByNumber(k) : nullptr;
        if (target == nullptr) {
            Error(n, line,
                  "нет файла карты map" + std::to_string(k) + ".ini: игра не сменит карту");
            return;
        }
        if (!target->gp) return;  // its own load error is reported
        const size_t count = target->gp->map.screens.size();
        const std::string there =
            "на карте map" + std::to_string(k) + ".ini экранов " + std::to_string(count);
        if (where_.anywhere) {
            if (M().screens.size() > count) {
                Warning(n, line,
                        there + ", а герой может стоять здесь на экране до " +
                            std::to_string(M().screens.size() - 1) + ": там игра не сменит карту");
            }
        } else {
            for (size_t pos : where_.here) {
                if (pos < count) continue;
                Error(n, line,
                      there + ", а герой стоит на экране " + std::to_string(pos) + " (" +
                          Quoted(M().screens[pos]->Title) + "): игра не сменит карту");
            }
        }
        std::erase_if(where_.here, [&](size_t pos) { return pos >= count; });
        if (where_.here.empty()) where_.anywhere = true;
        if (where_.anywhere) {
            journeys_.enteredAnywhere.insert(target->number);
        } else {
            journeys_.entries[target->number].insert(where_.here.begin(), where_.here.end());
        }
        where_.at = &TablesOf(*target);
    }

    // Lookups by title and the longest lists of one map, made once: a large
    // map's scripts are checked in time linear in their size.
    struct Tables {
        const world::MMap* map = nullptr;
        int32_t number = 0;                       // k of map<k>.ini
        std::unordered_set<std::string> objects;  // lower-cased titles
        // The first word of titles with a space (scripts cannot name them): the title.
        std::unordered_map<std::string, std::string> spacedObjects;
        std::unordered_map<std::string, size_t> screens;  // lower-cased title: position
        size_t mostMessages = 0;
        size_t mostScripts = 0;
    };

    const Tables& TablesOf(const LoadedMap& map) {
        auto [it, fresh] = tables_.try_emplace(map.number);
        Tables& t = it->second;
        if (!fresh) return t;
        t.map = &map.gp->map;
        t.number = map.number;
        for (const auto& o : t.map->objects) {
            t.objects.insert(base::LowerText1251(o->Title));
            const size_t space = o->Title.find(' ');
            if (space != std::string::npos) {
                t.spacedObjects.emplace(base::LowerText1251(o->Title.substr(0, space)), o->Title);
            }
        }
        for (size_t i = 0; i < t.map->screens.size(); ++i) {
            const world::MScreen& s = *t.map->screens[i];
            t.screens.emplace(base::LowerText1251(s.Title), i);  // the first of a title wins
            t.mostMessages = std::max(t.mostMessages, s.Messages.lines.size());
            t.mostScripts = std::max(t.mostScripts, s.Scripts.lines.size());
        }
        return t;
    }

    // The map the script's lines now act on: its own until a `map` line.
    const world::MMap& M() const { return *where_.at->map; }

    const Project& project_;
    const LoadedMap& map_;  // the map whose file holds the script
    Journeys& journeys_;
    Report& report_;
    std::string key_;
    std::map<int32_t, Tables> tables_;
    // Where the hero stands: the map, and positions on it or any screen;
    // where the script starts, until a `go` or `map` moves him.
    struct Where {
        const Tables* at = nullptr;
        bool anywhere = true;
        std::set<size_t> here;
        bool operator==(const Where&) const = default;
    };
    Where where_;
    int ifntDepth_ = 0;
    std::unordered_set<std::string> shown_;  // lower-cased titles
};

std::string Key(const char* section, size_t i, const std::string& key) {
    return section + std::to_string(i) + key;
}

}  // namespace

void CheckMapScripts(const Project& project, const LoadedMap& map, Journeys& journeys,
                     Report& report) {
    const world::MMap& m = map.gp->map;
    ScriptChecker checker(project, map, journeys, report);
    for (size_t i = 0; i < m.screens.size(); ++i) {
        const world::MScreen& s = *m.screens[i];
        checker.Check(Key("Scr", i, "OnAnyAct"), s.OnAnyAct, {i});
        checker.Check(Key("Scr", i, "OnRest"), s.OnRest, {i});
        checker.Check(Key("Scr", i, "OnGo"), s.OnGo, {i});
        checker.Check(Key("Scr", i, "OnEnter"), s.OnEnter, {i});
        for (size_t j = 0; j < s.Scripts.lines.size(); ++j) {
            checker.Check(Key("Scr", i, "Scripts" + std::to_string(j)), s.Scripts.lines[j], {i});
        }
    }
    // Objects go with the hero: their scripts may run on any screen.
    for (size_t j = 0; j < m.objects.size(); ++j) {
        const world::MObj& o = *m.objects[j];
        checker.Check(Key("Obj", j, "OnExam"), o.OnExam, {});
        checker.Check(Key("Obj", j, "OnTake"), o.OnTake, {});
        checker.Check(Key("Obj", j, "OnDrop"), o.OnDrop, {});
    }
    for (size_t k = 0; k < m.commands.size(); ++k) {
        const world::MScript& c = *m.commands[k];
        std::vector<size_t> where;
        if (c.cScr >= 0) {
            const int32_t at = world::ScreenIndexOf(m, c.cScr);
            if (at < 0 || static_cast<size_t>(at) >= m.screens.size()) continue;  // never runs
            where.push_back(static_cast<size_t>(at));
        }
        checker.Check(Key("Cmd", k, "list->Text"), world::JoinLines(c.script), where);
    }
    for (size_t j = 0; j < m.objects.size(); ++j) {
        const world::MObj& o = *m.objects[j];
        if (o.Visible != 0 || checker.ShownObjects().contains(base::LowerText1251(o.Title)))
            continue;
        report.Warning(
            map.fileName, Key("Obj", j, "Visible"),
            "предмет " + Quoted(o.Title) + " скрыт, и ни один скрипт карты его не показывает");
    }
}

}  // namespace velmora::check

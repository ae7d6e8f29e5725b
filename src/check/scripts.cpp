// Scripts read as the runner reads them: the same block scan, the same
// statement and condition keywords, then every name checked against the map.
#include <algorithm>
#include <map>
#include <set>
#include <span>
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

bool Indented(std::string_view raw) {
    return !raw.empty() && static_cast<unsigned char>(raw[0]) <= ' ';
}

// Letters to change, add, drop or swap with the next to turn a into b (code
// page 1251, one byte a letter): "sya" is one slip from "say".
size_t EditDistance(std::string_view a, std::string_view b) {
    const size_t w = b.size() + 1;
    std::vector<size_t> d((a.size() + 1) * w);
    for (size_t i = 0; i <= a.size(); ++i) d[i * w] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t best = std::min({d[(i - 1) * w + j] + 1, d[i * w + j - 1] + 1,
                                    d[(i - 1) * w + j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, d[(i - 2) * w + j - 2] + 1);
            d[i * w + j] = best;
        }
    }
    return d[a.size() * w + b.size()];
}

}  // namespace

std::string NearestName(std::string_view word, const std::vector<std::string>& names) {
    if (word.size() > 64) return {};
    const std::string lower = base::LowerText1251(word);
    // A near name is a slip of a letter or two, never a different short word.
    const size_t most = lower.size() <= 3 ? 1 : lower.size() <= 6 ? 2 : 3;
    std::string best;
    size_t bestDistance = most + 1;
    for (const std::string& name : names) {
        if (name.size() > lower.size() + most || lower.size() > name.size() + most) continue;
        const size_t d = EditDistance(lower, base::LowerText1251(name));
        if (d > 0 && d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    return best;
}

namespace {

// The statement keywords, for "did you mean": the runner's own table.
const std::vector<std::string>& StatementKeywords() {
    static const std::vector<std::string> known = [] {
        std::vector<std::string> words;
        for (const rules::StatementForm& form : rules::StatementForms()) {
            words.emplace_back(form.keyword);
        }
        return words;
    }();
    return known;
}

// The condition keywords, likewise.
const std::vector<std::string>& ConditionKeywords() {
    static const std::vector<std::string> known = [] {
        std::vector<std::string> words;
        for (const rules::ConditionForm& form : rules::ConditionForms()) {
            words.emplace_back(form.keyword);
        }
        return words;
    }();
    return known;
}

std::string DidYouMean(std::string_view word, const std::vector<std::string>& names) {
    const std::string near = NearestName(word, names);
    return near.empty() ? std::string() : " (может быть, " + Quoted(near) + "?)";
}

// How many words a condition reads after its keyword.
size_t ConditionWords(std::string_view keyword) {
    const rules::ConditionForm* form = rules::FindCondition(keyword);
    return form != nullptr ? form->args.size() : 1;
}

// One script: where it stands and where the hero may be when it runs.
class ScriptChecker {
  public:
    ScriptChecker(const Project& project, const LoadedMap& map, Journeys& journeys, Report& report)
        : project_(project), map_(map), journeys_(journeys), report_(report) {}

    // `screens`: the positions the hero may stand on when the script runs;
    // none: any screen. Returns whether a run may execute no statement (the
    // script then returns false).
    bool Check(const std::string& key, const std::string& text,
               const std::vector<size_t>& screens) {
        if (text.empty()) return false;
        key_ = key;
        Place start{&TablesOf(map_), screens.empty(), {screens.begin(), screens.end()}};
        where_ = {start};
        const std::vector<std::string> lines = world::SplitLines(text);
        std::vector<size_t> numbers(lines.size());
        for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = i + 1;
        const rules::BlockTable blocks(lines);
        blocks_ = &blocks;
        const bool runs = Lines(lines, numbers, 1);
        blocks_ = nullptr;
        return !runs;
    }

    // The objects some script shows or makes takeable (lower-cased titles).
    const std::unordered_set<std::string>& ShownObjects() const { return shown_; }
    // Made takeable or taken by a script: such an object may come into the hero's hands.
    bool MayBeGiven(const std::string& title) const {
        return takeable_.contains(title) || taken_.contains(title);
    }
    // The objects a condition asks to be carried: the first script that asks.
    const std::map<std::string, std::string>& AskedCarried() const { return carried_; }

  private:
    // Lookups by title and the longest lists of one map, made once: a large
    // map's scripts are checked in time linear in their size.
    struct Tables {
        const world::MMap* map = nullptr;
        int32_t number = 0;                       // k of map<k>.ini
        std::unordered_set<std::string> objects;  // lower-cased titles
        std::vector<std::string> objectTitles;    // for "did you mean"
        // The first word of titles with a space (scripts cannot name them): the title.
        std::unordered_map<std::string, std::string> spacedObjects;
        std::unordered_map<std::string, size_t> screens;  // lower-cased title: position
        std::vector<std::string> screenTitles;
        size_t mostMessages = 0;
        size_t mostScripts = 0;
    };

    // Where the hero may stand: a map and positions on it, or any of its screens.
    struct Place {
        const Tables* at = nullptr;
        bool anywhere = true;
        std::set<size_t> here;
    };
    // Every place some path through the script may have left him, one per map.
    using Where = std::vector<Place>;

    static void Add(Where& into, const Place& place) {
        for (Place& p : into) {
            if (p.at != place.at) continue;
            p.anywhere = p.anywhere || place.anywhere;
            if (p.anywhere) {
                p.here.clear();
            } else {
                p.here.insert(place.here.begin(), place.here.end());
            }
            return;
        }
        into.push_back(place);
    }

    void Problem(Severity severity, size_t number, std::string_view line, const std::string& text,
                 const char* kind = kind::kOther, bool proven = false) {
        std::string shown(base::TrimBlanks(line));
        if (shown.size() > 60) shown = shown.substr(0, 57) + "...";
        Finding finding{severity, map_.fileName, key_,
                        "строка " + std::to_string(number) + " " + Quoted(shown) + ": " + text, kind};
        finding.proven = proven;
        report_.Add(std::move(finding));
    }
    void Error(size_t n, std::string_view line, const std::string& text) {
        Problem(Severity::Error, n, line, text);
    }
    void Warning(size_t n, std::string_view line, const std::string& text,
                 const char* kind = kind::kOther) {
        Problem(Severity::Warning, n, line, text, kind);
    }
    // A line the runner runs as nothing.
    void Nothing(size_t n, std::string_view line, const std::string& text) {
        Problem(Severity::Warning, n, line, text, kind::kNothing);
    }

    // The runner's walk over one script or branch. Returns whether every run
    // of it executes at least one statement.
    // Branches are walked in place (spans of the script's lines), so a deep
    // nest costs no copy of the lines per level.
    bool Lines(std::span<const std::string> lines, std::span<const size_t> numbers, int depth) {
        if (depth > rules::kMaxScriptDepth) {
            Error(numbers.front(), lines.front(),
                  "блоки вложены глубже " + std::to_string(rules::kMaxScriptDepth) +
                      ": игра этот блок не выполнит");
            return true;
        }
        std::string stopper;  // the die, exit or ret after which this level stops
        bool unreachableTold = false;
        bool surelyRuns = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = base::TrimBlanks(lines[i]);
            if (line.empty()) continue;
            if (!stopper.empty() && !unreachableTold) {
                Warning(numbers[i], line,
                        "строка после " + stopper + " никогда не выполнится: скрипт там кончается",
                        kind::kUnreachable);
                unreachableTold = true;  // once per level
            }
            if (!rules::OpensBlock(line)) {
                Statement(lines[i], line, numbers[i]);
                surelyRuns = true;
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
            // The lines are the script's from line numbers.front() on.
            const rules::BlockLines block =
                blocks_->At(numbers.front() - 1, numbers.front() - 1 + lines.size(), i);
            if (block.endLine == 0) {
                std::string hint;
                for (size_t j = i + 1; j < lines.size(); ++j) {
                    if (Indented(lines[j]) && base::TrimBlanks(lines[j]).starts_with("endif")) {
                        hint = " (endif с отступом игра не узнаёт: только с первой колонки)";
                        break;
                    }
                }
                Error(numbers[i], line,
                      "блок без endif: игра остановит скрипт на этой строке" + hint);
                return true;
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
            // it he may stand where either branch left him.
            const Where before = where_;
            const size_t trueEnd = block.elseLine != 0 ? block.elseLine : block.endLine;
            const bool trueRuns = Branch(lines, numbers, i + 1, trueEnd, depth);
            Where after = std::exchange(where_, before);
            const bool falseRuns = block.elseLine != 0 &&
                                   Branch(lines, numbers, block.elseLine + 1, block.endLine, depth);
            for (const Place& p : where_) Add(after, p);
            where_ = std::move(after);
            surelyRuns = surelyRuns || (trueRuns && falseRuns);
            i = block.endLine;
        }
        return surelyRuns;
    }

    bool Branch(std::span<const std::string> lines, std::span<const size_t> numbers, size_t from,
                size_t to, int depth) {
        if (to <= from) return false;
        if (to - from == 1) {
            // One line is run as a statement, even an opener.
            Statement(lines[from], base::TrimBlanks(lines[from]), numbers[from]);
            return !base::TrimBlanks(lines[from]).empty();
        }
        return Lines(lines.subspan(from, to - from), numbers.subspan(from, to - from), depth + 1);
    }

    // Words past what a statement or condition reads: the game drops them
    // silently ("if carry ключ and carry свиток" tests the key alone).
    void ExtraWords(const std::vector<std::string>& words, size_t used, size_t n,
                    std::string_view line, const std::string& what) {
        if (words.size() <= used) return;
        std::string rest;
        for (size_t i = used; i < words.size(); ++i) rest += (rest.empty() ? "" : " ") + words[i];
        const size_t read = used - 1;
        Nothing(n, line,
                "игра пропускает " + Quoted(rest) + ": " + what +
                    (read == 0 ? " ничего после себя не читает"
                               : " читает только " + std::to_string(read) +
                                     (read == 1 ? " слово" : " слова")));
    }

    void Condition(std::string_view condition, size_t n, std::string_view line) {
        const std::vector<std::string> words = rules::Rules::SplitWords(condition);
        if (words.empty()) {
            Error(n, line, "if без условия: оно всегда ложно");
            return;
        }
        const std::string keyword = base::LowerText1251(words[0]);
        if (!rules::IsConditionKeyword(keyword)) {
            Error(n, line,
                  "неизвестное условие " + Quoted(words[0]) + ": оно всегда ложно" +
                      DidYouMean(words[0], ConditionKeywords()));
            return;
        }
        ExtraWords(words, 1 + ConditionWords(keyword), n, line, "условие " + keyword);
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
            if (Object(words, 1, n, line, Severity::Error, ": условие всегда ложно")) number(2);
        } else if (keyword == "carry") {
            if (Object(words, 1, n, line, Severity::Error, ": условие всегда ложно"))
                carried_.emplace(base::LowerText1251(words[1]), key_);
        } else if (keyword == "going" && words.size() > 1) {
            // A word that is not a number reads as -1: no walk under way.
            const auto v = world::TryParseInt32(words[1]);
            if (v && *v >= 0 && static_cast<size_t>(*v) >= M().screens.size()) {
                Error(n, line,
                      "экрана на месте " + std::to_string(*v) + " нет: условие всегда ложно");
            }
        }
    }

    // The object a statement or condition names by title, looked up on every
    // map the hero may be on; false when it is on none.
    bool Object(const std::vector<std::string>& words, size_t i, size_t n, std::string_view line,
                Severity severity, const std::string& consequence) {
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
                    "предмета " + Quoted(words[i]) + " нет на карте map" +
                        std::to_string(t.number) + ".ini, где может оказаться герой" + hint +
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
    void ScreenItem(int32_t number, world::MessageList world::MScreen::*list, const char* what,
                    Severity severity, const char* kind, const std::string& consequence, size_t n,
                    std::string_view line) {
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
                    lacking.push_back("ни у одного экрана карты нет " + std::string(what) +
                                      " номер " + std::to_string(number));
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
            Nothing(n, line,
                    "неизвестная команда " + Quoted(words[0]) +
                        (rules::IsConditionKeyword(keyword) ? " (условие без if)" : "") +
                        ": игра пропустит строку" + DidYouMean(words[0], StatementKeywords()));
            return;
        }
        if (words.size() - 1 < form->required) {
            Nothing(n, line,
                    "не хватает аргументов: " + keyword + " ждёт " +
                        std::to_string(form->required) + ", игра пропустит строку");
            return;
        }
        const bool restIsText = !form->args.empty() && (form->args.back() == ArgKind::Text ||
                                                        form->args.back() == ArgKind::Statement);
        if (!restIsText) ExtraWords(words, 1 + form->args.size(), n, line, keyword);
        std::vector<std::optional<int32_t>> numbers(form->args.size());
        for (size_t a = 0; a < form->args.size(); ++a) {
            const size_t w = a + 1;
            if (w >= words.size()) break;
            switch (form->args[a]) {
                case ArgKind::Object:
                    if (!Object(words, w, n, line, Severity::Warning, ": строка ничего не делает"))
                        return;
                    break;
                case ArgKind::Number:
                    numbers[a] = world::TryParseInt32(words[w]);
                    if (!numbers[a]) {
                        Nothing(n, line,
                                Quoted(words[w]) + " не число: игра возьмёт число по умолчанию" +
                                    (keyword == "health" ? " 0, и строка ничего не изменит" : ""));
                        if (keyword == "health") return;
                    }
                    break;
                case ArgKind::Direction: {
                    const std::string d = base::LowerText1251(words[w]);
                    if (d != rules::texts::NorthWord() && d != rules::texts::SouthWord() &&
                        d != rules::texts::EastWord() && d != rules::texts::WestWord() &&
                        d != "n" && d != "s" && d != "e" && d != "w") {
                        Nothing(n, line,
                                Quoted(words[w]) +
                                    " не направление (север, юг, восток, запад, n, s, e, w): "
                                    "строка ничего не меняет");
                        return;
                    }
                    break;
                }
                case ArgKind::Screen:
                    GoTarget(words[w], words, n, line);
                    break;
                case ArgKind::Text:
                case ArgKind::Statement:
                    break;
            }
        }
        if (keyword == "show") shown_.insert(base::LowerText1251(words[1]));
        if (keyword == "takeable") takeable_.insert(base::LowerText1251(words[1]));
        if (keyword == "take") taken_.insert(base::LowerText1251(words[1]));
        if (keyword == "open") {
            for (const Place& p : where_) journeys_.opened.insert(p.at->number);
        }
        const auto num = [&](size_t a, int32_t fallback) {
            return a < numbers.size() && numbers[a] ? *numbers[a] : fallback;
        };
        const std::string_view rest = line.size() > 3 ? base::TrimBlanks(line.substr(3)) : "";
        if (keyword == "say" && rest.empty()) {
            Nothing(n, line, "say без текста ничего не говорит");
        } else if (keyword == "snd" && !project_.HasSoundFile(line.substr(3))) {
            Warning(n, line,
                    "нет звукового файла " + Quoted(rest) +
                        " ни в папке Snd проекта, ни в Media: игра пропустит звук",
                    kind::kNoSound);
        } else if (keyword == "mes") {
            const int32_t v = num(0, 1);
            if (v < 1) {
                Nothing(n, line, "mes " + std::to_string(v) + " ничего не говорит");
            } else {
                ScreenItem(v, &world::MScreen::Messages, "сообщений", Severity::Warning,
                           kind::kNothing, ": игрок ничего не услышит", n, line);
            }
        } else if (keyword == "call" || keyword == "force") {
            const int32_t v = num(0, keyword == "call" ? 1 : 0);
            if (v < 1 && !(keyword == "force" && v == 0)) {
                Nothing(n, line, keyword + " " + std::to_string(v) + " ничего не выполнит");
            } else if (v >= 1 && keyword == "call") {
                ScreenItem(v, &world::MScreen::Scripts, "скриптов", Severity::Warning,
                           kind::kNothing, ": строка ничего не выполнит", n, line);
            } else if (v >= 1) {
                ScreenItem(v, &world::MScreen::Scripts, "скриптов", Severity::Error, kind::kNothing,
                           ": следующее действие игрока пропадёт впустую", n, line);
            }
        } else if (keyword == "frame") {
            Frame(num(0, -1), n, line);
        } else if (keyword == "state") {
            State(num(0, -1), n, line);
        } else if (keyword == "setostat" && num(1, -1) < 0) {
            Nothing(n, line, "отрицательное состояние: строка ничего не меняет");
        } else if (keyword == "inter") {
            const int32_t v = num(0, 0);
            const world::MGame* game = project_.Game();
            const size_t pages = game != nullptr ? game->Intros.lines.size() : 0;
            if (v < 1 || static_cast<size_t>(v) > pages) {
                Nothing(n, line,
                        "страниц Intros " + std::to_string(pages) + ", номера " +
                            std::to_string(v) + " нет: строка ничего не делает");
            }
        } else if (keyword == "die") {
            Die(num(0, 0), num(1, -1), n, line);
        } else if (keyword == "map") {
            Map(num(0, 0), n, line);
        } else if (keyword == "ifnt") {
            const int32_t v = num(0, 0);
            if (v == 0) {
                Nothing(n, line, "ifnt 0 ничего не ждёт: строка только отменяет ожидание");
            } else if (world::CommandByNumber(M(), v) == nullptr) {
                Warning(n, line,
                        "команды номер " + std::to_string(v) +
                            " на этой карте нет: любое следующее действие игрока заменит "
                            "строка после номера");
            }
            const size_t at = line.find(words[2]);
            if (at != std::string_view::npos && ifntDepth_ < 8) {
                ++ifntDepth_;
                // The waited line runs later, wherever the hero then is.
                const Where now = std::exchange(where_, AnyScreen());
                Statement(line.substr(at), line.substr(at), n);
                where_ = now;
                --ifntDepth_;
            }
        }
    }

    Where AnyScreen() const {
        Where any;
        for (const Place& p : where_) Add(any, Place{p.at, true, {}});
        return any;
    }

    void BlockWordOutOfPlace(std::string_view raw, std::string_view line, const std::string& word,
                             const std::string& keyword, size_t n) {
        const bool exact = line.starts_with(keyword);
        if (!exact) {
            Nothing(n, line,
                    Quoted(word) + " с большой буквы: игра узнаёт только " + keyword +
                        (keyword == "if" ? ", блок не открывается, его строки выполнятся всегда"
                                         : ", строка ничего не делает"));
        } else if (keyword == "if") {
            Nothing(n, line,
                    rules::OpensBlock(line) ? "блок if в ветке из одной строки: игра выполняет "
                                              "его как команду, и он ничего не делает"
                                            : "if без условия: строка ничего не делает");
        } else if (Indented(raw)) {
            Nothing(n, line,
                    keyword + " с отступом: внутри блока игра узнаёт " + keyword +
                        " только с первой колонки, здесь строка ничего не делает");
        } else {
            Nothing(n, line, keyword + " без своего if: строка ничего не делает");
        }
    }

    // `go`: on each map the hero may be on, to the screen of that title; where
    // there is none, he stays.
    void GoTarget(const std::string& title, const std::vector<std::string>& words, size_t n,
                  std::string_view line) {
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
                    "экрана " + Quoted(title) + " нет на одной из карт, где может быть герой" +
                        hint + ": там он останется на месте");
            return;
        }
        if (words.size() > 2 && hint.empty()) hint = " (go читает только одно слово)";
        Nothing(n, line,
                "экрана " + Quoted(title) + " на этой карте нет" + hint +
                    ": строка ничего не делает, герой остаётся на месте");
    }

    void Frame(int32_t frame, size_t n, std::string_view line) {
        if (frame < 0) {
            Nothing(n, line, "отрицательный кадр: строка ничего не меняет");
            return;
        }
        for (const Place& p : where_) {
            if (p.anywhere) continue;
            for (size_t i : p.here) {
                journeys_.frames[p.at->number][i].insert(frame);
                const int32_t no = p.at->map->screens[i]->no;
                const std::string name = rules::ScreenPictureName(no, frame);
                if (project_.HasFile(name)) continue;
                // An arrival names the frame by the screen's place, `frame` by its number.
                const std::string byPlace = rules::ScreenPictureName(static_cast<int64_t>(i), frame);
                const std::string hint =
                    no != static_cast<int64_t>(i) && project_.HasFile(byPlace)
                        ? " (есть " + ShownPath(byPlace) + ", но так кадр зовётся по месту экрана в "
                          "списке, " + std::to_string(i) + ", а frame ищет его по номеру экрана, " +
                          std::to_string(no) + ")"
                        : std::string();
                Warning(n, line,
                        "нет картинки " + ShownPath(name) + hint + ": картинка не сменится",
                        kind::kNoPicture);
            }
        }
    }

    // On a screen that describes itself by its state, a state past its
    // descriptions is heard as «Экран: Двор 0».
    void State(int32_t state, size_t n, std::string_view line) {
        if (state < 0) {
            Nothing(n, line, "отрицательное состояние: строка ничего не меняет");
            return;
        }
        for (const Place& p : where_) {
            if (p.anywhere) continue;
            for (size_t i : p.here) {
                const world::MScreen& s = *p.at->map->screens[i];
                if (s.DescrOnState == 0 || static_cast<size_t>(state) < s.Descr.lines.size())
                    continue;
                Warning(n, line,
                        "экран " + Quoted(s.Title) +
                            " описывается по состоянию, а описаний у "
                            "него " +
                            std::to_string(s.Descr.lines.size()) +
                            ": игрок услышит «Экран: " + Shown(s.Title) + " 0»",
                        kind::kDeadEnd);
            }
        }
    }

    void Die(int32_t line1, int32_t picture, size_t n, std::string_view line) {
        const world::MGame* game = project_.Game();
        const size_t deaths = game != nullptr ? game->Death.lines.size() : 0;
        if (line1 == 0) {
            Warning(n, line, "die 0: смерть пройдёт без слов, игрок не узнает, что случилось",
                    kind::kDeadEnd);
        } else if (line1 < 0 || static_cast<size_t>(line1) > deaths) {
            Warning(n, line,
                    "строк Death " + std::to_string(deaths) + ", номера " + std::to_string(line1) +
                        " нет: смерть пройдёт без слов",
                    kind::kDeadEnd);
        }
        if (picture >= 0 && !project_.HasFile(rules::DeathPictureName(picture))) {
            Warning(n, line, "нет картинки " + ShownPath(rules::DeathPictureName(picture)),
                    kind::kNoPicture);
        }
    }

    // `map N` enters map<N+1>.ini with the hero on the position he stands on
    // now; the game refuses a map without that position, and he stays. The
    // lines after it act on the new map.
    void Map(int32_t index, size_t n, std::string_view line) {
        const int64_t k = int64_t{index} + 1;
        const LoadedMap* target = index >= 0 ? project_.MapByNumber(k) : nullptr;
        if (target == nullptr) {
            Error(n, line,
                  "нет файла карты map" + std::to_string(k) + ".ini: игра не сменит карту");
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
                                std::to_string(m.screens.size() - 1) +
                                ": там игра не сменит карту");
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

    const Tables& TablesOf(const LoadedMap& map) {
        auto [it, fresh] = tables_.try_emplace(map.number);
        Tables& t = it->second;
        if (!fresh) return t;
        t.map = &map.gp->map;
        t.number = map.number;
        for (const auto& o : t.map->objects) {
            if (t.objects.insert(base::LowerText1251(o->Title)).second &&
                t.objectTitles.size() < 2000)
                t.objectTitles.push_back(o->Title);
            const size_t space = o->Title.find(' ');
            if (space != std::string::npos) {
                t.spacedObjects.emplace(base::LowerText1251(o->Title.substr(0, space)), o->Title);
            }
        }
        for (size_t i = 0; i < t.map->screens.size(); ++i) {
            const world::MScreen& s = *t.map->screens[i];
            // The first of a title wins.
            if (t.screens.emplace(base::LowerText1251(s.Title), i).second &&
                t.screenTitles.size() < 2000)
                t.screenTitles.push_back(s.Title);
            t.mostMessages = std::max(t.mostMessages, s.Messages.lines.size());
            t.mostScripts = std::max(t.mostScripts, s.Scripts.lines.size());
        }
        return t;
    }

    // The map the script's lines now act on, for what names one map only
    // (commands): the first the hero may be on.
    const world::MMap& M() const { return *where_.front().at->map; }

    const Project& project_;
    const LoadedMap& map_;  // the map whose file holds the script
    const rules::BlockTable* blocks_ = nullptr;  // of the script being checked
    Journeys& journeys_;
    Report& report_;
    std::string key_;
    std::map<int32_t, Tables> tables_;
    Where where_;
    int ifntDepth_ = 0;
    std::unordered_set<std::string> shown_;       // lower-cased titles
    std::unordered_set<std::string> takeable_;    // lower-cased titles
    std::unordered_set<std::string> taken_;       // lower-cased titles
    std::map<std::string, std::string> carried_;  // lower-cased title: key
};

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

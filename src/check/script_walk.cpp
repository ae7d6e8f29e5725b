// The runner's walk over one script: its blocks and branches as the block
// scan finds them, where the hero may stand after each, and the findings of
// a line.
#include <algorithm>
#include <utility>

#include "base/cp1251.h"
#include "check/script_checker.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "world/key_access.h"

namespace velmora::check {

bool Indented(std::string_view raw) {
    return !raw.empty() && static_cast<unsigned char>(raw[0]) <= ' ';
}

bool ScriptChecker::Check(const std::string& key, const std::string& text,
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

void ScriptChecker::Add(Where& into, const Place& place) {
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

void ScriptChecker::Problem(Severity severity, size_t number, std::string_view line,
                            const std::string& text, const char* kind, bool proven) {
    std::string shown(base::TrimBlanks(line));
    if (shown.size() > 60) shown = shown.substr(0, 57) + "...";
    Finding finding{severity, map_.fileName, key_,
                    "строка " + std::to_string(number) + " " + Quoted(shown) + ": " + text, kind};
    finding.proven = proven;
    report_.Add(std::move(finding));
}

void ScriptChecker::Error(size_t n, std::string_view line, const std::string& text) {
    Problem(Severity::Error, n, line, text);
}

void ScriptChecker::Warning(size_t n, std::string_view line, const std::string& text,
                            const char* kind) {
    Problem(Severity::Warning, n, line, text, kind);
}

void ScriptChecker::Nothing(size_t n, std::string_view line, const std::string& text) {
    Problem(Severity::Warning, n, line, text, kind::kNothing);
}

// Branches are walked in place (spans of the script's lines), so a deep
// nest costs no copy of the lines per level.
bool ScriptChecker::Lines(std::span<const std::string> lines, std::span<const size_t> numbers,
                          int depth) {
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
            if (stopper.empty() && (keyword == "die" || keyword == "exit" || keyword == "ret")) {
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
            Error(numbers[i], line, "блок без endif: игра остановит скрипт на этой строке" + hint);
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
        const bool falseRuns =
            block.elseLine != 0 && Branch(lines, numbers, block.elseLine + 1, block.endLine, depth);
        for (const Place& p : where_) Add(after, p);
        where_ = std::move(after);
        surelyRuns = surelyRuns || (trueRuns && falseRuns);
        i = block.endLine;
    }
    return surelyRuns;
}

bool ScriptChecker::Branch(std::span<const std::string> lines, std::span<const size_t> numbers,
                           size_t from, size_t to, int depth) {
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
void ScriptChecker::ExtraWords(const std::vector<std::string>& words, size_t used, size_t n,
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

ScriptChecker::Where ScriptChecker::AnyScreen() const {
    Where any;
    for (const Place& p : where_) Add(any, Place{p.at, true, {}});
    return any;
}

const ScriptChecker::Tables& ScriptChecker::TablesOf(const LoadedMap& map) {
    auto [it, fresh] = tables_.try_emplace(map.number);
    Tables& t = it->second;
    if (!fresh) return t;
    t.map = &map.gp->map;
    t.number = map.number;
    for (const auto& o : t.map->objects) {
        if (t.objects.insert(base::LowerText1251(o->Title)).second && t.objectTitles.size() < 2000)
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

}  // namespace velmora::check

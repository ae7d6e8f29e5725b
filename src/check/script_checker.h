// The checker of one map's scripts, shared by its files inside src/check:
// the walk over blocks (script_walk.cpp), conditions (script_conditions.cpp),
// statements (script_statements.cpp) and what a line names on the maps the
// hero may be on (script_targets.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "check/checks.h"
#include "world/records.h"

namespace velmora::rules {
class BlockTable;
}

namespace velmora::check {

// A line that starts with a blank: the runner's block scan does not see it
// as an if, else or endif.
bool Indented(std::string_view raw);

// " (может быть, «name»?)" for the name of `names` nearest to `word`, or empty.
std::string DidYouMean(std::string_view word, const std::vector<std::string>& names);

// The keywords of one of the runner's tables of forms (statements,
// conditions), for "did you mean".
template <typename Form>
std::vector<std::string> KeywordsOf(const std::vector<Form>& forms) {
    std::vector<std::string> words;
    for (const Form& form : forms) words.emplace_back(form.keyword);
    return words;
}

// One script: where it stands and where the hero may be when it runs.
class ScriptChecker {
  public:
    ScriptChecker(const Project& project, const LoadedMap& map, Journeys& journeys, Report& report)
        : project_(project), map_(map), journeys_(journeys), report_(report) {}

    // `screens`: the positions the hero may stand on when the script runs;
    // none: any screen. Returns whether a run may execute no statement (the
    // script then returns false).
    bool Check(const std::string& key, const std::string& text, const std::vector<size_t>& screens);

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

    // script_walk.cpp: the findings of a line, the runner's walk over blocks
    // and branches, and where the hero may stand.
    static void Add(Where& into, const Place& place);
    void Problem(Severity severity, size_t number, std::string_view line, const std::string& text,
                 const char* kind = kind::kOther, bool proven = false);
    void Error(size_t n, std::string_view line, const std::string& text);
    void Warning(size_t n, std::string_view line, const std::string& text,
                 const char* kind = kind::kOther);
    // A line the runner runs as nothing.
    void Nothing(size_t n, std::string_view line, const std::string& text);
    // The runner's walk over one script or branch. Returns whether every run
    // of it executes at least one statement.
    bool Lines(std::span<const std::string> lines, std::span<const size_t> numbers, int depth);
    bool Branch(std::span<const std::string> lines, std::span<const size_t> numbers, size_t from,
                size_t to, int depth);
    // Words past what a statement or condition reads: the game drops them.
    void ExtraWords(const std::vector<std::string>& words, size_t used, size_t n,
                    std::string_view line, const std::string& what);
    Where AnyScreen() const;
    // Calls fn(tables, position) for each screen the hero may be known to
    // stand on (not where he may be anywhere on a map).
    template <typename Fn>
    void ForEachKnownScreen(Fn fn) const {
        for (const Place& p : where_) {
            if (p.anywhere) continue;
            for (size_t i : p.here) fn(*p.at, i);
        }
    }
    const Tables& TablesOf(const LoadedMap& map);
    // The map the script's lines now act on, for what names one map only
    // (commands): the first the hero may be on.
    const world::MMap& M() const { return *where_.front().at->map; }

    // script_conditions.cpp
    void Condition(std::string_view condition, size_t n, std::string_view line);

    // script_statements.cpp
    void Statement(std::string_view raw, std::string_view line, size_t n);
    void BlockWordOutOfPlace(std::string_view raw, std::string_view line, const std::string& word,
                             const std::string& keyword, size_t n);
    void Frame(int32_t frame, size_t n, std::string_view line);
    void State(int32_t state, size_t n, std::string_view line);
    void Die(int32_t line1, int32_t picture, size_t n, std::string_view line);

    // script_targets.cpp: objects, screens, list items and maps a line names.
    bool Object(const std::vector<std::string>& words, size_t i, size_t n, std::string_view line,
                Severity severity, const std::string& consequence);
    void ScreenItem(int32_t number, world::MessageList world::MScreen::*list, const char* what,
                    Severity severity, const char* kind, const std::string& consequence, size_t n,
                    std::string_view line);
    void GoTarget(const std::string& title, const std::vector<std::string>& words, size_t n,
                  std::string_view line);
    void Map(int32_t index, size_t n, std::string_view line);

    const Project& project_;
    const LoadedMap& map_;                       // the map whose file holds the script
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

}  // namespace velmora::check

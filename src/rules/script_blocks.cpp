// Lines and words of scripts, if/else/endif blocks and the five conditions.
#include <climits>
#include <cstdio>
#include <string>

#include "base/cp1251.h"
#include "base/terminal_text.h"
#include "rules/nesting.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace velmora::rules {
namespace {

// A number argument, or the fallback when it is missing or not a number.
int32_t Number(const std::vector<std::string>& words, size_t i, int32_t fallback) {
    return i < words.size() ? world::ParseInt32(words[i], fallback) : fallback;
}

}  // namespace

std::vector<std::string> Rules::SplitWords(std::string_view line) {
    std::vector<std::string> words;
    line = base::TrimBlanks(line);
    size_t i = 0;
    while (i < line.size() && words.size() < 9) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        const size_t end = std::min(line.find(' ', i), line.size());
        words.emplace_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

void Rules::StopAction(const std::string& why) {
    statementsLeft_ = 0;
    if (actionStopped_) return;
    actionStopped_ = true;
    const std::string text = "velmora: одно действие " + why +
                             "; оно остановлено (скрипты вызывают друг друга?)";
    if (AuthorNote) {
        AuthorNote(text);
    } else {
        std::fprintf(stderr, "%s\n", base::TerminalSafe(text).c_str());
    }
}

bool Rules::RunBlock(world::MScript& owner, std::span<const std::string> lines) {
    const BlockTable blocks(lines);
    return RunBranch(owner, lines, blocks, 0);
}

// `lines` are the script's lines [start, start + size) of the script `blocks` holds.
bool Rules::RunBranch(world::MScript& owner, std::span<const std::string> lines,
                      const BlockTable& blocks, size_t start) {
    if (depth_ == 0) {
        statementsLeft_ = statementBudget;
        mapChangesLeft_ = mapChangeBudget;
        actionStopped_ = false;
    }
    const Nesting run(depth_);
    if (run.Depth() > kMaxScriptDepth) return false;  // too deep: the run fails
    if (lines.empty()) return true;
    bool ran = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = base::TrimBlanks(lines[i]);
        if (line.empty()) continue;
        if (--statementsLeft_ < 0) {
            StopAction("выполнило больше " + std::to_string(statementBudget) + " строк скриптов");
            return false;
        }
        if (!OpensBlock(line)) {
            if (!RunStatement(owner, line)) return false;
            ran = true;
            continue;
        }
        // The block's own lines are recognised only at the first column.
        const auto [elseLine, endLine] = blocks.At(start, start + lines.size(), i);
        if (endLine == 0) return false;  // no endif: the script stops
        const bool holds = TestCondition(line.substr(2));
        size_t from = 0;
        size_t to = 0;  // the branch is lines [from, to)
        if (holds) {
            from = i + 1;
            to = elseLine != 0 ? elseLine : endLine;
        } else if (elseLine != 0) {
            from = elseLine + 1;
            to = endLine;
        }
        i = endLine;
        if (to <= from) continue;
        bool result;
        if (to - from == 1) {
            result = RunStatement(owner, base::TrimBlanks(lines[from]));
        } else {
            result = RunBranch(owner, lines.subspan(from, to - from), blocks, start + from);
        }
        if (!result) return false;
        ran = true;
    }
    return ran;
}

world::MObj* Rules::ObjectByTitle(std::string_view title) const {
    for (const auto& o : gp.map.objects) {
        if (base::EqualsNoCase1251(o->Title, title)) return o.get();
    }
    return nullptr;
}

// The handlers of the conditions; a friend of Rules, as the runner's own code.
struct ScriptConditions {
    using Words = std::vector<std::string>;
    // A missing or non-numeric number makes these conditions false.
    static constexpr int32_t kNotANumber = INT32_MIN;

    static bool Done(Rules& r, const Words& words) {
        const int32_t n = Number(words, 1, kNotANumber);
        if (n == kNotANumber) return false;
        const world::MScript* c = world::CommandByNumber(r.gp.map, n);
        return c != nullptr && c->used > 0;
    }
    static bool CurSS(Rules& r, const Words& words) {
        const int32_t n = Number(words, 1, kNotANumber);
        return n != kNotANumber && r.Screen() != nullptr && r.Screen()->State == n;
    }
    static bool OStat(Rules& r, const Words& words) {
        const world::MObj* o = words.size() > 1 ? r.ObjectByTitle(words[1]) : nullptr;
        const int32_t s = Number(words, 2, kNotANumber);
        return o != nullptr && s != kNotANumber && o->State == s;
    }
    // A word where the number stands reads as -1: true when no move is under way.
    static bool Going(Rules& r, const Words& words) {
        return r.gp.vars.glob_goingto == Number(words, 1, -1);
    }
    static bool Carry(Rules& r, const Words& words) {
        const world::MObj* o = words.size() > 1 ? r.ObjectByTitle(words[1]) : nullptr;
        return o != nullptr && o->ScrWhere == world::kCarried;
    }
};

const std::vector<ConditionForm>& ConditionForms() {
    using enum ArgKind;
    using C = ScriptConditions;
    static const std::vector<ConditionForm> forms = {
        {"done", {Number}, 1, &C::Done},
        {"curss", {Number}, 1, &C::CurSS},
        {"ostat", {Object, Number}, 2, &C::OStat},
        {"going", {Number}, 0, &C::Going},
        {"carry", {Object}, 1, &C::Carry},
    };
    return forms;
}

bool Rules::TestCondition(std::string_view condition) {
    const std::vector<std::string> words = SplitWords(condition);
    if (words.empty()) return false;
    const ConditionForm* form = FindCondition(base::LowerText1251(words[0]));
    return form != nullptr && form->test(*this, words);
}

}  // namespace velmora::rules

// A condition after if: its keyword from the runner's table, the words it
// reads, and the numbers and objects it names.
#include <optional>

#include "base/cp1251.h"
#include "check/script_checker.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "world/key_access.h"
#include "world/link.h"

namespace velmora::check {
namespace {

// The condition keywords, for "did you mean": the runner's own table.
const std::vector<std::string>& ConditionKeywords() {
    static const std::vector<std::string> known = KeywordsOf(rules::ConditionForms());
    return known;
}

// How many words a condition reads after its keyword.
size_t ConditionWords(std::string_view keyword) {
    const rules::ConditionForm* form = rules::FindCondition(keyword);
    return form != nullptr ? form->args.size() : 1;
}

}  // namespace

void ScriptChecker::Condition(std::string_view condition, size_t n, std::string_view line) {
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
            Error(n, line, "команды номер " + std::to_string(*v) + " нет: условие всегда ложно");
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
            Error(n, line, "экрана на месте " + std::to_string(*v) + " нет: условие всегда ложно");
        }
    }
}

}  // namespace velmora::check

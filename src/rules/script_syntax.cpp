#include "rules/script_syntax.h"

namespace velmora::rules {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool OpensBlock(std::string_view trimmedLine) {
    return StartsWith(trimmedLine, "if ");
}

BlockLines ScanBlock(std::span<const std::string> lines, size_t opener) {
    BlockLines block;
    int depth = 1;
    for (size_t j = opener + 1; j < lines.size(); ++j) {
        const std::string_view raw = lines[j];
        // Most lines are statements: one letter tells (a deep nest is scanned once a level).
        if (raw.empty() || (raw[0] != 'i' && raw[0] != 'e')) continue;
        if (StartsWith(raw, "if ")) ++depth;
        if (StartsWith(raw, "endif")) --depth;
        if (StartsWith(raw, "else") && block.elseLine == 0 && depth == 1) block.elseLine = j;
        if (depth == 0) {
            block.endLine = j;
            break;
        }
    }
    return block;
}

namespace {

// Every statement line looks its keyword up: the first letter rules out
// most rows before a whole comparison.
template <typename Form>
const Form* FindForm(const std::vector<Form>& forms, std::string_view keyword) {
    if (keyword.empty()) return nullptr;
    for (const Form& form : forms) {
        if (form.keyword[0] == keyword[0] && keyword == form.keyword) return &form;
    }
    return nullptr;
}

}  // namespace

const StatementForm* FindStatement(std::string_view keyword) {
    return FindForm(StatementForms(), keyword);
}

const ConditionForm* FindCondition(std::string_view keyword) {
    return FindForm(ConditionForms(), keyword);
}

bool IsConditionKeyword(std::string_view keyword) {
    return FindCondition(keyword) != nullptr;
}

std::string ScreenPictureName(int64_t n, int64_t frame) {
    std::string name = "gif\\" + std::to_string(n);
    // Appended piece by piece: GCC 12 at -O3 takes "-" + string for an overlapping copy.
    if (frame != 0) name.append("-").append(std::to_string(frame));
    name += ".gif";
    return name;
}

std::string DeathPictureName(int64_t picture) {
    return "gif\\d" + std::to_string(picture) + ".gif";
}

}  // namespace velmora::rules

#include "rules/script_syntax.h"

#include <array>

namespace velmora::rules {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Kept in step with Rules::RunStatement, which handles exactly these.
const std::vector<StatementForm>& Statements() {
    using enum ArgKind;
    static const std::vector<StatementForm> forms = {
        {"show", {Object}, 1},
        {"hide", {Object}, 1},
        {"takeable", {Object}, 1},
        {"notakeable", {Object}, 1},
        {"drop", {Object}, 1},
        {"take", {Object}, 1},
        {"notexam", {Object}, 1},
        {"setostat", {Object, Number}, 2},
        {"open", {Direction}, 1},
        {"close", {Direction}, 1},
        {"frame", {Number}, 1},
        {"pic", {}, 0},
        {"state", {Number}, 1},
        {"anykey", {}, 0},
        {"wait", {}, 0},
        {"go", {Screen}, 1},
        {"say", {Text}, 0},
        {"mes", {Number}, 0},
        {"force", {Number}, 1},
        {"ifnt", {Number, Statement}, 2},
        {"call", {Number}, 0},
        {"health", {Number}, 1},
        {"map", {Number}, 1},
        {"inter", {Number}, 1},
        {"die", {Number, Number}, 0},
        {"exit", {}, 0},
        {"snd", {Text}, 1},
        {"ret", {}, 0},
    };
    return forms;
}

}  // namespace

bool OpensBlock(std::string_view trimmedLine) {
    return StartsWith(trimmedLine, "if ");
}

BlockLines ScanBlock(const std::vector<std::string>& lines, size_t opener) {
    BlockLines block;
    int depth = 1;
    for (size_t j = opener + 1; j < lines.size(); ++j) {
        const std::string_view raw = lines[j];
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

const StatementForm* FindStatement(std::string_view keyword) {
    for (const StatementForm& form : Statements()) {
        if (keyword == form.keyword) return &form;
    }
    return nullptr;
}

bool IsConditionKeyword(std::string_view keyword) {
    constexpr std::array<std::string_view, 5> kConditions = {"done", "curss", "ostat", "going",
                                                             "carry"};
    for (std::string_view c : kConditions) {
        if (keyword == c) return true;
    }
    return false;
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

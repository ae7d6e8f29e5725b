#include "rules/script_syntax.h"

#include <algorithm>
#include <cstdint>

#include "base/cp1251.h"

namespace velmora::rules {
bool OpensBlock(std::string_view trimmedLine) {
    return trimmedLine.starts_with("if ");
}

BlockLines ScanBlock(std::span<const std::string> lines, size_t opener) {
    BlockLines block;
    int depth = 1;
    for (size_t j = opener + 1; j < lines.size(); ++j) {
        const std::string_view raw = lines[j];
        // Most lines are statements: one letter tells (a deep nest is scanned once a level).
        if (raw.empty() || (raw[0] != 'i' && raw[0] != 'e')) continue;
        if (raw.starts_with("if ")) ++depth;
        if (raw.starts_with("endif")) --depth;
        if (raw.starts_with("else") && block.elseLine == 0 && depth == 1) block.elseLine = j;
        if (depth == 0) {
            block.endLine = j;
            break;
        }
    }
    return block;
}

// A block opened at the first column is matched as brackets are. A line that
// opens one only once trimmed (an indented if) is not counted by the scan of
// another block, yet its own scan ends at the next else and endif of the
// level it stands on: it waits on that level. The waiting openers of a level
// are linked through `next`, so a level costs a few words however deep.
BlockTable::BlockTable(std::span<const std::string> lines) : blocks_(lines.size()) {
    constexpr uint32_t kNone = UINT32_MAX;
    struct Level {
        uint32_t opener = kNone;  // none: the script's own level
        uint32_t waiting = kNone;   // indented openers without an else yet
        uint32_t withElse = kNone;  // and with one
    };
    std::vector<uint32_t> next(lines.size(), kNone);
    std::vector<Level> levels(1);
    // A script within the cap of a project's text has far fewer lines than this.
    const size_t count = std::min<size_t>(lines.size(), kNone);
    for (uint32_t j = 0; j < count; ++j) {
        const std::string_view raw = lines[j];
        if (raw.starts_with("if ")) {
            levels.push_back({j, kNone, kNone});
            continue;
        }
        Level& level = levels.back();
        if (raw.starts_with("endif")) {
            if (level.opener != kNone) blocks_[level.opener].endLine = j;
            for (uint32_t list : {level.waiting, level.withElse}) {
                for (uint32_t w = list; w != kNone; w = next[w]) blocks_[w].endLine = j;
            }
            if (levels.size() > 1) {
                levels.pop_back();
            } else {
                level.waiting = level.withElse = kNone;
            }
        } else if (raw.starts_with("else")) {
            if (level.opener != kNone && blocks_[level.opener].elseLine == 0) blocks_[level.opener].elseLine = j;
            while (level.waiting != kNone) {
                const uint32_t w = level.waiting;
                level.waiting = next[w];
                blocks_[w].elseLine = j;
                next[w] = level.withElse;
                level.withElse = w;
            }
        } else if (OpensBlock(base::TrimBlanks(raw))) {
            next[j] = level.waiting;
            level.waiting = j;
        }
    }
}

BlockLines BlockTable::At(size_t from, size_t to, size_t opener) const {
    const Found& b = blocks_[from + opener];
    // A branch ends before its block's else or endif: what lies past it is not there.
    auto inside = [&](size_t line) { return line != 0 && line < to ? line - from : 0; };
    return {inside(b.elseLine), inside(b.endLine)};
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

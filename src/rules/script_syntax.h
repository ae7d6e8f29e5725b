// How the script runner reads a script's shape: which lines open a block,
// where a block's else and endif stand, and which keywords are statements and
// conditions. The runner uses these itself; the authors' checker reads
// scripts through them too, so both always agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "world/records.h"

namespace velmora::rules {

// A trimmed line that opens a block: "if " in lower case at its start.
bool OpensBlock(std::string_view trimmedLine);

// The else and endif lines of the block opened at `opener`. Lines are looked
// at as they stand: nested block lines count only at the first column, and
// keywords are case-sensitive. 0 means none (line 0 can be neither).
struct BlockLines {
    size_t elseLine = 0;
    size_t endLine = 0;
};
BlockLines ScanBlock(std::span<const std::string> lines, size_t opener);

// The else and endif of every block of a script, found in one pass: the
// answer ScanBlock gives for any line of any branch, in time linear in the
// script however deep its blocks nest (ScanBlock takes a pass a level).
class BlockTable {
public:
    explicit BlockTable(std::span<const std::string> lines);
    // ScanBlock(lines [from, to) of the script, opener), the opener and the
    // result counted from `from`.
    BlockLines At(size_t from, size_t to, size_t opener) const;

private:
    struct Found {
        uint32_t elseLine = 0;
        uint32_t endLine = 0;
    };
    std::vector<Found> blocks_;  // by line of the whole script
};

// What a statement's or condition's argument is.
enum class ArgKind {
    Object,     // an object's title, one word
    Number,     // a decimal number
    Direction,  // север/юг/восток/запад or n/s/e/w
    Screen,     // a screen's title, one word
    Text,       // the rest of the line after the keyword
    Statement,  // the rest of the line from the third word: a statement
};

// What a statement needs of the world; without it the line does nothing.
enum class Needs {
    Nothing,
    Object,  // its first word names an object of the map
    Screen,  // the hero stands on a screen
};

class Rules;
// One statement line as the runner hands it to the statement's handler:
// the words (at most nine), the trimmed line, and what the form needs.
struct StatementCall {
    const std::vector<std::string>& words;
    std::string_view line;
    const std::string& keyword;  // lower case
    world::MScreen* screen;      // the hero's screen, or null
    world::MObj* object;         // Needs::Object: the named object
};
// False stops the script.
using RunStatementFn = bool (*)(Rules&, const StatementCall&);
using TestConditionFn = bool (*)(Rules&, const std::vector<std::string>& words);

// The script language, one row a keyword: the runner dispatches through
// these tables and the authors' checker reads them.
struct StatementForm {
    const char* keyword;  // lower case
    // The arguments in order; `required` of them must be given, the rest
    // take a default.
    std::vector<ArgKind> args;
    size_t required;
    Needs needs;
    RunStatementFn run;
};

struct ConditionForm {
    const char* keyword;  // lower case
    std::vector<ArgKind> args;
    size_t required;
    TestConditionFn test;
};

const std::vector<StatementForm>& StatementForms();
const std::vector<ConditionForm>& ConditionForms();

// The form of a statement keyword (lower case), or null for a keyword that
// RunStatement does not know (such a line does nothing).
const StatementForm* FindStatement(std::string_view keyword);
// The form of a condition keyword, or null (such a condition is false).
const ConditionForm* FindCondition(std::string_view keyword);

// The condition keywords TestCondition knows (lower case).
bool IsConditionKeyword(std::string_view keyword);

// The pictures the rules show, relative to the project folder: a screen's
// "gif\<n>.gif" (frame 0) or "gif\<n>-<frame>.gif", a death's "gif\d<n>.gif".
std::string ScreenPictureName(int64_t n, int64_t frame);
std::string DeathPictureName(int64_t picture);

}  // namespace velmora::rules

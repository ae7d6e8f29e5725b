// What the checker found: one line per problem, "FILE:KEY: problem" or
// "FILE: problem", each an error (the game breaks) or a warning (the game
// allows it, the author may not have meant it).
#pragma once

#include <cstddef>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace velmora::check {

enum class Severity { Warning, Error };

// The kinds of warning, so that an author can allow one kind under --strict
// (a game shipped without music on purpose allows no-music).
namespace kind {
inline constexpr const char* kNoMusic = "no-music";         // menu.mid, map1.mid, #play
inline constexpr const char* kNoPicture = "no-picture";     // screen, page, frame, death pictures
inline constexpr const char* kNoSound = "no-sound";         // snd, #snd
inline constexpr const char* kNoMenu = "no-menu";           // menu.txt, gmenu.txt
inline constexpr const char* kNothing = "does-nothing";     // a line the game runs as nothing
inline constexpr const char* kDeadEnd = "dead-end";         // what may leave a player stuck
inline constexpr const char* kUnreachable = "unreachable";  // screens and lines never reached
inline constexpr const char* kKeys = "keys";        // key lines: missing, repeated, misspelled
inline constexpr const char* kFile = "file";        // a file's bytes: zero byte, cut off
inline constexpr const char* kRefusal = "refusal";  // a walkthrough heard a standard refusal
inline constexpr const char* kOther = "other";
}  // namespace kind

// Every kind, for the help text and to refuse a misspelled --allow.
const std::vector<std::string>& WarningKinds();

struct Finding {
    Severity severity;
    std::string file;     // as shown to the author, UTF-8
    std::string key;      // the line's name ("Scr3OnEnter"), or empty for the whole file
    std::string problem;  // UTF-8
    std::string kind = kind::kOther;  // of a warning
    // A warning the checker proves, not suspects (a key the game never reads
    // a slip away from one it does, a line or a command that can never work):
    // under --strict it fails whatever kinds are allowed.
    bool proven = false;
};

class Report {
  public:
    // A damaged project could yield a finding per line; past this many the
    // rest are only counted.
    static constexpr size_t kMaxKept = 5000;

    void Error(std::string file, std::string key, std::string problem) {
        Add({Severity::Error, std::move(file), std::move(key), std::move(problem)});
    }
    void Warning(std::string file, std::string key, std::string problem,
                 std::string kind = kind::kOther) {
        Add({Severity::Warning, std::move(file), std::move(key), std::move(problem),
             std::move(kind)});
    }
    void Add(Finding finding);

    const std::vector<Finding>& findings() const { return findings_; }
    size_t errors() const { return errors_; }
    size_t warnings() const { return warnings_; }
    // Whether the check failed: any error, or with `strict` any warning of a
    // kind not in `allowed`, or any proven warning.
    bool Failed(bool strict, const std::set<std::string>& allowed = {}) const;
    // Why --strict fails a report without errors, for the line after the
    // summary (which counts only errors and warnings); empty when it passes.
    std::string StrictVerdict(const std::set<std::string>& allowed) const;

    // "error: FILE:KEY: problem" or "warning: FILE: problem [kind]". A key
    // or problem is cut short: a hostile file can make either huge.
    static std::string Line(const Finding& finding);
    // Every finding, then the summary line.
    void Print(std::ostream& out) const;
    std::string Summary() const;

  private:
    std::vector<Finding> findings_;
    size_t errors_ = 0;
    size_t warnings_ = 0;
    size_t proven_ = 0;
    std::map<std::string, size_t> kinds_;  // warnings by kind
};

}  // namespace velmora::check

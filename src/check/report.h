// What the checker found: one line per problem, "FILE:KEY: problem" or
// "FILE: problem", each an error (the game breaks) or a warning (the game
// allows it, the author may not have meant it).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace velmora::check {

enum class Severity { Warning, Error };

struct Finding {
    Severity severity;
    std::string file;     // as shown to the author, UTF-8
    std::string key;      // the line's name ("Scr3OnEnter"), or empty for the whole file
    std::string problem;  // UTF-8
};

class Report {
  public:
    // A damaged project could yield a finding per line; past this many the
    // rest are only counted.
    static constexpr size_t kMaxKept = 5000;

    void Error(std::string file, std::string key, std::string problem) {
        Add({Severity::Error, std::move(file), std::move(key), std::move(problem)});
    }
    void Warning(std::string file, std::string key, std::string problem) {
        Add({Severity::Warning, std::move(file), std::move(key), std::move(problem)});
    }
    void Add(Finding finding);

    const std::vector<Finding>& findings() const { return findings_; }
    size_t errors() const { return errors_; }
    size_t warnings() const { return warnings_; }
    // Whether the check failed: any error, or with `strict` any warning.
    bool Failed(bool strict) const { return errors_ > 0 || (strict && warnings_ > 0); }

    // "error: FILE:KEY: problem" or "warning: FILE: problem".
    static std::string Line(const Finding& finding);
    // Every finding, then the summary line.
    void Print(std::ostream& out) const;
    std::string Summary() const;

  private:
    std::vector<Finding> findings_;
    size_t errors_ = 0;
    size_t warnings_ = 0;
};

}  // namespace velmora::check

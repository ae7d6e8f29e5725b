#include "check/report.h"

#include "base/terminal_text.h"

namespace velmora::check {

namespace {

// At most `limit` bytes of UTF-8 text, never cutting a character.
std::string Cut(std::string text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text + "...";
}

}  // namespace

const std::vector<std::string>& WarningKinds() {
    static const std::vector<std::string> kinds = {
        kind::kNoMusic, kind::kNoPicture, kind::kNoSound,     kind::kNoMenu,
        kind::kNothing, kind::kDeadEnd,   kind::kUnreachable, kind::kKeys,
        kind::kFile,    kind::kRefusal,   kind::kOther};
    return kinds;
}

void Report::Add(Finding finding) {
    if (finding.severity == Severity::Error) {
        ++errors_;
    } else {
        ++warnings_;
        ++kinds_[finding.kind];
        if (finding.proven) ++proven_;
    }
    if (findings_.size() >= kMaxKept) return;
    finding.key = Cut(std::move(finding.key), 120);
    finding.problem = Cut(std::move(finding.problem), 800);
    findings_.push_back(std::move(finding));
}

bool Report::Failed(bool strict, const std::set<std::string>& allowed) const {
    if (errors_ > 0) return true;
    if (!strict) return false;
    if (proven_ > 0) return true;
    for (const auto& [kind, count] : kinds_) {
        if (count > 0 && !allowed.contains(kind)) return true;
    }
    return false;
}

std::string Report::StrictVerdict(const std::set<std::string>& allowed) const {
    if (errors_ > 0 || !Failed(true, allowed)) return "";
    // Appended piece by piece: GCC 12 at -O3 takes chains of + on short
    // literals for an overlapping copy (-Wrestrict).
    std::string why = "check: fails under --strict:";
    if (proven_ > 0) {
        why.append(" ").append(std::to_string(proven_));
        why.append(proven_ == 1 ? " warning proves" : " warnings prove");
        why.append(" what the game cannot do as written (whatever --allow passes)");
    }
    bool first = true;
    for (const auto& [kind, count] : kinds_) {
        if (count == 0 || allowed.contains(kind)) continue;
        if (first) why.append(proven_ > 0 ? "; warnings of kinds not allowed: " : " warnings of kinds not allowed: ");
        else why.append(", ");
        why.append(kind);
        first = false;
    }
    return why;
}

std::string Report::Line(const Finding& f) {
    std::string line = f.severity == Severity::Error ? "error: " : "warning: ";
    line += f.file;
    if (!f.key.empty()) line += ":" + f.key;
    line += ": " + f.problem;
    if (f.severity == Severity::Warning) line += " [" + f.kind + "]";
    // Findings quote project lines and file names, and the report is read on a terminal.
    return base::TerminalSafe(line);
}

std::string Report::Summary() const {
    return "check: " + std::to_string(errors_) + (errors_ == 1 ? " error, " : " errors, ") +
           std::to_string(warnings_) + (warnings_ == 1 ? " warning" : " warnings");
}

void Report::Print(std::ostream& out) const {
    for (const Finding& f : findings_) out << Line(f) << '\n';
    const size_t shown = findings_.size();
    if (errors_ + warnings_ > shown) {
        out << "... " << errors_ + warnings_ - shown << " more not shown\n";
    }
    out << Summary() << '\n';
}

}  // namespace velmora::check

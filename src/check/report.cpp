#include "check/report.h"

namespace velmora::check {

void Report::Add(Finding finding) {
    (finding.severity == Severity::Error ? errors_ : warnings_) += 1;
    if (findings_.size() < kMaxKept) findings_.push_back(std::move(finding));
}

std::string Report::Line(const Finding& f) {
    std::string line = f.severity == Severity::Error ? "error: " : "warning: ";
    line += f.file;
    if (!f.key.empty()) line += ":" + f.key;
    line += ": " + f.problem;
    return line;
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

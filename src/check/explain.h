// What each kind of the checker's findings means, as the authors' guide
// explains it: `velmora-tool check --explain KIND` prints the guide's section.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::check {

// The kind of an error: errors have no kind of their own, but an author may
// ask what one means.
inline constexpr const char* kErrorKind = "error";

struct KindSection {
    std::string kind;
    std::string heading;  // the guide's heading, UTF-8, without its #s
};

// Every kind the checker reports (the warning kinds, then "error") with the
// guide's section that explains it.
std::vector<KindSection> KindSections();

// The section of the guide about `kind` (UTF-8 Markdown, its heading first),
// or none for a kind the checker does not have or a section the guide lacks.
std::optional<std::string> ExplainKind(std::string_view kind);

// The section of `guide` under the heading `heading`, up to the next heading
// of the same or a higher level; none when there is no such heading.
std::optional<std::string> GuideSection(std::string_view guide, std::string_view heading);

// `velmora-tool check --explain [KIND]`: with a kind, its section of the
// guide; without, every kind with its section's heading. Status 0, 1 when a
// kind has no section in the guide, 2 for a kind the checker does not have.
int PrintExplanation(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::check

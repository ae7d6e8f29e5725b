#include "check/explain.h"

#include "check/guide_text.h"  // made at build time from doc/guide/reference.md
#include "base/terminal_text.h"
#include "check/report.h"

namespace velmora::check {
namespace {

// The heading of the guide's section on each kind; a kind the checker gains
// without a line here makes --explain of it fail, and its test with it.
constexpr std::pair<const char*, const char*> kSections[] = {
    {kind::kNoMusic, "no-music — нет музыки"},
    {kind::kNoPicture, "no-picture — нет картинки"},
    {kind::kNoSound, "no-sound — нет звука"},
    {kind::kNoMenu, "no-menu — нет меню"},
    {kind::kNothing, "does-nothing — строка ничего не делает"},
    {kind::kDeadEnd, "dead-end — тупик"},
    {kind::kUnreachable, "unreachable — недостижимо"},
    {kind::kKeys, "keys — ключевые строки"},
    {kind::kFile, "file — байты файла"},
    {kind::kRefusal, "refusal — отказ игры"},
    {kind::kOther, "other — прочее"},
    {kErrorKind, "error — ошибка"},
};

std::string_view Guide() {
    return {reinterpret_cast<const char*>(kGuideReference), sizeof kGuideReference};
}

const char* HeadingOf(std::string_view kind) {
    for (const auto& [k, heading] : kSections) {
        if (kind == k) return heading;
    }
    return nullptr;
}

size_t Level(std::string_view line) {
    size_t n = 0;
    while (n < line.size() && line[n] == '#') ++n;
    return n > 0 && n < line.size() && line[n] == ' ' ? n : 0;
}

}  // namespace

std::vector<KindSection> KindSections() {
    std::vector<KindSection> sections;
    std::vector<std::string> kinds = WarningKinds();
    kinds.emplace_back(kErrorKind);
    for (const std::string& kind : kinds) {
        const char* heading = HeadingOf(kind);
        sections.push_back({kind, heading != nullptr ? heading : ""});
    }
    return sections;
}

std::optional<std::string> GuideSection(std::string_view guide, std::string_view heading) {
    size_t level = 0;
    size_t start = std::string_view::npos;
    bool fenced = false;
    for (size_t at = 0; at < guide.size();) {
        size_t end = guide.find('\n', at);
        if (end == std::string_view::npos) end = guide.size();
        const std::string_view line = guide.substr(at, end - at);
        // A # inside a fenced block is a comment of a file, not a heading.
        if (line.starts_with("```")) fenced = !fenced;
        const size_t n = fenced ? 0 : Level(line);
        if (start == std::string_view::npos) {
            if (n > 0 && line.substr(n + 1) == heading) {
                start = at;
                level = n;
            }
        } else if (n > 0 && n <= level) {
            return std::string(guide.substr(start, at - start));
        }
        at = end + 1;
    }
    if (start == std::string_view::npos) return std::nullopt;
    return std::string(guide.substr(start));
}

std::optional<std::string> ExplainKind(std::string_view kind) {
    const char* heading = HeadingOf(kind);
    if (heading == nullptr) return std::nullopt;
    std::optional<std::string> section = GuideSection(Guide(), heading);
    if (!section) return std::nullopt;
    while (!section->empty() && section->back() == '\n') section->pop_back();
    return section;
}

int PrintExplanation(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() > 1) {
        err << "velmora-tool: --explain takes one kind; try 'velmora-tool --help'\n";
        return 2;
    }
    if (args.empty()) {
        int status = 0;
        for (const KindSection& s : KindSections()) {
            if (!ExplainKind(s.kind)) {
                err << "velmora-tool: the guide has no section on " << s.kind << '\n';
                status = 1;
                continue;
            }
            out << s.heading << '\n';
        }
        return status;
    }
    const std::string& kind = args.front();
    const std::vector<KindSection> kinds = KindSections();
    bool known = false;
    for (const KindSection& s : kinds) known = known || s.kind == kind;
    if (!known) {
        err << "velmora-tool: " << base::TerminalSafe(kind) << ": no such kind; kinds:";
        for (const KindSection& s : kinds) err << ' ' << s.kind;
        err << '\n';
        return 2;
    }
    const std::optional<std::string> text = ExplainKind(kind);
    if (!text) {
        err << "velmora-tool: the guide has no section on " << kind << '\n';
        return 1;
    }
    // Line by line: the terminal gets no control character, and each line stays one.
    size_t at = 0;
    while (at <= text->size()) {
        size_t end = text->find('\n', at);
        if (end == std::string::npos) end = text->size();
        out << base::TerminalSafe(std::string_view(*text).substr(at, end - at)) << '\n';
        at = end + 1;
    }
    return 0;
}

}  // namespace velmora::check

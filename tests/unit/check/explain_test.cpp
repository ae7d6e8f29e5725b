// How a section of the guide is cut out for --explain.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "check/explain.h"

namespace velmora::check {
namespace {

constexpr const char* kGuide =
    "# Guide\n"
    "intro\n"
    "## Scripts\n"
    "text\n"
    "```keys\n"
    "# a comment, not a heading\n"
    "```\n"
    "### Statements\n"
    "table\n"
    "## Checker\n"
    "### keys — lines\n"
    "about keys\n"
    "### file — bytes\n"
    "about files";

TEST(GuideSection, CutsAtTheNextHeadingOfItsLevel) {
    struct Case {
        const char* heading;
        std::optional<std::string> section;
    } cases[] = {
        // A subsection stays inside; a # line in a fenced block is no heading.
        {"Scripts",
         "## Scripts\ntext\n```keys\n# a comment, not a heading\n```\n### Statements\ntable\n"},
        {"Statements", "### Statements\ntable\n"},
        {"keys — lines", "### keys — lines\nabout keys\n"},
        // The last section runs to the end, without a final line end.
        {"file — bytes", "### file — bytes\nabout files"},
        // Only whole headings: neither a part of one nor a fenced comment.
        {"keys", std::nullopt},
        {"a comment, not a heading", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GuideSection(kGuide, c.heading), c.section) << c.heading;
    }
}

TEST(ExplainKind, EveryKindHasItsOwnSection) {
    for (const KindSection& s : KindSections()) {
        ASSERT_FALSE(s.heading.empty()) << s.kind;
        const std::optional<std::string> text = ExplainKind(s.kind);
        ASSERT_TRUE(text.has_value()) << s.kind;
        EXPECT_EQ(text->substr(0, 4 + s.heading.size()), "### " + s.heading) << s.kind;
        EXPECT_GT(text->size(), 4 + s.heading.size() + 20) << s.kind;
    }
    EXPECT_FALSE(ExplainKind("no-such-kind").has_value());
}

}  // namespace
}  // namespace velmora::check

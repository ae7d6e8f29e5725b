#include "frontend/sdl/text_layout.h"

#include <string>

#include <gtest/gtest.h>

#include "base/encoding.h"

namespace velmora::frontend::sdl {
namespace {

// Every character 10 pixels wide.
int TenEach(std::string_view s) { return static_cast<int>(s.size()) * 10; }

std::string Shown(const std::string& text, const TextLine& line) {
    return text.substr(static_cast<size_t>(line.start), static_cast<size_t>(line.length));
}

TEST(TextLayout, LongRussianTextWrapsAtSpacesWithinTheWidth) {
    const std::string text =
        base::Utf8ToCp1251("Вы стоите на опушке тёмного леса, и тропа уходит на север к старой мельнице");
    const auto lines = WrapText(text, 200, true, TenEach);
    ASSERT_GT(lines.size(), 3u);
    std::string joined;
    for (const TextLine& line : lines) {
        const std::string s = Shown(text, line);
        EXPECT_LE(TenEach(s), 200) << base::Cp1251ToUtf8(s);
        EXPECT_FALSE(s.empty());
        EXPECT_NE(s.front(), ' ');
        EXPECT_NE(s.back(), ' ');
        joined += (joined.empty() ? "" : " ") + s;
    }
    EXPECT_EQ(joined, text);  // no word lost or cut
}

TEST(TextLayout, LineBreaksAndWordsWiderThanTheBox) {
    const std::string text = "ab\r\ncd\nef\r\r\n";
    const auto lines = WrapText(text, 1000, true, TenEach);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Shown(text, lines[0]), "ab");
    EXPECT_EQ(Shown(text, lines[1]), "cd");
    EXPECT_EQ(Shown(text, lines[2]), "ef");
    EXPECT_EQ(Shown(text, lines[3]), "");
    EXPECT_EQ(Shown(text, lines[4]), "");

    const std::string word = "abcdefghij";  // 100 px in a 35 px box
    const auto cut = WrapText(word, 35, true, TenEach);
    ASSERT_EQ(cut.size(), 4u);
    EXPECT_EQ(Shown(word, cut[0]), "abc");
    EXPECT_EQ(Shown(word, cut[3]), "j");
    // A box narrower than one character still moves on.
    EXPECT_EQ(WrapText(word, 5, true, TenEach).size(), word.size());
    // Without wrapping a long line stays one line.
    EXPECT_EQ(WrapText(word, 35, false, TenEach).size(), 1u);
    EXPECT_EQ(WrapText("", 35, true, TenEach).size(), 1u);
}

TEST(TextLayout, CaretLineAndScrolling) {
    const std::string text = "one two three\r\nfour";
    const auto lines = WrapText(text, 80, true, TenEach);  // "one two", "three", "four"
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(LineOfPosition(lines, 0), 0);
    EXPECT_EQ(LineOfPosition(lines, 9), 1);
    EXPECT_EQ(LineOfPosition(lines, static_cast<int>(text.size())), 2);

    EXPECT_EQ(FirstShownLine(2, 20, 5), 0);   // fits from the top
    EXPECT_EQ(FirstShownLine(19, 20, 5), 15); // caret line at the bottom
    EXPECT_EQ(FirstShownLine(7, 20, 0), 7);   // a box smaller than a line
}

}  // namespace
}  // namespace velmora::frontend::sdl

// A project's text as editors save it, turned into the game's 1251.
#include "base/project_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/encoding.h"
#include "base/file_error.h"

namespace velmora::base {
namespace {

TEST(ProjectText, EditorsFilesBecome1251OrNameTheLineThatCannot) {
    const struct {
        const char* what;
        std::string bytes;
        std::string text;     // 1251 when read
        bool utf8;
        std::string problem;  // when refused
    } cases[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBFMapTitle=\xD0\x97\xD0\xB0\xD0\xBC\xD0\xBE\xD0\xBA\r\n",
         "MapTitle=\xC7\xE0\xEC\xEE\xEA\r\n", true, ""},
        {"UTF-8 without a mark", "A=\xD1\x91\xD0\x81 \xC2\xAB\xE2\x80\x94\xC2\xBB\n",
         "A=\xB8\xA8 \xAB\x97\xBB\n", true, ""},
        {"plain ASCII", "MapTitle=Gate\r\n", "MapTitle=Gate\r\n", false, ""},
        {"ASCII with the mark", "\xEF\xBB\xBFGame=1", "Game=1", true, ""},
        {"1251 Russian", "A=\xC7\xE0\xEC\xEE\xEA", "A=\xC7\xE0\xEC\xEE\xEA", false, ""},
        // DB B8 is also the UTF-8 of U+06F8, a letter no Russian file holds.
        {"1251 that looks like UTF-8", "A=\xDB\xB8", "A=\xDB\xB8", false, ""},
        {"1251 with a UTF-8 line pasted in", "A=\xC7\xE0\r\nB=\xD0\x97\n",
         "A=\xC7\xE0\r\nB=\xD0\x97\n", false, ""},
        {"a character 1251 lacks, on its line", "A=\xD0\x94\r\nB=x\rC=\xE2\x9C\x93\n", "", true,
         "строка 3: знак «✓» (U+2713) нельзя записать в кодировке 1251"},
        {"a sign alone 1251 lacks", "A=\xE2\x9C\x93", "", true,
         "строка 1: знак «✓» (U+2713) нельзя записать в кодировке 1251"},
        {"a character 1251 lacks after the mark", "\xEF\xBB\xBF\n\n\xF0\x9F\x99\x82", "", true,
         "строка 3: знак «\xF0\x9F\x99\x82» (U+1F642)"},
        {"broken UTF-8 after the mark", "\xEF\xBB\xBF" "A=1\r\nB=\xC7\xE0", "", true,
         "строка 2: файл начинается с метки UTF-8, но здесь байты не UTF-8"},
        {"broken UTF-8 without a mark is 1251", "A=\xD0\x97\xD0", "A=\xD0\x97\xD0", false, ""},
        {"an overlong sequence is 1251", "A=\xC0\xAF", "A=\xC0\xAF", false, ""},
        {"a UTF-16 surrogate is 1251", "A=\xED\xA0\x80", "A=\xED\xA0\x80", false, ""},
    };
    for (const auto& c : cases) {
        if (c.problem.empty()) {
            const ProjectText got = DecodeProjectText(c.bytes, "map1.ini");
            EXPECT_EQ(got.text, c.text) << c.what;
            EXPECT_EQ(got.wasUtf8, c.utf8) << c.what;
            continue;
        }
        try {
            DecodeProjectText(c.bytes, "map1.ini");
            ADD_FAILURE() << c.what << ": read";
        } catch (const FileError& e) {
            EXPECT_EQ(e.file(), "map1.ini") << c.what;
            EXPECT_EQ(e.problem().rfind(c.problem, 0), 0u) << c.what << ": " << e.problem();
        }
    }
}

TEST(ProjectText, EveryCharacterOf1251ComesBackFromUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b != 0x98) all += static_cast<char>(b);
    }
    const ProjectText got = DecodeProjectText("\xEF\xBB\xBF" + Cp1251ToUtf8(all), "x");
    EXPECT_EQ(got.text, all);
    EXPECT_EQ(LineOfUnconvertible1251(all), std::nullopt);
    EXPECT_EQ(LineOfUnconvertible1251("a\r\nb\nc\x98"), 3u);
}

}  // namespace
}  // namespace velmora::base

#include "world/key_lines.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "base/file_error.h"
#include "world/key_access.h"

namespace velmora::world {
namespace {

TEST(Escaping, TextsRoundTripExceptDroppedControlCharacters) {
    EXPECT_EQ(UnescapeValue(EscapeValue("a\\b")), "a\\b");
    EXPECT_EQ(EscapeValue("a\\b"), "a\\\\b");
    EXPECT_EQ(EscapeValue("one\r\ntwo"), "one\\ntwo");
    EXPECT_EQ(UnescapeValue(EscapeValue("one\r\ntwo")), "one\r\ntwo");
    EXPECT_EQ(UnescapeValue(EscapeValue("a\nb\tc")), "abc");
    // Bytes from 128 up are text, not control characters.
    EXPECT_EQ(EscapeValue("\xC0\x9D\xFF"), "\xC0\x9D\xFF");
    EXPECT_EQ(UnescapeValue("\\\\n"), "\\n");
}

TEST(Escaping, UnknownEscapesAndATrailingBackslashVanish) {
    EXPECT_EQ(UnescapeValue("x\\qy"), "xy");
    EXPECT_EQ(UnescapeValue("abc\\"), "abc");
    EXPECT_EQ(UnescapeValue("\\N"), "");
    EXPECT_EQ(UnescapeValue("\\"), "");
}

TEST(ProjectKeyLines, EditorsFilesReadAsTheir1251Twin) {
    const std::string plain = "MapTitle=\xC7\xE0\xEC\xEE\xEA\r\nMapAuthor=\xDF\r\n";
    const std::string utf8 = "MapTitle=\xD0\x97\xD0\xB0\xD0\xBC\xD0\xBE\xD0\xBA\r\nMapAuthor=\xD0\xAF\r\n";
    const struct {
        const char* what;
        std::string bytes;
        bool scrambled;
        bool utf8;
    } cases[] = {
        {"1251 plain", plain, false, false},
        {"1251 scrambled", Scramble(plain), true, false},
        {"UTF-8 plain", utf8, false, true},
        {"UTF-8 scrambled", Scramble(utf8), true, true},
        {"UTF-8 with the mark", "\xEF\xBB\xBF" + utf8, false, true},
        {"UTF-8 with the mark, scrambled", Scramble("\xEF\xBB\xBF" + utf8), true, true},
        {"cut at a zero byte", utf8 + std::string("\0junk\xFF", 6), false, true},
        {"with the mark, cut at a zero byte", "\xEF\xBB\xBF" + utf8 + std::string("\0\xFF", 2), false,
         true},
    };
    for (const auto& c : cases) {
        const ProjectKeyLines got = DecodeProjectKeyLines(c.bytes, "map1.ini");
        EXPECT_EQ(got.text, plain) << c.what;
        EXPECT_EQ(got.scrambled, c.scrambled) << c.what;
        EXPECT_EQ(got.wasUtf8, c.utf8) << c.what;
    }
    EXPECT_THROW(DecodeProjectKeyLines(Scramble("MapTitle=\xE2\x9C\x93"), "map1.ini"), base::FileError);
}

TEST(Integers, OnlyWholeDecimalNumbersInRange) {
    EXPECT_EQ(ParseInt32("42", 7), 42);
    EXPECT_EQ(ParseInt32("-2", 7), -2);
    EXPECT_EQ(ParseInt32("+3", 7), 3);
    EXPECT_EQ(ParseInt32("  5", 7), 5);
    EXPECT_EQ(ParseInt32("5a", 7), 7);
    EXPECT_EQ(ParseInt32("5 ", 7), 7);
    EXPECT_EQ(ParseInt32("", 7), 7);
    EXPECT_EQ(ParseInt32("-", 7), 7);
    EXPECT_EQ(ParseInt32("2147483647", 7), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648", 7), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483648", 7), 7);
    EXPECT_EQ(ParseInt32("99999999999999999999999", 7), 7);
}

TEST(KeyLines, LookupIsCaseBlindFirstMatchAndUntrimmed) {
    const TMyIniList list =
        TMyIniList::FromText("MapTitle= First \r\nmaptitle=Second\nno equals here\rScr0no=3=4");
    std::string_view v;
    ASSERT_TRUE(list.Find("MAPTITLE", v));
    EXPECT_EQ(v, " First ");
    ASSERT_TRUE(list.Find("Scr0no", v));
    EXPECT_EQ(v, "3=4");
    EXPECT_FALSE(list.Find("no equals here", v));
    EXPECT_FALSE(list.Find("MapTitl", v));
    EXPECT_EQ(list.LineCount(), 4u);
    // Cyrillic letters in names match in either case too.
    const TMyIniList ru = TMyIniList::FromText("Game\xC8\xEC\xFF=1");  // GameИмя
    ASSERT_TRUE(ru.Find("game\xE8\xEC\xFF", v));
}

TEST(KeyLines, LineEndsAndTheFirstZeroByte) {
    const TMyIniList list = TMyIniList::FromText("A=1\r\rB=2\r\n\nC=3");
    EXPECT_EQ(list.LineCount(), 5u);  // two empty lines between
    std::string_view v;
    EXPECT_TRUE(list.Find("C", v));

    const std::string withZero("GameA=1\r\nGameB=2\0GameC=3", 23);
    const TMyIniList cut = TMyIniList::FromFileBytes(withZero);
    EXPECT_TRUE(cut.Find("GameB", v));
    EXPECT_FALSE(cut.Find("GameC", v));
}

TEST(KeyLines, PlainAndScrambledFilesReadAlike) {
    const std::string plain = "GameNotInterCnt=1\r\nGameNotInter0=\xCD\xE5\xF2\r\n";
    const std::string scrambled = Scramble(plain);
    EXPECT_TRUE(IsPlainKeyLines(plain));
    EXPECT_FALSE(IsPlainKeyLines(scrambled));
    EXPECT_EQ(TMyIniList::FromFileBytes(scrambled).ToText(), plain);
    EXPECT_EQ(TMyIniList::FromFileBytes(plain).ToText(), plain);
    // A scrambled zero byte (0x9D) still ends the text.
    EXPECT_EQ(PlainKeyLines(Scramble(std::string("MapA=1\0MapB=2", 13))), "MapA=1");
    // Short files are taken as scrambled.
    EXPECT_EQ(PlainKeyLines("Ga"), Scramble("Ga"));
    // Only exact "Gam", "Map", "Her" mean plain.
    EXPECT_FALSE(IsPlainKeyLines("game"));
    EXPECT_TRUE(IsPlainKeyLines("Hero"));
}

TEST(KeyLines, WrittenFilesReplaceInPlaceAndNeverLookPlain) {
    TMyIniList list;
    list.Set("HeroHealth", "50");
    list.Set("HeroLevel", "1");
    list.Set("heroHEALTH", "40");  // replaces the first line, in place
    EXPECT_EQ(list.ToText(), "heroHEALTH=40\r\nHeroLevel=1\r\n");
    const std::string bytes = list.ToFileBytes();
    EXPECT_FALSE(IsPlainKeyLines(bytes));
    EXPECT_EQ(Scramble(bytes), list.ToText());
    std::string_view v;
    ASSERT_TRUE(list.Find("HeroHealth", v));
    EXPECT_EQ(v, "40");
}

TEST(KeyLines, IndexGivesTheSameAnswersAsAScanOnManyLines) {
    // Enough lines to make the index grow several times, with repeats in other cases.
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "Scr" + std::to_string(i % 1700) + "Title=v" + std::to_string(i) + "\r\n";
        if (i % 3 == 0) text += "SCR" + std::to_string(i) + "TITLE=u" + std::to_string(i) + "\n";
    }
    const TMyIniList list = TMyIniList::FromText(text);
    for (int i = 0; i < 5000; i += 7) {
        const std::string name = "scr" + std::to_string(i) + "title";
        std::string_view expected;
        bool found = false;
        for (size_t l = 0; l < list.LineCount() && !found; ++l) {
            const std::string_view line = list.Line(l);
            const size_t eq = line.find('=');
            if (eq != std::string_view::npos && base::EqualsNoCase1251(line.substr(0, eq), name)) {
                expected = line.substr(eq + 1);
                found = true;
            }
        }
        std::string_view got;
        ASSERT_EQ(list.Find(name, got), found) << name;
        if (found) {
            EXPECT_EQ(got, expected) << name;
        }
    }
}

TEST(KeyAccess, CountedListsWholeTextsAndMissingKeys) {
    TMyIniList list = TMyIniList::FromText(
        "Scr0DescrCnt=2\r\nScr0Descr0=first\\nline\r\nObj0x=5z\r\n"
        "Cmd0list->Text=a\\nb\\n\\nc\\n\r\nMapBig=70000\r\nMapNeg=-3\r\n");
    KeyAccessor keys(list, false, "map1.ini");
    keys.currentSection = "Scr0";
    MessageList descr;
    keys.List("Descr", descr);
    EXPECT_EQ(descr.lines, (std::vector<std::string>{"first\r\nline", ""}));
    EXPECT_EQ(descr.cursor, -1);
    keys.currentSection = "Obj0";
    EXPECT_EQ(keys.ReadInt("x"), 0);        // not a number
    EXPECT_EQ(keys.ReadInt("missing"), 0);
    EXPECT_EQ(keys.ReadText("missing"), "");
    keys.currentSection = "Cmd0";
    std::vector<std::string> script;
    keys.WholeText("list->Text", script);
    EXPECT_EQ(script, (std::vector<std::string>{"a", "b", "", "c"}));
    keys.currentSection = "Map";
    try {
        keys.ReadCount("Big");
        FAIL() << "no error";
    } catch (const base::FileError& e) {
        EXPECT_EQ(e.file(), "map1.ini");
        EXPECT_NE(e.problem().find("MapBig=70000"), std::string::npos);
    }
    std::vector<std::string> none;
    keys.List("Neg", none);  // a negative count gives no items
    EXPECT_TRUE(none.empty());
}

TEST(KeyAccess, WritingCountedListsAndScripts) {
    TMyIniList list;
    KeyAccessor keys(list, true, "x");
    keys.currentSection = "Cmd2";
    std::vector<std::string> script{"if has key", "say 1", "endif"};
    keys.WholeText("list->Text", script);
    MessageList msgs;
    msgs.lines = {"a\\b", "c"};
    keys.List("Messages", msgs);
    EXPECT_EQ(list.ToText(),
              "Cmd2list->Text=if has key\\nsay 1\\nendif\\n\r\n"
              "Cmd2MessagesCnt=2\r\nCmd2Messages0=a\\\\b\r\nCmd2Messages1=c\r\n");
}

}  // namespace
}  // namespace velmora::world

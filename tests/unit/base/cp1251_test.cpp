#include "base/cp1251.h"

#include <gtest/gtest.h>

#include "base/encoding.h"

namespace velmora::base {
namespace {

TEST(Cp1251Case, CapitalAndLetterClasses) {
    EXPECT_TRUE(IsCapital1251('A'));
    EXPECT_TRUE(IsCapital1251('\xC0'));   // А
    EXPECT_TRUE(IsCapital1251('\xDF'));   // Я
    EXPECT_FALSE(IsCapital1251('\xA8'));  // Ё is not a capital for the toolkit
    EXPECT_FALSE(IsCapital1251('a'));
    EXPECT_FALSE(IsCapital1251('\xE0'));  // а
    EXPECT_TRUE(IsLetter1251('\xFF'));
    EXPECT_FALSE(IsLetter1251('1'));
    EXPECT_FALSE(IsLetter1251('\xA8'));
}

TEST(Cp1251Case, ToolkitLowerSetsBit0x20AndMapsYo) {
    EXPECT_EQ(ToolkitLower1251('Q'), 'q');
    EXPECT_EQ(ToolkitLower1251('\xC1'), '\xE1');  // Б → б
    EXPECT_EQ(ToolkitLower1251('\xA8'), '\xB8');  // Ё → ё
    EXPECT_EQ(ToolkitLower1251('\xE1'), '\xE1');
    EXPECT_EQ(ToolkitLower1251('['), '[');        // not a letter: unchanged
    EXPECT_EQ(ToolkitLower1251('\xAA'), '\xAA');  // Є is not a toolkit letter
}

TEST(Cp1251Case, SystemLowerCoversAllCyrillicCapitals) {
    EXPECT_EQ(LowerText1251(Utf8ToCp1251("ПРИВЕТ, Ёлка! ABC")),
              Utf8ToCp1251("привет, ёлка! abc"));
    EXPECT_EQ(LowerText1251(Utf8ToCp1251("ЄЇІЎЂЈҐЉЊЋЌЏЅЃ")), Utf8ToCp1251("єїіўђјґљњћќџѕѓ"));
    // Small letters and other bytes stay.
    const std::string all_small = Utf8ToCp1251("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    EXPECT_EQ(LowerText1251(all_small), all_small);
    EXPECT_EQ(ToLower1251('\x98'), '\x98');
    // Names that may be UTF-8 keep every byte but A-Z.
    EXPECT_EQ(LowerAscii("Ctrl+F1 Русский"), "ctrl+f1 Русский");
}

TEST(Cp1251Case, EqualsNoCase) {
    EXPECT_TRUE(EqualsNoCase1251("Scr1Title", "SCR1title"));
    EXPECT_TRUE(EqualsNoCase1251(Utf8ToCp1251("Меч"), Utf8ToCp1251("мЕЧ")));
    EXPECT_FALSE(EqualsNoCase1251("Scr1", "Scr10"));
    EXPECT_FALSE(EqualsNoCase1251(Utf8ToCp1251("е"), Utf8ToCp1251("ё")));
}

}  // namespace
}  // namespace velmora::base

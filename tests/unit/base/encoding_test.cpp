#include "base/encoding.h"
#include "base/utf8.h"

#include <type_traits>

#include <gtest/gtest.h>

namespace velmora::base {
namespace {

TEST(Encoding, RoundTripsRussianText) {
    const std::string utf8 = "Под этим номером ничего не записано! Ёж, ё, №5 «кавычки» — тире";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp.size(), 63u);  // one byte per character
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xCF);  // П
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
    EXPECT_TRUE(FitsCp1251(utf8));
}

TEST(Encoding, EveryDefinedByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b != 0x98) all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Encoding, UnconvertibleInputIsReplacedNotLost) {
    EXPECT_EQ(Cp1251ToUtf8("a\x98" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");  // a Chinese character
    EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");           // broken UTF-8
    EXPECT_EQ(Utf8ToCp1251("a\xD0"), "a?");                // cut-off sequence
    EXPECT_FALSE(FitsCp1251("\xE4\xB8\xAD"));
}

TEST(Encoding, Cp1251OfACodePoint) {
    const struct {
        char32_t cp;
        std::optional<char> expected;
    } cases[] = {
        {U'a', 'a'},           {U'я', '\xFF'},        {U'Ё', '\xA8'},           {U'€', '\x88'},
        {U'№', '\xB9'},        {U'中', std::nullopt}, {U'😀', std::nullopt},
        {0xD800, std::nullopt}, {0x110000, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(Cp1251Of(c.cp), c.expected) << static_cast<uint32_t>(c.cp);
}

// The two encodings meet only through the conversions: neither converts into
// the other by itself, so a 1251 text handed where UTF-8 is wanted (a file
// name, a message, a voice, a terminal line) does not compile.
static_assert(!std::is_convertible_v<std::string, Utf8>);
static_assert(!std::is_convertible_v<const char*, Utf8>);
static_assert(!std::is_convertible_v<Utf8, std::string>);

TEST(Encoding, Utf8TextCrossesOnlyByConversion) {
    const Utf8 shown = ToUtf8("\xCC\xE0\xFF\xEA");  // «Маяк» in 1251
    EXPECT_EQ(shown.str(), "Маяк");
    EXPECT_EQ(ToCp1251(shown), "\xCC\xE0\xFF\xEA");
    EXPECT_EQ(ToCp1251(Utf8("中")), "?");
    EXPECT_EQ(ToUtf8("a\x98").str(), "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace velmora::base

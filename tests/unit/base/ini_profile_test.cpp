#include "base/ini_profile.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/file_error.h"
#include "unit/test_folder.h"

namespace velmora::base {
namespace {

using test::TestFolder;

// "Цвета" / "цвета" and "Привет, мир" in code page 1251.
constexpr char kColorsUpper[] = "\xD6\xE2\xE5\xF2\xE0";
constexpr char kColorsLower[] = "\xF6\xE2\xE5\xF2\xE0";
constexpr char kGreeting[] = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";

TEST(IniProfile, MatchesNamesWithoutCaseAndFirstMatchWins) {
    TestFolder folder;
    const auto path = folder.Write("main.ini",
                                   "Orphan=1\r\n"
                                   "[Proj]\r\n"
                                   "Width=5\r\n"
                                   "width=6\r\n"
                                   "[" + std::string(kColorsUpper) + "]\r\n"
                                   "Fon=black\r\n"
                                   "[PROJ]\r\n"
                                   "Width=7\r\n"
                                   "Height=9\r\n");
    const IniProfile ini = IniProfile::Load(path);
    EXPECT_EQ(ini.GetString("proj", "WIDTH", "-"), "5");
    EXPECT_EQ(ini.GetString(kColorsLower, "fon", "-"), "black");
    // Only the first section of a name is searched, as Windows does.
    EXPECT_EQ(ini.GetString("Proj", "Height", "-"), "-");
    // Keys before any section belong to none.
    EXPECT_EQ(ini.GetString("", "Orphan", "-"), "-");
    EXPECT_EQ(GetProfileInt(path, " proj ", " width ", 0), 5);
}

TEST(IniProfile, ReadsLinesAsWindowsDoes) {
    TestFolder folder;
    const auto path = folder.Write("main.ini",
                                   "[ Proj ]\n"
                                   "  Title =  The Cave  \r"
                                   "Quoted=\"  padded  \"\r\n"
                                   "Single='x'\n"
                                   "Uneven=\"x'\n"
                                   "; Hidden=1\n"
                                   "just text\n"
                                   "Empty=\n"
                                   "[Next]\n"
                                   "Last=end");
    const IniProfile ini = IniProfile::Load(path);
    EXPECT_EQ(ini.GetString("Proj", "Title", "-"), "The Cave");
    EXPECT_EQ(ini.GetString("Proj", "Quoted", "-"), "  padded  ");
    EXPECT_EQ(ini.GetString("Proj", "Single", "-"), "x");
    EXPECT_EQ(ini.GetString("Proj", "Uneven", "-"), "\"x'");
    EXPECT_EQ(ini.GetString("Proj", "; Hidden", "-"), "-");
    EXPECT_EQ(ini.GetString("Proj", "just text", "-"), "-");
    EXPECT_EQ(ini.GetString("Proj", "Empty", "-"), "");
    EXPECT_EQ(ini.GetString("Next", "Last", "-"), "end");
}

TEST(IniProfile, MissingOrUnreadableGivesDefault) {
    TestFolder folder;
    folder.Write("main.ini", "[Proj]\r\nWidth=5\r\n");
    const auto path = folder.path() / "main.ini";
    EXPECT_EQ(GetProfileString(folder.path() / "none.ini", "Proj", "Width", "d"), "d");
    EXPECT_EQ(GetProfileString(folder.path() / "no" / "main.ini", "Proj", "Width", "d"), "d");
    EXPECT_EQ(GetProfileString(path, "Other", "Width", "d"), "d");
    EXPECT_EQ(GetProfileString(path, "Proj", "Height", "d"), "d");
    EXPECT_EQ(GetProfileInt(path, "Proj", "Height", -3), -3);
    // A folder where the file should be reads as no file.
    EXPECT_EQ(GetProfileInt(folder.path(), "Proj", "Width", 8), 8);
}

TEST(IniProfile, ParsesIntegersAsWindowsDoes) {
    TestFolder folder;
    const auto path = folder.Write("main.ini",
                                   "[N]\n"
                                   "a=12abc\nb=abc\nc=-7\nd=+3\ne=\nf='42'\n"
                                   "g=99999999999\nh=-99999999999\ni=-2147483648\nj=-\n");
    const IniProfile ini = IniProfile::Load(path);
    EXPECT_EQ(ini.GetInt("N", "a", 1), 12);
    EXPECT_EQ(ini.GetInt("N", "b", 1), 0);
    EXPECT_EQ(ini.GetInt("N", "c", 1), -7);
    EXPECT_EQ(ini.GetInt("N", "d", 1), 3);
    EXPECT_EQ(ini.GetInt("N", "e", 1), 1);
    EXPECT_EQ(ini.GetInt("N", "f", 1), 42);
    EXPECT_EQ(ini.GetInt("N", "g", 1), 2147483647);
    EXPECT_EQ(ini.GetInt("N", "h", 1), -2147483647 - 1);
    EXPECT_EQ(ini.GetInt("N", "i", 1), -2147483647 - 1);
    EXPECT_EQ(ini.GetInt("N", "j", 1), 0);
    EXPECT_EQ(ini.GetInt("N", "missing", 1), 1);
}

TEST(IniProfile, UpdatesInPlaceKeepingOtherBytes) {
    TestFolder folder;
    const std::string before =
        "; made by hand\n"
        "[Proj]\n"
        "  Width = 5 \n"
        "odd line\n"
        "Height=2\n"
        "[proj]\n"
        "Width=1\n";
    const auto path = folder.Write("main.ini", before);
    WriteProfileString(path, "PROJ", "width", "640");
    EXPECT_EQ(folder.Read("main.ini"),
              "; made by hand\n"
              "[Proj]\n"
              "Width=640\n"
              "odd line\n"
              "Height=2\n"
              "[proj]\n"
              "Width=1\n");
    EXPECT_EQ(GetProfileInt(path, "Proj", "Width", 0), 640);
}

TEST(IniProfile, AddsKeysAfterTheLastKeyOfTheirSection) {
    TestFolder folder;
    const auto path = folder.Write("main.ini",
                                   "[Proj]\r\n"
                                   "A=1\r\n"
                                   "; note\r\n"
                                   "\r\n"
                                   "[Empty]\r\n"
                                   "[Tail]\r\n"
                                   "T=1");
    IniProfile ini = IniProfile::Load(path);
    ini.SetString("Proj", "B", "2");
    ini.SetString("Empty", "E", "3");
    ini.SetString("Tail", "U", "4");
    ini.SetString("New", "N", "5");
    ini.Save();
    EXPECT_EQ(folder.Read("main.ini"),
              "[Proj]\r\nA=1\r\nB=2\r\n; note\r\n\r\n"
              "[Empty]\r\nE=3\r\n"
              "[Tail]\r\nT=1\r\nU=4\r\n"
              "[New]\r\nN=5\r\n");
}

TEST(IniProfile, KeepsOrMendsTheFileLineEnds) {
    TestFolder folder;
    const auto lf = folder.Write("lf.ini", "[A]\nx=1\n");
    WriteProfileString(lf, "A", "y", "2");
    WriteProfileString(lf, "B", "z", "3");
    EXPECT_EQ(folder.Read("lf.ini"), "[A]\nx=1\ny=2\n[B]\nz=3\n");

    const auto mixed = folder.Write("mixed.ini", "[A]\nx=1\r\n");
    WriteProfileString(mixed, "A", "y", "2");
    EXPECT_EQ(folder.Read("mixed.ini"), "[A]\nx=1\r\ny=2\r\n");

    const auto cr = folder.Write("cr.ini", "[A]\rx=1\r");
    WriteProfileString(cr, "A", "x", "9");
    EXPECT_EQ(folder.Read("cr.ini"), "[A]\rx=9\r");
}

TEST(IniProfile, CreatesTheFileAndRoundTripsValues) {
    TestFolder folder;
    const auto path = folder.path() / "colors.ini";
    WriteProfileString(path, kColorsUpper, "Fon", kGreeting);
    EXPECT_EQ(folder.Read("colors.ini"), "[" + std::string(kColorsUpper) + "]\r\nFon=" +
                                             std::string(kGreeting) + "\r\n");
    EXPECT_EQ(GetProfileString(path, kColorsLower, "FON", "-"), kGreeting);

    // Values that reading would trim, unquote or split still come back intact.
    WriteProfileString(path, "V", "pad", "  two  ");
    WriteProfileString(path, "V", "quoted", "'q'");
    WriteProfileString(path, "V", "broken", "one\r\ntwo\nthree");
    WriteProfileString(path, "V", "after", "ok");
    const IniProfile ini = IniProfile::Load(path);
    EXPECT_EQ(ini.GetString("V", "pad", "-"), "  two  ");
    EXPECT_EQ(ini.GetString("V", "quoted", "-"), "'q'");
    EXPECT_EQ(ini.GetString("V", "broken", "-"), "onetwothree");
    EXPECT_EQ(ini.GetString("V", "after", "-"), "ok");
}

TEST(IniProfile, RefusesUnsafeWrites) {
    TestFolder folder;
    EXPECT_THROW(WriteProfileString(folder.path() / "no" / "main.ini", "P", "k", "v"), FileError);
    folder.Write("file", "x");
    EXPECT_THROW(WriteProfileString(folder.path() / "file" / "main.ini", "P", "k", "v"),
                 FileError);
    // Something unreadable in the file's place is never replaced.
    folder.Write("main.ini/inside", "keep");
    EXPECT_THROW(WriteProfileString(folder.path() / "main.ini", "P", "k", "v"), FileError);
    EXPECT_EQ(folder.Read("main.ini/inside"), "keep");

    IniProfile ini = IniProfile::Load(folder.path() / "new.ini");
    EXPECT_THROW(ini.SetString("", "k", "v"), std::invalid_argument);
    EXPECT_THROW(ini.SetString("P", " ", "v"), std::invalid_argument);
    EXPECT_THROW(ini.SetString("P", "a=b", "v"), std::invalid_argument);
    EXPECT_THROW(ini.SetString("P", ";k", "v"), std::invalid_argument);
    EXPECT_THROW(ini.SetString("P\r\nk=v", "k", "v"), std::invalid_argument);
    EXPECT_EQ(ini.Bytes(), "");
}

}  // namespace
}  // namespace velmora::base

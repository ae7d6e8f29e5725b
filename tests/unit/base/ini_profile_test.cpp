#include "base/ini_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "base/file_error.h"
#include "unit/test_folder.h"

namespace velmora::base {
namespace {

using test::TestFolder;

// "Цвета", "цвета" and "Привет, мир" in code page 1251.
const std::string kColors = "\xD6\xE2\xE5\xF2\xE0";
const std::string kColorsLower = "\xF6\xE2\xE5\xF2\xE0";
const std::string kGreeting = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";

TEST(IniProfile, FindsValuesAsWindowsDoes) {
    TestFolder folder;
    const std::string text =
        "Orphan=1\r\n[ Proj ]\r\n  Width =  5 \nwidth=6\r; Hidden=1\r"
        "just text\nQ=\" padded \"\nS='x'\nU=\"x'\n[" +
        kColors + "]\nFon=black\n[PROJ]\nHeight=9\nLast=end";
    const auto path = folder.Write("main.ini", text);
    const IniProfile ini = IniProfile::Load(path);
    EXPECT_EQ(ini.GetString("proj", "WIDTH", "-"), "5");
    EXPECT_EQ(ini.GetString(kColorsLower, "fon", "-"), "black");
    EXPECT_EQ(ini.GetString("Proj", "Q", "-"), " padded ");
    EXPECT_EQ(ini.GetString("Proj", "S", "-"), "x");
    EXPECT_EQ(ini.GetString("Proj", "U", "-"), "\"x'");
    EXPECT_EQ(ini.GetString("Proj", "; Hidden", "-"), "-");
    EXPECT_EQ(ini.GetString("Proj", "just text", "-"), "-");
    // Only the first section of a name is searched; keys before any section belong to none.
    EXPECT_EQ(ini.GetString("Proj", "Height", "-"), "-");
    EXPECT_EQ(ini.GetString("", "Orphan", "-"), "-");

    EXPECT_EQ(GetProfileString(path, "Other", "Width", "d"), "d");
    EXPECT_EQ(GetProfileString(folder.path() / "none.ini", "Proj", "Width", "d"), "d");
    EXPECT_EQ(GetProfileInt(folder.path(), "Proj", "Width", 8), 8);  // a folder reads as no file
}

TEST(IniProfile, ParsesIntegersAsWindowsDoes) {
    TestFolder folder;
    const IniProfile ini = IniProfile::Load(
        folder.Write("main.ini",
                     "[N]\na=12abc\nb=abc\nc=-7\ne=\nf='42'\ng=99999999999999999999999\n"
                     "h=-99999999999999999999999\ni=-2147483648\n"));
    EXPECT_EQ(ini.GetInt("N", "a", 1), 12);
    EXPECT_EQ(ini.GetInt("N", "b", 1), 0);
    EXPECT_EQ(ini.GetInt("N", "c", 1), -7);
    EXPECT_EQ(ini.GetInt("N", "e", 1), 1);
    EXPECT_EQ(ini.GetInt("N", "f", 1), 42);
    EXPECT_EQ(ini.GetInt("N", "g", 1), 2147483647);
    EXPECT_EQ(ini.GetInt("N", "h", 1), -2147483647 - 1);
    EXPECT_EQ(ini.GetInt("N", "i", 1), -2147483647 - 1);
    EXPECT_EQ(ini.GetInt("N", "missing", 1), 1);
}

TEST(IniProfile, WritesOnlyTheLinesItChanges) {
    TestFolder folder;
    const auto path = folder.Write(
        "main.ini", "; by hand\n[Proj]\n  Width = 5 \nodd line\nHeight=2\n[proj]\nWidth=1\n");
    WriteProfileString(path, "PROJ", "width", "640");
    EXPECT_EQ(folder.Read("main.ini"),
              "; by hand\n[Proj]\nWidth=640\nodd line\nHeight=2\n[proj]\nWidth=1\n");

    IniProfile ini = IniProfile::Load(
        folder.Write("add.ini", "[Proj]\r\nA=1\r\n; note\r\n\r\n[Empty]\r\n[Tail]\r\nT=1"));
    ini.SetString("Proj", "B", "2");
    ini.SetString("Empty", "E", "3");
    ini.SetString("Tail", "U", "4");
    ini.SetString("New", "N", "5");
    ini.Save();
    EXPECT_EQ(folder.Read("add.ini"),
              "[Proj]\r\nA=1\r\nB=2\r\n; note\r\n\r\n[Empty]\r\nE=3\r\n[Tail]\r\nT=1\r\nU=4\r\n"
              "[New]\r\nN=5\r\n");

    // New lines follow the file's own line ends, or CR LF when they are mixed.
    WriteProfileString(folder.Write("lf.ini", "[A]\nx=1\n"), "B", "y", "2");
    EXPECT_EQ(folder.Read("lf.ini"), "[A]\nx=1\n[B]\ny=2\n");
    WriteProfileString(folder.Write("mixed.ini", "[A]\nx=1\r\n"), "A", "y", "2");
    EXPECT_EQ(folder.Read("mixed.ini"), "[A]\nx=1\r\ny=2\r\n");
}

TEST(IniProfile, CreatesTheFileAndRoundTripsValues) {
    TestFolder folder;
    const auto path = folder.path() / "colors.ini";
    WriteProfileString(path, kColors, "Fon", kGreeting);
    EXPECT_EQ(folder.Read("colors.ini"), "[" + kColors + "]\r\nFon=" + kGreeting + "\r\n");
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
    EXPECT_THROW(WriteProfileString(folder.path(), "P", "k", "v"), FileError);
    // A file that exists but cannot be read is never replaced, though a rename
    // would succeed over this link to itself.
    const auto loop = folder.path() / "loop.ini";
    std::filesystem::create_symlink("loop.ini", loop);
    EXPECT_EQ(GetProfileString(loop, "P", "k", "d"), "d");
    EXPECT_THROW(WriteProfileString(loop, "P", "k", "v"), FileError);
    EXPECT_TRUE(std::filesystem::is_symlink(loop));

    IniProfile ini = IniProfile::Load(folder.path() / "new.ini");
    EXPECT_THROW(ini.SetString("P", "a=b", "v"), std::invalid_argument);
    EXPECT_THROW(ini.SetString("P\r\nk=v", "k", "v"), std::invalid_argument);
    EXPECT_EQ(ini.Bytes(), "");
}

}  // namespace
}  // namespace velmora::base

// main.ini: which file is read, the defaults, the steps' limits, and writing
// the player's changes without losing the shipped settings.
#include <gtest/gtest.h>

#include "base/file_error.h"
#include "shell/main_ini.h"
#include "unit/shell/shell_harness.h"

namespace velmora::shell::test {
namespace {

const std::string kShipped =
    "[Proj]\r\nCurrent=Projects\\Castle\\\r\n[User]\r\nSpeed=80\r\nMidiVol=20\r\nVoice=ru\r\n";

TEST(MainIni, ThePlayersFileElseTheShippedOneElseDefaults) {
    velmora::test::TestFolder program;
    velmora::test::TestFolder state;
    MainIni none(program.path(), state.path());
    none.Read();
    EXPECT_EQ(none.Current, "");
    EXPECT_EQ(none.Speed, 60);
    EXPECT_EQ(none.MidiVol, 35);
    EXPECT_EQ(none.Voice, "");
    EXPECT_EQ(MainIni::ReadVoice(program.path(), state.path()), "");

    program.Write("MAIN.INI", kShipped);  // found in any letter case
    MainIni shipped(program.path(), state.path());
    shipped.Read();
    EXPECT_EQ(shipped.Current, "Projects\\Castle");
    EXPECT_EQ(shipped.Speed, 80);
    EXPECT_EQ(shipped.MidiVol, 20);
    EXPECT_EQ(shipped.Voice, "ru");
    EXPECT_EQ(MainIni::ReadVoice(program.path(), state.path()), "ru");

    state.Write("main.ini", "[User]\r\nSpeed=90\r\nVoice=" + Ru("Ирина") + "\r\n");
    MainIni own(program.path(), state.path());
    own.Read();
    EXPECT_EQ(own.Current, "");  // the player's file is read whole, not merged
    EXPECT_EQ(own.Speed, 90);
    EXPECT_EQ(own.MidiVol, 35);
    EXPECT_EQ(MainIni::ReadVoice(program.path(), state.path()), Ru("Ирина"));
}

TEST(MainIni, StepsStopAtTheirLimits) {
    velmora::test::TestFolder folder;
    MainIni ini(folder.path(), folder.path());
    ini.Speed = 110;
    EXPECT_TRUE(ini.SpeedStep(10));
    EXPECT_FALSE(ini.SpeedStep(10));
    EXPECT_EQ(ini.Speed, 120);
    ini.Speed = 0;
    EXPECT_FALSE(ini.SpeedStep(-10));
    EXPECT_EQ(ini.Speed, 0);
    ini.Speed = -2147483647 - 1;  // from a damaged file: no step overflows
    EXPECT_FALSE(ini.SpeedStep(-10));
    EXPECT_TRUE(ini.SpeedStep(10));
    ini.MidiVol = 100;
    EXPECT_FALSE(ini.VolumeStep(5));
    ini.MidiVol = 5;
    EXPECT_TRUE(ini.VolumeStep(-5));
    EXPECT_FALSE(ini.VolumeStep(-5));
    EXPECT_EQ(ini.MidiVol, 0);
}

TEST(MainIni, TheFirstWriteKeepsTheShippedSettings) {
    velmora::test::TestFolder program;
    velmora::test::TestFolder state;
    program.Write("main.ini", kShipped);
    MainIni ini(program.path(), state.path() / "velmora");
    ini.Read();
    ASSERT_TRUE(ini.SpeedStep(10));
    ini.WriteSpeed();
    MainIni again(program.path(), state.path() / "velmora");
    again.Read();
    EXPECT_EQ(again.Speed, 90);
    EXPECT_EQ(again.MidiVol, 20);
    EXPECT_EQ(again.Current, "Projects\\Castle");
    EXPECT_EQ(program.Read("main.ini"), kShipped);
    // The voice is kept in code page 1251 beside the rest; "" forgets it.
    again.WriteVoice(Ru("Ирина"));
    EXPECT_EQ(MainIni::ReadVoice(program.path(), state.path() / "velmora"), Ru("Ирина"));
    EXPECT_NE(state.Read("velmora/main.ini").find("Voice=" + Ru("Ирина") + "\r\n"), std::string::npos);
    again.WriteVoice("");
    EXPECT_EQ(MainIni::ReadVoice(program.path(), state.path() / "velmora"), "");
    again.Read();
    EXPECT_EQ(again.Speed, 90);
    EXPECT_EQ(again.Current, "Projects\\Castle");

    state.Write("blocked", "a file where the folder should be");
    MainIni blocked(program.path(), state.path() / "blocked");
    EXPECT_THROW(blocked.WriteMidiVol(), base::FileError);
}

// Through the window: the speed keys write the player's file, making its
// folder when the player has none yet; a file that cannot be written is
// reported, and the new volume holds all the same.
TEST(MainIni, TheSpeedKeysWriteThePlayersFile) {
    ShellFixture f("");
    f.stateFolder = f.root.path() / "state";
    f.events.Press(107, 0, {.Ctrl = true});
    f.Play();
    EXPECT_EQ(f.form->Settings().Speed, 70);
    MainIni written(f.root.path(), f.root.path() / "state");
    written.Read();
    EXPECT_EQ(written.Speed, 70);

    ShellFixture blocked("");
    blocked.root.Write("blocked", "");
    blocked.stateFolder = blocked.root.path() / "blocked";
    blocked.events.Press(111, 0, {.Ctrl = true});  // the volume down
    blocked.Play();
    EXPECT_EQ(blocked.form->MidiVol(), 30);
    ASSERT_FALSE(blocked.heard.empty());
    EXPECT_EQ(blocked.heard.back().rfind("Ошибка: ", 0), 0u) << blocked.Heard();
    EXPECT_EQ(blocked.Count("cue 13"), 1);
}

}  // namespace
}  // namespace velmora::shell::test

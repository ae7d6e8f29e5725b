// The external players driver with stand-in players: small shell scripts that
// write down how they were called.
#include "sound/drivers/external_players_driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>

#include "sound/cue_sounds.h"
#include "unit/test_folder.h"

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

class FakePlayers {
public:
    // A player that appends its arguments to NAME.log, then runs `then`.
    void Add(const std::string& name, const std::string& then = "") {
        const fs::path script = folder.Write("bin/" + name, "#!/bin/sh\necho \"$@\" >> \"" +
                                                                (folder.path() / name).string() +
                                                                ".log\"\n" + then + "\n");
        ::chmod(script.c_str(), 0755);
    }
    std::string Log(const std::string& name) const { return folder.Read(name + ".log"); }
    // For a player started in the background: its log once it has written it.
    std::string AwaitLog(const std::string& name) const {
        for (int i = 0; i < 3000 && Log(name).empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return Log(name);
    }
    std::string Bin() const { return (folder.path() / "bin").string(); }

    velmora::test::TestFolder folder;
};

TEST(ExternalPlayers, FoundOnThePathInOrder) {
    FakePlayers fake;
    fake.Add("paplay");
    fake.Add("fluidsynth");
    fake.folder.Write("bin/timidity", "not executable");
    const std::string path = "/nonexistent::" + fake.Bin();
    ExternalPlayers players = FindExternalPlayers(path, "/fonts/gm.sf2");
    EXPECT_EQ(players.wavPlayer, fake.folder.path() / "bin/paplay");
    EXPECT_EQ(players.midiPlayer, fake.folder.path() / "bin/fluidsynth");
    // fluidsynth is no use without a font.
    EXPECT_TRUE(FindExternalPlayers(path, "").midiPlayer.empty());

    fake.Add("aplay");
    EXPECT_EQ(FindExternalPlayers(path, "").wavPlayer, fake.folder.path() / "bin/aplay");
    EXPECT_FALSE(ExternalPlayersDriver(FindExternalPlayers("/nonexistent", "")).Installed());
}

TEST(ExternalPlayers, WaveFilesPlayToTheirEndOthersNot) {
    FakePlayers fake;
    fake.Add("aplay");
    ExternalPlayersDriver driver(FindExternalPlayers(fake.Bin(), ""));
    ASSERT_TRUE(driver.Installed());
    EXPECT_FALSE(driver.HasLibrary());
    const fs::path wave = fake.folder.Write("a b.wav", WaveFileBytes(MakeBeepSound()));
    // The player has finished (and written its log) by the time this returns.
    EXPECT_TRUE(driver.PlayFileToEnd(wave));
    EXPECT_EQ(fake.Log("aplay"), "-q " + wave.string() + "\n");
    // Not a wave file, whatever its name says; and a missing one.
    EXPECT_FALSE(driver.PlayFileToEnd(fake.folder.Write("fake.wav", "MThd....")));
    EXPECT_FALSE(driver.PlayFileToEnd(fake.folder.path() / "missing.wav"));
    EXPECT_EQ(fake.Log("aplay"), "-q " + wave.string() + "\n");
    // A player that fails is a sound not played.
    FakePlayers failing;
    failing.Add("aplay", "exit 1");
    EXPECT_FALSE(ExternalPlayersDriver(FindExternalPlayers(failing.Bin(), "")).PlayFileToEnd(wave));
    // No MIDI player: no music.
    EXPECT_FALSE(driver.OpenMusic(fake.folder.Write("m.mid", std::string("MThd\0\0\0\6", 8))));
}

TEST(ExternalPlayers, MusicRunsUntilClosedWithTheVolume) {
    FakePlayers fake;
    fake.Add("timidity", "exec sleep 600");
    ExternalPlayersDriver driver(FindExternalPlayers(fake.Bin(), ""));
    const fs::path song = fake.folder.Write("song.mid", std::string("MThd\0\0\0\6", 8));
    driver.SetMusicVolume({0x8000, 0x8000});
    ASSERT_TRUE(driver.OpenMusic(song));
    EXPECT_EQ(fake.AwaitLog("timidity"), "-id -A35 " + song.string() + "\n");
    // A player that would run ten minutes is ended at once, and not left behind.
    driver.CloseMusic();
    driver.CloseMusic();
    ASSERT_TRUE(driver.OpenMusic(song));
    // Dropping the driver ends it too.
}

// Whether this process has a child, running or ended and not yet reaped:
// a player started, whether or not it has got as far as its log.
bool HasChild() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

TEST(ExternalPlayers, AMissingMusicFileStartsNoPlayer) {
    FakePlayers fake;
    fake.Add("timidity", "exec sleep 600");
    ExternalPlayersDriver driver(FindExternalPlayers(fake.Bin(), ""));
    ASSERT_FALSE(HasChild());
    EXPECT_FALSE(driver.OpenMusic(fake.folder.path() / "missing.mid"));
    EXPECT_FALSE(driver.OpenMusic(fake.folder.path()));  // a folder is no music either
    EXPECT_FALSE(HasChild());
    // The same look sees a player that is started, and its log holds that one call.
    const fs::path song = fake.folder.Write("song.mid", std::string("MThd\0\0\0\6", 8));
    ASSERT_TRUE(driver.OpenMusic(song));
    EXPECT_TRUE(HasChild());
    EXPECT_EQ(fake.AwaitLog("timidity"), "-id -A70 " + song.string() + "\n");
    driver.CloseMusic();
    EXPECT_FALSE(HasChild());
}

TEST(ExternalPlayers, CuesGoToThePlayersInput) {
    FakePlayers fake;
    fake.Add("aplay", "cat > \"" + (fake.folder.path() / "heard.wav").string() + "\"");
    ExternalPlayersDriver driver(FindExternalPlayers(fake.Bin(), ""));
    const PcmSound pcm = MakeCueSound(3);
    auto cue = driver.MakeSample(pcm);
    ASSERT_TRUE(cue);
    EXPECT_EQ(driver.GetDefaults(*cue)->length, pcm.samples.size());
    ASSERT_TRUE(driver.PlaySample(*cue));
    const std::string expected = WaveFileBytes(pcm);
    for (int i = 0; i < 3000 && fake.folder.Read("heard.wav").size() < expected.size(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(fake.folder.Read("heard.wav"), expected);
    EXPECT_EQ(fake.Log("aplay"), "-q\n");
}

}  // namespace
}  // namespace velmora::sound

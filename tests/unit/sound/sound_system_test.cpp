#include "sound/sound_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "unit/sound/recording_driver.h"
#include "unit/test_folder.h"

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

using test::RecordingDriver;
using Log = std::vector<std::string>;

// A project folder and a media folder with a few files, and a sound system
// over a recording driver.
struct Rig {
    explicit Rig(bool library, const std::vector<std::string>& files = {}) {
        for (const std::string& file : files) folder.Write(file, "data");
        auto owned = std::make_unique<RecordingDriver>(library);
        driver = owned.get();
        sound = std::make_unique<SoundSystem>(folder.path() / "Proj", folder.path() / "Media",
                                              std::move(owned),
                                              [this](int ticks) { waits.push_back(ticks); });
    }
    fs::path Proj(const std::string& relative) const { return folder.path() / "Proj" / relative; }

    velmora::test::TestFolder folder;
    RecordingDriver* driver = nullptr;
    std::vector<int> waits;
    std::unique_ptr<SoundSystem> sound;
};

// What the shell does on Ctrl+M.
void ToggleMusic(SoundSystem& sound) {
    if (!sound.MusicPlaying) {
        sound.PlayMusic(sound.CurrentMusicFile);
        sound.SetMusicVolume(sound.AppliedVolume);
    } else if (!sound.StopMusic()) {
        sound.StopMusic();
    }
}

TEST(SoundVolume, ChannelArithmetic) {
    EXPECT_EQ(ScaledMusicVolume(kFullWaveVolume, 35), (ChannelVolume{22937, 22937}));
    EXPECT_EQ(ScaledMusicVolume(kFullWaveVolume, 100), (ChannelVolume{0xFFFF, 0xFFFF}));
    EXPECT_EQ(ScaledMusicVolume(kFullWaveVolume, 50), (ChannelVolume{32767, 32767}));
    EXPECT_EQ(ScaledMusicVolume(kFullWaveVolume, 5), (ChannelVolume{3276, 3276}));
    // Low half left, high half right.
    EXPECT_EQ(ScaledMusicVolume(0xFFFF8000u, 50), (ChannelVolume{16384, 32767}));
    // Above 100 the channels stay full instead of wrapping round to quiet.
    EXPECT_EQ(ScaledMusicVolume(kFullWaveVolume, 150), (ChannelVolume{0xFFFF, 0xFFFF}));
    EXPECT_EQ(ScaledMusicVolume(kFullWaveVolume, 2147483647), (ChannelVolume{0xFFFF, 0xFFFF}));
}

TEST(SoundVolume, ZeroRestoresTheLineFromBeforeTheFirstChange) {
    Rig rig(true);
    rig.sound->SetMusicVolume(35);
    rig.sound->SetMusicVolume(50);
    rig.sound->SetMusicVolume(0);
    EXPECT_EQ(rig.driver->Take(), (Log{"SetMusicVolume 22937 22937", "SetMusicVolume 32767 32767",
                                       "SetMusicVolume 4660 22136"}));
    EXPECT_EQ(rig.sound->AppliedVolume, 0);
    // The values saved are those from before the very first change, not the last.
    rig.sound->SetMusicVolume(100);
    rig.sound->SetMusicVolume(-5);
    EXPECT_EQ(rig.driver->Take(), (Log{"SetMusicVolume 65535 65535", "SetMusicVolume 4660 22136"}));
    EXPECT_EQ(rig.sound->AppliedVolume, -5);
}

TEST(SoundVolume, ZeroBeforeAnyChangeAndNoLine) {
    Rig rig(true);
    // Nothing saved yet: the line already holds its own volume and is left alone.
    rig.sound->SetMusicVolume(0);
    EXPECT_TRUE(rig.driver->Take().empty());
    EXPECT_EQ(rig.driver->line, (ChannelVolume{0x1234, 0x5678}));
    EXPECT_EQ(rig.sound->AppliedVolume, 0);

    Rig noLine(true);
    noLine.driver->line.reset();
    noLine.sound->SetMusicVolume(35);
    EXPECT_TRUE(noLine.driver->Take().empty());
    EXPECT_EQ(noLine.sound->AppliedVolume, 35);
}

TEST(SoundEffects, LibraryPreloadsInOrderAndPlaysOnlyWhatLoaded) {
    Rig rig(true, {"Media/chimes.wav", "Media/start.wav", "Media/recycle.wav"});
    rig.sound->InitSound();
    EXPECT_TRUE(rig.sound->LibraryAvailable);
    // show.wav is missing: nothing is loaded for it.
    EXPECT_EQ(rig.driver->Take(),
              (Log{"LoadSample recycle.wav", "LoadSample chimes.wav", "LoadSample start.wav"}));
    rig.sound->PlayEffect(0);
    rig.sound->PlayEffect(2);
    rig.sound->PlayEffect(3);
    rig.sound->PlayEffect(4);
    rig.sound->PlayEffect(-1);
    EXPECT_EQ(rig.driver->Take(), (Log{"PlaySample chimes.wav", "PlaySample recycle.wav"}));
}

TEST(SoundEffects, WithoutLibraryEffectsArePlayedAsFiles) {
    Rig rig(false, {"Media/start.wav", "Proj/Snd/Chimes.WAV"});
    rig.sound->InitSound();
    EXPECT_FALSE(rig.sound->LibraryAvailable);
    EXPECT_TRUE(rig.driver->Take().empty());
    rig.sound->PlayEffect(1);
    rig.sound->PlayEffect(0);  // the project's own, found without regard to case
    rig.sound->PlayEffect(3);  // missing: the player is not called
    rig.sound->PlayEffect(4);
    EXPECT_EQ(rig.driver->Take(), (Log{"PlayFileToEnd start.wav", "PlayFileToEnd Chimes.WAV"}));
    EXPECT_TRUE(rig.waits.empty());
}

TEST(SoundFiles, WaitLengthFollowsLengthAndFrequency) {
    Rig rig(true, {"Media/two.wav", "Media/low.wav", "Media/nodefaults.wav", "Media/broken.wav",
                   "Media/long.wav"});
    rig.driver->defaults["two.wav"] = {44100, 22050};  // two seconds
    rig.driver->defaults["low.wav"] = {2000, 1000};
    rig.driver->defaults["long.wav"] = {3'000'000'000'000ull, 8000};
    rig.driver->unloadable.insert("broken.wav");
    rig.sound->InitSound();

    EXPECT_TRUE(rig.sound->PlaySoundFile("two.wav", true));
    EXPECT_EQ(rig.waits, (std::vector<int>{20}));
    EXPECT_TRUE(rig.sound->PlaySoundFile("two.wav", false));
    EXPECT_TRUE(rig.sound->PlaySoundFile("low.wav", true));
    EXPECT_TRUE(rig.sound->PlaySoundFile("nodefaults.wav", true));
    EXPECT_EQ(rig.waits, (std::vector<int>{20}));
    // A sound that does not load still counts as played; one that is missing does not.
    EXPECT_TRUE(rig.sound->PlaySoundFile("broken.wav", true));
    EXPECT_FALSE(rig.sound->PlaySoundFile("missing.wav", true));
    EXPECT_EQ(rig.waits, (std::vector<int>{20}));
    // A wait too long to count stays a (very long) wait, not a negative one.
    EXPECT_TRUE(rig.sound->PlaySoundFile("long.wav", true));
    EXPECT_EQ(rig.waits.back(), 2147483647);

    // The previous sound is freed before the next one is loaded.
    EXPECT_EQ(
        rig.driver->Take(),
        (Log{"LoadSample two.wav", "PlaySample two.wav", "FreeSample two.wav", "LoadSample two.wav",
             "PlaySample two.wav", "FreeSample two.wav", "LoadSample low.wav", "PlaySample low.wav",
             "FreeSample low.wav", "LoadSample nodefaults.wav", "PlaySample nodefaults.wav",
             "FreeSample nodefaults.wav", "LoadSample broken.wav", "LoadSample long.wav",
             "PlaySample long.wav"}));
}

TEST(SoundFiles, WithoutLibraryPlayToEndWhateverWaitSays) {
    Rig rig(false, {"Media/two.wav"});
    rig.sound->InitSound();
    EXPECT_TRUE(rig.sound->PlaySoundFile("two.wav", true));
    rig.driver->playFileResult = false;
    EXPECT_FALSE(rig.sound->PlaySoundFile("two.wav", false));
    EXPECT_EQ(rig.driver->Take(), (Log{"PlayFileToEnd two.wav", "PlayFileToEnd two.wav"}));
    EXPECT_TRUE(rig.waits.empty());
}

TEST(SoundFiles, ResolvedInSndThenMediaAndNeverOutside) {
    Rig rig(true, {"Proj/Snd/both.wav", "Media/both.wav", "Media/Only.Wav", "Proj/Snd/sub/in.wav",
                   "Proj/secret.wav", "Proj/menu.MID", "outside.wav",
                   "Proj/Snd/\xd0\xb7\xd0\xb2\xd1\x83\xd0\xba.wav"});
    fs::create_directories(rig.Proj("Snd/folder.wav"));
    fs::create_symlink(rig.folder.path() / "outside.wav", rig.Proj("Snd/link.wav"));
    SoundSystem& s = *rig.sound;

    EXPECT_EQ(s.ResolveSoundFile("both.wav"), rig.Proj("Snd/both.wav"));
    EXPECT_EQ(s.ResolveSoundFile(" \tONLY.wav\r\n"), rig.folder.path() / "Media/Only.Wav");
    EXPECT_EQ(s.ResolveSoundFile("sub\\in.wav"), rig.Proj("Snd/sub/in.wav"));
    // A code page 1251 name ("звук") finds its UTF-8 file.
    EXPECT_EQ(s.ResolveSoundFile("\xe7\xe2\xf3\xea.wav"),
              rig.Proj("Snd/\xd0\xb7\xd0\xb2\xd1\x83\xd0\xba.wav"));
    for (const char* bad :
         {"..\\secret.wav", "../../outside.wav", "sub/../../secret.wav", "/etc/passwd",
          "\\secret.wav", "c:\\secret.wav", "link.wav", "folder.wav", "", "   ", "missing.wav"}) {
        EXPECT_EQ(s.ResolveSoundFile(bad), fs::path()) << bad;
    }
    EXPECT_FALSE(s.PlaySoundFile("..\\secret.wav", true));
    EXPECT_TRUE(rig.driver->Take().empty());

    EXPECT_EQ(s.ProjectFile("menu.mid"), rig.Proj("menu.MID"));
    EXPECT_EQ(s.ProjectFile("..\\outside.wav"), fs::path());
    EXPECT_EQ(s.ProjectFile("Snd"), fs::path());
}

TEST(SoundMusic, APieceEndingByItselfAndCtrlM) {
    Rig rig(true, {"Proj/map1.mid"});
    SoundSystem& s = *rig.sound;
    s.InitSound();
    s.SetMusicVolume(35);
    rig.driver->Take();
    EXPECT_TRUE(s.PlayMusic(rig.Proj("map1.mid")));
    EXPECT_TRUE(s.MusicPlaying);
    // The end of the piece changes nothing: Ctrl+M then only stops it...
    s.Handle(SoundEvent::MusicFinished);
    EXPECT_TRUE(s.MusicPlaying);
    ToggleMusic(s);
    EXPECT_FALSE(s.MusicPlaying);
    // ...and a second Ctrl+M starts it again at the volume last applied.
    ToggleMusic(s);
    EXPECT_TRUE(s.MusicPlaying);
    EXPECT_EQ(
        rig.driver->Take(),
        (Log{"LoadSong map1.mid", "PlaySong map1.mid", "StopSong map1.mid", "FreeSong map1.mid",
             "LoadSong map1.mid", "PlaySong map1.mid", "SetMusicVolume 22937 22937"}));
}

TEST(SoundMusic, LibraryStartsStopsAndFails) {
    // Only files the gate lets through reach the driver: the songs exist.
    Rig rig(true, {"Proj/a.mid", "Proj/b.mid", "Proj/c.mid", "Proj/d.mid", "Proj/e.mid"});
    SoundSystem& s = *rig.sound;
    s.InitSound();
    EXPECT_TRUE(s.StopMusic());  // nothing playing: nothing to ask
    EXPECT_TRUE(s.PlayMusic(rig.Proj("a.mid")));
    EXPECT_TRUE(s.PlayMusic(rig.Proj("b.mid")));  // new music stops the old
    rig.driver->unloadable.insert("c.mid");
    EXPECT_FALSE(s.PlayMusic(rig.Proj("c.mid")));
    EXPECT_FALSE(s.MusicPlaying);
    EXPECT_EQ(s.CurrentMusicFile, rig.Proj("c.mid"));
    EXPECT_TRUE(s.StopMusic());
    EXPECT_EQ(rig.driver->Take(), (Log{"LoadSong a.mid", "PlaySong a.mid", "StopSong a.mid",
                                       "FreeSong a.mid", "LoadSong b.mid", "PlaySong b.mid",
                                       "StopSong b.mid", "FreeSong b.mid", "LoadSong c.mid"}));

    // A song that loads but does not play is not playing, and is freed by the next.
    rig.driver->playSongResult = false;
    EXPECT_FALSE(s.PlayMusic(rig.Proj("d.mid")));
    rig.driver->playSongResult = true;
    EXPECT_TRUE(s.PlayMusic(rig.Proj("e.mid")));
    rig.driver->stopSongResult = false;
    EXPECT_FALSE(s.StopMusic());
    EXPECT_FALSE(s.MusicPlaying);
    EXPECT_EQ(rig.driver->Take(),
              (Log{"LoadSong d.mid", "PlaySong d.mid", "FreeSong d.mid", "LoadSong e.mid",
                   "PlaySong e.mid", "StopSong e.mid", "FreeSong e.mid"}));
}

TEST(SoundMusic, WithoutLibraryTheSystemPlayerHasIt) {
    Rig rig(false, {"Proj/a.mid", "Proj/b.mid", "Proj/c.mid", "Proj/d.mid"});
    {
        SoundSystem& s = *rig.sound;
        s.InitSound();
        EXPECT_TRUE(s.PlayMusic(rig.Proj("a.mid")));
        EXPECT_TRUE(s.PlayMusic(rig.Proj("b.mid")));
        EXPECT_TRUE(s.StopMusic());
        EXPECT_TRUE(s.StopMusic());
        rig.driver->openMusicResult = false;
        EXPECT_FALSE(s.PlayMusic(rig.Proj("c.mid")));
        EXPECT_FALSE(s.MusicPlaying);
        rig.driver->openMusicResult = true;
        EXPECT_TRUE(s.PlayMusic(rig.Proj("d.mid")));
        EXPECT_EQ(rig.driver->Take(), (Log{"OpenMusic a.mid", "CloseMusic", "OpenMusic b.mid",
                                           "CloseMusic", "OpenMusic c.mid", "OpenMusic d.mid"}));
    }
    // Music still playing is closed with the sound system.
    struct Watch : RecordingDriver {
        explicit Watch(bool* closed) : RecordingDriver(false), closed(closed) {}
        void CloseMusic() override { *closed = true; }
        bool* closed;
    };
    bool closed = false;
    {
        SoundSystem s(rig.Proj(""), "m", std::make_unique<Watch>(&closed), nullptr);
        s.InitSound();
        s.PlayMusic(rig.Proj("a.mid"));
    }
    EXPECT_TRUE(closed);
}

TEST(SoundCues, MadeOncePlayedThroughTheDriver) {
    Rig rig(true);
    SoundSystem& s = *rig.sound;
    s.PlayCueSound(13);
    s.PlayCueSound(13);
    s.PlayCueSound(99);  // no sound of its own: the beep
    s.Beep();
    s.PlayCueSound(37);
    EXPECT_EQ(rig.driver->Take(), (Log{"MakeSample made1", "PlaySample made1", "PlaySample made1",
                                       "MakeSample made2", "PlaySample made2", "PlaySample made2",
                                       "MakeSample made3", "PlaySample made3"}));

    // A driver that cannot play them is asked once and then left alone.
    SoundSystem silent("p", "m", nullptr, nullptr);
    silent.InitSound();
    silent.PlayCueSound(0);
    silent.Beep();
    EXPECT_FALSE(silent.LibraryAvailable);
    EXPECT_STREQ(silent.Driver().Name(), "none");
}

}  // namespace
}  // namespace velmora::sound

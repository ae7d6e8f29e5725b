// SDL_mixer itself, on SDL's dummy audio device (no sound card needed). A
// machine without the library's audio, MIDI or a sound font skips, saying why.
#include "sound/drivers/sdl_mixer_driver.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "base/project_file.h"
#include "sound/cue_sounds.h"
#include "sound/drivers/sound_drivers.h"
#include "sound/sound_system.h"
#include "unit/test_folder.h"

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

// Events posted from the audio thread.
class Events {
public:
    PostSoundEvent Poster() {
        return [this](SoundEvent event) {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }
    // A generous bound: this only guards against hanging, it measures nothing.
    bool WaitFor(SoundEvent event) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [&] {
            return std::find(events_.begin(), events_.end(), event) != events_.end();
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SoundEvent> events_;
};

std::string Tone(double seconds) {
    PcmSound pcm;
    pcm.rate = 22050;
    const int n = static_cast<int>(pcm.rate * seconds);
    for (int i = 0; i < n; ++i) {
        const double fade = std::min({1.0, i / 100.0, (n - 1 - i) / 100.0});
        pcm.samples.push_back(
            static_cast<std::int16_t>(8000 * fade * std::sin(2 * 3.14159265 * 440 * i / pcm.rate)));
    }
    return WaveFileBytes(pcm);
}

// Two short notes: half a second at the default tempo.
std::string TwoNoteMidi() {
    const unsigned char track[] = {0,    0xC0, 0,  0,  0x90, 60, 80, 48, 0x80, 60,   0, 0,
                                   0x90, 64,   80, 48, 0x80, 64, 0,  0,  0xFF, 0x2F, 0};
    std::string out("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
    out += "MTrk";
    out += std::string("\0\0\0", 3) + static_cast<char>(sizeof track);
    out.append(reinterpret_cast<const char*>(track), sizeof track);
    return out;
}

double Seconds(const SampleDefaults& d) {
    return static_cast<double>(d.length) / d.frequency;
}

class SdlMixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::string why;
        driver = OpenSdlMixerDriver(events.Poster(), &why);
        if (!driver) GTEST_SKIP() << "SDL_mixer cannot open audio here: " << why;
    }

    Events events;  // outlives the driver that posts to it
    velmora::test::TestFolder folder;
    std::unique_ptr<SoundDriver> driver;
};

TEST_F(SdlMixerTest, PlaysWaveAndMp3WithTheirLengths) {
    EXPECT_TRUE(driver->HasLibrary());
    auto wave = driver->LoadSample(folder.Write("one.wav", Tone(1.0)));
    ASSERT_TRUE(wave);
    auto defaults = driver->GetDefaults(*wave);
    ASSERT_TRUE(defaults);
    EXPECT_GT(defaults->frequency, 1000);
    EXPECT_NEAR(Seconds(*defaults), 1.0, 0.02);
    EXPECT_TRUE(driver->PlaySample(*wave));

    auto mp3 = driver->LoadSample(fs::path(VELMORA_SOUND_TEST_DATA) / "tone-half-second.mp3");
    ASSERT_TRUE(mp3) << "no MP3 decoding in this SDL_mixer";
    defaults = driver->GetDefaults(*mp3);
    ASSERT_TRUE(defaults);
    EXPECT_GT(Seconds(*defaults), 0.4);
    EXPECT_LT(Seconds(*defaults), 0.8);
    EXPECT_TRUE(driver->PlaySample(*mp3));

    EXPECT_FALSE(driver->LoadSample(folder.Write("text.wav", "not a sound at all")));
    // A MIDI file is music, never a sample: decoded whole it could be endless.
    EXPECT_FALSE(driver->LoadSample(folder.Write("song.wav", TwoNoteMidi())));
    EXPECT_FALSE(driver->LoadSample(folder.path() / "missing.wav"));
    EXPECT_FALSE(driver->LoadSong(folder.path() / "missing.mid"));
}

TEST_F(SdlMixerTest, SoundEndReachesThePostedEvents) {
    auto sample = driver->LoadSample(folder.Write("short.wav", Tone(0.05)));
    ASSERT_TRUE(sample);
    ASSERT_TRUE(driver->PlaySample(*sample));
    EXPECT_TRUE(events.WaitFor(SoundEvent::ChannelFinished));
    auto cue = driver->MakeSample(MakeCueSound(14));
    ASSERT_TRUE(cue);
    EXPECT_TRUE(driver->PlaySample(*cue));
}

TEST_F(SdlMixerTest, PlaysAMidiSongToItsEnd) {
    if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    std::string why;
    if (!SdlMixerPlaysMidi(*driver, &why)) GTEST_SKIP() << "SDL_mixer plays no MIDI here: " << why;
    auto song = driver->LoadSong(folder.Write("two.mid", TwoNoteMidi()));
    ASSERT_TRUE(song);
    ASSERT_TRUE(driver->PlaySong(*song));
    EXPECT_TRUE(events.WaitFor(SoundEvent::MusicFinished));
    ASSERT_TRUE(driver->PlaySong(*song));
    EXPECT_TRUE(driver->StopSong(*song));
}

TEST_F(SdlMixerTest, SoundSystemWithTheShippedEffects) {
    const fs::path media = VELMORA_MEDIA_FOLDER;
    for (const char* name : {"chimes.wav", "start.wav", "recycle.wav", "show.wav"}) {
        auto sample = driver->LoadSample(media / name);
        ASSERT_TRUE(sample) << name;
        auto defaults = driver->GetDefaults(*sample);
        ASSERT_TRUE(defaults);
        EXPECT_LT(Seconds(*defaults), 1.0) << name;
    }
    folder.Write("Proj/Snd/two.wav", Tone(2.0));
    std::vector<int> waits;
    SoundSystem sound(folder.path() / "Proj", media, std::move(driver),
                      [&](int ticks) { waits.push_back(ticks); });
    sound.InitSound();
    EXPECT_TRUE(sound.LibraryAvailable);
    for (int effect = 0; effect < 4; ++effect) sound.PlayEffect(effect);
    EXPECT_TRUE(sound.PlaySoundFile("TWO.WAV", true));
    ASSERT_EQ(waits.size(), 1u);
    EXPECT_EQ(waits[0], 20);
    sound.PlayCueSound(35);
    sound.SetMusicVolume(35);
    EXPECT_EQ(sound.Driver().MusicVolume(), (ChannelVolume{22937, 22937}));
    sound.SetMusicVolume(0);
    EXPECT_EQ(sound.Driver().MusicVolume(), (ChannelVolume{0xFFFF, 0xFFFF}));
}

// The mixer is handed bytes the gate read, never a path: a pipe, a device or
// a file beyond the cap loads as nothing, at once.
TEST_F(SdlMixerTest, LoadsNothingTheGateRefuses) {
    velmora::test::TestFolder dir;
    const fs::path pipe = dir.path() / "pipe.mid";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path huge = dir.Write("huge.wav", "RIFF");
    fs::resize_file(huge, base::MaxFileBytes(base::FileKind::Sound) + 1);
    for (const fs::path& file : {pipe, fs::path("/dev/zero"), huge}) {
        SCOPED_TRACE(file.string());
        EXPECT_EQ(driver->LoadSample(file), nullptr);
        EXPECT_EQ(driver->LoadSong(file), nullptr);
    }
    // The same bytes from a regular file still load.
    EXPECT_NE(driver->LoadSample(fs::path(VELMORA_SOUND_TEST_DATA) / "tone-half-second.mp3"),
              nullptr);
}

TEST_F(SdlMixerTest, OnlyOneOpenAtATime) {
    std::string why;
    EXPECT_FALSE(OpenSdlMixerDriver(nullptr, &why));
    EXPECT_NE(why.find("already open"), std::string::npos) << why;
    driver.reset();
    auto again = OpenSdlMixerDriver(nullptr, &why);
    EXPECT_TRUE(again) << why;
}

TEST(SoundDriverChoice, SdlMixerFirstThenPlayersThenSilence) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::ostringstream report;
    {
        auto driver = ChooseSoundDriver(SoundChoice::Auto, nullptr, &report);
        if (std::string(driver->Name()) != "sdl_mixer") GTEST_SKIP() << report.str();
        EXPECT_TRUE(driver->HasLibrary());
        EXPECT_EQ(report.str(), "");
    }
    // An audio device that cannot open: what is installed, else silence.
    const std::string saved = std::getenv("SDL_AUDIODRIVER");
    ::setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
    auto driver = ChooseSoundDriver(SoundChoice::Sdl, nullptr, &report);
    ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    EXPECT_FALSE(driver->HasLibrary());
    EXPECT_NE(std::string(driver->Name()), "sdl_mixer");
    EXPECT_NE(report.str().find("SDL audio"), std::string::npos) << report.str();
    // Asked for silence or for the players, SDL_mixer is not tried.
    EXPECT_EQ(std::string(ChooseSoundDriver(SoundChoice::None, nullptr)->Name()), "none");
    EXPECT_NE(std::string(ChooseSoundDriver(SoundChoice::Players, nullptr)->Name()), "sdl_mixer");
    EXPECT_EQ(ParseSoundChoice("SDL"), SoundChoice::Sdl);
    EXPECT_EQ(ParseSoundChoice("loud"), std::nullopt);
}

TEST(SdlMixerVolume, LineValuesToMixerVolume) {
    EXPECT_EQ(MixerMusicVolume({0xFFFF, 0xFFFF}), 128);
    EXPECT_EQ(MixerMusicVolume({0, 0}), 0);
    EXPECT_EQ(MixerMusicVolume({22937, 22937}), 45);
    EXPECT_EQ(MixerMusicVolume({0xFFFF, 0}), 64);
}

}  // namespace
}  // namespace velmora::sound

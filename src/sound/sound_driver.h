// What the sound layer needs from a sound back end. A driver with a library
// loads and plays samples and songs; one without it may still have a system
// player (play a file to its end, start and stop a music file). Drivers that
// run threads of their own report back only through the post callback they
// were given, which must be safe to call from any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velmora::sound {

enum class SoundEvent {
    MusicFinished,    // a song reached its end or was halted
    ChannelFinished,  // a sample stopped playing
};
using PostSoundEvent = std::function<void(SoundEvent)>;

// A loaded sound; freed when destroyed. Only the driver that made it plays it.
class Sample {
public:
    virtual ~Sample() = default;
};

// A loaded piece of music; freed (and halted) when destroyed.
class Song {
public:
    virtual ~Song() = default;
};

struct SampleDefaults {
    std::uint64_t length = 0;  // sample frames
    int frequency = 0;         // frames per second
};

// The music line's volume, one 16-bit value per channel.
struct ChannelVolume {
    std::uint16_t left = 0;
    std::uint16_t right = 0;
    friend bool operator==(const ChannelVolume&, const ChannelVolume&) = default;
};

// A sound made in memory: mono, signed 16-bit.
struct PcmSound {
    int rate = 22050;
    std::vector<std::int16_t> samples;
};

class SoundDriver {
public:
    virtual ~SoundDriver() = default;

    virtual const char* Name() const = 0;
    // Samples and songs are played by the library; without it the system
    // player plays files instead.
    virtual bool HasLibrary() const = 0;

    // The library. Null or false on failure. Samples do not loop.
    virtual std::unique_ptr<Sample> LoadSample(const std::filesystem::path&) { return nullptr; }
    virtual bool PlaySample(Sample&) { return false; }
    virtual std::optional<SampleDefaults> GetDefaults(const Sample&) const { return std::nullopt; }
    virtual std::unique_ptr<Song> LoadSong(const std::filesystem::path&) { return nullptr; }
    virtual bool PlaySong(Song&) { return false; }
    // False when the library fails to stop it.
    virtual bool StopSong(Song&) { return false; }

    // A sound made in memory (cues); any driver that can play may offer it.
    virtual std::unique_ptr<Sample> MakeSample(const PcmSound&) { return nullptr; }

    // The music volume line; no value when there is none.
    virtual std::optional<ChannelVolume> MusicVolume() const { return std::nullopt; }
    virtual void SetMusicVolume(ChannelVolume) {}

    // The system player: a wave file played to its end before returning, and
    // one music file at a time.
    virtual bool PlayFileToEnd(const std::filesystem::path&) { return false; }
    virtual bool OpenMusic(const std::filesystem::path&) { return false; }
    virtual void CloseMusic() {}
};

// Silence: no library, no player, no volume line.
class NoneDriver : public SoundDriver {
public:
    const char* Name() const override { return "none"; }
    bool HasLibrary() const override { return false; }
};

}  // namespace velmora::sound

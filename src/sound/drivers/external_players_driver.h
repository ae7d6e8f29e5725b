// The system player when SDL_mixer cannot open audio: installed programs
// play wave files (aplay or paplay) and MIDI music (timidity or fluidsynth).
// A sound file is played to its end before returning, as the Windows wave
// player does; music runs in the background until it is stopped.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "sound/drivers/child_process.h"
#include "sound/sound_driver.h"

namespace velmora::sound {

struct ExternalPlayers {
    std::filesystem::path wavPlayer;   // aplay or paplay
    std::filesystem::path midiPlayer;  // timidity or fluidsynth
    std::filesystem::path soundFont;   // for fluidsynth
};

// The players found in a PATH-style list of folders; fluidsynth only counts
// when a sound font is given.
ExternalPlayers FindExternalPlayers(std::string_view searchPath,
                                    const std::filesystem::path& soundFont);

class ExternalPlayersDriver : public SoundDriver {
public:
    explicit ExternalPlayersDriver(ExternalPlayers players);
    ~ExternalPlayersDriver() override;

    // Whether any player was found.
    bool Installed() const;

    const char* Name() const override { return "external"; }
    bool HasLibrary() const override { return false; }

    // Cues: a wave made in memory, handed to the wave player's input.
    std::unique_ptr<Sample> MakeSample(const PcmSound& pcm) override;
    bool PlaySample(Sample& sample) override;
    std::optional<SampleDefaults> GetDefaults(const Sample& sample) const override;

    // The players take it when they start.
    std::optional<ChannelVolume> MusicVolume() const override { return volume_; }
    void SetMusicVolume(ChannelVolume volume) override { volume_ = volume; }

    bool PlayFileToEnd(const std::filesystem::path& path) override;
    bool OpenMusic(const std::filesystem::path& path) override;
    void CloseMusic() override;

private:
    std::vector<std::string> WavArgs(const std::filesystem::path* file) const;

    ExternalPlayers players_;
    ChannelVolume volume_{0xFFFF, 0xFFFF};
    ChildProcess music_;
    std::vector<ChildProcess> cues_;
};

}  // namespace velmora::sound

// SPDX-License-Identifier: GPL-3.0-or-later
// The sound driver of the page: samples, cues and music played by the page's
// Web Audio. Sound files are read here through the gate and handed over as
// bytes; music is asked for by its file, which the page maps to its rendered
// audio.
#pragma once

#include <optional>
#include <string_view>

#include "sound/sound_driver.h"

namespace velmora::web {

// The length and rate of a PCM wave file from its header; none when the
// bytes are not one (the sound then plays without a wait for its end).
std::optional<sound::SampleDefaults> WaveDefaults(std::string_view bytes);

class PageSoundDriver : public sound::SoundDriver {
public:
    const char* Name() const override { return "web"; }
    bool HasLibrary() const override { return true; }

    std::unique_ptr<sound::Sample> LoadSample(const std::filesystem::path& file) override;
    bool PlaySample(sound::Sample& sample) override;
    std::optional<sound::SampleDefaults> GetDefaults(const sound::Sample& sample) const override;
    std::unique_ptr<sound::Song> LoadSong(const std::filesystem::path& file) override;
    bool PlaySong(sound::Song& song) override;
    bool StopSong(sound::Song& song) override;
    std::unique_ptr<sound::Sample> MakeSample(const sound::PcmSound& pcm) override;

    std::optional<sound::ChannelVolume> MusicVolume() const override { return volume_; }
    void SetMusicVolume(sound::ChannelVolume volume) override;

private:
    sound::ChannelVolume volume_{0xFFFF, 0xFFFF};
};

}  // namespace velmora::web

// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_sound.h"

#include <algorithm>
#include <cstdint>

#include "base/file_error.h"
#include "base/project_file.h"
#include "page_bridge.h"
#include "sound/cue_sounds.h"

namespace velmora::web {
namespace {

// The page frees its copy when the game lets the sound go.
class PageSample : public sound::Sample {
public:
    PageSample(int id, std::optional<sound::SampleDefaults> defaults) : id(id), defaults(defaults) {}
    ~PageSample() override { PageFreeSound(id); }
    PageSample(const PageSample&) = delete;
    PageSample& operator=(const PageSample&) = delete;
    const int id;
    const std::optional<sound::SampleDefaults> defaults;
};

class PageSong : public sound::Song {
public:
    explicit PageSong(int id) : id(id) {}
    ~PageSong() override { PageFreeSound(id); }
    PageSong(const PageSong&) = delete;
    PageSong& operator=(const PageSong&) = delete;
    const int id;
};

uint32_t Le(std::string_view b, size_t at, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint32_t{static_cast<unsigned char>(b[at + i])} << (8 * i);
    return v;
}

std::unique_ptr<sound::Sample> SampleOf(const std::string& bytes, const std::string& key,
                                        std::optional<sound::SampleDefaults> defaults) {
    const int id = PageMakeSound(bytes, key);
    if (id == 0) return nullptr;
    return std::make_unique<PageSample>(id, defaults);
}

}  // namespace

std::optional<sound::SampleDefaults> WaveDefaults(std::string_view b) {
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") return std::nullopt;
    uint32_t rate = 0, frameBytes = 0;
    // Chunks one after another; sizes come from the file, so every step is
    // checked against what is left.
    size_t at = 12;
    while (b.size() - at >= 8) {
        const std::string_view id = b.substr(at, 4);
        const uint64_t size = Le(b, at + 4, 4);
        const size_t body = at + 8;
        if (id == "fmt " && size >= 16 && b.size() - body >= 16) {
            const uint32_t channels = Le(b, body + 2, 2);
            rate = Le(b, body + 4, 4);
            const uint32_t bits = Le(b, body + 14, 2);
            frameBytes = channels * ((bits + 7) / 8);
        } else if (id == "data") {
            if (rate == 0 || frameBytes == 0) return std::nullopt;
            // A data chunk that claims more than the file holds (a wave cut
            // short) plays what is there.
            const uint64_t held = std::min<uint64_t>(size, b.size() - body);
            return sound::SampleDefaults{held / frameBytes, static_cast<int>(std::min<uint32_t>(rate, INT32_MAX))};
        }
        const uint64_t next = body + size + (size & 1);
        if (next > b.size()) break;
        at = static_cast<size_t>(next);
    }
    return std::nullopt;
}

std::unique_ptr<sound::Sample> PageSoundDriver::LoadSample(const std::filesystem::path& file) {
    std::string bytes;
    try {
        bytes = base::ReadCheckedFile(file, base::FileKind::Sound);
    } catch (const base::FileError&) {
        return nullptr;  // as a library refuses a file it cannot read
    }
    return SampleOf(bytes, file.string(), WaveDefaults(bytes));
}

bool PageSoundDriver::PlaySample(sound::Sample& sample) {
    auto* mine = dynamic_cast<PageSample*>(&sample);
    return mine && PagePlaySound(mine->id);
}

std::optional<sound::SampleDefaults> PageSoundDriver::GetDefaults(const sound::Sample& sample) const {
    auto* mine = dynamic_cast<const PageSample*>(&sample);
    return mine ? mine->defaults : std::nullopt;
}

std::unique_ptr<sound::Song> PageSoundDriver::LoadSong(const std::filesystem::path& file) {
    const int id = PageLoadMusic(file.string());
    if (id == 0) return nullptr;
    return std::make_unique<PageSong>(id);
}

bool PageSoundDriver::PlaySong(sound::Song& song) {
    auto* mine = dynamic_cast<PageSong*>(&song);
    return mine && PagePlaySound(mine->id);
}

bool PageSoundDriver::StopSong(sound::Song& song) {
    auto* mine = dynamic_cast<PageSong*>(&song);
    return mine && PageStopSound(mine->id);
}

std::unique_ptr<sound::Sample> PageSoundDriver::MakeSample(const sound::PcmSound& pcm) {
    return SampleOf(sound::WaveFileBytes(pcm), {},
                    sound::SampleDefaults{pcm.samples.size(), pcm.rate});
}

void PageSoundDriver::SetMusicVolume(sound::ChannelVolume volume) {
    volume_ = volume;
    PageMusicVolume(volume.left / 65535.0, volume.right / 65535.0);
}

}  // namespace velmora::web

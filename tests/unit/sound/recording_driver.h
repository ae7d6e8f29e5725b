// A driver that plays nothing and writes down what it was asked, by file name.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sound/sound_driver.h"

namespace velmora::sound::test {

class RecordingDriver : public SoundDriver {
public:
    explicit RecordingDriver(bool library) : library(library) {}

    const char* Name() const override { return "recording"; }
    bool HasLibrary() const override { return library; }

    std::unique_ptr<Sample> LoadSample(const std::filesystem::path& path) override {
        const std::string name = path.filename().string();
        log.push_back("LoadSample " + name);
        if (unloadable.count(name)) return nullptr;
        return std::make_unique<Recorded>(this, name, "FreeSample ");
    }
    bool PlaySample(Sample& sample) override {
        log.push_back("PlaySample " + Own(sample).name);
        return true;
    }
    std::optional<SampleDefaults> GetDefaults(const Sample& sample) const override {
        auto it = defaults.find(Own(sample).name);
        if (it == defaults.end()) return std::nullopt;
        return it->second;
    }
    std::unique_ptr<Song> LoadSong(const std::filesystem::path& path) override {
        const std::string name = path.filename().string();
        log.push_back("LoadSong " + name);
        if (unloadable.count(name)) return nullptr;
        return std::make_unique<RecordedSong>(this, name);
    }
    bool PlaySong(Song& song) override {
        log.push_back("PlaySong " + static_cast<RecordedSong&>(song).name);
        return playSongResult;
    }
    bool StopSong(Song& song) override {
        log.push_back("StopSong " + static_cast<RecordedSong&>(song).name);
        return stopSongResult;
    }
    std::unique_ptr<Sample> MakeSample(const PcmSound& pcm) override {
        const std::string name = "made" + std::to_string(++made);
        log.push_back("MakeSample " + name);
        madeSizes.push_back(pcm.samples.size());
        return std::make_unique<Recorded>(this, name, "FreeSample ");
    }
    std::optional<ChannelVolume> MusicVolume() const override { return line; }
    void SetMusicVolume(ChannelVolume volume) override {
        log.push_back("SetMusicVolume " + std::to_string(volume.left) + " " +
                      std::to_string(volume.right));
        line = volume;
    }
    bool PlayFileToEnd(const std::filesystem::path& path) override {
        log.push_back("PlayFileToEnd " + path.filename().string());
        return playFileResult;
    }
    bool OpenMusic(const std::filesystem::path& path) override {
        log.push_back("OpenMusic " + path.filename().string());
        return openMusicResult;
    }
    void CloseMusic() override { log.push_back("CloseMusic"); }

    // The log since the last call.
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    bool library;
    std::vector<std::string> log;
    std::map<std::string, SampleDefaults> defaults;
    std::set<std::string> unloadable;
    bool playSongResult = true;
    bool stopSongResult = true;
    bool openMusicResult = true;
    bool playFileResult = true;
    std::optional<ChannelVolume> line = ChannelVolume{0x1234, 0x5678};
    int made = 0;
    std::vector<std::size_t> madeSizes;

private:
    struct Recorded : Sample {
        Recorded(RecordingDriver* d, std::string n, const char* freeWord)
            : driver(d), name(std::move(n)), freeWord(freeWord) {}
        ~Recorded() override { driver->log.push_back(freeWord + name); }
        RecordingDriver* driver;
        std::string name;
        const char* freeWord;
    };
    struct RecordedSong : Song {
        RecordedSong(RecordingDriver* d, std::string n) : driver(d), name(std::move(n)) {}
        ~RecordedSong() override { driver->log.push_back("FreeSong " + name); }
        RecordingDriver* driver;
        std::string name;
    };
    static const Recorded& Own(const Sample& sample) {
        return static_cast<const Recorded&>(sample);
    }
};

}  // namespace velmora::sound::test

#include "sound/drivers/sdl_mixer_driver.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cmath>
#include <string_view>
#include <system_error>
#include <utility>

#include "base/project_file.h"
#include "sound/cue_sounds.h"

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 32;

// SDL_mixer's hooks take no user data, and only one device can be open.
std::atomic<bool> gOpen{false};
// Set before the hooks are installed and cleared after they are removed;
// installing and removing them waits for the audio thread.
std::atomic<const PostSoundEvent*> gPost{nullptr};

void Post(SoundEvent event) {
    const PostSoundEvent* post = gPost.load();
    if (post && *post) (*post)(event);
}
void OnMusicFinished() {
    Post(SoundEvent::MusicFinished);
}
void OnChannelFinished(int) {
    Post(SoundEvent::ChannelFinished);
}

struct ChunkDeleter {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
struct MusicDeleter {
    void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;
using MusicPtr = std::unique_ptr<Mix_Music, MusicDeleter>;

class SdlSample : public Sample {
public:
    explicit SdlSample(ChunkPtr chunk) : chunk_(std::move(chunk)) {}
    Mix_Chunk* Get() const { return chunk_.get(); }

private:
    ChunkPtr chunk_;
};

// The mixer streams a song from its bytes while it plays: they live as long
// as the song (declared first, freed last).
class SdlSong : public Song {
public:
    SdlSong(std::unique_ptr<std::string> bytes, MusicPtr music)
        : bytes_(std::move(bytes)), music_(std::move(music)) {}
    Mix_Music* Get() const { return music_.get(); }

private:
    std::unique_ptr<std::string> bytes_;
    MusicPtr music_;
};

// A file's bytes as the gate lets them through; none when it refuses the
// file. The mixer is never handed a path, so it can open nothing the gate
// did not check.
std::optional<std::string> CheckedBytes(const fs::path& path, base::FileKind kind) {
    try {
        return base::ReadCheckedFile(path, kind);
    } catch (const base::FileError&) {
        return std::nullopt;
    }
}

// Each step of opening is undone by its own destructor, so a failure halfway
// leaves nothing open.
class OpenFlag {
public:
    OpenFlag() : held_(!gOpen.exchange(true)) {}
    ~OpenFlag() {
        if (held_) gOpen = false;
    }
    OpenFlag(const OpenFlag&) = delete;
    OpenFlag& operator=(const OpenFlag&) = delete;
    bool held() const { return held_; }

private:
    bool held_;
};

class AudioSubsystem {
public:
    AudioSubsystem() : ok_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
    ~AudioSubsystem() {
        if (ok_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    AudioSubsystem(const AudioSubsystem&) = delete;
    AudioSubsystem& operator=(const AudioSubsystem&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

class MixerDecoders {
public:
    // Decoders load lazily too; asking early only finds them sooner.
    MixerDecoders() { Mix_Init(MIX_INIT_MID | MIX_INIT_MP3); }
    ~MixerDecoders() { Mix_Quit(); }
    MixerDecoders(const MixerDecoders&) = delete;
    MixerDecoders& operator=(const MixerDecoders&) = delete;
};

class MixerDevice {
public:
    MixerDevice() : ok_(Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) == 0) {}
    ~MixerDevice() {
        if (ok_) Mix_CloseAudio();
    }
    MixerDevice(const MixerDevice&) = delete;
    MixerDevice& operator=(const MixerDevice&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// Sample files are decoded whole into memory, so only formats of a known,
// finite length are taken: a MIDI or tracker file of a few bytes can play
// for hours, or loop for ever.
bool SampleFormatKnown(std::string_view bytes) {
    const std::string_view h = bytes.substr(0, 12);
    if (h.size() < 4) return false;
    if (h.starts_with("RIFF")) return h.size() == 12 && h.substr(8) == "WAVE";
    if (h.starts_with("FORM") || h.starts_with("Crea") || h.starts_with("OggS") ||
        h.starts_with("fLaC") || h.starts_with("ID3")) {
        return true;
    }
    // An MPEG audio frame.
    return static_cast<unsigned char>(h[0]) == 0xFF &&
           (static_cast<unsigned char>(h[1]) & 0xE0) == 0xE0;
}

// One short note, enough for the MIDI decoder to have to find its font.
std::string TinyMidiSong() {
    static const char bytes[] =
        "MThd\0\0\0\x06\0\0\0\x01\0\x60"
        "MTrk\0\0\0\x0c"
        "\0\x90\x3c\x40\x30\x80\x3c\x40\0\xff\x2f\0";
    return std::string(bytes, sizeof bytes - 1);
}

class SdlMixerDriver : public SoundDriver {
public:
    explicit SdlMixerDriver(PostSoundEvent post) : post_(std::move(post)) {}

    bool Open(std::string* why) {
        auto fail = [&](const char* what) {
            if (why) *why = std::string(what) + ": " + SDL_GetError();
            return false;
        };
        if (!flag_.held()) {
            if (why) *why = "SDL_mixer is already open";
            return false;
        }
        subsystem_ = std::make_unique<AudioSubsystem>();
        if (!subsystem_->ok()) return fail("SDL audio");
        decoders_ = std::make_unique<MixerDecoders>();
        device_ = std::make_unique<MixerDevice>();
        if (!device_->ok()) return fail("Mix_OpenAudio");
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (Mix_QuerySpec(&frequency, &format, &channels) == 0) return fail("Mix_QuerySpec");
        frequency_ = frequency;
        frameBytes_ = static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels;
        if (frequency_ <= 0 || frameBytes_ <= 0) return fail("Mix_QuerySpec");
        Mix_AllocateChannels(kChannels);
        // Debian's build takes SDL_SOUNDFONTS only when forced; naming the
        // font here works either way.
        const fs::path font = FindSoundFont();
        if (!font.empty()) Mix_SetSoundFonts(font.c_str());
        gPost = &post_;
        Mix_HookMusicFinished(OnMusicFinished);
        Mix_ChannelFinished(OnChannelFinished);
        hooked_ = true;
        return true;
    }

    ~SdlMixerDriver() override {
        if (!hooked_) return;
        Mix_HookMusicFinished(nullptr);
        Mix_ChannelFinished(nullptr);
        gPost = nullptr;
    }

    const char* Name() const override { return "sdl_mixer"; }
    bool HasLibrary() const override { return true; }

    std::unique_ptr<Sample> LoadSample(const fs::path& path) override {
        const auto bytes = CheckedBytes(path, base::FileKind::Sound);
        if (!bytes || !SampleFormatKnown(*bytes)) return nullptr;
        SDL_RWops* rw = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
        if (!rw) return nullptr;
        ChunkPtr chunk(Mix_LoadWAV_RW(rw, 1));  // decodes a copy; closes rw
        if (!chunk) return nullptr;
        return std::make_unique<SdlSample>(std::move(chunk));
    }

    bool PlaySample(Sample& sample) override {
        auto* own = dynamic_cast<SdlSample*>(&sample);
        return own && Mix_PlayChannel(-1, own->Get(), 0) != -1;
    }

    std::optional<SampleDefaults> GetDefaults(const Sample& sample) const override {
        auto* own = dynamic_cast<const SdlSample*>(&sample);
        if (!own) return std::nullopt;
        // Chunks are converted to the device's format when loaded.
        return SampleDefaults{own->Get()->alen / static_cast<std::uint64_t>(frameBytes_),
                              frequency_};
    }

    std::unique_ptr<Song> LoadSong(const fs::path& path) override {
        auto read = CheckedBytes(path, base::FileKind::Music);
        if (!read) return nullptr;
        // On the heap, so the bytes the mixer reads never move.
        auto bytes = std::make_unique<std::string>(std::move(*read));
        SDL_RWops* rw = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
        if (!rw) return nullptr;
        MusicPtr music(Mix_LoadMUS_RW(rw, 1));  // closes rw when the song is freed
        if (!music) return nullptr;
        return std::make_unique<SdlSong>(std::move(bytes), std::move(music));
    }

    bool PlaySong(Song& song) override {
        auto* own = dynamic_cast<SdlSong*>(&song);
        return own && Mix_PlayMusic(own->Get(), 1) == 0;
    }

    bool StopSong(Song& song) override {
        if (!dynamic_cast<SdlSong*>(&song)) return false;
        Mix_HaltMusic();
        return true;
    }

    std::unique_ptr<Sample> MakeSample(const PcmSound& pcm) override {
        const std::string bytes = WaveFileBytes(pcm);
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        if (!rw) return nullptr;
        ChunkPtr chunk(Mix_LoadWAV_RW(rw, 1));  // copies the data; closes rw
        if (!chunk) return nullptr;
        return std::make_unique<SdlSample>(std::move(chunk));
    }

    std::optional<ChannelVolume> MusicVolume() const override { return volume_; }
    void SetMusicVolume(ChannelVolume volume) override {
        volume_ = volume;
        Mix_VolumeMusic(MixerMusicVolume(volume));
    }

    bool PlaysMidi(std::string* why) {
        const std::string bytes = TinyMidiSong();
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        if (!rw) return false;
        MusicPtr music(Mix_LoadMUSType_RW(rw, MUS_MID, 1));
        if (!music && why) *why = std::string("MIDI: ") + Mix_GetError();
        return music != nullptr;
    }

private:
    PostSoundEvent post_;
    OpenFlag flag_;
    std::unique_ptr<AudioSubsystem> subsystem_;
    std::unique_ptr<MixerDecoders> decoders_;
    std::unique_ptr<MixerDevice> device_;
    bool hooked_ = false;
    int frequency_ = 0;
    int frameBytes_ = 0;
    // The mixer starts at full music volume.
    ChannelVolume volume_{0xFFFF, 0xFFFF};
};

}  // namespace

fs::path FindSoundFont() {
    static const char* const kFonts[] = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
    };
    for (const char* font : kFonts) {
        std::error_code ec;
        if (fs::is_regular_file(font, ec)) return font;
    }
    return {};
}

int MixerMusicVolume(ChannelVolume volume) {
    const double mean = (volume.left + volume.right) / 2.0;
    return static_cast<int>(std::lround(mean * MIX_MAX_VOLUME / 0xFFFF));
}

std::unique_ptr<SoundDriver> OpenSdlMixerDriver(PostSoundEvent post, std::string* why) {
    auto driver = std::make_unique<SdlMixerDriver>(std::move(post));
    if (!driver->Open(why)) return nullptr;
    return driver;
}

bool SdlMixerPlaysMidi(SoundDriver& driver, std::string* why) {
    auto* own = dynamic_cast<SdlMixerDriver*>(&driver);
    if (!own) {
        if (why) *why = "not the SDL_mixer driver";
        return false;
    }
    return own->PlaysMidi(why);
}

}  // namespace velmora::sound

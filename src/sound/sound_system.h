// Music, the four effects, sound files named by the project, the music
// volume rule and our own cue sounds. One instance for the program, used on
// the core's thread only.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "base/file_error.h"
#include "base/project_file.h"
#include "sound/sound_driver.h"

namespace velmora::sound {

// The wave-out volume: low 16 bits left, high 16 bits right. Linux has no
// per-program wave volume, so it is taken as full.
inline constexpr std::uint32_t kFullWaveVolume = 0xFFFFFFFFu;

// The music line's channels for a volume percent above 0: each wave channel
// divided by 100 / percent, truncated, and held to 16 bits (a percent above
// 100 gives full volume, not a wrapped one).
ChannelVolume ScaledMusicVolume(std::uint32_t waveVolume, int percent);

// Waits the given number of timer ticks; a key release ends it early.
using WaitTicksHook = std::function<void(int ticks)>;

// Told what the game asks of the sound layer, as the player would notice it;
// the headless front end writes it into its transcript.
class SoundObserver {
public:
    virtual ~SoundObserver() = default;
    virtual void Effect(int number) = 0;
    virtual void Sound(std::string_view name) = 0;  // a sound file found, as the project names it
    virtual void Music(const std::filesystem::path& file) = 0;
    virtual void MusicStop() = 0;
    virtual void Volume(int percent) = 0;
};

class SoundSystem {
public:
    // mediaFolder is the program folder's Media/. A null driver means silence.
    SoundSystem(std::filesystem::path projectFolder, std::filesystem::path mediaFolder,
                std::unique_ptr<SoundDriver> driver, WaitTicksHook waitTicks);
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Once, before anything is played: preloads the effects when the driver
    // has a library.
    void InitSound();

    // Starts a music file; whether it plays. The path is remembered even when
    // it cannot be played (Ctrl+M replays it).
    bool PlayMusic(const std::filesystem::path& path);
    // False only when the library fails to stop the song.
    bool StopMusic();
    // A percent of the wave volume for the music; 0 or less gives the line
    // back what it had before the first change (nothing, if never changed).
    void SetMusicVolume(int percent);
    // Effects 0 to 3 (chimes, start, recycle, show); other numbers do nothing.
    void PlayEffect(int number);
    // A sound file named by the project (code page 1251). With wait and the
    // library, returns after the sound's length or a key release.
    bool PlaySoundFile(std::string_view name, bool wait);
    // The project's Snd folder first, then the media folder; empty when the
    // file is missing or the gate refuses it (a link out of those folders,
    // a pipe, a device, a file beyond the cap: onRefused is told).
    std::filesystem::path ResolveSoundFile(std::string_view name) const;
    // A file the project names in its own folder (music of `play`, menu.mid),
    // found without regard to case; empty when missing or refused.
    std::filesystem::path ProjectFile(std::string_view name) const;

    // Our own short sounds for speech outputs that have no cues; numbers
    // without a sound of their own beep.
    void PlayCueSound(int number);
    void Beep();

    // An event a driver posted; a piece ending by itself changes nothing.
    void Handle(SoundEvent event);

    const SoundDriver& Driver() const { return *driver_; }
    // False with the driver of silence: nothing the game plays is heard.
    bool HasDevice() const;
    // Another adventure chosen: its music and sounds from now on.
    void SetProjectFolder(std::filesystem::path folder) { projectFolder_ = std::move(folder); }

    SoundObserver* observer = nullptr;  // not owned
    // Told of each sound or music file the gate refused, for the player to
    // hear why it is silent; a missing file is no news.
    std::function<void(const base::FileError&)> onRefused;
    bool LibraryAvailable = false;
    // Set by PlayMusic, cleared only by StopMusic (not when a piece ends).
    bool MusicPlaying = false;
    // The player's switch for all music (main.ini's [User] Music): while it
    // is off, PlayMusic only remembers its file, so that no map, page or
    // menu starts music the player turned off.
    bool MusicWanted = true;
    std::filesystem::path CurrentMusicFile;
    int AppliedVolume = 0;

private:
    // key: a cue number with a sound of its own, or kBeepKey.
    void PlayMadeSound(int key);
    std::filesystem::path FileUnder(const std::filesystem::path& root, std::string_view relative,
                                    base::FileKind kind) const;
    // The real music file the gate lets through, or empty.
    std::filesystem::path MusicFile(const std::filesystem::path& path) const;
    void Refused(const base::FileError& error) const;

    std::filesystem::path projectFolder_;
    std::filesystem::path mediaFolder_;
    // Declared first so that every sample and song is freed before it.
    std::unique_ptr<SoundDriver> driver_;
    WaitTicksHook waitTicks_;
    std::unique_ptr<Song> song_;
    std::unique_ptr<Sample> currentSound_;
    std::array<std::unique_ptr<Sample>, 4> effects_;
    std::map<int, std::unique_ptr<Sample>> madeSounds_;
    std::optional<ChannelVolume> savedVolume_;
};

// Cues and the beep for what is built before the game's sound system (the
// speech outputs, the front end's beep and tone): played through it while it
// is attached; a beep with no sound device is the front end's own bell (a
// terminal's), so that a refused key is still heard.
class SignalSounds {
public:
    explicit SignalSounds(std::function<void()> bell = nullptr) : bell_(std::move(bell)) {}
    // The game's sound system, from its start to its end (null then).
    void Attach(SoundSystem* sound) { sound_ = sound; }
    void Cue(int number);
    void Beep();

private:
    SoundSystem* sound_ = nullptr;
    std::function<void()> bell_;
};

}  // namespace velmora::sound

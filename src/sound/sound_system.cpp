#include "sound/sound_system.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

#include "base/cp1251.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "sound/cue_sounds.h"

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

// Effect numbers 0 to 3, and the order InitSound loads them in.
constexpr std::array<const char*, 4> kEffectFiles = {"chimes.wav", "start.wav", "recycle.wav",
                                                     "show.wav"};
constexpr std::array<int, 4> kPreloadOrder = {2, 0, 1, 3};

std::uint16_t ScaleChannel(std::uint32_t wave, double divisor) {
    const double value = std::trunc(wave / divisor);
    if (!(value < 65535.0)) return 0xFFFF;  // also keeps a huge percent defined
    return static_cast<std::uint16_t>(value);
}

}  // namespace

ChannelVolume ScaledMusicVolume(std::uint32_t waveVolume, int percent) {
    if (percent <= 0) return {};
    const double divisor = 100.0 / percent;
    return {ScaleChannel(waveVolume & 0xFFFF, divisor), ScaleChannel(waveVolume >> 16, divisor)};
}

SoundSystem::SoundSystem(fs::path projectFolder, fs::path mediaFolder,
                         std::unique_ptr<SoundDriver> driver, WaitTicksHook waitTicks)
    : projectFolder_(std::move(projectFolder)),
      mediaFolder_(std::move(mediaFolder)),
      driver_(driver ? std::move(driver) : std::make_unique<NoneDriver>()),
      waitTicks_(std::move(waitTicks)) {}

SoundSystem::~SoundSystem() {
    if (MusicPlaying && !LibraryAvailable) driver_->CloseMusic();
}

void SoundSystem::InitSound() {
    LibraryAvailable = driver_->HasLibrary();
    if (!LibraryAvailable) return;
    for (int index : kPreloadOrder) {
        const fs::path path = ResolveSoundFile(kEffectFiles[index]);
        effects_[index] = path.empty() ? nullptr : driver_->LoadSample(path);
    }
}

bool SoundSystem::PlayMusic(const fs::path& path) {
    CurrentMusicFile = path;
    if (!MusicWanted) return false;
    // The driver gets only a file the gate let through; the path as given
    // is still remembered (Ctrl+M) and reported.
    const fs::path checked = MusicFile(path);
    if (LibraryAvailable) {
        if (MusicPlaying && song_) driver_->StopSong(*song_);
        song_.reset();
        if (observer) observer->Music(path);
        if (checked.empty()) {
            MusicPlaying = false;
            return false;
        }
        song_ = driver_->LoadSong(checked);
        MusicPlaying = song_ && driver_->PlaySong(*song_);
        return MusicPlaying;
    }
    if (MusicPlaying) {
        // A new piece replaces the old one; only the new one is reported.
        SoundObserver* const told = std::exchange(observer, nullptr);
        StopMusic();
        observer = told;
    }
    if (observer) observer->Music(path);
    if (checked.empty() || !driver_->OpenMusic(checked)) return false;
    MusicPlaying = true;
    return true;
}

bool SoundSystem::StopMusic() {
    if (!MusicPlaying) return true;
    if (observer) observer->MusicStop();
    MusicPlaying = false;
    if (LibraryAvailable) {
        const bool stopped = song_ ? driver_->StopSong(*song_) : true;
        song_.reset();
        return stopped;
    }
    driver_->CloseMusic();
    return true;
}

void SoundSystem::SetMusicVolume(int percent) {
    if (observer) observer->Volume(percent);
    AppliedVolume = percent;
    const auto line = driver_->MusicVolume();
    if (!line) return;
    if (percent <= 0) {
        // Nothing saved means the line was never changed: it already holds
        // the volume it had before us.
        if (savedVolume_) driver_->SetMusicVolume(*savedVolume_);
        return;
    }
    if (!savedVolume_) savedVolume_ = *line;
    driver_->SetMusicVolume(ScaledMusicVolume(kFullWaveVolume, percent));
}

void SoundSystem::PlayEffect(int number) {
    if (number < 0 || number > 3) return;
    if (observer) observer->Effect(number);
    if (LibraryAvailable) {
        if (effects_[number]) driver_->PlaySample(*effects_[number]);
        return;
    }
    // The effect's file is played as a sound file; it is reported as the effect.
    SoundObserver* const told = std::exchange(observer, nullptr);
    PlaySoundFile(kEffectFiles[number], false);
    observer = told;
}

bool SoundSystem::PlaySoundFile(std::string_view name, bool wait) {
    const fs::path path = ResolveSoundFile(name);
    if (path.empty()) return false;
    if (observer) observer->Sound(base::TrimBlanks(name));
    if (!LibraryAvailable) return driver_->PlayFileToEnd(path);

    currentSound_.reset();
    currentSound_ = driver_->LoadSample(path);
    if (!currentSound_) return true;
    driver_->PlaySample(*currentSound_);
    if (!wait) return true;
    const auto defaults = driver_->GetDefaults(*currentSound_);
    if (!defaults || defaults->frequency <= 1000) return true;
    const std::uint64_t ticks =
        defaults->length / static_cast<std::uint64_t>(defaults->frequency / 10);
    if (waitTicks_) waitTicks_(static_cast<int>(std::min<std::uint64_t>(ticks, INT_MAX)));
    return true;
}

fs::path SoundSystem::ResolveSoundFile(std::string_view name) const {
    const std::string_view trimmed = base::TrimBlanks(name);
    if (trimmed.empty() || !base::SplitRelativePath(trimmed)) return {};
    fs::path found =
        FileUnder(projectFolder_, "Snd\\" + std::string(trimmed), base::FileKind::Sound);
    if (found.empty()) found = FileUnder(mediaFolder_, trimmed, base::FileKind::Sound);
    return found;
}

fs::path SoundSystem::ProjectFile(std::string_view name) const {
    const std::string_view trimmed = base::TrimBlanks(name);
    if (trimmed.empty()) return {};
    return FileUnder(projectFolder_, trimmed, base::FileKind::Music);
}

fs::path SoundSystem::FileUnder(const fs::path& root, std::string_view relative,
                                base::FileKind kind) const {
    const base::GatedFile gated = base::GateFile(root, relative, kind);
    if (gated.Refused()) Refused(*gated.error);
    return gated.path;
}

fs::path SoundSystem::MusicFile(const fs::path& path) const {
    if (path.empty()) return {};
    base::GatedFile gated = base::GatePath(projectFolder_, path, base::FileKind::Music);
    // Outside the project: the program's media may hold it.
    if (gated.Refused() && !mediaFolder_.empty()) {
        base::GatedFile media = base::GatePath(mediaFolder_, path, base::FileKind::Music);
        if (media.Found()) gated = std::move(media);
    }
    if (gated.Refused()) Refused(*gated.error);
    return gated.path;
}

void SoundSystem::Refused(const base::FileError& error) const {
    if (onRefused) onRefused(error);
}

void SoundSystem::PlayCueSound(int number) {
    PlayMadeSound(HasCueSound(number) ? number : kBeepKey);
}

void SoundSystem::Beep() {
    PlayMadeSound(kBeepKey);
}

void SoundSystem::PlayMadeSound(int key) {
    auto it = madeSounds_.find(key);
    if (it == madeSounds_.end()) {
        // Made once; a driver that cannot play them keeps answering null.
        it = madeSounds_.emplace(key, driver_->MakeSample(MakeCueSound(key))).first;
    }
    if (it->second) driver_->PlaySample(*it->second);
}

void SoundSystem::Handle(SoundEvent) {}

bool SoundSystem::HasDevice() const { return std::string_view(driver_->Name()) != "none"; }

void SignalSounds::Cue(int number) {
    if (sound_) sound_->PlayCueSound(number);
}

void SignalSounds::Beep() {
    if (!sound_) return;
    if (bell_ && !sound_->HasDevice()) {
        bell_();
    } else {
        sound_->Beep();
    }
}

}  // namespace velmora::sound

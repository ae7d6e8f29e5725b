// main.ini: the player's settings. [Proj] Current names the project; [User]
// Speed, MidiVol and Voice are the speech rate, the music volume and the
// voice. The speed and volume keys write their keys back, --voice its own,
// and the main menu's adventure chooser [Proj] Current.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/file_error.h"

namespace velmora::shell {

class MainIni {
public:
    // The player's file lives in the state folder; until the player changes
    // a setting, the copy that ships in the program folder is read.
    MainIni(std::filesystem::path programFolder, std::filesystem::path stateFolder);

    // A missing file or key gives the defaults: "", 60, 35, "".
    void Read();
    // [User] Voice (code page 1251, empty for none), read before anything
    // else is built: the speech outputs are chosen with it.
    static std::string ReadVoice(const std::filesystem::path& programFolder,
                                 const std::filesystem::path& stateFolder);

    // One step of the speed (±10, 0 to 120 from the default) or of the music
    // volume (±5, 0 to 100); false at a limit, where nothing changes.
    bool SpeedStep(int delta);
    bool VolumeStep(int delta);
    // Writes Speed or MidiVol as it is now into [User]; the first write copies
    // the shipped settings. Throws base::FileError when it cannot be written.
    void WriteSpeed() const { WriteUser("Speed", std::to_string(Speed)); }
    void WriteMidiVol() const { WriteUser("MidiVol", std::to_string(MidiVol)); }
    // [User] Music: 0 when the player switched the music off in the settings.
    void WriteMusic() const { WriteUser("Music", Music ? "1" : "0"); }
    // Writes [User] Voice (code page 1251; empty: a Russian voice of the
    // engine's choosing) the same way.
    void WriteVoice(const std::string& voice) const { WriteUser("Voice", voice); }
    // [User] Speech: the speech output chosen in the settings, as --speech
    // names it ("" when never chosen); --speech goes before it.
    static std::string ReadSpeech(const std::filesystem::path& programFolder,
                                  const std::filesystem::path& stateFolder);
    // The settings' voice and output, as Voice and Speech hold them now.
    void WriteVoiceSetting() const { WriteUser("Voice", Voice); }
    void WriteSpeechSetting() const { WriteUser("Speech", Speech); }
    // [Proj] Current: the adventure the player chose in the main menu, played
    // at the next start. (It was only ever read; the chooser writes it.)
    void WriteCurrent(const std::string& current) const { Write("Proj", "Current", current); }

    const std::filesystem::path& Path() const { return path_; }

    std::string Current;  // [Proj] Current, 1251, without trailing separators
    int32_t Speed = 60;
    int32_t MidiVol = 35;
    bool Music = true;
    std::string Voice;
    std::string Speech;
    // Why main.ini, there, could not be read (the defaults stand), for the
    // player to hear.
    std::optional<base::FileError> Problem;

private:
    // The file read: the player's, else the shipped one, else the player's
    // (missing) path.
    static std::filesystem::path ReadFrom(const std::filesystem::path& programFolder,
                                          const std::filesystem::path& stateFolder);
    void WriteUser(const char* key, const std::string& value) const { Write("User", key, value); }
    void Write(const char* section, const char* key, const std::string& value) const;

    std::filesystem::path programFolder_;
    std::filesystem::path stateFolder_;
    std::filesystem::path path_;
};

}  // namespace velmora::shell

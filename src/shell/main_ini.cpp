#include "shell/main_ini.h"

#include <system_error>

#include "base/ini_profile.h"
#include "base/paths.h"

namespace fs = std::filesystem;

namespace velmora::shell {

MainIni::MainIni(fs::path programFolder, fs::path stateFolder)
    : programFolder_(std::move(programFolder)),
      stateFolder_(std::move(stateFolder)),
      path_(stateFolder_ / "main.ini") {}

fs::path MainIni::ReadFrom(const fs::path& programFolder, const fs::path& stateFolder) {
    fs::path own = stateFolder / "main.ini";
    std::error_code ec;
    if (fs::exists(own, ec)) return own;
    if (auto shipped = base::FindPath(programFolder, "main.ini")) return *shipped;
    return own;
}

void MainIni::Read() {
    const base::IniProfile ini = base::IniProfile::Load(ReadFrom(programFolder_, stateFolder_));
    Current = ini.GetString("Proj", "Current", "");
    while (!Current.empty() && (Current.back() == '\\' || Current.back() == '/')) Current.pop_back();
    Speed = ini.GetInt("User", "Speed", 60);
    MidiVol = ini.GetInt("User", "MidiVol", 35);
    Music = ini.GetInt("User", "Music", 1) != 0;
    Voice = ini.GetString("User", "Voice", "");
    Speech = ini.GetString("User", "Speech", "");
    Problem = ini.LoadError();
}

std::string MainIni::ReadVoice(const fs::path& programFolder, const fs::path& stateFolder) {
    return base::IniProfile::Load(ReadFrom(programFolder, stateFolder))
        .GetString("User", "Voice", "");
}

std::string MainIni::ReadSpeech(const fs::path& programFolder, const fs::path& stateFolder) {
    return base::IniProfile::Load(ReadFrom(programFolder, stateFolder))
        .GetString("User", "Speech", "");
}

bool MainIni::SpeedStep(int delta) {
    if ((delta > 0 && Speed > 110) || (delta < 0 && Speed < 10)) return false;
    Speed += delta;
    return true;
}

bool MainIni::VolumeStep(int delta) {
    if ((delta > 0 && MidiVol > 95) || (delta < 0 && MidiVol < 5)) return false;
    MidiVol += delta;
    return true;
}

void MainIni::Write(const char* section, const char* key, const std::string& value) const {
    // The first change copies the settings that ship with the game. The
    // player's folder may not exist yet, shipped settings or none: a write
    // into it would fail.
    std::error_code ec;
    if (!fs::exists(path_, ec)) {
        fs::create_directories(path_.parent_path(), ec);
        if (auto shipped = base::FindPath(programFolder_, "main.ini")) {
            fs::copy_file(*shipped, path_, ec);
        }
    }
    base::WriteProfileString(path_, section, key, value);
}

}  // namespace velmora::shell

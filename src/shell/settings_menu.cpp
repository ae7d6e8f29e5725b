// The spoken settings (src/shell/settings_menu.h).
#include "shell/settings_menu.h"

#include <algorithm>
#include <iterator>

#include "base/plural.h"
#include "shell/shell_texts.h"

namespace velmora::shell {

SettingsMenu::SettingsMenu(Host& host, Session& session, talkui::Toolkit& kit)
    : host_(host), session_(session), kit_(kit) {
    // No title: entered from the game block its caption is said already.
    for (int v = 0; v <= 120; v += 10) speedChoices_.push_back(std::to_string(v));
    for (int v = 0; v <= 100; v += 5) volumeChoices_.push_back(std::to_string(v));

    talkui::TMenuEntry& speed = block_.AddEntry(texts::SpeechRateSetting(), talkui::etChoice);
    speed.Choices = &speedChoices_;
    speed.IntValue = &speedIndex_;
    speed.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        session_.ini.Speed = speedIndex_ * 10;
        session_.speech.SetSpeechRate(session_.ini.Speed);
        host_.WriteSetting(&MainIni::WriteSpeed);
    };

    talkui::TMenuEntry& volume = block_.AddEntry(texts::VolumeSetting(), talkui::etChoice);
    volume.Choices = &volumeChoices_;
    volume.IntValue = &volumeIndex_;
    volume.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        session_.ini.MidiVol = volumeIndex_ * 5;
        session_.sound->SetMusicVolume(session_.ini.MidiVol);
        host_.WriteSetting(&MainIni::WriteMidiVol);
    };

    talkui::TMenuEntry& music = block_.AddEntry(texts::MusicSetting(), talkui::etSwitch);
    music.IntValue = &musicSwitch_;
    music.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) { SwitchMusic(musicSwitch_ != 0); };
    if (session_.options.speechChoices.open) AddSpeechSettings();
}

namespace {
// The outputs as --speech names them, in the order the settings offer them.
constexpr const char* kOutputs[] = {"auto", "speechd", "espeak", "print", "none"};
}  // namespace

void SettingsMenu::AddSpeechSettings() {
    outputChoices_ = {texts::OutputAuto(), "speech-dispatcher", "espeak-ng", texts::OutputPrint(),
                      texts::OutputNone()};
    talkui::TMenuEntry& voice = block_.AddEntry(texts::VoiceSetting(), talkui::etChoice);
    voice.Choices = &voiceChoices_;
    voice.IntValue = &voiceIndex_;
    voice.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        const auto at = static_cast<size_t>(voiceIndex_);
        session_.ini.Voice = at >= 1 && at <= voiceNames_.size() ? voiceNames_[at - 1] : std::string();
        host_.WriteSetting(&MainIni::WriteVoiceSetting);
        ReopenSpeech(session_.options.speechChoices.output, session_.ini.Voice);
    };
    talkui::TMenuEntry& output = block_.AddEntry(texts::OutputSetting(), talkui::etChoice);
    output.Choices = &outputChoices_;
    output.IntValue = &outputIndex_;
    output.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        const auto at = std::clamp<size_t>(static_cast<size_t>(outputIndex_), 0, std::size(kOutputs) - 1);
        session_.options.speechChoices.output = kOutputs[at];
        session_.ini.Speech = kOutputs[at];
        host_.WriteSetting(&MainIni::WriteSpeechSetting);
        ReopenSpeech(session_.options.speechChoices.output, session_.ini.Voice);
    };
}

// The new output speaks from the next text on: the entry said again after
// the choice is heard through it, at the player's rate.
void SettingsMenu::ReopenSpeech(const std::string& output, const std::string& voice) {
    session_.speech.OpenSpeech(session_.options.speechChoices.open(output, voice));
    session_.speech.SetSpeechRate(session_.ini.Speed);
}

void SettingsMenu::Sync() {
    speedIndex_ = std::clamp(session_.ini.Speed / 10, 0, static_cast<int32_t>(speedChoices_.size()) - 1);
    volumeIndex_ = std::clamp(session_.ini.MidiVol / 5, 0, static_cast<int32_t>(volumeChoices_.size()) - 1);
    musicSwitch_ = session_.sound->MusicPlaying ? 1 : 0;
    if (!session_.options.speechChoices.open) return;
    const auto output = std::find(std::begin(kOutputs), std::end(kOutputs), session_.options.speechChoices.output);
    outputIndex_ = output == std::end(kOutputs) ? 0 : static_cast<int32_t>(output - std::begin(kOutputs));
    const auto voice = std::find(voiceNames_.begin(), voiceNames_.end(), session_.ini.Voice);
    voiceIndex_ = voice == voiceNames_.end() ? 0 : static_cast<int32_t>(voice - voiceNames_.begin()) + 1;
}

void SettingsMenu::Opening() {
    if (session_.options.speechChoices.open && !voicesListed_) {
        voicesListed_ = true;
        if (session_.options.speechChoices.listVoices) voiceNames_ = session_.options.speechChoices.listVoices();
        voiceChoices_ = {texts::DefaultVoice()};
        voiceChoices_.insert(voiceChoices_.end(), voiceNames_.begin(), voiceNames_.end());
    }
    Sync();
    kit_.UnitNoun = texts::Items();
}

// The switch is kept: off, no map or page starts music until it is on again.
// With no sound device nothing plays, and the switch stays off.
void SettingsMenu::SwitchMusic(bool on) {
    session_.ini.Music = on;
    session_.sound->MusicWanted = on;
    host_.WriteSetting(&MainIni::WriteMusic);
    if (on && !session_.sound->MusicPlaying) {
        session_.sound->PlayMusic(session_.sound->CurrentMusicFile);
        session_.sound->SetMusicVolume(session_.sound->AppliedVolume);
        if (!session_.sound->MusicPlaying && !session_.sound->HasDevice()) {
            session_.speech.SayText(texts::NoSoundForMusic());
        }
    } else if (!on) {
        session_.sound->StopMusic();
    }
    musicSwitch_ = session_.sound->MusicPlaying ? 1 : 0;
}

// From the main menu: the settings on the game's menu line, with the game's
// picture hidden; going back from their top returns to the main menu.
void SettingsMenu::ShowAlone() {
    if (!host_.MenuLine()) return;
    host_.ShowMenuAlone(texts::Settings());
    Opening();
    host_.OpenMenuAlone(block_);
    session_.speech.SayText(texts::Settings() + ", " + base::CountOf(block_.EntryCount(), texts::Items()));
}

}  // namespace velmora::shell

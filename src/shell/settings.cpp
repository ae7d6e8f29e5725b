// The spoken settings: the speech rate, the music volume and the music,
// reached from the game block and from the main menu, each change put to use
// and heard at once, and kept in main.ini.
#include <algorithm>

#include "base/plural.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"

namespace velmora::shell {

void TForm1::BuildSettings() {
    // No title: entered from the game block its caption is said already.
    settingsBlock_.Help = std::string();
    for (int v = 0; v <= 120; v += 10) speedChoices_.push_back(std::to_string(v));
    for (int v = 0; v <= 100; v += 5) volumeChoices_.push_back(std::to_string(v));

    talkui::TMenuEntry& speed = settingsBlock_.AddEntry(texts::SpeechRateSetting(), talkui::etChoice);
    speed.Choices = &speedChoices_;
    speed.IntValue = &speedIndex_;
    speed.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        session_.ini.Speed = speedIndex_ * 10;
        session_.speech.SetSpeechRate(session_.ini.Speed);
        WriteSetting(&MainIni::WriteSpeed);
    };

    talkui::TMenuEntry& volume = settingsBlock_.AddEntry(texts::VolumeSetting(), talkui::etChoice);
    volume.Choices = &volumeChoices_;
    volume.IntValue = &volumeIndex_;
    volume.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        session_.ini.MidiVol = volumeIndex_ * 5;
        session_.sound->SetMusicVolume(session_.ini.MidiVol);
        WriteSetting(&MainIni::WriteMidiVol);
    };

    talkui::TMenuEntry& music = settingsBlock_.AddEntry(texts::MusicSetting(), talkui::etSwitch);
    music.IntValue = &musicSwitch_;
    music.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) { SwitchMusic(musicSwitch_ != 0); };
    if (session_.options.speechChoices.open) AddSpeechSettings();
}

namespace {
// The outputs as --speech names them, in the order the settings offer them.
constexpr const char* kOutputs[] = {"auto", "speechd", "espeak", "print", "none"};
}  // namespace

void TForm1::AddSpeechSettings() {
    outputChoices_ = {texts::OutputAuto(), "speech-dispatcher", "espeak-ng", texts::OutputPrint(),
                      texts::OutputNone()};
    talkui::TMenuEntry& voice = settingsBlock_.AddEntry(texts::VoiceSetting(), talkui::etChoice);
    voice.Choices = &voiceChoices_;
    voice.IntValue = &voiceIndex_;
    voice.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        const auto at = static_cast<size_t>(voiceIndex_);
        session_.ini.Voice = at >= 1 && at <= voiceNames_.size() ? voiceNames_[at - 1] : std::string();
        WriteSetting(&MainIni::WriteVoiceSetting);
        ReopenSpeech(session_.options.speechChoices.output, session_.ini.Voice);
    };
    talkui::TMenuEntry& output = settingsBlock_.AddEntry(texts::OutputSetting(), talkui::etChoice);
    output.Choices = &outputChoices_;
    output.IntValue = &outputIndex_;
    output.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        const auto at = std::clamp<size_t>(static_cast<size_t>(outputIndex_), 0, std::size(kOutputs) - 1);
        session_.options.speechChoices.output = kOutputs[at];
        session_.ini.Speech = kOutputs[at];
        WriteSetting(&MainIni::WriteSpeechSetting);
        ReopenSpeech(session_.options.speechChoices.output, session_.ini.Voice);
    };
}

// The new output speaks from the next text on: the entry said again after
// the choice is heard through it, at the player's rate.
void TForm1::ReopenSpeech(const std::string& output, const std::string& voice) {
    session_.speech.OpenSpeech(session_.options.speechChoices.open(output, voice));
    session_.speech.SetSpeechRate(session_.ini.Speed);
}

// The values as they are now: the keys for the rate, the volume and the
// music change them outside the menu too.
void TForm1::SyncSettings() {
    speedIndex_ = std::clamp(session_.ini.Speed / 10, 0, static_cast<int32_t>(speedChoices_.size()) - 1);
    volumeIndex_ = std::clamp(session_.ini.MidiVol / 5, 0, static_cast<int32_t>(volumeChoices_.size()) - 1);
    musicSwitch_ = session_.sound->MusicPlaying ? 1 : 0;
    if (!session_.options.speechChoices.open) return;
    const auto output = std::find(std::begin(kOutputs), std::end(kOutputs), session_.options.speechChoices.output);
    outputIndex_ = output == std::end(kOutputs) ? 0 : static_cast<int32_t>(output - std::begin(kOutputs));
    const auto voice = std::find(voiceNames_.begin(), voiceNames_.end(), session_.ini.Voice);
    voiceIndex_ = voice == voiceNames_.end() ? 0 : static_cast<int32_t>(voice - voiceNames_.begin()) + 1;
}

void TForm1::SettingsOpening() {
    if (session_.options.speechChoices.open && !voicesListed_) {
        voicesListed_ = true;
        if (session_.options.speechChoices.listVoices) voiceNames_ = session_.options.speechChoices.listVoices();
        voiceChoices_ = {texts::DefaultVoice()};
        voiceChoices_.insert(voiceChoices_.end(), voiceNames_.begin(), voiceNames_.end());
    }
    SyncSettings();
    kit_.UnitNoun = texts::Items();
}

// The switch is kept: off, no map or page starts music until it is on again.
// With no sound device nothing plays, and the switch stays off.
void TForm1::SwitchMusic(bool on) {
    session_.ini.Music = on;
    session_.sound->MusicWanted = on;
    WriteSetting(&MainIni::WriteMusic);
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

void TForm1::ShowMenuAlone(const std::string& title) {
    RichEdit2.SetVisible(false);
    KinPanel.SetVisible(false);
    Image2.SetAlign(ui::Align::Client);
    GamePanel.SetVisible(true);
    Image1.SetVisible(false);
    RichEdit1.SetVisible(true);
    RichEdit1.SetText(title);
    SetMode(Mode::MenuAlone);  // no game shows: F2 and F3 have nothing to tell
}

// From the main menu: the settings on the game's menu line, with the game's
// picture hidden; going back from their top returns to the main menu.
void TForm1::ShowSettingsAlone() {
    if (!menu_) return;
    ShowMenuAlone(texts::Settings());
    SettingsOpening();
    menu_->OpenBlock(settingsBlock_);
    menu_->HandlerData = &settingsBlock_;
    menu_->Handler = [this](talkui::TMenuLine&, const talkui::HandlerArg& arg) {
        if (arg.kind != talkui::HandlerArg::Back) return talkui::MenuResult::GoOn;
        LeaveSettingsAlone();
        return talkui::MenuResult::Stop;
    };
    if (kit_.List->Visible()) form_.Focus(kit_.List.get());
    session_.speech.SayText(texts::Settings() + ", " + base::CountOf(settingsBlock_.EntryCount(), texts::Items()));
}

void TForm1::LeaveSettingsAlone() {
    if (menu_) menu_->Handler = nullptr;
    ShowPictureScreen("menu", texts::MainMenuTitle());
}

}  // namespace velmora::shell

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
        ini_.Speed = speedIndex_ * 10;
        speech_.SetSpeechRate(ini_.Speed);
        WriteSetting(&MainIni::WriteSpeed);
    };

    talkui::TMenuEntry& volume = settingsBlock_.AddEntry(texts::VolumeSetting(), talkui::etChoice);
    volume.Choices = &volumeChoices_;
    volume.IntValue = &volumeIndex_;
    volume.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        ini_.MidiVol = volumeIndex_ * 5;
        sound_->SetMusicVolume(ini_.MidiVol);
        WriteSetting(&MainIni::WriteMidiVol);
    };

    talkui::TMenuEntry& music = settingsBlock_.AddEntry(texts::MusicSetting(), talkui::etSwitch);
    music.IntValue = &musicSwitch_;
    music.OnChanged = [this](talkui::TMenuLine&, talkui::TMenuEntry&) { SwitchMusic(musicSwitch_ != 0); };
}

// The values as they are now: the keys for the rate, the volume and the
// music change them outside the menu too.
void TForm1::SyncSettings() {
    speedIndex_ = std::clamp(ini_.Speed / 10, 0, static_cast<int32_t>(speedChoices_.size()) - 1);
    volumeIndex_ = std::clamp(ini_.MidiVol / 5, 0, static_cast<int32_t>(volumeChoices_.size()) - 1);
    musicSwitch_ = sound_->MusicPlaying ? 1 : 0;
}

void TForm1::SettingsOpening() {
    SyncSettings();
    kit_.UnitNoun = texts::Items();
}

// The switch is kept: off, no map or page starts music until it is on again.
// With no sound device nothing plays, and the switch stays off.
void TForm1::SwitchMusic(bool on) {
    ini_.Music = on;
    sound_->MusicWanted = on;
    WriteSetting(&MainIni::WriteMusic);
    if (on && !sound_->MusicPlaying) {
        sound_->PlayMusic(sound_->CurrentMusicFile);
        sound_->SetMusicVolume(sound_->AppliedVolume);
        if (!sound_->MusicPlaying && std::string_view(sound_->Driver().Name()) == "none") {
            speech_.SayText(texts::NoSoundForMusic());
        }
    } else if (!on) {
        sound_->StopMusic();
    }
    musicSwitch_ = sound_->MusicPlaying ? 1 : 0;
}

// From the main menu: the settings on the game's menu line, with the game's
// picture hidden; going back from their top returns to the main menu.
void TForm1::ShowSettingsAlone() {
    if (!menu_) return;
    RichEdit2.SetVisible(false);
    KinPanel.SetVisible(false);
    Image2.SetAlign(ui::Align::Client);
    GamePanel.SetVisible(true);
    Image1.SetVisible(false);
    RichEdit1.SetVisible(true);
    RichEdit1.SetText(texts::Settings());
    SetView(vmGame, "game");
    settingsAlone_ = true;
    SettingsOpening();
    menu_->OpenBlock(settingsBlock_);
    menu_->HandlerData = &settingsBlock_;
    menu_->Handler = [this](talkui::TMenuLine&, const talkui::HandlerArg& arg) {
        if (arg.kind != talkui::HandlerArg::Back) return 0;
        LeaveSettingsAlone();
        return 3;
    };
    if (kit_.List->Visible()) form_.Focus(kit_.List.get());
    speech_.SayText(texts::Settings() + ", " + base::CountOf(settingsBlock_.EntryCount(), texts::Items()));
}

void TForm1::LeaveSettingsAlone() {
    settingsAlone_ = false;
    if (menu_) menu_->Handler = nullptr;
    ShowPictureScreen("menu", texts::MainMenuTitle());
}

}  // namespace velmora::shell

// The spoken settings: the speech rate, the music volume and the music (and
// the voice and the speech output, when the front end can change them),
// reached from the game block and from the main menu, each change put to use
// and heard at once, and kept in main.ini.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/main_ini.h"
#include "shell/menu_alone.h"
#include "shell/session.h"
#include "talkui/menu_block.h"
#include "talkui/toolkit.h"

namespace velmora::shell {

class SettingsMenu {
public:
    // The window around the settings.
    class Host : public MenuAloneHost {
    public:
        // Writes a setting the player changed; a failure is reported.
        virtual void WriteSetting(void (MainIni::*write)() const) = 0;
    };

    SettingsMenu(Host& host, Session& session, talkui::Toolkit& kit);
    SettingsMenu(const SettingsMenu&) = delete;
    SettingsMenu& operator=(const SettingsMenu&) = delete;

    talkui::TMenuBlock& Block() { return block_; }
    // The values made current before the block opens.
    void Opening();
    // The values as they are now: the keys for the rate, the volume and the
    // music change them outside the menu too.
    void Sync();
    // From the main menu: the settings alone on the game's menu line.
    void ShowAlone();

private:
    void AddSpeechSettings();
    void SwitchMusic(bool on);
    void ReopenSpeech(const std::string& output, const std::string& voice);

    Host& host_;
    Session& session_;
    talkui::Toolkit& kit_;
    talkui::TMenuBlock block_;
    std::vector<std::string> speedChoices_, volumeChoices_;
    int32_t speedIndex_ = 0, volumeIndex_ = 0, musicSwitch_ = 0;
    std::vector<std::string> voiceChoices_, voiceNames_, outputChoices_;
    bool voicesListed_ = false;
    int32_t voiceIndex_ = 0, outputIndex_ = 0;
};

}  // namespace velmora::shell

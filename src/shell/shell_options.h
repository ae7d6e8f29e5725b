// What a runner tells the shell at its start: the folders, the project, the
// keys its help names, and the speech outputs the settings may open.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/project_choice.h"
#include "sound/sound_system.h"
#include "speech/speech_output.h"

namespace velmora::shell {

struct ShellOptions {
    std::filesystem::path programFolder;  // the game root
    std::filesystem::path stateFolder;    // where main.ini, Saves/ and Settings/ are written
    // The project to play instead of main.ini's: its folder is root + path.
    std::optional<ProjectChoice> project;
    // Where the main menu's adventure chooser looks for projects, the
    // player's own first; none given: the Projects folders of the state
    // folder and the program folder.
    std::vector<std::filesystem::path> projectsFolders;
    bool nomenu = false;
    // Which keys F1's help names: a terminal's stand-ins for the keys it
    // cannot send; in a web page, none of those the page leaves to the
    // browser (F5 reloads, F6 is the address bar), so the speech rate is
    // sent to the settings.
    enum class KeyHelp : uint8_t { window, terminal, page };
    KeyHelp keyHelp = KeyHelp::window;
    std::optional<uint32_t> seed;         // the message picker's; none: from the clock
    // The voices and speech outputs the settings offer, and how a front end
    // opens one while the game runs; without `open` (headless, the page) the
    // settings have neither.
    struct SpeechChoices {
        // The voices as --voice names them (code page 1251), asked when the
        // settings first open: listing them may take a moment.
        std::function<std::vector<std::string>()> listVoices;
        std::string output = "auto";  // as --speech names it
        std::function<std::unique_ptr<speech::SpeechOutput>(const std::string& output,
                                                            const std::string& voice1251)>
            open;
    } speechChoices;
    // Told of the game's sound system while it lives, for the cues and the
    // beep of what was built before it; none: nobody asks.
    sound::SignalSounds* signals = nullptr;

    // The folders, the project and -nomenu as a runner's own options name them.
    template <class RunOptions>
    static ShellOptions From(const RunOptions& run) {
        ShellOptions o;
        o.programFolder = run.programFolder;
        o.project = run.project;
        o.projectsFolders = run.projectsFolders;
        o.stateFolder = run.stateFolder;
        o.nomenu = run.nomenu;
        return o;
    }
};

}  // namespace velmora::shell

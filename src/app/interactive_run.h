// A game played by a person through an interactive front end: the real speech
// output and sound driver, an optional transcript, and the shell.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/events.h"
#include "shell/project_choice.h"
#include "sound/drivers/sound_drivers.h"
#include "speech/drivers/open_speech.h"
#include "speech/speech_output.h"
#include "ui/form.h"

namespace velmora::app {

struct InteractiveOptions {
    std::filesystem::path programFolder;
    std::filesystem::path stateFolder;
    std::optional<shell::ProjectChoice> project;  // none: main.ini's
    std::vector<std::filesystem::path> projectsFolders;  // the adventure chooser's
    bool nomenu = false;
    bool terminalKeys = false;  // the key help names the terminal's stand-ins
    speech::SpeechChoice speech = speech::SpeechChoice::Auto;
    // --voice in code page 1251, used even when main.ini could not keep it;
    // none: main.ini's [User] Voice.
    std::optional<std::string> voice;
    sound::SoundChoice sound = sound::SoundChoice::Auto;
    std::FILE* transcript = nullptr;  // not owned; none when null
    // The beep when no sound device plays (the terminal's bell); none: silence.
    std::function<void()> bell;
    // Told the window's component tree once the game is built, and null
    // before it goes (the window draws it).
    std::function<void(ui::Form*)> showForm;
    // Wraps the chosen speech output (the terminal prints every text).
    std::function<std::unique_ptr<speech::SpeechOutput>(std::unique_ptr<speech::SpeechOutput>)>
        wrapSpeech;
};

// The hooks a front end needs that only exist once the game is built: the
// beep and tone through the sound device. Valid during RunInteractive.
struct GameSounds {
    std::function<void()> beep;
    std::function<void(int hz, int ms)> tone;
};

// Plays until the events end or the game is closed; the exit status.
int RunInteractive(const InteractiveOptions& options, shell::EventSource& events,
                   shell::FrontEnd& frontEnd, GameSounds* sounds = nullptr);

}  // namespace velmora::app

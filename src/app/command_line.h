// The player's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sound/drivers/sound_drivers.h"
#include "speech/drivers/open_speech.h"

namespace velmora::app {

enum class FrontEndChoice { Window, Tty, Headless };

struct CommandLine {
    std::string root;                         // --root; empty: found
    std::string project;                      // --project: a folder or a name; empty: main.ini's
    bool listProjects = false;                // --list-projects
    std::optional<std::string> voice;         // --voice, UTF-8; "" forgets the remembered one
    bool listVoices = false;                  // --list-voices
    std::optional<FrontEndChoice> frontEnd;   // --frontend; none: chosen
    speech::SpeechChoice speech = speech::SpeechChoice::Auto;
    bool speechGiven = false;  // --speech named one: it goes before the settings' choice
    sound::SoundChoice sound = sound::SoundChoice::Auto;
    std::string keysFile;                     // --keys; "-" is standard input
    std::string transcriptFile;               // --transcript
    std::string screenshotFile;               // --screenshot (the window, with --keys)
    bool nomenu = false;
    bool help = false;
    bool version = false;
};

// The parsed line, or the problem in *problem: one line, naming the option.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* problem);

// The usage text; extra is appended (the terminal's own keys).
std::string UsageText(const std::string& extra);

}  // namespace velmora::app

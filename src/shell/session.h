// What one run of the shell holds: the options it was started with, the
// configuration, the project and its folders, speech, sound and the rules.
// The window and its modes work on it; another adventure chosen refills it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "rules/rules.h"
#include "shell/main_ini.h"
#include "shell/shell_options.h"
#include "sound/sound_system.h"
#include "speech/speech_router.h"
#include "world/game_project.h"

namespace velmora::shell {

struct Session {
    explicit Session(ShellOptions o)
        : options(std::move(o)), ini(options.programFolder, options.stateFolder) {}

    ShellOptions options;
    MainIni ini;
    std::string projectPath;  // 1251, relative to the program folder
    std::filesystem::path projectFolder;
    world::GameProject gp;
    speech::SpeechRouter speech;
    // Made once the project's folder is known, in this order: the rules play through the sound.
    std::unique_ptr<sound::SoundSystem> sound;
    std::unique_ptr<rules::Rules> rules;
};

}  // namespace velmora::shell

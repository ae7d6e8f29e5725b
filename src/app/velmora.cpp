// velmora: the player. Builds the program from its command line: the game
// folders, the front end, the speech and sound outputs.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/game_folders.h"
#include "app/last_word.h"
#include "app/tty_run.h"
#include "app/window_run.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/terminal_text.h"
#include "frontend/headless/headless_run.h"
#include "frontend/common/key_script.h"
#include "shell/main_ini.h"
#include "sound/drivers/alsa_quiet.h"
#include "sound/drivers/sdl_audio_choice.h"
#include "speech/drivers/open_speech.h"

using namespace velmora;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

// A wrong command line: one line, and where to read more.
int Usage(const std::string& problem) {
    std::cerr << "velmora: " << problem << "; try 'velmora --help'\n";
    return 2;
}

// The key script's steps, or the problem reported and no value.
std::optional<std::vector<frontend::KeyStep>> ReadKeys(const std::string& file) {
    std::string script;
    if (file == "-") {
        script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "velmora: " << file << ": cannot open\n";
            return std::nullopt;
        }
        script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    try {
        return frontend::ParseKeyScript(script, file);
    } catch (const frontend::KeyScriptError& e) {
        // Its text leads with "error: " for the checker's report lines.
        std::string_view what = e.what();
        if (what.starts_with("error: ")) what.remove_prefix(7);
        std::cerr << "velmora: " << base::TerminalSafe(what) << '\n';
        return std::nullopt;
    }
}

// What was sought and not found, with every folder looked in; status 2.
int NotFound(const std::string& what, const std::vector<std::filesystem::path>& lookedIn) {
    std::cerr << "velmora: " << base::TerminalSafe(what) << "; looked in:\n";
    for (const auto& dir : lookedIn) {
        std::cerr << "  " << base::TerminalSafe(dir.string());
        // A game.ini that is there but no file: the reason, as the checker gives it.
        if (auto why = app::RefusedGameFile(dir)) std::cerr << " (" << base::TerminalSafe(*why) << ")";
        std::cerr << '\n';
    }
    return 2;
}

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // A limit on file size then fails the write like a full disk, which the
    // game reports and survives, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    sound::QuietAlsaMessages();
    std::string problem;
    const auto cl = app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &problem);
    if (!cl) return Usage(problem);
    if (cl->help) {
        std::cout << app::UsageText(app::TtyHelp());
        return 0;
    }
    if (cl->version) {
        std::cout << "velmora " << VELMORA_VERSION << '\n';
        return 0;
    }

    if (cl->listVoices) {
        const std::vector<speech::VoiceEntry> voices = speech::ListRussianVoices();
        for (const auto& voice : voices) {
            std::cout << base::TerminalSafe(voice.engine) << '\t' << base::TerminalSafe(voice.name);
            if (!voice.note.empty()) std::cout << '\t' << base::TerminalSafe(voice.note);
            std::cout << '\n';
        }
        if (voices.empty())
            std::cerr << "velmora: no Russian voice in espeak-ng or a running speech-dispatcher\n";
        return 0;
    }

    std::vector<std::filesystem::path> lookedIn;
    const std::optional<app::GameRoot> found = app::FindGameRoot(cl->root, &lookedIn);
    // Rather than an empty world: the player learns where a game was sought.
    if (!found) return NotFound("no game found (a folder with Projects/, main.ini or a game.ini of its own)", lookedIn);
    const std::filesystem::path root = found->path;
    if (cl->listProjects) {
        for (const auto& offered : app::OfferedProjects(root)) {
            std::cout << base::TerminalSafe(offered.name) << "\t"
                      << base::TerminalSafe(offered.folder.string()) << '\n';
        }
        return 0;
    }
    std::optional<shell::ProjectChoice> project;
    if (!cl->project.empty()) {
        std::vector<std::filesystem::path> sought;
        project = app::FindProject(cl->project, root, &sought);
        if (!project) return NotFound("no project '" + cl->project + "' (a folder with game.ini)", sought);
    }

    // --voice in code page 1251, as main.ini keeps it; none when not given,
    // or when 1251 cannot hold it (refused below, once the front end is known).
    std::optional<std::string> voice;
    if (cl->voice && base::FitsCp1251(*cl->voice)) voice = base::Utf8ToCp1251(*cl->voice);

    // With a key script and no front end named, the game is played headless,
    // as the scenario tests expect.
    app::FrontEndChoice frontEnd = app::FrontEndChoice::Headless;
    if (cl->frontEnd) {
        frontEnd = *cl->frontEnd;
        // A screenshot may be made without a display; a window played by
        // hand needs one that gives keys.
        if (frontEnd == app::FrontEndChoice::Window) {
            const std::string problem = app::WindowProblem(!cl->screenshotFile.empty());
            if (!problem.empty()) {
                std::cerr << "velmora: --frontend window: " << problem << '\n';
                return 2;
            }
        }
    } else if (cl->keysFile.empty()) {
        const std::string problem = app::WindowProblem(false);
        if (problem.empty()) {
            frontEnd = app::FrontEndChoice::Window;
        } else if (app::TerminalAvailable()) {
            frontEnd = app::FrontEndChoice::Tty;
            // A display that was named and failed is worth a word; none named
            // is the console's normal case.
            if (DisplayNamed()) std::cerr << "velmora: " << problem << "; playing in the terminal\n";
        } else {
            std::cerr << "velmora: no window and no terminal to play in: " << problem << '\n';
            // Started from a desktop menu, stderr goes nowhere a blind player
            // hears: the voice says it too, for at most a few seconds.
            app::SayBeforeLeaving(
                base::Utf8ToCp1251("Игра Вельмора не может начаться: нет ни окна, ни терминала, где играть."),
                cl->speech,
                voice ? *voice : shell::MainIni::ReadVoice(root, app::StateFolder(*found)),
                std::chrono::seconds(8));
            return 2;
        }
    }
    if (!cl->screenshotFile.empty() && frontEnd != app::FrontEndChoice::Window) {
        std::cerr << "velmora: --screenshot needs the window front end\n";
        return 2;
    }

    std::optional<std::vector<frontend::KeyStep>> keys;
    if (!cl->keysFile.empty() || frontEnd == app::FrontEndChoice::Headless) {
        keys = ReadKeys(cl->keysFile.empty() ? "-" : cl->keysFile);
        if (!keys) return 2;
    }
    OwnedFile transcript;
    if (!cl->transcriptFile.empty()) {
        transcript.reset(std::fopen(cl->transcriptFile.c_str(), "w"));
        if (!transcript) {
            std::cerr << "velmora: " << cl->transcriptFile << ": cannot write\n";
            return 2;
        }
    }

    const std::filesystem::path state = app::StateFolder(*found);
    if (cl->voice) {
        // main.ini is code page 1251: a name it cannot hold would come back
        // as another.
        if (!voice) {
            std::string why = "--voice ";
            return Usage(why.append(base::TerminalSafe(*cl->voice))
                             .append(": main.ini (code page 1251) cannot keep this name"));
        }
        shell::MainIni settings(root, state);
        try {
            settings.WriteVoice(*voice);
        } catch (const base::FileError& e) {
            // The voice is still used this time.
            std::cerr << "velmora: the voice is not remembered: " << base::TerminalSafe(e.file())
                      << ": " << base::TerminalSafe(e.problem()) << '\n';
        }
    }
    // Where the game and the player's state are, and what it starts with:
    // the same for a headless run and a played one.
    const auto startWith = [&](auto& options) {
        options.programFolder = root;
        options.stateFolder = state;
        options.project = project;
        options.projectsFolders = app::ProjectsFolders(root);
        options.nomenu = cl->nomenu;
    };
    if (frontEnd == app::FrontEndChoice::Headless) {
        frontend::HeadlessOptions options;
        startWith(options);
        // Played as a console's screen reader hears it: no end of speech.
        options.readerReportsNoEnd = cl->speech == speech::SpeechChoice::None;
        options.steps = std::move(*keys);
        options.transcript = transcript ? transcript.get() : stdout;
        return frontend::RunHeadless(options);
    }
    app::InteractiveOptions options;
    startWith(options);
    options.speech = cl->speech;
    // The output chosen in the settings, unless --speech names one.
    if (!cl->speechGiven) {
        if (auto remembered = speech::ParseSpeechChoice(shell::MainIni::ReadSpeech(root, state))) {
            options.speech = *remembered;
        }
    }
    options.voice = voice;
    options.sound = cl->sound;
    // Before anything opens SDL's audio, and only for a game that has a voice
    // or music (a headless run has neither): not when neither the voice nor
    // the music can go through SDL.
    const bool voiceOutsideSdl =
        options.speech != speech::SpeechChoice::Auto && options.speech != speech::SpeechChoice::Espeak;
    const bool soundOutsideSdl =
        options.sound == sound::SoundChoice::None || options.sound == sound::SoundChoice::Players;
    std::optional<sound::PreferPipeWire> audioDriver;
    if (!(voiceOutsideSdl && soundOutsideSdl)) audioDriver.emplace();
    options.transcript = transcript.get();
    if (frontEnd == app::FrontEndChoice::Window) {
        return app::RunWindow(options, std::move(keys), cl->screenshotFile);
    }
    return app::RunTty(options, std::move(keys));
}

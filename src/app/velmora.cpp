// velmora: the player. Builds the program from its command line: the game
// folders, the front end, the speech and sound outputs.
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/game_folders.h"
#include "app/tty_run.h"
#include "app/window_run.h"
#include "frontend/headless/headless_run.h"
#include "frontend/headless/key_script.h"

using namespace velmora;

namespace {

constexpr const char* kVersion = "0.2";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

int Usage(const std::string& problem) {
    std::cerr << "velmora: " << problem << '\n' << app::UsageText("");
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
            std::cerr << "error: " << file << ": cannot open\n";
            return std::nullopt;
        }
        script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    try {
        return frontend::ParseKeyScript(script, file);
    } catch (const frontend::KeyScriptError& e) {
        std::cerr << e.what() << '\n';
        return std::nullopt;
    }
}

// What was sought and not found, with every folder looked in; status 2.
int NotFound(const std::string& what, const std::vector<std::filesystem::path>& lookedIn) {
    std::cerr << "velmora: " << what << "; looked in:\n";
    for (const auto& dir : lookedIn) std::cerr << "  " << dir.string() << '\n';
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A limit on file size then fails the write like a full disk, which the
    // game reports and survives, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string problem;
    const auto cl = app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &problem);
    if (!cl) return Usage(problem);
    if (cl->help) {
        std::cout << app::UsageText(app::TtyHelp());
        return 0;
    }
    if (cl->version) {
        std::cout << "velmora " << kVersion << '\n';
        return 0;
    }

    std::vector<std::filesystem::path> lookedIn;
    const std::optional<app::GameRoot> found = app::FindGameRoot(cl->root, &lookedIn);
    // Rather than an empty world: the player learns where a game was sought.
    if (!found) return NotFound("no game found (a folder with Projects/, main.ini or a game.ini of its own)", lookedIn);
    const std::filesystem::path root = found->path;
    if (cl->listProjects) {
        for (const auto& offered : app::OfferedProjects(root)) {
            std::cout << offered.name << "\t" << offered.folder.string() << '\n';
        }
        return 0;
    }
    std::optional<shell::ProjectChoice> project;
    if (!cl->project.empty()) {
        std::vector<std::filesystem::path> sought;
        project = app::FindProject(cl->project, root, &sought);
        if (!project) return NotFound("no project '" + cl->project + "' (a folder with game.ini)", sought);
    }

    // With a key script and no front end named, the game is played headless,
    // as the scenario tests expect.
    app::FrontEndChoice frontEnd = app::FrontEndChoice::Headless;
    if (cl->frontEnd) {
        frontEnd = *cl->frontEnd;
    } else if (cl->keysFile.empty()) {
        if (app::DisplayAvailable()) {
            frontEnd = app::FrontEndChoice::Window;
        } else if (app::TerminalAvailable()) {
            frontEnd = app::FrontEndChoice::Tty;
        } else {
            std::cerr << "velmora: no window and no terminal to play in\n";
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
            std::cerr << "error: " << cl->transcriptFile << ": cannot write\n";
            return 2;
        }
    }

    const std::filesystem::path state = app::StateFolder(*found);
    if (frontEnd == app::FrontEndChoice::Headless) {
        frontend::HeadlessOptions options;
        options.programFolder = root;
        options.stateFolder = state;
        options.project = project;
        options.nomenu = cl->nomenu;
        options.steps = std::move(*keys);
        options.transcript = transcript ? transcript.get() : stdout;
        return frontend::RunHeadless(options);
    }
    app::InteractiveOptions options;
    options.programFolder = root;
    options.stateFolder = state;
    options.project = project;
    options.nomenu = cl->nomenu;
    options.speech = cl->speech;
    options.sound = cl->sound;
    options.transcript = transcript.get();
    if (frontEnd == app::FrontEndChoice::Window) {
        return app::RunWindow(options, std::move(keys), cl->screenshotFile);
    }
    return app::RunTty(options, std::move(keys));
}

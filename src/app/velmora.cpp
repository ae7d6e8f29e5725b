// velmora: the player. Until the window and terminal front ends arrive, games
// are played headless from a key script.
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "base/cp1251.h"
#include "frontend/headless/headless_run.h"
#include "frontend/headless/key_script.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr const char* kVersion = "0.1";

int Usage(const std::string& problem) {
    if (!problem.empty()) std::cerr << "velmora: " << problem << '\n';
    std::cerr << "usage: velmora [--root DIR] [--frontend window|tty|headless]\n"
                 "               [--speech auto|speechd|espeak|print|none] [--keys FILE]\n"
                 "               [--transcript FILE] [-nomenu | /nomenu] [--help] [--version]\n";
    return 2;
}

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

bool LooksLikeGameRoot(const fs::path& dir) {
    return fs::exists(dir / "Projects") || fs::exists(dir / "main.ini");
}

// The game root: --root, the executable's folder when it holds a game, the
// installed data, or the game folder of a source checkout.
fs::path GameRoot(const std::string& given) {
    if (!given.empty()) return fs::absolute(given);
    const fs::path exe = ExecutableFolder();
    if (LooksLikeGameRoot(exe)) return exe;
    if (fs::exists("/usr/share/velmora")) return "/usr/share/velmora";
    for (fs::path dir = exe; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (LooksLikeGameRoot(dir / "game")) return dir / "game";
    }
    return exe;
}

bool InsideGitWorkTree(fs::path dir) {
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (fs::exists(dir / ".git")) return true;
    }
    return false;
}

// Settings and saved games go beside the game unless it is read-only or a
// source checkout, whose work tree is never changed by playing.
fs::path StateFolder(const fs::path& root) {
    if (!InsideGitWorkTree(root) && ::access(root.c_str(), W_OK) == 0) return root;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = xdg && *xdg ? fs::path(xdg) : fs::path(home ? home : "/tmp") / ".local/share";
    fs::path state = base / "velmora";
    std::error_code ec;
    fs::create_directories(state, ec);
    return state;
}

}  // namespace

int main(int argc, char** argv) {
    // A limit on file size then fails the write like a full disk, which the
    // game reports and survives, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string root, frontendName = "headless", speechName = "auto", keysFile, transcriptFile;
    bool nomenu = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (arg == "--help") {
            Usage("");
            return 0;
        }
        if (arg == "--version") {
            std::cout << "velmora " << kVersion << '\n';
            return 0;
        }
        if ((arg[0] == '-' || arg[0] == '/') && base::LowerText1251(arg.substr(1)) == "nomenu") {
            nomenu = true;
        } else if (arg == "--root") {
            if (!value(root)) return Usage("--root needs a folder");
        } else if (arg == "--frontend") {
            if (!value(frontendName)) return Usage("--frontend needs a name");
        } else if (arg == "--speech") {
            if (!value(speechName)) return Usage("--speech needs a name");
        } else if (arg == "--keys") {
            if (!value(keysFile)) return Usage("--keys needs a file");
        } else if (arg == "--transcript") {
            if (!value(transcriptFile)) return Usage("--transcript needs a file");
        } else {
            return Usage("unknown argument '" + arg + "'");
        }
    }
    if (frontendName == "window" || frontendName == "tty") {
        std::cerr << "velmora: the " << frontendName << " front end is not available yet\n";
        return 2;
    }
    if (frontendName != "headless") return Usage("unknown front end '" + frontendName + "'");
    if (speechName != "auto" && speechName != "speechd" && speechName != "espeak" &&
        speechName != "print" && speechName != "none") {
        return Usage("unknown speech output '" + speechName + "'");
    }

    frontend::HeadlessOptions options;
    options.programFolder = GameRoot(root);
    options.stateFolder = StateFolder(options.programFolder);
    options.nomenu = nomenu;
    std::string script;
    const std::string scriptName = keysFile.empty() || keysFile == "-" ? "-" : keysFile;
    if (scriptName == "-") {
        script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(keysFile, std::ios::binary);
        if (!in) {
            std::cerr << "error: " << keysFile << ": cannot open\n";
            return 2;
        }
        script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    try {
        options.steps = frontend::ParseKeyScript(script, scriptName);
    } catch (const frontend::KeyScriptError& e) {
        std::cerr << e.what() << '\n';
        return 2;
    }
    std::FILE* out = stdout;
    if (!transcriptFile.empty()) {
        out = std::fopen(transcriptFile.c_str(), "w");
        if (out == nullptr) {
            std::cerr << "error: " << transcriptFile << ": cannot write\n";
            return 2;
        }
    }
    options.transcript = out;
    const int status = frontend::RunHeadless(options);
    if (out != stdout) std::fclose(out);
    return status;
}

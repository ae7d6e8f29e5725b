#include "app/game_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "base/paths.h"
#include "base/project_file.h"
#include "base/terminal_text.h"

namespace fs = std::filesystem;

namespace velmora::app {
namespace {

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

bool InsideGitWorkTree(fs::path dir) {
    std::error_code ec;
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (fs::exists(dir / ".git", ec)) return true;
    }
    return false;
}

// The installed data folder and everything under /usr are the system's, to
// be changed only by the package manager, even when root could write there.
// Real paths are compared, so no symlink, "..", or /usr/games/../share
// spelling of the folder gets past.
bool SystemFolder(const fs::path& dir) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(dir), ec);
    if (ec) return true;  // unsure: written nowhere
    const fs::path installed =
        fs::weakly_canonical(ExecutableFolder().parent_path() / "share" / "velmora", ec);
    if (!ec && real == installed) return true;
    auto part = real.begin();
    return part != real.end() && ++part != real.end() && *part == "usr";
}

// A path from the environment, when it is absolute (a relative one is
// ignored, as the XDG rules say).
std::optional<fs::path> AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') return std::nullopt;
    return fs::path(value);
}

// The home the user database gives, when it is a folder.
std::optional<fs::path> HomeOfUser() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
        return std::nullopt;
    }
    const fs::path home = found->pw_dir;
    std::error_code ec;
    if (home == "/" || !fs::is_directory(home, ec)) return std::nullopt;
    return home;
}

// This user's own folder, made 0700 if it is not there: one that is a link,
// another user's, or open to others is not taken.
bool PrivateFolder(const fs::path& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Without a home: velmora-UID in the temporary folder, the player's alone;
// when someone else holds that name, a new folder for this run only. Said
// once; empty when not even that can be made.
fs::path FolderOfNoHome() {
    static const fs::path chosen = [] {
        std::error_code ec;
        fs::path tmp = fs::temp_directory_path(ec);
        if (ec || !tmp.is_absolute()) tmp = "/tmp";
        const std::string name = "velmora-" + std::to_string(::geteuid());
        const std::string why = "velmora: no home folder (HOME and XDG_DATA_HOME are unset, and the "
                                "user database names none)";
        if (PrivateFolder(tmp / name)) {
            std::cerr << why << ": settings and saved games go to "
                      << base::TerminalSafe((tmp / name).string()) << ", which only you can open\n";
            return tmp / name;
        }
        std::string unique = (tmp / (name + "-XXXXXX")).string();
        if (::mkdtemp(unique.data()) == nullptr) {
            std::cerr << why << ", and no folder of your own can be made: nothing is saved\n";
            return fs::path();
        }
        std::cerr << why << ", and " << base::TerminalSafe((tmp / name).string())
                  << " is not yours: saved games last only for this run, in "
                  << base::TerminalSafe(unique) << "\n";
        return fs::path(unique);
    }();
    return chosen;
}

bool HoldsProject(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir, ec) && base::FindPath(dir, "game.ini").has_value();
}

}  // namespace

// Where projects are offered by name: the player's own first, then the game's.
std::vector<fs::path> ProjectsFolders(const fs::path& gameRoot) {
    const fs::path data = UserDataFolder();
    if (data.empty()) return {gameRoot / "Projects"};
    return {data / "Projects", gameRoot / "Projects"};
}

std::optional<std::string> RefusedGameFile(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return std::nullopt;
    const auto entry = base::FindEntryPath(dir, "game.ini");
    if (!entry) return std::nullopt;
    const base::GatedFile gated = base::GatePath(dir, *entry, base::FileKind::Text);
    if (!gated.Refused()) return std::nullopt;
    return gated.error->file() + ": " + gated.error->problem();
}

bool HoldsGame(const fs::path& dir) {
    std::error_code ec;
    // A project may be the program folder itself: game.ini beside the program.
    return fs::is_directory(dir / "Projects", ec) || fs::is_regular_file(dir / "main.ini", ec) ||
           HoldsProject(dir);
}

std::optional<GameRoot> FindGameRoot(const std::string& given, std::vector<fs::path>* lookedIn) {
    auto tried = [lookedIn](const fs::path& dir) {
        if (lookedIn) lookedIn->push_back(dir);
        return HoldsGame(dir);
    };
    if (!given.empty()) {
        const fs::path dir = fs::absolute(given).lexically_normal();
        if (tried(dir)) return GameRoot{dir, RootKind::Given};
        return std::nullopt;
    }
    const fs::path exe = ExecutableFolder();
    if (tried(exe)) return GameRoot{exe, RootKind::Portable};
    const fs::path installed = (exe.parent_path() / "share" / "velmora").lexically_normal();
    if (tried(installed)) return GameRoot{installed, RootKind::Installed};
    // A build inside a source checkout plays the checkout's game folder.
    for (fs::path dir = exe; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (fs::exists(dir / ".git") && tried(dir / "game"))
            return GameRoot{dir / "game", RootKind::Checkout};
    }
    return std::nullopt;
}

fs::path UserDataFolder() {
    if (auto xdg = AbsoluteFromEnvironment("XDG_DATA_HOME")) return *xdg / "velmora";
    if (auto home = AbsoluteFromEnvironment("HOME")) return *home / ".local/share/velmora";
    if (auto home = HomeOfUser()) return *home / ".local/share/velmora";
    // No home at all: never a folder of the shared /tmp that anyone may have
    // made first (another user's link there would take the player's saves).
    const fs::path own = FolderOfNoHome();
    return own.empty() ? fs::path() : own / "velmora";
}

// Settings and saved games go beside a game the player unpacked or named,
// unless it is read-only, a source checkout, the installed data or under
// /usr: those are never written, even by root.
fs::path StateFolder(const GameRoot& root) {
    const bool own = root.kind == RootKind::Given || root.kind == RootKind::Portable;
    if (own && !InsideGitWorkTree(root.path) && !SystemFolder(root.path) &&
        ::access(root.path.c_str(), W_OK) == 0)
        return root.path;
    fs::path state = UserDataFolder();
    // Nowhere to keep them: a path no write can reach, so every save fails
    // aloud instead of landing in the current folder.
    if (state.empty()) return "/dev/null/velmora";
    std::error_code ec;
    fs::create_directories(state, ec);
    return state;
}

std::optional<shell::ProjectChoice> FindProject(const std::string& given, const fs::path& gameRoot,
                                                std::vector<fs::path>* lookedIn) {
    auto tried = [lookedIn](const fs::path& dir) {
        if (lookedIn) lookedIn->push_back(dir);
        return HoldsProject(dir);
    };
    if (given.empty()) return std::nullopt;
    // The folder itself is the project's root, so its name never has to be
    // written in code page 1251.
    const bool isPath = given.find('/') != std::string::npos || given == "." || given == "..";
    if (isPath || fs::exists(given)) {
        fs::path dir = fs::absolute(given).lexically_normal();
        if (!dir.has_filename()) dir = dir.parent_path();  // "dir/": the folder's own name
        if (tried(dir)) return shell::ProjectChoice{dir, ""};
        if (isPath) return std::nullopt;
    }
    for (const fs::path& base : ProjectsFolders(gameRoot)) {
        if (tried(base / given)) return shell::ProjectChoice{base / given, ""};
    }
    return std::nullopt;
}

std::vector<OfferedProject> OfferedProjects(const fs::path& gameRoot) {
    std::vector<OfferedProject> offered;
    for (const fs::path& base : ProjectsFolders(gameRoot)) {
        std::error_code ec;
        std::vector<OfferedProject> here;
        for (const auto& entry : fs::directory_iterator(base, ec)) {
            if (HoldsProject(entry.path()))
                here.push_back({entry.path().filename().string(), entry.path()});
        }
        std::sort(here.begin(), here.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        offered.insert(offered.end(), here.begin(), here.end());
    }
    return offered;
}

}  // namespace velmora::app

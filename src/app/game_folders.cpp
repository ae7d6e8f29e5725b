#include "app/game_folders.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "base/paths.h"
#include "base/project_file.h"

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

bool HoldsProject(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir, ec) && base::FindPath(dir, "game.ini").has_value();
}

// Where projects are offered by name: the player's own first, then the game's.
std::vector<fs::path> ProjectsFolders(const fs::path& gameRoot) {
    return {UserDataFolder() / "Projects", gameRoot / "Projects"};
}

}  // namespace

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
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base =
        xdg && *xdg ? fs::path(xdg) : fs::path(home && *home ? home : "/tmp") / ".local/share";
    return base / "velmora";
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

#include "app/game_folders.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace velmora::app {
namespace {

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

bool LooksLikeGameRoot(const fs::path& dir) {
    std::error_code ec;
    return fs::exists(dir / "Projects", ec) || fs::exists(dir / "main.ini", ec);
}

bool InsideGitWorkTree(fs::path dir) {
    std::error_code ec;
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (fs::exists(dir / ".git", ec)) return true;
    }
    return false;
}

}  // namespace

fs::path GameRoot(const std::string& given) {
    if (!given.empty()) return fs::absolute(given);
    const fs::path exe = ExecutableFolder();
    if (LooksLikeGameRoot(exe)) return exe;
    // Installed: the data folder beside the executable's bin folder.
    const fs::path installed = exe.parent_path() / "share" / "velmora";
    if (LooksLikeGameRoot(installed)) return installed;
    for (fs::path dir = exe; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (LooksLikeGameRoot(dir / "game")) return dir / "game";
    }
    return exe;
}

// Settings and saved games go beside the game unless it is read-only or a
// source checkout, whose work tree is never changed by playing.
fs::path StateFolder(const fs::path& root) {
    if (!InsideGitWorkTree(root) && ::access(root.c_str(), W_OK) == 0) return root;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base =
        xdg && *xdg ? fs::path(xdg) : fs::path(home ? home : "/tmp") / ".local/share";
    fs::path state = base / "velmora";
    std::error_code ec;
    fs::create_directories(state, ec);
    return state;
}

}  // namespace velmora::app

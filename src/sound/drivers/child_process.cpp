#include "sound/drivers/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

class FileActions {
public:
    FileActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~FileActions() {
        if (ok_) posix_spawn_file_actions_destroy(&actions_);
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    bool ok() const { return ok_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    bool ok_;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ok_ = posix_spawnattr_init(&attributes_) == 0; }
    ~SpawnAttributes() {
        if (ok_) posix_spawnattr_destroy(&attributes_);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    bool ok() const { return ok_; }
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
    bool ok_;
};

// waitpid that outlasts signals; false when there is nothing to wait for.
bool WaitFor(pid_t pid, int* status, int options) {
    for (;;) {
        const pid_t r = ::waitpid(pid, status, options);
        if (r >= 0) return r == pid;
        if (errno != EINTR) return false;
    }
}

}  // namespace

ChildProcess ChildProcess::Start(const fs::path& program, const std::vector<std::string>& args,
                                 int stdinFd) {
    ChildProcess child;
    if (program.empty() || args.empty()) return child;
    FileActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) return child;
    if (stdinFd >= 0) {
        posix_spawn_file_actions_adddup2(actions.get(), stdinFd, STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The player must not inherit a blocked or ignored signal from us.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(attributes.get(), &none);
    posix_spawnattr_setsigdefault(attributes.get(), &defaults);
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> owned = args;
    std::vector<char*> argv;
    for (std::string& arg : owned) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ) ==
        0) {
        child.pid_ = pid;
    }
    return child;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        pid_ = other.pid_;
        other.pid_ = -1;
    }
    return *this;
}

bool ChildProcess::Wait() {
    if (pid_ <= 0) return false;
    int status = 0;
    const bool reaped = WaitFor(pid_, &status, 0);
    pid_ = -1;
    return reaped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ChildProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    for (;;) {
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == 0) return true;
        if (r < 0 && errno == EINTR) continue;
        pid_ = -1;  // reaped, or not ours to wait for any more
        return false;
    }
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    WaitFor(pid_, &status, 0);
    pid_ = -1;
}

fs::path FindOnPath(std::string_view searchPath, std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return {};
    while (true) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view dir = searchPath.substr(0, colon);
        // An empty entry would mean the current folder: not a place to run players from.
        if (!dir.empty()) {
            const fs::path candidate = fs::path(dir) / name;
            std::error_code ec;
            if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) return {};
        searchPath.remove_prefix(colon + 1);
    }
}

}  // namespace velmora::sound

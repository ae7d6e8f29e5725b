#include "speech/drivers/speechd_daemon.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "base/unique_fd.h"

namespace velmora::speech::speechd {
namespace {

bool IsSpeechDispatcher(pid_t pid) {
    // The kernel keeps 15 letters of a command's name.
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(in, name) && name == std::string("speech-dispatcher").substr(0, 15);
}

}  // namespace

pid_t DaemonStartedOn(const std::string& path, pid_t starter) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("/proc"), &::closedir);
    if (!dir) return 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != 0 || pid == starter) continue;
        std::ifstream in(std::string("/proc/") + entry->d_name + "/cmdline", std::ios::binary);
        std::vector<std::string> args;
        for (std::string arg; std::getline(in, arg, '\0');) args.push_back(std::move(arg));
        if (args.empty() || args[0].find("speech-dispatcher") == std::string::npos) continue;
        for (size_t i = 1; i + 1 < args.size(); ++i) {
            if (args[i] == "--socket-path" && args[i + 1] == path) return static_cast<pid_t>(pid);
        }
    }
    return 0;
}

void StopDaemon(pid_t pid) {
    // A pidfd keeps naming this process even if its number is reused.
    base::UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!process.Valid() || !IsSpeechDispatcher(pid)) return;
    for (const int signal : {SIGTERM, SIGKILL}) {
        if (::syscall(SYS_pidfd_send_signal, process.Get(), signal, nullptr, 0) != 0) return;
        pollfd ended{process.Get(), POLLIN, 0};
        if (::poll(&ended, 1, 1000) == 1) return;
    }
}

pid_t SpawnDaemon(const std::optional<std::string>& path) {
    std::string arg0 = "speech-dispatcher", arg1 = "--spawn", arg2 = "--timeout", arg3 = "5",
                arg4 = "--communication-method", arg5 = "unix_socket", arg6 = "--socket-path",
                arg7 = path.value_or("");
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), arg3.data(), arg4.data(),
                    arg5.data(), arg6.data(), arg7.data(), nullptr};
    if (!path) argv[4] = nullptr;
    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0) return -1;
    const bool prepared =
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
        ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) == 0 &&
        ::posix_spawn_file_actions_adddup2(&actions, 1, 2) == 0 &&
        ::posix_spawn_file_actions_addclosefrom_np(&actions, 3) == 0;
    pid_t pid = -1;
    const bool spawned =
        prepared && ::posix_spawnp(&pid, arg0.c_str(), &actions, nullptr, argv, environ) == 0;
    ::posix_spawn_file_actions_destroy(&actions);
    return spawned ? pid : -1;
}

}  // namespace velmora::speech::speechd

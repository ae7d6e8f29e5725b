#include "speech/drivers/speechd_socket.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace velmora::speech::speechd {
namespace {

using base::UniqueFd;

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Whether fd is a socket connected to the daemon's socket.
bool ConnectedTo(int fd, const std::string& path) {
    sockaddr_un peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0) return false;
    if (peer.sun_family != AF_UNIX || size <= offsetof(sockaddr_un, sun_path)) return false;
    const size_t max = size - offsetof(sockaddr_un, sun_path);
    const std::string name(peer.sun_path, ::strnlen(peer.sun_path, max));
    return !name.empty() && SameFile(name, path);
}

}  // namespace

std::optional<std::string> DaemonSocket() {
    const char* address = std::getenv("SPEECHD_ADDRESS");
    if (address != nullptr) {
        const std::string_view a(address);
        if (a.rfind("unix_socket", 0) != 0) return std::nullopt;
        if (a.size() > 12) return std::string(a.substr(12));
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != 0) {
        return std::string(runtime) + "/speech-dispatcher/speechd.sock";
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && *cache != 0) {
        return std::string(cache) + "/speech-dispatcher/speechd.sock";
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.cache/speech-dispatcher/speechd.sock";
}

bool SameSocket(int a, int b) {
    struct stat sa {}, sb {};
    return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

UniqueFd WitnessOf(int fd, const std::string& path) {
    UniqueFd copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.Valid() || !ConnectedTo(copy.Get(), path)) return {};
    return copy;
}

void ShutDownConnectionsTo(const std::string& path) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("/proc/self/fd"), &::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != 0 || fd == ::dirfd(dir.get())) continue;
        if (ConnectedTo(static_cast<int>(fd), path)) ::shutdown(static_cast<int>(fd), SHUT_RDWR);
    }
}

bool DaemonAnswers(const std::string& path, int timeoutMs) {
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.Valid()) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS) return false;
        pollfd p{fd.Get(), POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        if (::poll(&p, 1, timeoutMs) != 1 ||
            ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            return false;
        }
    }
    static const char kHelp[] = "HELP\r\n";
    if (::send(fd.Get(), kHelp, sizeof kHelp - 1, MSG_NOSIGNAL) !=
        static_cast<ssize_t>(sizeof kHelp - 1)) {
        return false;
    }
    pollfd p{fd.Get(), POLLIN, 0};
    char reply[64];
    return ::poll(&p, 1, timeoutMs) == 1 && ::recv(fd.Get(), reply, sizeof reply, 0) > 0;
}

}  // namespace velmora::speech::speechd

// The daemons' home and the fake daemon: what a test starts is ended with it,
// and every wait is bounded.
#include "unit/speech/speech_fixture.h"

#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace velmora::speech::test {
namespace {

// Every process whose environment names this runtime folder: a daemon
// started there, its modules, anything they started. Pidfds, so that a
// number freed and taken again meanwhile is never signalled.
std::vector<Fd> ProcessesOf(const std::string& runtimeDir) {
    const std::string mark = "XDG_RUNTIME_DIR=" + runtimeDir;
    std::vector<Fd> found;
    std::error_code error;  // no throwing: this runs in a destructor
    for (std::filesystem::directory_iterator it("/proc", error), last; !error && it != last;
         it.increment(error)) {
        const std::filesystem::directory_entry& entry = *it;
        char* end = nullptr;
        const std::string name = entry.path().filename().string();
        const long pid = std::strtol(name.c_str(), &end, 10);
        if (end == name.c_str() || *end != 0 || pid == ::getpid()) continue;
        Fd process(static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0)));
        if (!process.Valid()) continue;
        std::ifstream in(entry.path() / "environ", std::ios::binary);
        std::string variable;
        while (std::getline(in, variable, '\0')) {
            if (variable == mark) {
                found.push_back(std::move(process));
                break;
            }
        }
    }
    return found;
}

// speech-dispatcher without a sound device may hang on its way out and
// ignore SIGTERM: what does not end soon is killed. Every wait is bounded.
void EndProcessesOf(const std::string& runtimeDir) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        std::vector<Fd> processes = ProcessesOf(runtimeDir);
        if (processes.empty()) return;
        for (const Fd& p : processes) {
            ::syscall(SYS_pidfd_send_signal, p.Get(), signal, nullptr, 0);
        }
        const auto until = Clock::now() + std::chrono::seconds(3);
        for (const Fd& p : processes) {
            // A pidfd turns readable when its process has ended.
            pollfd ended{p.Get(), POLLIN, 0};
            const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now());
            ::poll(&ended, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
            // The launcher is our child: reaped, it leaves no zombie.
            siginfo_t info{};
            ::waitid(P_PIDFD, static_cast<id_t>(p.Get()), &info, WEXITED | WNOHANG);
        }
    }
}

}  // namespace

ScopedEnv::~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            ::setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            ::unsetenv(it->first.c_str());
        }
    }
}

void ScopedEnv::Set(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
}

DaemonHome::DaemonHome() {
    const std::filesystem::path& root = folder_.path();
    for (const char* sub : {"run", "config", "cache", "data", "state"}) {
        std::filesystem::create_directory(root / sub);
    }
    std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all);
    env_.Set("HOME", root.string());
    env_.Set("XDG_RUNTIME_DIR", Runtime());
    env_.Set("XDG_CONFIG_HOME", (root / "config").string());
    env_.Set("XDG_CACHE_HOME", (root / "cache").string());
    env_.Set("XDG_DATA_HOME", (root / "data").string());
    env_.Set("XDG_STATE_HOME", (root / "state").string());
    env_.Set("TMPDIR", root.string());
    // libspeechd keeps the runtime folder it saw first; the address it reads each time.
    env_.Set("SPEECHD_ADDRESS", "unix_socket:" + Socket());
}

DaemonHome::~DaemonHome() { EndProcessesOf(Runtime()); }

FakeDaemon::FakeDaemon(const std::string& path, std::string hangAt, bool accepting,
                       bool endTexts)
    : path_(path), hangAt_(std::move(hangAt)), accepting_(accepting), endTexts_(endTexts) {
    listener_ = Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (path.size() < sizeof addr.sun_path) {
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    }
    ready_ = ::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
             ::listen(listener_.Get(), 0) == 0;
    thread_ = std::thread([this] { Serve(); });
}

FakeDaemon::~FakeDaemon() {
    stop_ = true;
    thread_.join();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

std::vector<std::string> FakeDaemon::Heard() {
    std::lock_guard lock(m_);
    return heard_;
}

bool FakeDaemon::ClientsGone(milliseconds bound) const {
    const auto until = Clock::now() + bound;
    while (closed_ < accepted_ && Clock::now() < until) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    return closed_ == accepted_;
}

bool FakeDaemon::StartsWith(std::string_view line, std::string_view word) {
    return line.size() >= word.size() &&
           ::strncasecmp(line.data(), word.data(), word.size()) == 0;
}

void FakeDaemon::Send(Client& c, const std::string& text) {
    ::send(c.fd.Get(), text.data(), text.size(), MSG_NOSIGNAL);
}

void FakeDaemon::Answer(Client& c, std::string_view line) {
    if (c.silent) return;
    {
        std::lock_guard lock(m_);
        heard_.emplace_back(line);
    }
    if (c.data) {
        if (line == ".") {
            const std::string id = std::to_string(++messages_);
            Send(c, "225-" + id + "\r\n225 OK MESSAGE QUEUED\r\n");
            Send(c, "701-" + id + "\r\n701-1\r\n701 BEGIN\r\n");
            if (endTexts_) Send(c, "702-" + id + "\r\n702-1\r\n702 END\r\n");
            c.data = false;
        }
        return;
    }
    if (StartsWith(line, "LIST SYNTHESIS_VOICES")) {
        // As the daemon's espeak-ng module names them, and one of another engine.
        Send(c, "249-Russian\tru\tnone\r\n249-Russian+Alex\tru\tAlex\r\n"
                "249-English\ten\tnone\r\n249-Елена\tru-RU\tnone\r\n"
                "249 OK VOICE LIST SENT\r\n");
        return;
    }
    if (!hangAt_.empty() && StartsWith(line, hangAt_)) {
        c.silent = true;
    } else if (StartsWith(line, "SPEAK")) {
        Send(c, "230 OK RECEIVING DATA\r\n");
        c.data = true;
    } else {
        Send(c, "200 OK\r\n");
    }
}

void FakeDaemon::Serve() {
    const auto giveUpAt = Clock::now() + std::chrono::seconds(15);
    std::vector<Client> clients;
    while (!stop_) {
        if (Clock::now() >= giveUpAt) {
            gaveUp_ = true;
            break;
        }
        std::vector<pollfd> fds;
        fds.push_back({accepting_ ? listener_.Get() : -1, POLLIN, 0});
        for (const Client& c : clients) fds.push_back({c.fd.Get(), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
        for (size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            Client& c = clients[i - 1];
            char buffer[4096];
            const ssize_t got = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (got < 0 && errno == EAGAIN) continue;
                c.fd.Reset();
                ++closed_;
                continue;
            }
            c.in.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = c.in.find("\r\n")) != std::string::npos;) {
                const std::string line = c.in.substr(0, end);
                c.in.erase(0, end + 2);
                Answer(c, line);
            }
        }
        std::erase_if(clients, [](const Client& c) { return !c.fd.Valid(); });
        if (fds[0].revents != 0) {
            Fd client(
                ::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (client.Valid()) {
                clients.emplace_back();
                clients.back().fd = std::move(client);
                ++accepted_;
            }
        }
    }
    // Closing ends every wait on us, a connect waiting for room included.
    listener_.Reset();
    clients.clear();
}

}  // namespace velmora::speech::test

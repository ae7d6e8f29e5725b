#include "speech/speechd_output.h"

#include <libspeechd.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include "base/encoding.h"
#include "base/unique_fd.h"

namespace velmora::speech {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A running daemon answers at once; these only bound a daemon that hangs
// (one shutting down without a sound device never finishes).
constexpr int kProbeMs = 1000;
constexpr milliseconds kAnswerBound{2000};

// libspeechd's callbacks carry no user data; one connection per process.
std::atomic<SpeechdOutput*> g_active{nullptr};

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

void OnBegin(size_t id, size_t, SPDNotificationType) {
    if (SpeechdOutput* o = g_active.load()) o->OnNotice(SpeechdNotice::Begin, id);
}
void OnEnd(size_t id, size_t, SPDNotificationType) {
    if (SpeechdOutput* o = g_active.load()) o->OnNotice(SpeechdNotice::End, id);
}
void OnCancel(size_t id, size_t, SPDNotificationType) {
    if (SpeechdOutput* o = g_active.load()) o->OnNotice(SpeechdNotice::Cancel, id);
}

using base::UniqueFd;

// The daemon's local socket, where libspeechd looks for it: SPEECHD_ADDRESS,
// else glib's runtime folder. None for a network address.
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

bool SameSocket(int a, int b) {
    struct stat sa {}, sb {};
    return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Our copy of a connection's socket, when fd still is one to the daemon.
UniqueFd WitnessOf(int fd, const std::string& path) {
    UniqueFd copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.Valid() || !ConnectedTo(copy.Get(), path)) return {};
    return copy;
}

// Ends whatever waits on the daemon's answer in libspeechd: its reader
// thread sees the end of the connection, as when the daemon goes away.
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

// Whether a daemon answers on its socket within the time. Neither step may
// wait longer: a daemon that hangs (seen while one was shutting down) still
// has its socket, and once its queue of connections is full a plain connect
// waits for it for ever.
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

// Bounds the calls into libspeechd, which waits for the daemon's answers
// without limit: when a call overruns, `cut` ends its connection, and the
// call fails as it would had the daemon gone away.
class CallWatch {
public:
    explicit CallWatch(std::function<void()> cut)
        : cut_(std::move(cut)), thread_([this] { Watch(); }) {}
    ~CallWatch() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    CallWatch(const CallWatch&) = delete;
    CallWatch& operator=(const CallWatch&) = delete;

    // False when the call overran the bound and was cut loose.
    bool Run(milliseconds bound, const std::function<void()>& call) {
        {
            std::lock_guard lock(m_);
            deadline_ = Clock::now() + bound;
            overran_ = false;
        }
        cv_.notify_all();
        call();
        std::lock_guard lock(m_);
        deadline_.reset();
        return !overran_;
    }

private:
    void Watch() {
        std::unique_lock lock(m_);
        while (!stop_) {
            if (!deadline_) {
                cv_.wait(lock);
            } else if (Clock::now() < *deadline_) {
                cv_.wait_until(lock, *deadline_);
            } else {
                overran_ = true;
                cut_();
                // A connection still being made is not there to cut yet.
                deadline_ = Clock::now() + milliseconds(50);
            }
        }
    }

    std::function<void()> cut_;
    std::mutex m_;
    std::condition_variable cv_;
    std::optional<Clock::time_point> deadline_;
    bool overran_ = false;
    bool stop_ = false;
    std::thread thread_;  // last: it starts once the rest exists
};

// libspeechd's reader closes the socket itself when it loses the daemon, and
// spd_close then closes that number again, by then perhaps another file of
// ours. So the socket is shut down first, the reader closes it and quits, and
// spd_close is kept off the number.
void CloseConnection(SPDConnection* c, int witness) {
    if (witness >= 0) {
        ::shutdown(witness, SHUT_RDWR);
        const auto end = Clock::now() + std::chrono::seconds(1);
        while (SameSocket(c->socket, witness) && Clock::now() < end) {
            std::this_thread::sleep_for(milliseconds(5));
        }
        if (!SameSocket(c->socket, witness)) c->socket = -1;
    }
    spd_close(c);
}

struct Connection {
    SPDConnection* c = nullptr;
    UniqueFd witness;
};

Connection Connect(const std::optional<std::string>& path, int probeMs) {
    if (!path) {
        // A network address: left to libspeechd, unwatched.
        char* error = nullptr;
        SPDConnection* c =
            spd_open2("velmora", "main", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
        std::free(error);
        return {c, {}};
    }
    if (!DaemonAnswers(*path, probeMs)) return {};
    SPDConnection* c = nullptr;
    bool inTime = false;
    {
        CallWatch watch([&path] { ShutDownConnectionsTo(*path); });
        inTime = watch.Run(kAnswerBound, [&] {
            char* error = nullptr;
            c = spd_open2("velmora", "main", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
            std::free(error);
        });
    }
    if (c == nullptr) return {};
    UniqueFd witness = WitnessOf(c->socket, *path);
    if (!witness.Valid()) {
        // The reader lost the daemon and closed the socket already.
        c->socket = -1;
        spd_close(c);
        return {};
    }
    if (!inTime) {
        CloseConnection(c, witness.Get());
        return {};
    }
    return {c, std::move(witness)};
}

// Starts the daemon the way libspeechd would, but without waiting on it:
// "speech-dispatcher --spawn" starts the daemon and returns. The daemon may
// outlive us: it gets none of our files, and its log lines stay off our screen.
pid_t SpawnDaemon(const std::optional<std::string>& path) {
    std::string arg0 = "speech-dispatcher", arg1 = "--spawn", arg2 = "--communication-method",
                arg3 = "unix_socket", arg4 = "--socket-path", arg5 = path.value_or("");
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), arg3.data(), arg4.data(), arg5.data(),
                    nullptr};
    if (!path) argv[2] = nullptr;
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

SPDConnection* Conn(void* c) { return static_cast<SPDConnection*>(c); }

}  // namespace

struct SpeechdOutput::Guard {
    explicit Guard(UniqueFd fd) : witness(std::move(fd)) {}
    UniqueFd witness;  // before the watch, which cuts through it
    CallWatch watch{[fd = witness.Get()] { ::shutdown(fd, SHUT_RDWR); }};
};

std::vector<SpeechdVoice> ListSpeechdVoices() {
    const std::optional<std::string> path = DaemonSocket();
    if (!path) return {};  // a network address: no bound on its answers
    Connection conn = Connect(path, kProbeMs);
    if (conn.c == nullptr) return {};
    std::vector<SpeechdVoice> voices;
    {
        const int witness = conn.witness.Get();
        CallWatch watch([witness] { ::shutdown(witness, SHUT_RDWR); });
        watch.Run(kAnswerBound, [&] {
            SPDVoice** list = spd_list_synthesis_voices(conn.c);
            for (SPDVoice** v = list; v != nullptr && *v != nullptr; ++v) {
                voices.push_back({(*v)->name ? (*v)->name : "",
                                  (*v)->language ? (*v)->language : "",
                                  (*v)->variant ? (*v)->variant : ""});
            }
            free_spd_voices(list);
        });
    }
    CloseConnection(conn.c, conn.witness.Get());
    return voices;
}

int SpeechdRateFor(int setting) {
    // 60 is speech-dispatcher's own default speed (0); 0 and 120 its ends.
    return std::clamp((std::clamp(setting, 0, 120) - 60) * 100 / 60, -100, 100);
}

bool SpeechdNoticeEndsSpeech(SpeechdNotice notice, long long messageId, long long latestId,
                             bool handing) {
    if (notice == SpeechdNotice::Begin) return false;
    return messageId > latestId || (messageId == latestId && !handing);
}

std::unique_ptr<SpeechdOutput> SpeechdOutput::Open(bool autospawn, int timeoutMs,
                                                   PostSpeechEvent post,
                                                   std::function<void(int)> cue) {
    if (g_active.load() != nullptr) return nullptr;
    const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
    const std::optional<std::string> path = DaemonSocket();
    Connection conn = Connect(path, kProbeMs);
    if (conn.c == nullptr && autospawn) {
        pid_t child = SpawnDaemon(path);
        // A daemon just started needs a moment before it answers.
        while (conn.c == nullptr && child >= 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(100));
            int status = 0;
            if (child > 0 && ::waitpid(child, &status, WNOHANG) == child) {
                child = 0;
                // It refused to start, as when another daemon holds the place.
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) break;
            }
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
            conn = Connect(path, static_cast<int>(std::clamp<milliseconds::rep>(left.count(), 1,
                                                                                kProbeMs)));
        }
        if (child > 0 && ::waitpid(child, nullptr, WNOHANG) == 0 && conn.c == nullptr) {
            // Still starting after all this time: it hangs too.
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
    if (conn.c == nullptr) return nullptr;
    SPDConnection* c = conn.c;
    auto out = std::make_unique<SpeechdOutput>(c, std::move(post), std::move(cue));
    if (conn.witness.Valid()) {
        out->guard_ = std::make_unique<Guard>(std::move(conn.witness));
    }
    c->callback_begin = &OnBegin;
    c->callback_end = &OnEnd;
    c->callback_cancel = &OnCancel;
    g_active = out.get();
    bool notified = false;
    const bool answered = out->Call([&] {
        notified = spd_set_notification_on(c, SPD_BEGIN) == 0 &&
                   spd_set_notification_on(c, SPD_END) == 0 &&
                   spd_set_notification_on(c, SPD_CANCEL) == 0;
        spd_set_language(c, "ru");
    });
    if (!answered || !notified) return nullptr;
    return out;
}

SpeechdOutput::SpeechdOutput(void* connection, PostSpeechEvent post, std::function<void(int)> cue)
    : connection_(connection), post_(std::move(post)), cue_(std::move(cue)) {}

SpeechdOutput::~SpeechdOutput() {
    g_active = nullptr;
    CloseConnection(Conn(connection_), guard_ ? guard_->witness.Get() : -1);
}

bool SpeechdOutput::Call(const std::function<void()>& call) {
    if (lost_) return false;
    if (!guard_) {
        call();
        return true;
    }
    if (guard_->watch.Run(kAnswerBound, call)) return true;
    lost_ = true;
    return false;
}

void SpeechdOutput::Speak(const std::string& text) {
    const std::string utf8 = base::Cp1251ToUtf8(text);
    spokenAt = Now();
    beganAt = 0;
    // Text priority: a newer text of ours cancels the one being spoken.
    handing_ = true;
    int id = -1;
    const bool answered = Call([&] { id = spd_say(Conn(connection_), SPD_TEXT, utf8.c_str()); });
    if (answered && id > 0) latest_ = id;
    handing_ = false;
    // Not taken: no end will come, and whoever waits for one would wait for ever.
    if ((!answered || id <= 0) && post_) post_(SpeechEvent::SpeechEnded);
}

void SpeechdOutput::OnNotice(SpeechdNotice notice, size_t messageId) {
    const auto id = static_cast<long long>(messageId);
    // In this order: Speak stores the new number before it clears handing_.
    const bool handing = handing_.load();
    const long long latest = latest_.load();
    if (notice == SpeechdNotice::Begin && (id > latest || (id == latest && !handing))) {
        beganAt = Now();
    }
    if (SpeechdNoticeEndsSpeech(notice, id, latest, handing) && post_) {
        post_(SpeechEvent::SpeechEnded);
    }
}

void SpeechdOutput::AudioReset() {
    Call([&] { spd_cancel(Conn(connection_)); });
}

void SpeechdOutput::Cue(int number) {
    if (cue_) cue_(number);
}

void SpeechdOutput::SetRate(int setting) {
    Call([&] { spd_set_voice_rate(Conn(connection_), SpeechdRateFor(setting)); });
}

}  // namespace velmora::speech

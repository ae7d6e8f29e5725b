#include "speech/drivers/speechd_output.h"

#include <libspeechd.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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
#include <fstream>
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
    if (c == nullptr) return;
    if (witness >= 0) {
        ::shutdown(witness, SHUT_RDWR);
        const auto end = Clock::now() + std::chrono::seconds(1);
        while (SameSocket(c->socket, witness) && Clock::now() < end) {
            std::this_thread::sleep_for(milliseconds(5));
        }
        if (!SameSocket(c->socket, witness)) c->socket = -1;
    }
    WithoutSigpipe([c] { spd_close(c); });
}

struct Connection {
    SPDConnection* c = nullptr;
    UniqueFd witness;
    pid_t started = 0;  // the daemon we started for it, if we did
};

// The daemon we started on this socket path: it leaves its starter behind,
// and the credentials of its socket name that starter, so it is found by
// the command line we gave it.
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

bool IsSpeechDispatcher(pid_t pid) {
    // The kernel keeps 15 letters of a command's name.
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(in, name) && name == std::string("speech-dispatcher").substr(0, 15);
}

// Stops a daemon we started. It is asked first; one without a sound device
// ignores that, hanging on its way out, and is killed. At most two seconds.
void StopDaemon(pid_t pid) {
    // A pidfd keeps naming this process even if its number is reused.
    UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!process.Valid() || !IsSpeechDispatcher(pid)) return;
    for (const int signal : {SIGTERM, SIGKILL}) {
        if (::syscall(SYS_pidfd_send_signal, process.Get(), signal, nullptr, 0) != 0) return;
        pollfd ended{process.Get(), POLLIN, 0};
        if (::poll(&ended, 1, 1000) == 1) return;
    }
}

Connection Connect(const std::optional<std::string>& path, int probeMs) {
    if (!path) {
        // A network address: left to libspeechd, unwatched.
        char* error = nullptr;
        SPDConnection* c = nullptr;
        WithoutSigpipe([&] {
            c = spd_open2("velmora", "main", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
        });
        std::free(error);
        return {c, {}, 0};
    }
    if (!DaemonAnswers(*path, probeMs)) return {};
    SPDConnection* c = nullptr;
    bool inTime = false;
    {
        CallWatch watch([&path] { ShutDownConnectionsTo(*path); });
        inTime = watch.Run(kAnswerBound, [&] {
            char* error = nullptr;
            WithoutSigpipe([&] {
                c = spd_open2("velmora", "main", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
            });
            std::free(error);
        });
    }
    if (c == nullptr) return {};
    UniqueFd witness = WitnessOf(c->socket, *path);
    if (!witness.Valid()) {
        // The reader lost the daemon and closed the socket already.
        c->socket = -1;
        WithoutSigpipe([c] { spd_close(c); });
        return {};
    }
    if (!inTime) {
        CloseConnection(c, witness.Get());
        return {};
    }
    return {c, std::move(witness), 0};
}

// Starts the daemon the way libspeechd would, but without waiting on it:
// "speech-dispatcher --spawn" starts the daemon and returns. It gets none of
// our files, and its log lines stay off our screen. We stop it when we end;
// should we be killed first, it ends by itself five seconds after its last
// client, whatever its configuration says (where it can: without a sound
// device it may hang on its way out).
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

// Starts a daemon and connects to it, waiting until the deadline at most
// or until stopping() says so.
Connection StartAndConnect(const std::optional<std::string>& path, Clock::time_point deadline,
                           const std::function<bool()>& stopping) {
    Connection conn;
    pid_t child = SpawnDaemon(path);
    // A daemon just started needs a moment before it answers.
    while (conn.c == nullptr && child >= 0 && Clock::now() < deadline &&
           !(stopping && stopping())) {
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
    if (conn.c != nullptr && path) conn.started = DaemonStartedOn(*path, child);
    return conn;
}

SPDConnection* Conn(void* c) { return static_cast<SPDConnection*>(c); }

// The voices of the daemon's default module (a call to the daemon: run it within its bound).
std::vector<SpeechdVoice> VoicesOn(SPDConnection* c) {
    std::vector<SpeechdVoice> voices;
    SPDVoice** list = spd_list_synthesis_voices(c);
    for (SPDVoice** v = list; v != nullptr && *v != nullptr; ++v) {
        voices.push_back({(*v)->name ? (*v)->name : "", (*v)->language ? (*v)->language : "",
                          (*v)->variant ? (*v)->variant : ""});
    }
    free_spd_voices(list);
    return voices;
}

constexpr int kMostReconnections = 20;  // a daemon that keeps failing is given up at last
const char kVoiceBack[] = "Голос восстановлен.";

}  // namespace

void WithoutSigpipe(const std::function<void()>& call) {
    sigset_t pipe, old, pending;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, &old);
    // One pending before us is not ours to take away.
    const bool before = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    call();
    if (!before && ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
        const timespec now{};
        ::sigtimedwait(&pipe, nullptr, &now);
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

struct SpeechdOutput::Guard {
    explicit Guard(UniqueFd fd) : witness(std::move(fd)) {}
    UniqueFd witness;  // before the watch, which cuts through it
    CallWatch watch{[fd = witness.Get()] { ::shutdown(fd, SHUT_RDWR); }};
};

// Watches the connection from a thread of its own. When the daemon goes
// away or is cut loose, it ends the text being spoken (no end would come),
// then seeks the daemon again, starting one if need be, a few times with
// growing pauses. A connection it makes waits for the output's own thread to
// take it, and is used there only.
class SpeechdOutput::Keeper {
public:
    Keeper(SpeechdOutput& out, std::optional<std::string> path, int witness)
        : out_(out), path_(std::move(path)), watched_(witness),
          wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), thread_([this] { Run(); }) {}
    ~Keeper() { Stop(); }
    Keeper(const Keeper&) = delete;
    Keeper& operator=(const Keeper&) = delete;

    void Stop() {
        stop_ = true;
        Wake();
        if (thread_.joinable()) thread_.join();
    }
    // The witness of a connection just taken.
    void Watch(int witness) {
        {
            std::lock_guard lock(m_);
            watched_ = witness;
        }
        Wake();
    }
    std::optional<Connection> TakeFresh() {
        std::lock_guard lock(m_);
        std::optional<Connection> fresh = std::move(fresh_);
        fresh_.reset();
        return fresh;
    }
    bool GaveUp() const { return gaveUp_; }

private:
    void Wake() {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
    }
    // Waits for the time or a wake; false once stopping.
    bool Pause(int ms) {
        pollfd p{wake_.Get(), POLLIN, 0};
        ::poll(&p, 1, ms);
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wake_.Get(), &count, sizeof count);
        return !stop_;
    }

    void Run() {
        int reconnections = 0;
        while (!stop_) {
            int fd = -1;
            {
                std::lock_guard lock(m_);
                fd = watched_;
            }
            // Only the hang-up: the daemon's notices on the socket are libspeechd's to read.
            pollfd p[2] = {{wake_.Get(), POLLIN, 0}, {fd, POLLRDHUP, 0}};
            if (::poll(p, 2, -1) <= 0) continue;
            if (p[0].revents != 0) {
                Pause(0);
                continue;
            }
            if ((p[1].revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) == 0) continue;
            {
                std::lock_guard lock(m_);
                watched_ = -1;
            }
            out_.lost_ = true;
            out_.EndText();
            Connection found;
            if (reconnections < kMostReconnections) found = Seek();
            if (found.c == nullptr) {
                gaveUp_ = !stop_;
                continue;
            }
            ++reconnections;
            std::lock_guard lock(m_);
            fresh_ = std::move(found);
        }
    }

    Connection Seek() {
        int pause = std::max(out_.reconnectDelayMs.load(), 0);
        for (int i = 0; i < out_.reconnectAttempts.load(); ++i, pause *= 2) {
            if (!Pause(pause)) return {};
            Connection conn = Connect(path_, kProbeMs);
            if (conn.c == nullptr) {
                conn = StartAndConnect(path_, Clock::now() + std::chrono::seconds(3),
                                       [this] { return stop_.load(); });
            }
            if (conn.c != nullptr) return conn;
        }
        return {};
    }

    SpeechdOutput& out_;
    const std::optional<std::string> path_;
    std::mutex m_;
    int watched_;
    std::optional<Connection> fresh_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> gaveUp_{false};
    UniqueFd wake_;
    std::thread thread_;  // last: it starts once the rest exists
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
        watch.Run(kAnswerBound, [&] { voices = VoicesOn(conn.c); });
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
    if (conn.c == nullptr && autospawn) conn = StartAndConnect(path, deadline, nullptr);
    if (conn.c == nullptr) return nullptr;
    auto out = std::make_unique<SpeechdOutput>(conn.c, std::move(post), std::move(cue));
    out->started_ = conn.started;  // from here on stopped with the output
    if (conn.witness.Valid()) {
        out->guard_ = std::make_unique<Guard>(std::move(conn.witness));
    }
    g_active = out.get();
    if (!out->Prepare()) return nullptr;
    if (out->guard_) {
        out->keeper_ = std::make_unique<Keeper>(*out, path, out->guard_->witness.Get());
    }
    return out;
}

SpeechdOutput::SpeechdOutput(void* connection, PostSpeechEvent post, std::function<void(int)> cue)
    : connection_(connection), post_(std::move(post)), cue_(std::move(cue)) {}

SpeechdOutput::~SpeechdOutput() {
    if (keeper_) {
        keeper_->Stop();
        if (std::optional<Connection> fresh = keeper_->TakeFresh()) {
            CloseConnection(fresh->c, fresh->witness.Get());
            if (fresh->started > 0 && fresh->started != started_) StopDaemon(fresh->started);
        }
        keeper_.reset();
    }
    g_active = nullptr;
    CloseConnection(Conn(connection_), guard_ ? guard_->witness.Get() : -1);
    guard_.reset();
    if (started_ > 0) StopDaemon(started_);
}

bool SpeechdOutput::Prepare() {
    SPDConnection* c = Conn(connection_);
    c->callback_begin = &OnBegin;
    c->callback_end = &OnEnd;
    c->callback_cancel = &OnCancel;
    bool notified = false;
    const bool answered = Invoke([&] {
        notified = spd_set_notification_on(c, SPD_BEGIN) == 0 &&
                   spd_set_notification_on(c, SPD_END) == 0 &&
                   spd_set_notification_on(c, SPD_CANCEL) == 0;
        spd_set_language(c, "ru");
        if (!voice_.empty()) spd_set_synthesis_voice(c, voice_.c_str());
        if (rate_ >= 0) spd_set_voice_rate(c, SpeechdRateFor(rate_));
    });
    return answered && notified;
}

void SpeechdOutput::Adopt() {
    if (!keeper_ || !lost_) return;
    std::optional<Connection> fresh = keeper_->TakeFresh();
    if (!fresh) {
        if (keeper_->GaveUp() && !giveUpTold_ && report != nullptr) {
            *report << "velmora: speech: speech-dispatcher did not come back; no voice\n";
        }
        giveUpTold_ = giveUpTold_ || keeper_->GaveUp();
        return;
    }
    CloseConnection(Conn(connection_), guard_->witness.Get());
    guard_.reset();
    connection_ = fresh->c;
    guard_ = std::make_unique<Guard>(std::move(fresh->witness));
    if (fresh->started > 0) {
        if (started_ > 0 && started_ != fresh->started) StopDaemon(started_);
        started_ = fresh->started;
    }
    // A new daemon numbers its messages from 1 again.
    latest_ = 0;
    inFlight_ = false;
    lost_ = false;
    keeper_->Watch(guard_->witness.Get());
    if (!Prepare()) {
        // Let the keeper see it go and try again.
        lost_ = true;
        ::shutdown(guard_->witness.Get(), SHUT_RDWR);
        return;
    }
    lossTold_ = false;
    welcomeBack_ = true;
    if (report != nullptr) *report << "velmora: speech: speech-dispatcher is back\n";
}

bool SpeechdOutput::Invoke(const std::function<void()>& call) {
    if (lost_) return false;
    if (!guard_) {
        WithoutSigpipe(call);
        return true;
    }
    // libspeechd's reader closes the socket when the daemon goes; the number
    // may be another file of ours by now.
    if (!SameSocket(Conn(connection_)->socket, guard_->witness.Get())) {
        lost_ = true;
        return false;
    }
    if (guard_->watch.Run(kAnswerBound, [&call] { WithoutSigpipe(call); })) return true;
    lost_ = true;
    return false;
}

bool SpeechdOutput::Call(const std::function<void()>& call) {
    Adopt();
    if (Invoke(call)) return true;
    if (!lossTold_ && report != nullptr) {
        *report << "velmora: speech: speech-dispatcher was lost; "
                << (keeper_ ? "reconnecting" : "no voice") << '\n';
    }
    lossTold_ = true;
    return false;
}

bool SpeechdOutput::SetVoice(const std::string& utf8Name) {
    std::vector<SpeechdVoice> voices;
    Call([&] { voices = VoicesOn(Conn(connection_)); });
    auto found = std::find_if(voices.begin(), voices.end(),
                              [&](const SpeechdVoice& v) { return v.name == utf8Name; });
    if (found == voices.end()) {
        found = std::find_if(voices.begin(), voices.end(), [&](const SpeechdVoice& v) {
            return ::strcasecmp(v.name.c_str(), utf8Name.c_str()) == 0;
        });
    }
    voice_ = found == voices.end() ? std::string() : found->name;
    if (voice_.empty()) return false;
    Call([&] { spd_set_synthesis_voice(Conn(connection_), voice_.c_str()); });
    return true;
}

void SpeechdOutput::Speak(const std::string& text) {
    Adopt();
    std::string utf8;
    if (welcomeBack_ && !lost_) {
        utf8 = kVoiceBack;
        utf8 += ' ';
        welcomeBack_ = false;
    }
    utf8 += base::Cp1251ToUtf8(text);
    spokenAt = Now();
    beganAt = 0;
    inFlight_ = true;
    // Text priority: a newer text of ours cancels the one being spoken.
    handing_ = true;
    int id = -1;
    const bool answered = Call([&] { id = spd_say(Conn(connection_), SPD_TEXT, utf8.c_str()); });
    if (answered && id > 0) latest_ = id;
    handing_ = false;
    // Not taken: no end will come, and whoever waits for one would wait for ever.
    if (!answered || id <= 0) EndText();
}

// One end per text, whoever sees it first: the daemon, Speak finding it not
// taken, or the keeper seeing the daemon go.
void SpeechdOutput::EndText() {
    if (inFlight_.exchange(false) && post_) post_(SpeechEvent::SpeechEnded);
}

void SpeechdOutput::OnNotice(SpeechdNotice notice, size_t messageId) {
    const auto id = static_cast<long long>(messageId);
    // In this order: Speak stores the new number before it clears handing_.
    const bool handing = handing_.load();
    const long long latest = latest_.load();
    if (notice == SpeechdNotice::Begin && (id > latest || (id == latest && !handing))) {
        beganAt = Now();
    }
    if (SpeechdNoticeEndsSpeech(notice, id, latest, handing)) EndText();
}

void SpeechdOutput::AudioReset() {
    Call([&] { spd_cancel(Conn(connection_)); });
}

void SpeechdOutput::Cue(int number) {
    if (cue_) cue_(number);
}

void SpeechdOutput::SetRate(int setting) {
    rate_ = setting;
    Call([&] { spd_set_voice_rate(Conn(connection_), SpeechdRateFor(setting)); });
}

}  // namespace velmora::speech

#include "speech/speechd_output.h"

#include <libspeechd.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/encoding.h"

namespace velmora::speech {
namespace {

// libspeechd's callbacks carry no user data; one connection per process.
std::atomic<SpeechdOutput*> g_active{nullptr};

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
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

// The daemon's local socket, where libspeechd looks for it by default.
std::string DefaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != 0) {
        return std::string(runtime) + "/speech-dispatcher/speechd.sock";
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && *cache != 0) return std::string(cache) + "/speech-dispatcher/speechd.sock";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.cache/speech-dispatcher/speechd.sock";
}

// Whether a daemon answers on its socket within the time. libspeechd waits
// for an answer without limit, and a daemon that hangs (seen while one was
// shutting down) would hang the game's start with it.
bool DaemonAnswers(int timeoutMs) {
    const char* address = std::getenv("SPEECHD_ADDRESS");
    if (address != nullptr && std::string_view(address).rfind("unix_socket", 0) != 0) {
        return true;  // an address we do not probe: leave it to libspeechd
    }
    std::string path = DefaultSocketPath();
    if (address != nullptr && std::string_view(address).size() > 12) path = address + 12;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        ::close(fd);
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    bool answered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        static const char kHelp[] = "HELP\r\n";
        if (::send(fd, kHelp, sizeof kHelp - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof kHelp - 1)) {
            pollfd p{fd, POLLIN, 0};
            char reply[64];
            answered = ::poll(&p, 1, timeoutMs) == 1 && ::recv(fd, reply, sizeof reply, 0) > 0;
        }
    }
    ::close(fd);
    return answered;
}

SPDConnection* Connect() {
    if (!DaemonAnswers(1000)) return nullptr;
    char* error = nullptr;
    SPDConnection* c =
        spd_open2("velmora", "main", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
    std::free(error);
    return c;
}

// Starts the daemon the way libspeechd would, but without waiting on it:
// "speech-dispatcher --spawn" forks the daemon and returns.
pid_t SpawnDaemon() {
    char arg0[] = "speech-dispatcher";
    char arg1[] = "--spawn";
    char* argv[] = {arg0, arg1, nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, arg0, nullptr, nullptr, argv, environ) != 0) return -1;
    return pid;
}

SPDConnection* Conn(void* c) { return static_cast<SPDConnection*>(c); }

}  // namespace

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    SPDConnection* c = Connect();
    if (c == nullptr && autospawn) {
        pid_t child = SpawnDaemon();
        const bool spawned = child > 0;
        // A daemon just started needs a moment before it answers.
        while (c == nullptr && spawned && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (child > 0 && ::waitpid(child, nullptr, WNOHANG) == child) child = 0;
            c = Connect();
        }
        if (child > 0) ::waitpid(child, nullptr, WNOHANG);
    }
    if (c == nullptr) return nullptr;
    auto out = std::make_unique<SpeechdOutput>(c, std::move(post), std::move(cue));
    c->callback_begin = &OnBegin;
    c->callback_end = &OnEnd;
    c->callback_cancel = &OnCancel;
    g_active = out.get();
    spd_set_notification_on(c, SPD_BEGIN);
    spd_set_notification_on(c, SPD_END);
    spd_set_notification_on(c, SPD_CANCEL);
    spd_set_language(c, "ru");
    return out;
}

SpeechdOutput::~SpeechdOutput() {
    g_active = nullptr;
    spd_close(Conn(connection_));
}

void SpeechdOutput::Speak(const std::string& text) {
    const std::string utf8 = base::Cp1251ToUtf8(text);
    spokenAt = Now();
    beganAt = 0;
    // Text priority: a newer text of ours cancels the one being spoken.
    handing_ = true;
    const int id = spd_say(Conn(connection_), SPD_TEXT, utf8.c_str());
    if (id > 0) latest_ = id;
    handing_ = false;
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

void SpeechdOutput::Cue(int number) {
    if (cue_) cue_(number);
}

void SpeechdOutput::SetRate(int setting) { spd_set_voice_rate(Conn(connection_), SpeechdRateFor(setting)); }

}  // namespace velmora::speech

#include "speech/drivers/speechd_connection.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <utility>

#include "speech/drivers/speechd_daemon.h"
#include "speech/drivers/speechd_socket.h"

namespace velmora::speech::speechd {

using base::UniqueFd;

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

}  // namespace velmora::speech::speechd

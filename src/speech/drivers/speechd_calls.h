// Calls into libspeechd made safe to lose the daemon on: within a time bound,
// and without SIGPIPE.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace velmora::speech {

// Runs call with SIGPIPE held back in this thread: libspeechd writes with
// write(2), and a daemon gone meanwhile would otherwise end the game.
void WithoutSigpipe(const std::function<void()>& call);

namespace speechd {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A running daemon answers at once; these only bound a daemon that hangs
// (one shutting down without a sound device never finishes).
constexpr int kProbeMs = 1000;
constexpr milliseconds kAnswerBound{2000};

// Bounds the calls into libspeechd, which waits for the daemon's answers
// without limit: when a call overruns, `cut` ends its connection, and the
// call fails as it would had the daemon gone away.
class CallWatch {
public:
    explicit CallWatch(std::function<void()> cut);
    ~CallWatch();
    CallWatch(const CallWatch&) = delete;
    CallWatch& operator=(const CallWatch&) = delete;

    // False when the call overran the bound and was cut loose.
    bool Run(milliseconds bound, const std::function<void()>& call);

private:
    void Watch();

    std::function<void()> cut_;
    std::mutex m_;
    std::condition_variable cv_;
    std::optional<Clock::time_point> deadline_;
    bool overran_ = false;
    bool stop_ = false;
    std::thread thread_;  // last: it starts once the rest exists
};

}  // namespace speechd
}  // namespace velmora::speech

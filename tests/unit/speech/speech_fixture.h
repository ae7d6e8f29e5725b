// What the speech engines' tests share: events collected from an output's
// threads, and a home of their own for the speech-dispatcher daemons they
// start or fake, with a fake that answers like the daemon.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/unique_fd.h"
#include "speech/speech_output.h"
#include "unit/test_folder.h"

namespace velmora::speech::test {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

using Fd = base::UniqueFd;

// Collects what an output posts from its threads.
struct Events {
    std::mutex m;
    std::condition_variable cv;
    std::vector<SpeechEvent> got;
    PostSpeechEvent Post() {
        return [this](SpeechEvent e) {
            std::lock_guard lock(m);
            got.push_back(e);
            cv.notify_all();
        };
    }
    // Waits (bounded, so a broken engine fails instead of hanging) for n events.
    bool WaitFor(size_t n) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, std::chrono::seconds(20), [&] { return got.size() >= n; });
    }
    size_t Count() {
        std::lock_guard lock(m);
        return got.size();
    }
    // Polls (bounded) until the condition holds.
    template <class Condition>
    static bool Until(Condition condition) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
};

// Sets variables for one test and puts the old values back.
class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();
    void Set(const std::string& name, const std::string& value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A home of its own for the daemons a test starts or fakes: their socket, pid
// file and logs stay in a temporary folder, a daemon left running elsewhere
// (on the usual socket, perhaps stuck) is never talked to, and whatever was
// started here is ended with the test.
class DaemonHome {
public:
    DaemonHome();
    ~DaemonHome();
    DaemonHome(const DaemonHome&) = delete;
    DaemonHome& operator=(const DaemonHome&) = delete;

    std::string Runtime() const { return (folder_.path() / "run").string(); }
    std::string Socket() const { return Runtime() + "/speech-dispatcher/speechd.sock"; }
    std::string Path(const std::string& name) const { return (folder_.path() / name).string(); }

private:
    velmora::test::TestFolder folder_;
    ScopedEnv env_;
};

// Answers like speech-dispatcher, every text beginning and ending at once,
// until the command it is told to hang at; from then on that connection gets
// no answer. It gives up by itself after a while, closing everything, so a
// client that would wait for ever cannot hang the test: that it had to give
// up is the failure.
class FakeDaemon {
public:
    FakeDaemon(const std::string& path, std::string hangAt, bool accepting = true,
               bool endTexts = true);
    ~FakeDaemon();
    FakeDaemon(const FakeDaemon&) = delete;
    FakeDaemon& operator=(const FakeDaemon&) = delete;

    bool Ready() const { return ready_; }
    // Every command line and text it was sent, in order.
    std::vector<std::string> Heard();
    bool GaveUp() const { return gaveUp_; }
    int Connections() const { return accepted_; }
    // Whether every client has closed its connection, within the bound.
    bool ClientsGone(milliseconds bound) const;

private:
    struct Client {
        Fd fd;
        std::string in;
        bool data = false;
        bool silent = false;
    };

    static bool StartsWith(std::string_view line, std::string_view word);
    void Send(Client& c, const std::string& text);
    void Answer(Client& c, std::string_view line);
    void Serve();

    std::string path_;
    std::string hangAt_;
    bool accepting_;
    bool endTexts_;
    bool ready_ = false;
    std::mutex m_;
    std::vector<std::string> heard_;
    Fd listener_;
    int messages_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> gaveUp_{false};
    std::atomic<int> accepted_{0};
    std::atomic<int> closed_{0};
    std::thread thread_;
};

}  // namespace velmora::speech::test

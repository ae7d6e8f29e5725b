#include "speech/drivers/speechd_keeper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace velmora::speech {
namespace {

constexpr int kMostReconnections = 20;  // a daemon that keeps failing is given up at last

}  // namespace

using speechd::Clock;
using speechd::Connection;

SpeechdOutput::Keeper::Keeper(SpeechdOutput& out, std::optional<std::string> path, int witness)
    : out_(out), path_(std::move(path)), watched_(witness),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), thread_([this] { Run(); }) {}

void SpeechdOutput::Keeper::Stop() {
    stop_ = true;
    Wake();
    if (thread_.joinable()) thread_.join();
}

void SpeechdOutput::Keeper::Watch(int witness) {
    {
        std::lock_guard lock(m_);
        watched_ = witness;
    }
    Wake();
}

std::optional<Connection> SpeechdOutput::Keeper::TakeFresh() {
    std::lock_guard lock(m_);
    std::optional<Connection> fresh = std::move(fresh_);
    fresh_.reset();
    return fresh;
}

void SpeechdOutput::Keeper::Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

bool SpeechdOutput::Keeper::Pause(int ms) {
    pollfd p{wake_.Get(), POLLIN, 0};
    ::poll(&p, 1, ms);
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(wake_.Get(), &count, sizeof count);
    return !stop_;
}

void SpeechdOutput::Keeper::Run() {
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

Connection SpeechdOutput::Keeper::Seek() {
    int pause = std::max(out_.reconnectDelayMs.load(), 0);
    for (int i = 0; i < out_.reconnectAttempts.load(); ++i, pause *= 2) {
        if (!Pause(pause)) return {};
        Connection conn = speechd::Connect(path_, speechd::kProbeMs);
        if (conn.c == nullptr) {
            conn = speechd::StartAndConnect(path_, Clock::now() + std::chrono::seconds(3),
                                            [this] { return stop_.load(); });
        }
        if (conn.c != nullptr) return conn;
    }
    return {};
}

}  // namespace velmora::speech

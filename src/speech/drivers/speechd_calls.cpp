#include "speech/drivers/speechd_calls.h"

#include <signal.h>

#include <utility>

namespace velmora::speech {

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

namespace speechd {

CallWatch::CallWatch(std::function<void()> cut)
    : cut_(std::move(cut)), thread_([this] { Watch(); }) {}

CallWatch::~CallWatch() {
    {
        std::lock_guard lock(m_);
        stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

bool CallWatch::Run(milliseconds bound, const std::function<void()>& call) {
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

void CallWatch::Watch() {
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

}  // namespace speechd
}  // namespace velmora::speech

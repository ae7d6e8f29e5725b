// What speech and sound post from their own threads, kept for the event
// source to give out on the shell's thread, in order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "shell/events.h"

namespace velmora::shell {

class PostedEvents {
public:
    void Push(const Event& event) {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
        }
        posted_.notify_all();
    }
    // Until something is posted or the time is up.
    void WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, limit, [this] { return !events_.empty(); });
    }
    std::optional<Event> Pop() {
        std::lock_guard lock(mutex_);
        if (events_.empty()) return std::nullopt;
        const Event e = events_.front();
        events_.pop_front();
        return e;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Event> events_;
};

}  // namespace velmora::shell

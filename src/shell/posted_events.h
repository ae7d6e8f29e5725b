// What speech and sound post from their own threads, kept for the event
// source to give out on the shell's thread, in order.
#pragma once

#include <deque>
#include <mutex>
#include <optional>

#include "shell/events.h"

namespace velmora::shell {

class PostedEvents {
public:
    void Push(const Event& event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
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
    std::deque<Event> events_;
};

}  // namespace velmora::shell

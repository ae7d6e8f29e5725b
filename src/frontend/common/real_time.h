// Time for the interactive front ends: the timer's ticks and a key script
// played in real time.
#pragma once

#include <chrono>
#include <optional>
#include <vector>

#include "frontend/common/key_script.h"
#include "shell/events.h"

namespace velmora::frontend {

using RealClock = std::chrono::steady_clock;

// The timer: a tick every 100 ms from the start. Ticks that passed while the
// game was busy come as one event.
class TickClock {
public:
    static constexpr std::chrono::milliseconds kTick{100};
    explicit TickClock(RealClock::time_point start) : base_(start) {}

    std::optional<shell::Event> Due(RealClock::time_point now);
    RealClock::time_point NextTick() const { return base_ + kTick; }

private:
    RealClock::time_point base_;
};

// A key script in real time: its keys one after another, its waits as time.
class RealTimeScript {
public:
    explicit RealTimeScript(std::vector<KeyStep> steps) : steps_(std::move(steps)) {}

    // The next key when no wait is running (a wait step starts its wait and
    // is not given); none while waiting or once used up.
    std::optional<KeyStep> Next(RealClock::time_point now);
    // Every step given and the last wait over.
    bool UsedUp(RealClock::time_point now) const;
    // When the running wait ends.
    std::optional<RealClock::time_point> WaitEnd() const { return waitUntil_; }

private:
    std::vector<KeyStep> steps_;
    size_t next_ = 0;
    std::optional<RealClock::time_point> waitUntil_;
};

}  // namespace velmora::frontend

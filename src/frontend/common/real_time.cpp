#include "frontend/common/real_time.h"

#include <algorithm>
#include <cstdint>

namespace velmora::frontend {

std::optional<shell::Event> TickClock::Due(RealClock::time_point now) {
    const int64_t due = (now - base_) / kTick;
    if (due <= 0) return std::nullopt;
    base_ += due * kTick;
    return shell::Event::Ticks(static_cast<int32_t>(std::min<int64_t>(due, INT32_MAX)));
}

std::optional<KeyStep> RealTimeScript::Next(RealClock::time_point now) {
    for (;;) {
        if (waitUntil_) {
            if (now < *waitUntil_) return std::nullopt;
            waitUntil_.reset();
        }
        if (next_ >= steps_.size()) return std::nullopt;
        const KeyStep& step = steps_[next_++];
        if (step.kind != KeyStep::Kind::Wait) return step;
        waitUntil_ = now + std::chrono::milliseconds(step.waitMs);
    }
}

bool RealTimeScript::UsedUp(RealClock::time_point now) const {
    return next_ >= steps_.size() && (!waitUntil_ || now >= *waitUntil_);
}

}  // namespace velmora::frontend

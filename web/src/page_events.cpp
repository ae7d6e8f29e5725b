// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_events.h"

#include <algorithm>
#include <chrono>

#include "base/encoding.h"
#include "frontend/common/key_script.h"
#include "page_bridge.h"

namespace velmora::web {

using shell::Event;

std::optional<char> TypedCharacter(char32_t c) {
    if (c == 8 || c == 9 || c == 13 || c == 27) return static_cast<char>(c);
    if (c < 0x20 || c == 0x7f) return std::nullopt;
    return base::Cp1251Of(c);
}

void PageEvents::Post(const Event& event) { PushPosted(event); }

void PageEvents::PushPosted(const Event& event) {
    ++postedWaiting_;
    posted_.Push(event);
}

void PageEvents::PostWhenKeysUp(const Event& event) {
    if (keysDown_.none()) {
        PushPosted(event);
        return;
    }
    if (held_.empty()) heldSince_ = std::chrono::steady_clock::now();
    held_.push_back(event);
}

void PageEvents::ReleaseHeld() {
    for (const Event& e : held_) PushPosted(e);
    held_.clear();
}

void PageEvents::Key(bool down, int key, ui::ShiftState shift, char32_t typedChar) {
    if (key <= 0 || key > 255) return;
    std::optional<char> typed;
    if (down && typedChar != 0) typed = TypedCharacter(typedChar);
    if (typed) {
        const auto b = static_cast<unsigned char>(*typed);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) lastCyrillic_ = false;
        if (b >= 0xC0 || b == 0xA8 || b == 0xB8) lastCyrillic_ = true;
    }
    frontend::PushKeyEvents(queue_, key, shift, typed, down, !down);
    keysDown_.set(static_cast<size_t>(key), down);
    if (keysDown_.none()) ReleaseHeld();
}

std::string PageEvents::KeyboardLayout() const { return lastCyrillic_ ? "00000419" : "00000409"; }

std::optional<Event> PageEvents::Next() {
    using Clock = frontend::RealClock;
    if (!ticks_) {
        ticks_.emplace(Clock::now());
        return Event::Ticks(0);  // the timer's first event starts the program
    }
    if (ended_) return std::nullopt;
    for (;;) {
        if (quitPending_) {
            ended_ = true;
            return Event::Of(Event::Kind::Quit);
        }
        if (!held_.empty() && std::chrono::steady_clock::now() - heldSince_ >= std::chrono::milliseconds(kHoldMs)) {
            keysDown_.reset();
            ReleaseHeld();
        }
        if (auto tick = ticks_->Due(Clock::now())) return tick;
        if (!queue_.empty()) {
            const Event e = queue_.front();
            queue_.pop_front();
            return e;
        }
        if (auto e = posted_.Pop()) {
            --postedWaiting_;
            return *e;
        }
        if (beforeWait_) beforeWait_();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(ticks_->NextTick() - Clock::now());
        PageWait(static_cast<int>(std::clamp<long long>(left.count(), 0, 100)));
    }
}

}  // namespace velmora::web

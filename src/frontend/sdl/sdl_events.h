// Events of the window: keys (key down, the character typed, key up), text
// typed, mouse clicks, resizing and closing, timer ticks every 100 ms of real
// time, and what speech and sound post from their threads. Before it waits,
// it lets the front end draw a frame that is due.
//
//   SdlEvents events(VirtualKeyFor, &frontEnd);
//
// After the window is closed (Quit), Next() gives no value.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include <SDL.h>

#include "shell/events.h"
#include "shell/posted_events.h"

namespace velmora::frontend::sdl {

class SdlFrontEnd;

class SdlEvents : public shell::EventSource {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kTick{100};
    // The virtual-key code of a key; 0 for a key the game does not know.
    using KeyMapper = std::function<int(const SDL_Keysym&)>;

    // Needs SDL's video started (an SdlWindow). frontEnd may be null.
    SdlEvents(KeyMapper keys, SdlFrontEnd* frontEnd);
    SdlEvents(const SdlEvents&) = delete;
    SdlEvents& operator=(const SdlEvents&) = delete;

    std::optional<shell::Event> Next() override;
    // From any thread; wakes a waiting Next().
    void Post(const shell::Event& event) override;

private:
    void Translate(const SDL_Event& e);
    std::optional<shell::Event> DueTick(Clock::time_point now);

    KeyMapper keys_;
    SdlFrontEnd* frontEnd_;
    uint32_t wakeEvent_ = 0;
    shell::PostedEvents posted_;
    std::deque<shell::Event> queue_;
    Clock::time_point tickBase_{};
    int64_t ticksGiven_ = 0;
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace velmora::frontend::sdl

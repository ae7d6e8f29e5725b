// Events of the window: keys (key down, the character typed, key up), text
// typed, mouse clicks, resizing and closing, timer ticks every 100 ms of real
// time, and what speech and sound post from their threads. Before it waits,
// it lets the front end draw a frame that is due.
//
//   SdlEvents events(&frontEnd);
//   events.OnTyped = [&layout](std::string_view text) { layout.Typed(text); };
//
// With a key script the keys come from it in real time and the keyboard is
// not read; when it is used up, OnEnd runs (while the game still shows) and
// Next() gives no value. After the window is closed (Quit) too.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include <SDL.h>

#include "frontend/common/key_script.h"
#include "frontend/common/real_time.h"
#include "shell/events.h"
#include "shell/posted_events.h"

namespace velmora::frontend::sdl {

class SdlFrontEnd;

class SdlEvents : public shell::EventSource {
public:
    using Clock = RealClock;
    // Needs SDL's video started (an SdlWindow). frontEnd may be null.
    explicit SdlEvents(SdlFrontEnd* frontEnd,
                       std::optional<std::vector<KeyStep>> script = std::nullopt);
    SdlEvents(const SdlEvents&) = delete;
    SdlEvents& operator=(const SdlEvents&) = delete;

    std::optional<shell::Event> Next() override;
    // From any thread; wakes a waiting Next().
    void Post(const shell::Event& event) override;

    // Each text typed, in code page 1251 (the keyboard layout follows it).
    std::function<void(std::string_view text1251)> OnTyped;
    // Once, before the first time Next() gives no value: the last frame is
    // still there to be written (--screenshot).
    std::function<void()> OnEnd;

private:
    void Translate(const SDL_Event& e);
    void Deliver(const KeyStep& step);
    std::optional<shell::Event> End();

    SdlFrontEnd* frontEnd_;
    uint32_t wakeEvent_ = 0;
    shell::PostedEvents posted_;
    std::deque<shell::Event> queue_;
    std::optional<RealTimeScript> script_;
    // The offscreen and dummy drivers have no keyboard or mouse.
    bool withoutInput_ = false;
    std::optional<TickClock> ticks_;  // from the first event on
    bool ended_ = false;
};

}  // namespace velmora::frontend::sdl

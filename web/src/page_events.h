// SPDX-License-Identifier: GPL-3.0-or-later
// Events of the page: the keys its key handler hands over, the 100 ms timer,
// and what the page's audio posts. Waiting for the next event gives the
// browser its turn (Asyncify), so the rules' nested waits never block it.
//
//   PageEvents events;
//   events.Key(true, 'A', {}, U'a');   // from the page's keydown
//   shell::TForm1 form(options, events, frontEnd, ...);
#pragma once

#include <bitset>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frontend/common/real_time.h"
#include "shell/events.h"
#include "shell/posted_events.h"

namespace velmora::web {

// The character a key types as the game takes it (code page 1251): a
// character that 1251 holds, or Enter, Escape, Backspace or Tab; none for
// anything else (0, other control characters, surrogates, beyond Unicode).
std::optional<char> TypedCharacter(char32_t typed);

class PageEvents : public shell::EventSource {
public:
    std::optional<shell::Event> Next() override;
    void Post(const shell::Event& event) override;
    // Posted once no key is held down: the headless game's key step gives a
    // key's down and up together, so a text its reader ends at once ends
    // after the key's release. Held at most kHoldMs, for a release the page
    // never hears (focus lost while the key was down).
    void PostWhenKeysUp(const shell::Event& event);
    static constexpr int kHoldMs = 1000;

    // A key went down (with the character it types, 0 for none) or up.
    void Key(bool down, int key, ui::ShiftState shift, char32_t typed);
    // The page goes away: the game ends as when the window is closed.
    void Quit() { quitPending_ = true; }
    // Called each time the events are used up, before the browser gets its
    // turn: what changed in the batch is then told to the page once.
    void SetBeforeWait(std::function<void()> hook) { beforeWait_ = std::move(hook); }

    // Events given to the game that it has not taken yet: the page's tests
    // wait for none before they look at what the game made of a key.
    bool Pending() const { return !queue_.empty() || postedWaiting_ > 0; }

    // The layout of the last letter typed: "00000419" Cyrillic (also before
    // any letter), "00000409" Latin.
    std::string KeyboardLayout() const;

private:
    void ReleaseHeld();
    void PushPosted(const shell::Event& event);

    std::deque<shell::Event> queue_;
    std::bitset<256> keysDown_;
    std::vector<shell::Event> held_;
    std::chrono::steady_clock::time_point heldSince_;
    shell::PostedEvents posted_;
    std::optional<frontend::TickClock> ticks_;
    bool quitPending_ = false;
    bool ended_ = false;
    bool lastCyrillic_ = true;
    std::function<void()> beforeWait_;
    size_t postedWaiting_ = 0;  // the page has one thread: no lock needed
};

}  // namespace velmora::web

// Events of the terminal front end: keys from the terminal (or a key script
// played in real time), timer ticks every 100 ms of real time, and what speech
// and sound post from their threads.
//
//   TtyEvents events(*term);                 // keys from the terminal
//   TtyEvents events(*term, steps);          // keys from a script; the terminal is not read
//   speechSetup.post = [&events](speech::SpeechEvent e) { events.Post(...); };
//   shell::TForm1 form(options, events, frontEnd, ...);
//
// A terminal has no key releases: each key comes as KeyDown, KeyPress (when
// it types a character) and KeyUp at once. Ctrl+C, SIGINT, SIGTERM, SIGHUP and
// a terminal that hangs up give Quit; after it, and after a script is used up,
// Next() gives no value.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_fd.h"
#include "frontend/common/key_script.h"
#include "frontend/common/real_time.h"
#include "frontend/tty/key_decoder.h"
#include "frontend/tty/terminal.h"
#include "shell/events.h"
#include "shell/posted_events.h"

namespace velmora::frontend {

class TtyEvents : public shell::EventSource {
public:
    using Clock = RealClock;

    explicit TtyEvents(Terminal& term, std::optional<std::vector<KeyStep>> script = std::nullopt);
    // A script without a terminal (tests, pipes): only signals of the terminal are missing.
    explicit TtyEvents(std::vector<KeyStep> script);
    TtyEvents(const TtyEvents&) = delete;
    TtyEvents& operator=(const TtyEvents&) = delete;

    std::optional<shell::Event> Next() override;
    // From any thread; wakes a waiting Next().
    void Post(const shell::Event& event) override;

    // The layout of the last letter typed: "00000419" Cyrillic (also before
    // any letter), "00000409" Latin.
    std::string KeyboardLayout() const;

private:
    void Queue(const KeyEvent& key);
    void Deliver(const KeyStep& step);
    void WaitForInput(Clock::time_point until);
    void ReadTerminal();

    Terminal* term_ = nullptr;
    std::optional<RealTimeScript> script_;
    KeyDecoder decoder_;
    base::UniqueFd wakeRead_, wakeWrite_;
    shell::PostedEvents posted_;
    std::deque<shell::Event> queue_;  // the keys decoded, as events
    std::optional<TickClock> ticks_;  // from the first event on
    bool quitPending_ = false;
    bool ended_ = false;
    std::optional<bool> lastCyrillic_;
};

}  // namespace velmora::frontend

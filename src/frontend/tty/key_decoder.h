// Bytes from a terminal into the game's keys.
//
//   TermKeys keys = TermKeys::Load(getenv("TERM")).value_or(TermKeys{});
//   KeyDecoder decoder(keys);
//   for (const KeyEvent& k : decoder.Feed(bytes, now)) ...;
//   // when nothing more came: a lone Escape once the short timeout ran out
//   if (auto at = decoder.Deadline()) { ... later: decoder.Flush(now) ... }
//
// A terminal has no key releases and cannot tell some keys apart (Ctrl+M is
// Enter), so the decoder also turns this front end's alternative keys into
// the keys the game expects; TtyKeysHelp() lists them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/keys.h"

namespace velmora::frontend {

struct KeyEvent {
    int key = 0;                // Windows virtual-key number; 0: only a character
    ui::ShiftState shift{};
    std::optional<char> typed;  // code page 1251
    bool operator==(const KeyEvent& o) const {
        return key == o.key && shift.Shift == o.shift.Shift && shift.Alt == o.shift.Alt &&
               shift.Ctrl == o.shift.Ctrl && shift.CapsLockOn == o.shift.CapsLockOn && typed == o.typed;
    }
};

// The key sequences of one terminal type, from its terminfo entry.
struct TermKeys {
    std::string name;
    std::vector<std::pair<std::string, KeyEvent>> sequences;
    std::string keypadOn, keypadOff;  // smkx, rmkx: the keypad's own sequences on and off

    // No value when the terminfo database has no such terminal (why says so).
    static std::optional<TermKeys> Load(const std::string& term, std::string* why = nullptr);
};

class KeyDecoder {
public:
    using Clock = std::chrono::steady_clock;

    explicit KeyDecoder(TermKeys keys = {},
                        std::chrono::milliseconds escapeTimeout = std::chrono::milliseconds(50));

    // The keys the bytes complete; bytes that may begin a longer sequence wait.
    std::vector<KeyEvent> Feed(std::string_view bytes, Clock::time_point now);
    // Once the deadline passed: what waits, taken as it is (a lone Escape).
    std::vector<KeyEvent> Flush(Clock::time_point now);
    // When waiting bytes are to be flushed; no value when nothing waits.
    std::optional<Clock::time_point> Deadline() const;

    // Whether the last letter decoded was Cyrillic; no value before any letter.
    std::optional<bool> LastLetterCyrillic() const { return lastCyrillic_; }

private:
    enum class Step { Done, NeedMore };
    Step Decode(bool final, std::vector<KeyEvent>& out);
    void Emit(KeyEvent e, std::vector<KeyEvent>& out);
    std::optional<KeyEvent> Sequence(std::string_view seq) const;
    void NoteLetter(char c1251);

    TermKeys keys_;
    std::chrono::milliseconds timeout_;
    std::string pending_;
    Clock::time_point pendingSince_{};
    bool afterReturn_ = false;  // a line feed right after a carriage return is part of it
    std::optional<bool> lastCyrillic_;
};

// The front end's alternatives for keys a terminal cannot send: F5/F6 speech
// slower/faster (Ctrl+numeric-pad minus/plus), F7/F8 music quieter/louder
// (Ctrl+numeric-pad slash/star), F9 or Alt+M music on or off (Ctrl+M), Ctrl+J
// for Ctrl+Enter. Other keys stay. (A digit with any modifier is the window's
// quick-select, so no digit needs a stand-in.)
KeyEvent TtyAlternative(const KeyEvent& e);

// English text for --help.
std::string TtyKeysHelp();

}  // namespace velmora::frontend

// The events the shell handles on its one thread: keys, timer ticks, and the
// reports that speech and sound post from their own threads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "ui/keys.h"

namespace velmora::shell {

struct Event {
    enum class Kind { KeyDown, KeyPress, KeyUp, Tick, SpeechEnded, VoiceStopped, MusicEnded };
    Kind kind = Kind::Tick;
    int key = 0;
    ui::ShiftState shift{};
    char ch = 0;  // KeyPress: the character, code page 1251
    int32_t ticks = 1;  // Tick: how many 100 ms ticks passed (a virtual clock may skip ahead)

    static Event Ticks(int32_t n) {
        Event tick;
        tick.kind = Kind::Tick;
        tick.ticks = n;
        return tick;
    }
};

class EventSource {
public:
    virtual ~EventSource() = default;
    // The next event, waiting for it; no value when none will come any more.
    virtual std::optional<Event> Next() = 0;
    // From any thread.
    virtual void Post(const Event& event) = 0;
};

// What the shell asks of the front end beyond events.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // A picture was loaded into Image1, Image2 or Image3 (empty path: cleared).
    virtual void PictureLoaded(const char* component, const std::filesystem::path& file) = 0;
    virtual void ViewChanged(const char* view) = 0;  // "picture", "page", "game", "reading"
    virtual void Beep() = 0;
    virtual void Tone(int hz, int ms) = 0;
    // The keyboard layout's name, eight hexadecimal digits ("00000419").
    virtual std::string KeyboardLayout() = 0;
};

}  // namespace velmora::shell

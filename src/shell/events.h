// The events the shell handles on its one thread: keys, timer ticks, the
// window's own events, and the reports that speech and sound post from their
// own threads. Every front end is an adapter onto these two interfaces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "ui/keys.h"
#include "ui/text_measure.h"

namespace velmora::shell {

struct Event {
    enum class Kind {
        KeyDown,
        KeyPress,
        KeyUp,
        Tick,
        SpeechEnded,
        VoiceStopped,
        MusicEnded,
        Resize,            // width, height: the window's new client size
        Quit,              // window closed, Ctrl+C in a terminal, SIGTERM, SIGHUP
        MouseClick,        // x, y: in window coordinates
        MouseDoubleClick,  // x, y
        ChooseRow,         // row: an entry of MenuMirror chosen by its place
    };
    Kind kind = Kind::Tick;
    int key = 0;
    ui::ShiftState shift{};
    char ch = 0;  // KeyPress: the character, code page 1251
    int32_t ticks = 1;  // Tick: how many 100 ms ticks passed (a virtual clock may skip ahead)
    int x = 0, y = 0;   // MouseClick, MouseDoubleClick
    int row = -1;       // ChooseRow
    int width = 0, height = 0;  // Resize

    static Event Ticks(int32_t n) {
        Event tick;
        tick.kind = Kind::Tick;
        tick.ticks = n;
        return tick;
    }
    static Event Of(Kind kind) {
        Event e;
        e.kind = kind;
        return e;
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

struct WindowSize {
    int width = 1920;
    int height = 1080;
};

// What the shell asks of the front end beyond events. The defaults are what a
// front end without a window answers.
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

    // The window's client size at start; later sizes come as Resize events.
    virtual WindowSize InitialWindowSize() { return {}; }
    // Width and height of a picture file; no value when it cannot be read.
    virtual std::optional<WindowSize> MeasurePicture(const std::filesystem::path&) {
        return WindowSize{640, 480};
    }
    // The toolkit's text measure, with the fonts the front end draws in.
    virtual const ui::TextMeasure& TextMeasure() { return ui::DefaultTextMeasure(); }
    // Something on screen changed and must be drawn again (once per batch of changes).
    virtual void Changed() {}
};

}  // namespace velmora::shell

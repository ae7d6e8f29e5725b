// What the shell asks of the terminal front end beyond events: the keyboard
// layout (from the last letter typed), beeps and tones. There is no window:
// pictures and views change nothing on the screen, which shows only the lines
// that are spoken.
//
//   TtyFrontEnd frontEnd(events, [&] { sound.Beep(); }, [&](int hz, int ms) { sound.Tone(hz, ms); });
#pragma once

#include <functional>
#include <string>

#include "frontend/tty/tty_events.h"
#include "shell/events.h"

namespace velmora::frontend {

class TtyFrontEnd : public shell::FrontEnd {
public:
    // Empty functions: beeps and tones are not heard.
    TtyFrontEnd(const TtyEvents& events, std::function<void()> beep,
                std::function<void(int hz, int ms)> tone)
        : events_(events), beep_(std::move(beep)), tone_(std::move(tone)) {}

    void PictureLoaded(const char*, const std::filesystem::path&) override {}
    void ViewChanged(const char*) override {}
    void Beep() override {
        if (beep_) beep_();
    }
    void Tone(int hz, int ms) override {
        if (tone_) tone_(hz, ms);
    }
    std::string KeyboardLayout() override { return events_.KeyboardLayout(); }

private:
    const TtyEvents& events_;
    std::function<void()> beep_;
    std::function<void(int, int)> tone_;
};

}  // namespace velmora::frontend

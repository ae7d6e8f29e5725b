// The window front end: what the shell asks of the window (pictures, text
// measure, beeps) and the drawing of frames when something changed.
//
//   SdlWindow window;                       // throws SdlError without a display
//   FontSet fonts;
//   SdlFrontEnd frontEnd(window.Renderer(), fonts, window.Size(), beep, tone, layout);
//   frontEnd.SetForm(&form1.Form());        // once the shell is built
//   ... before each wait for events: frontEnd.DrawIfDue();  wait at most until NextFrameAt()
//   frontEnd.WriteScreenshot("shot.png");
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "frontend/sdl/font_set.h"
#include "frontend/sdl/painter.h"
#include "frontend/sdl/picture_cache.h"
#include "shell/events.h"

namespace velmora::ui {
class Form;
}

namespace velmora::frontend::sdl {

class SdlFrontEnd : public shell::FrontEnd {
public:
    using Clock = std::chrono::steady_clock;

    // Empty functions: beeps and tones are not heard; the layout is Russian.
    SdlFrontEnd(SDL_Renderer* renderer, FontSet& fonts, shell::WindowSize initialSize,
                std::function<void()> beep = {}, std::function<void(int hz, int ms)> tone = {},
                std::function<std::string()> layout = {});

    // The component tree to draw; none: frames stay black.
    void SetForm(ui::Form* form);
    // The window was uncovered: the next frame is drawn whatever changed.
    void Invalidate() { dirty_ = true; }

    // Draws and presents a frame when something changed or an animation
    // moved on; true when it drew.
    bool DrawIfDue(Clock::time_point now = Clock::now());
    // When DrawIfDue has work next: now when something changed, the next
    // animation frame, or no value.
    std::optional<Clock::time_point> NextFrameAt() const;
    // Draws the frame afresh and writes it as PNG; false when that fails.
    bool WriteScreenshot(const std::filesystem::path& file);

    // shell::FrontEnd
    void PictureLoaded(const char* component, const std::filesystem::path& file) override;
    void ViewChanged(const char*) override { dirty_ = true; }
    void Beep() override;
    void Tone(int hz, int ms) override;
    std::string KeyboardLayout() override;
    shell::WindowSize InitialWindowSize() override { return initialSize_; }
    std::optional<shell::WindowSize> MeasurePicture(const std::filesystem::path& file) override;
    const ui::TextMeasure& TextMeasure() override { return measure_; }
    void Changed() override;

private:
    void Render(Clock::time_point now);

    SDL_Renderer* renderer_;
    shell::WindowSize initialSize_;
    std::function<void()> beep_;
    std::function<void(int, int)> tone_;
    std::function<std::string()> layout_;
    SdlTextMeasure measure_;
    PictureCache pictures_;
    Painter painter_;
    ui::Form* form_ = nullptr;
    bool dirty_ = true;
};

}  // namespace velmora::frontend::sdl

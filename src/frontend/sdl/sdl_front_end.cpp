#include "frontend/sdl/sdl_front_end.h"

#include "frontend/sdl/screenshot.h"
#include "ui/form.h"
#include "ui/list_box.h"

namespace velmora::frontend::sdl {

namespace {

// The shell compares the lists' repaint requests after Changed(): taking
// them at once spares a second frame for the same change.
void TakeListRequests(ui::Control& c) {
    if (auto* list = dynamic_cast<ui::ListBox*>(&c)) list->ClearPaintRequests();
    for (ui::Control* child : c.Children()) TakeListRequests(*child);
}

}  // namespace

SdlFrontEnd::SdlFrontEnd(SDL_Renderer* renderer, FontSet& fonts, shell::WindowSize initialSize,
                         std::function<void()> beep, std::function<void(int, int)> tone,
                         std::function<std::string()> layout)
    : renderer_(renderer),
      initialSize_(initialSize),
      beep_(std::move(beep)),
      tone_(std::move(tone)),
      layout_(std::move(layout)),
      measure_(fonts),
      pictures_(renderer),
      painter_(renderer, fonts, pictures_) {}

void SdlFrontEnd::SetForm(ui::Form* form) {
    form_ = form;
    dirty_ = true;
}

void SdlFrontEnd::Render(Clock::time_point now) {
    if (form_) {
        painter_.Paint(*form_, now);
    } else {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
    }
}

bool SdlFrontEnd::DrawIfDue(Clock::time_point now) {
    const std::optional<Clock::time_point> due = NextFrameAt();
    if (!due || *due > now) return false;
    dirty_ = false;
    Render(now);
    SDL_RenderPresent(renderer_);
    return true;
}

std::optional<SdlFrontEnd::Clock::time_point> SdlFrontEnd::NextFrameAt() const {
    if (dirty_) return Clock::time_point::min();
    return painter_.NextAnimationFrame();
}

bool SdlFrontEnd::WriteScreenshot(const std::filesystem::path& file) {
    Render(Clock::now());
    return WritePng(renderer_, file);
}

void SdlFrontEnd::PictureLoaded(const char*, const std::filesystem::path& file) {
    if (!file.empty()) pictures_.Forget(file);
    dirty_ = true;
}

void SdlFrontEnd::Beep() {
    if (beep_) beep_();
}

void SdlFrontEnd::Tone(int hz, int ms) {
    if (tone_) tone_(hz, ms);
}

std::string SdlFrontEnd::KeyboardLayout() { return layout_ ? layout_() : "00000419"; }

std::optional<shell::WindowSize> SdlFrontEnd::MeasurePicture(const std::filesystem::path& file) {
    return PictureCache::Measure(file);
}

void SdlFrontEnd::Changed() {
    dirty_ = true;
    if (form_) TakeListRequests(*form_);
}

}  // namespace velmora::frontend::sdl

// SPDX-License-Identifier: GPL-3.0-or-later
// What the shell asks of the page beyond events: the component tree drawn
// again after each batch of changes, the view's name, the page's size,
// picture sizes, beeps through the game's sound and the keyboard layout.
#pragma once

#include <functional>
#include <string>

#include "page_events.h"
#include "shell/events.h"
#include "ui/form.h"

namespace velmora::web {

class PageFrontEnd : public shell::FrontEnd {
public:
    explicit PageFrontEnd(const PageEvents& events) : events_(events) {}

    // Set once the game is built, cleared before it goes.
    void Show(ui::Form* form, std::function<void()> beep);

    void PictureLoaded(const char*, const std::filesystem::path&) override {}
    void ViewChanged(const char* view) override;
    void Beep() override;
    // A tone is heard as the beep: the page plays made sounds only.
    void Tone(int, int) override { Beep(); }
    std::string KeyboardLayout() override { return events_.KeyboardLayout(); }
    shell::WindowSize InitialWindowSize() override;
    std::optional<shell::WindowSize> MeasurePicture(const std::filesystem::path& file) override;
    void Changed() override;

private:
    const PageEvents& events_;
    ui::Form* form_ = nullptr;
    std::function<void()> beep_;
};

}  // namespace velmora::web

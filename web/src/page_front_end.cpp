// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_front_end.h"

#include "base/file_error.h"
#include "base/project_file.h"
#include "form_snapshot.h"
#include "page_bridge.h"
#include "picture_size.h"

namespace velmora::web {

void PageFrontEnd::Show(ui::Form* form, std::function<void()> beep) {
    form_ = form;
    beep_ = std::move(beep);
    Changed();
}

void PageFrontEnd::ViewChanged(const char* view) { PageView(view); }

void PageFrontEnd::Beep() {
    if (beep_) beep_();
}

shell::WindowSize PageFrontEnd::InitialWindowSize() { return {PageWidth(), PageHeight()}; }

std::optional<shell::WindowSize> PageFrontEnd::MeasurePicture(const std::filesystem::path& file) {
    try {
        return PictureSize(base::ReadCheckedFile(file, base::FileKind::Picture));
    } catch (const base::FileError&) {
        return std::nullopt;
    }
}

void PageFrontEnd::Changed() { PageRender(form_ ? FormSnapshot(*form_) : std::string("null")); }

}  // namespace velmora::web

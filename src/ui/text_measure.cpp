#include "ui/text_measure.h"

#include <algorithm>

namespace velmora::ui {

int FixedTextMeasure::TextHeight(const FontInfo& font, std::string_view) const {
    const int size = std::clamp(font.Size, 0, 10000);
    return (size * 4 + 1) / 3;
}

const TextMeasure& DefaultTextMeasure() {
    static const FixedTextMeasure measure;
    return measure;
}

}  // namespace velmora::ui

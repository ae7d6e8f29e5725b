// Text measurement for row heights. The window front end measures with its
// real fonts; without a window a fixed rule stands in.
#pragma once

#include <string_view>

#include "ui/geometry.h"

namespace velmora::ui {

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Height in pixels of the text written in the font.
    virtual int TextHeight(const FontInfo& font, std::string_view text) const = 0;
};

// Points at 96 dots per inch, whatever the text: size × 4 ÷ 3, rounded.
class FixedTextMeasure : public TextMeasure {
public:
    int TextHeight(const FontInfo& font, std::string_view text) const override;
};

// The rule used when no front end has given one.
const TextMeasure& DefaultTextMeasure();

}  // namespace velmora::ui

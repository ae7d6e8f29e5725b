// The window's fonts: each face the component model names is resolved with
// fontconfig to an installed font that covers Cyrillic, and opened with
// SDL_ttf at the component's size in points at 96 dots per inch.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "base/utf8.h"
#include "frontend/sdl/sdl_handles.h"
#include "ui/text_measure.h"

namespace velmora::frontend::sdl {

class FontSet {
public:
    FontSet();
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    // The installed font file for a face; empty when none covers Cyrillic.
    std::string FileFor(const std::string& face, bool italic);
    // Null when no font could be opened: the text is then not drawn.
    TTF_Font* Get(const ui::FontInfo& font) { return Get(font.Name, font.Size, font.Italic); }
    TTF_Font* Get(const std::string& face, int points, bool italic);

    // Width and height in pixels of UTF-8 text; 0 × 0 without a font.
    static std::pair<int, int> Size(TTF_Font* font, const base::Utf8& text);
    // The height a line of Russian text takes: the font's height, or more
    // where a letter reaches further below the line (the tails of д, ц, щ
    // go below the descent some fonts give).
    static int LineHeight(TTF_Font* font);

private:
    bool ttfStarted_ = false;
    std::map<std::pair<std::string, bool>, std::string> files_;
    std::map<std::tuple<std::string, int, bool>, FontPtr> fonts_;
};

// Row heights measured with the fonts the window draws in; the fixed rule
// of the model when no font is installed.
class SdlTextMeasure : public ui::TextMeasure {
public:
    explicit SdlTextMeasure(FontSet& fonts) : fonts_(fonts) {}
    int TextHeight(const ui::FontInfo& font, std::string_view text) const override;

private:
    FontSet& fonts_;
};

}  // namespace velmora::frontend::sdl

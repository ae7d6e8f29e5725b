// Draws the window's component tree on black: panels, stretched and
// animated pictures, labels, the edit line with caret and selection, the
// owner-drawn list and the rich edits with wrapping and scrolling.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/sdl/font_set.h"
#include "frontend/sdl/picture_cache.h"
#include "frontend/sdl/text_cache.h"
#include "frontend/sdl/text_layout.h"
#include "ui/control.h"

namespace velmora::ui {
class Edit;
class Form;
class Image;
class Label;
class ListBox;
class RichEdit;
}  // namespace velmora::ui

namespace velmora::frontend::sdl {

class Painter {
public:
    using Clock = std::chrono::steady_clock;

    Painter(SDL_Renderer* renderer, FontSet& fonts, PictureCache& pictures)
        : renderer_(renderer), fonts_(fonts), pictures_(pictures), texts_(renderer) {}

    // Draws the whole form into the renderer's target (not presented). The
    // lists' repaint requests are taken.
    void Paint(ui::Form& form, Clock::time_point now);
    // When a picture shown in the last frame changes its frame.
    std::optional<Clock::time_point> NextAnimationFrame() const { return nextFrame_; }

private:
    // under: the plain colour already drawn beneath the control, if any.
    void PaintControl(ui::Control& c, int x, int y, const SDL_Rect& clip, Clock::time_point now,
                      std::optional<ui::Colour> under);
    void PaintImage(const ui::Image& image, const SDL_Rect& box, Clock::time_point now);
    void PaintLabel(const ui::Label& label, const SDL_Rect& box);
    void PaintEdit(const ui::Edit& edit, const SDL_Rect& box);
    void PaintList(ui::ListBox& list, const SDL_Rect& box);
    void PaintRichEdit(const ui::RichEdit& edit, const SDL_Rect& box);
    void Fill(const SDL_Rect& box, ui::Colour colour);
    // A control's own background: not drawn over the same colour.
    void Background(const SDL_Rect& box, ui::Colour colour);
    // Writes 1251 text with its left and top edge at x, y; the width drawn.
    int Text(TTF_Font* font, std::string_view text1251, ui::Colour colour, int x, int y);
    void SetClip(const SDL_Rect& clip);

    // The last layout of each rich edit: wrapping a long text measures every
    // word, and most frames show the same text again.
    struct Layout {
        std::string text;
        int width = 0;
        TTF_Font* font = nullptr;
        bool wrap = true;
        std::vector<TextLine> lines;
    };
    const std::vector<TextLine>& LinesOf(const ui::RichEdit& edit, TTF_Font* font, int width);

    SDL_Renderer* renderer_;
    FontSet& fonts_;
    PictureCache& pictures_;
    std::optional<Clock::time_point> nextFrame_;
    std::optional<ui::Colour> under_;
    std::map<const ui::RichEdit*, Layout> layouts_;
    TextCache texts_;
};

}  // namespace velmora::frontend::sdl

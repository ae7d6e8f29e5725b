#include "frontend/sdl/painter.h"

#include <algorithm>
#include <string>

#include "base/utf8.h"
#include "frontend/sdl/text_layout.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/list_box.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"

namespace velmora::frontend::sdl {

namespace {

// The width of 1251 text as the font draws it, measured without drawing.
int TextWidth(TTF_Font* font, std::string_view text1251) {
    return FontSet::Size(font, base::ToUtf8(text1251)).first;
}

SDL_Rect Intersect(const SDL_Rect& a, const SDL_Rect& b) {
    SDL_Rect r{};
    if (!SDL_IntersectRect(&a, &b, &r)) return SDL_Rect{a.x, a.y, 0, 0};
    return r;
}

// The selection of an edit as Windows shows it: white on blue.
constexpr ui::Colour kHighlight = ui::Rgb(0, 120, 215);
constexpr ui::Colour kHighlightText = ui::kWhite;
constexpr int kScrollBarWidth = 17;
// Text does not touch the edges of its box (the screen's, for the message area).
constexpr int kTextMargin = 8;
constexpr ui::Colour kScrollTrack = ui::Rgb(240, 240, 240);
constexpr ui::Colour kScrollThumb = ui::Rgb(160, 160, 160);

}  // namespace

void Painter::SetClip(const SDL_Rect& clip) { SDL_RenderSetClipRect(renderer_, &clip); }

void Painter::Background(const SDL_Rect& box, ui::Colour colour) {
    // Filling the whole window several times over was most of a frame's work
    // on a software renderer.
    if (under_ != colour) Fill(box, colour);
}

void Painter::Fill(const SDL_Rect& box, ui::Colour colour) {
    const SDL_Color c = ToSdl(colour);
    SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, 255);
    SDL_RenderFillRect(renderer_, &box);
}

int Painter::Text(TTF_Font* font, std::string_view text1251, ui::Colour colour, int x, int y) {
    const TextCache::Drawn drawn = texts_.Get(font, text1251, colour);
    if (!drawn.texture) return 0;
    const SDL_Rect dst{x, y, drawn.width, drawn.height};
    SDL_RenderCopy(renderer_, drawn.texture, nullptr, &dst);
    return drawn.width;
}

void Painter::Paint(ui::Form& form, Clock::time_point now) {
    nextFrame_.reset();
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    SDL_RenderSetClipRect(renderer_, nullptr);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (form.Visible()) PaintControl(form, 0, 0, SDL_Rect{0, 0, w, h}, now, ui::kBlack);
    SDL_RenderSetClipRect(renderer_, nullptr);
    texts_.EndFrame();
    pictures_.EndFrame();
}

void Painter::PaintControl(ui::Control& c, int x, int y, const SDL_Rect& parentClip,
                           Clock::time_point now, std::optional<ui::Colour> under) {
    if (!c.Visible()) return;
    const SDL_Rect box{x, y, c.Width(), c.Height()};
    const SDL_Rect clip = Intersect(box, parentClip);
    if (clip.w <= 0 || clip.h <= 0) return;
    SetClip(clip);
    under_ = under;
    std::optional<ui::Colour> mine = c.Color;
    if (auto* image = dynamic_cast<ui::Image*>(&c)) {
        PaintImage(*image, box, now);
        mine.reset();
    } else if (auto* label = dynamic_cast<ui::Label*>(&c)) {
        PaintLabel(*label, box);
        mine.reset();
    } else if (auto* edit = dynamic_cast<ui::Edit*>(&c)) {
        PaintEdit(*edit, box);
    } else if (auto* list = dynamic_cast<ui::ListBox*>(&c)) {
        PaintList(*list, box);
    } else if (auto* rich = dynamic_cast<ui::RichEdit*>(&c)) {
        PaintRichEdit(*rich, box);
    } else {
        Background(box, c.Color);  // the form and the panels
    }
    // A child on this control's plain colour need not fill what is already
    // that colour, unless an earlier sibling drew where it lies.
    std::vector<SDL_Rect> drawn;
    for (ui::Control* child : c.Children()) {
        if (!child->Visible()) continue;
        const SDL_Rect childBox{x + child->Left(), y + child->Top(), child->Width(), child->Height()};
        const bool covered = std::any_of(drawn.begin(), drawn.end(), [&childBox](const SDL_Rect& r) {
            return SDL_HasIntersection(&r, &childBox) == SDL_TRUE;
        });
        PaintControl(*child, childBox.x, childBox.y, clip, now, covered ? std::nullopt : mine);
        drawn.push_back(childBox);
    }
}

void Painter::PaintImage(const ui::Image& image, const SDL_Rect& box, Clock::time_point now) {
    SDL_Texture* frame = pictures_.FrameAt(image.Picture(), now, &nextFrame_);
    if (!frame) return;
    SDL_Rect dst = box;
    if (!image.Stretch) {
        SDL_QueryTexture(frame, nullptr, nullptr, &dst.w, &dst.h);
    }
    SDL_RenderCopy(renderer_, frame, nullptr, &dst);
}

void Painter::PaintLabel(const ui::Label& label, const SDL_Rect& box) {
    if (!label.Transparent) Background(box, label.Color);
    Text(fonts_.Get(label.Font), label.Caption, label.Font.Color, box.x, box.y);
}

void Painter::PaintEdit(const ui::Edit& edit, const SDL_Rect& box) {
    Background(box, edit.Color);
    TTF_Font* font = fonts_.Get(edit.Font);
    if (!font) return;
    const std::string& text = edit.Text();
    auto widthOf = [&](int chars) {
        return TextWidth(font, std::string_view(text).substr(0, static_cast<size_t>(chars)));
    };
    const int selStart = edit.SelStart();
    const int selEnd = selStart + edit.SelLength();
    // Where the caret is: the far end of a selection made forwards.
    const int caret = edit.SelLength() > 0 ? selEnd : selStart;
    const int caretX = widthOf(caret);
    // The text slides left so that the caret stays in the box.
    const int shift = std::max(0, caretX - (box.w - 2));
    const int x = box.x + 1 - shift;
    // Tall enough for the tails of д and щ: the selection bar covers them.
    const int height = FontSet::LineHeight(font);
    const int y = box.y + std::max(0, (box.h - height) / 2);
    Text(font, text, edit.Font.Color, x, y);
    if (selEnd > selStart) {
        const int from = widthOf(selStart);
        const int to = widthOf(selEnd);
        Fill(SDL_Rect{x + from, y, to - from, height}, kHighlight);
        Text(font, std::string_view(text).substr(static_cast<size_t>(selStart), static_cast<size_t>(selEnd - selStart)),
             kHighlightText, x + from, y);
    }
    if (edit.Focused()) Fill(SDL_Rect{x + caretX, y, 2, height}, edit.Font.Color);
}

void Painter::PaintList(ui::ListBox& list, const SDL_Rect& box) {
    Background(box, list.Color);
    list.ClearPaintRequests();
    for (const auto& [index, row] : list.VisibleRows()) {
        const std::optional<ui::ItemPaint> paint = list.PaintItem(index, row);
        if (!paint) continue;
        const SDL_Rect rowBox{box.x + paint->Box.Left, box.y + paint->Box.Top, paint->Box.Width(),
                              paint->Box.Height()};
        const SDL_Rect rowClip = Intersect(rowBox, box);
        SetClip(rowClip);
        Fill(rowBox, paint->Background);
        for (const ui::TextRun& run : paint->Runs) {
            const SDL_Rect runBox{box.x + run.Box.Left, box.y + run.Box.Top, run.Box.Width(), run.Box.Height()};
            SetClip(Intersect(runBox, rowClip));
            const int size = run.FontSize > 0 ? run.FontSize : list.Font.Size;
            Text(fonts_.Get(list.Font.Name, size, list.Font.Italic), run.Text, run.Color, runBox.x, runBox.y);
        }
    }
    SetClip(box);
}

const std::vector<TextLine>& Painter::LinesOf(const ui::RichEdit& edit, TTF_Font* font, int width) {
    Layout& layout = layouts_[&edit];
    // Keyed by everything that decides the lines, so a control that reuses
    // a freed address is laid out afresh.
    if (layout.lines.empty() || layout.text != edit.Text() || layout.width != width ||
        layout.font != font || layout.wrap != edit.WordWrap) {
        layout.text = edit.Text();
        layout.width = width;
        layout.font = font;
        layout.wrap = edit.WordWrap;
        layout.lines = WrapText(layout.text, width, layout.wrap,
                                [font](std::string_view s) { return TextWidth(font, s); });
    }
    return layout.lines;
}

void Painter::PaintRichEdit(const ui::RichEdit& edit, const SDL_Rect& box) {
    Background(box, edit.Color);
    TTF_Font* font = fonts_.Get(edit.Font);
    if (!font) return;
    const std::string& text = edit.Text();
    // A vertical scroll bar keeps its strip whether or not the text overflows.
    const int area = edit.ScrollBars ? std::max(box.w - kScrollBarWidth, 0) : box.w;
    const int margin = std::min(kTextMargin, area / 8);
    const int textWidth = std::max(area - 2 * margin, 1);
    const std::vector<TextLine>& lines = LinesOf(edit, font, textWidth);
    const int lineHeight = std::max(TTF_FontLineSkip(font), 1);
    const int visible = std::max(box.h / lineHeight, 1);
    const int count = static_cast<int>(lines.size());
    const int first = FirstShownLine(LineOfPosition(lines, edit.SelStart()), count, visible);
    if (edit.ScrollBars) {
        const SDL_Rect track{box.x + area, box.y, box.w - area, box.h};
        Fill(track, kScrollTrack);
        if (count > visible) {
            const int thumbH = std::max(box.h * visible / count, 8);
            const int thumbY = box.y + (box.h - thumbH) * first / std::max(count - visible, 1);
            Fill(SDL_Rect{track.x + 2, thumbY, std::max(track.w - 4, 1), thumbH}, kScrollThumb);
        }
    }
    const int caretLine = LineOfPosition(lines, edit.SelStart());
    int y = box.y;
    for (size_t i = static_cast<size_t>(first); i < lines.size() && y < box.y + box.h; ++i) {
        const std::string_view line =
            std::string_view(text).substr(static_cast<size_t>(lines[i].start), static_cast<size_t>(lines[i].length));
        int x = box.x + margin;
        if (edit.Alignment == ui::TextAlign::Center) {
            x = box.x + margin + (textWidth - texts_.Get(font, line, edit.Font.Color).width) / 2;
        }
        Text(font, line, edit.Font.Color, x, y);
        // The caret of the focused text (the line being read aloud), steady:
        // a blinking one would wake an idle window twice a second.
        if (edit.Focused() && static_cast<int>(i) == caretLine) {
            const int into = std::clamp(edit.SelStart() - lines[i].start, 0, lines[i].length);
            const int caretX = x + TextWidth(font, line.substr(0, static_cast<size_t>(into)));
            Fill(SDL_Rect{caretX, y, 2, lineHeight}, edit.Font.Color);
        }
        y += lineHeight;
    }
}

}  // namespace velmora::frontend::sdl

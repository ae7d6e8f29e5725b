#include "ui/edit.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::ui {

Edit::Edit(std::string name) : Control(std::move(name)) {}

void Edit::SetText(std::string text) {
    text_ = std::move(text);
    anchor_ = caret_ = 0;
}

int Edit::SelStart() const { return std::min(anchor_, caret_); }

int Edit::SelLength() const { return std::abs(caret_ - anchor_); }

std::string Edit::SelText() const {
    return text_.substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
}

void Edit::SetSel(int start, int length) {
    const int size = static_cast<int>(text_.size());
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    anchor_ = start;
    caret_ = start + length;
}

void Edit::MoveCaret(int to, bool extend) {
    caret_ = std::clamp(to, 0, static_cast<int>(text_.size()));
    if (!extend) anchor_ = caret_;
}

void Edit::ReplaceSelection(std::string_view with) {
    const int start = SelStart();
    text_.replace(static_cast<size_t>(start), static_cast<size_t>(SelLength()), with);
    anchor_ = caret_ = start + static_cast<int>(with.size());
}

void Edit::DefaultKeyDown(int& key, ShiftState shift) {
    const bool selection = SelLength() > 0;
    switch (key) {
        case vk::Left:
            if (selection && !shift.Shift) {
                MoveCaret(SelStart(), false);
            } else {
                MoveCaret(caret_ - 1, shift.Shift);
            }
            break;
        case vk::Right:
            if (selection && !shift.Shift) {
                MoveCaret(SelStart() + SelLength(), false);
            } else {
                MoveCaret(caret_ + 1, shift.Shift);
            }
            break;
        case vk::Home:
            MoveCaret(0, shift.Shift);
            break;
        case vk::End:
            MoveCaret(static_cast<int>(text_.size()), shift.Shift);
            break;
        case vk::Delete:
            if (ReadOnly) break;
            if (!selection) MoveCaret(caret_ + 1, true);
            ReplaceSelection({});
            break;
        default:
            Control::DefaultKeyDown(key, shift);
            break;
    }
}

void Edit::DefaultKeyPress(char& ch) {
    if (ReadOnly) return;
    const auto code = static_cast<unsigned char>(ch);
    if (code == 8) {
        if (SelLength() == 0) MoveCaret(caret_ - 1, true);
        ReplaceSelection({});
    } else if (code >= 32) {
        ReplaceSelection(std::string_view(&ch, 1));
    }
}

}  // namespace velmora::ui

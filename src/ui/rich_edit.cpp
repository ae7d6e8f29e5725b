#include "ui/rich_edit.h"

#include <algorithm>

namespace velmora::ui {
namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

RichEdit::RichEdit(std::string name) : Control(std::move(name)) {}

void RichEdit::SetText(std::string text) {
    text_ = std::move(text);
    caret_ = 0;
    scrolledTo_ = 0;
}

std::vector<std::string> RichEdit::Lines() const {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text_.size(); ++i) {
        if (!IsBreak(text_[i])) continue;
        lines.push_back(text_.substr(start, i - start));
        if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text_.size()) lines.push_back(text_.substr(start));
    return lines;
}

int RichEdit::LineCount() const { return static_cast<int>(Lines().size()); }

std::string RichEdit::Line(int index) const {
    const std::vector<std::string> lines = Lines();
    if (index < 0 || index >= static_cast<int>(lines.size())) return {};
    return lines[static_cast<size_t>(index)];
}

void RichEdit::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    SetText(std::move(text));
}

void RichEdit::AddLine(std::string_view line) {
    if (!text_.empty() && !IsBreak(text_.back())) text_ += "\r\n";
    text_ += line;
    text_ += "\r\n";
}

void RichEdit::SetSelStart(int position) {
    caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
}

int RichEdit::CaretLine() const {
    int line = 0;
    for (int i = 0; i < caret_; ++i) {
        const char c = text_[static_cast<size_t>(i)];
        if (c == '\n' || (c == '\r' && (i + 1 >= static_cast<int>(text_.size()) ||
                                        text_[static_cast<size_t>(i) + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

int RichEdit::LineStart(int position) const {
    while (position > 0 && !IsBreak(text_[static_cast<size_t>(position) - 1])) --position;
    return position;
}

int RichEdit::LineEnd(int position) const {
    const int size = static_cast<int>(text_.size());
    while (position < size && !IsBreak(text_[static_cast<size_t>(position)])) ++position;
    return position;
}

// A CR LF pair is one step.
int RichEdit::StepLeft(int position) const {
    if (position <= 0) return 0;
    if (position >= 2 && text_.compare(static_cast<size_t>(position) - 2, 2, "\r\n") == 0) {
        return position - 2;
    }
    return position - 1;
}

int RichEdit::StepRight(int position) const {
    const int size = static_cast<int>(text_.size());
    if (position >= size) return size;
    if (text_.compare(static_cast<size_t>(position), 2, "\r\n") == 0) return position + 2;
    return position + 1;
}

void RichEdit::DefaultKeyDown(int& key, ShiftState shift) {
    switch (key) {
        case vk::Left:
            caret_ = StepLeft(caret_);
            break;
        case vk::Right:
            caret_ = StepRight(caret_);
            break;
        case vk::Home:
            caret_ = LineStart(caret_);
            break;
        case vk::End:
            caret_ = LineEnd(caret_);
            break;
        case vk::Up:
        case vk::Down: {
            const int start = LineStart(caret_);
            const int column = caret_ - start;
            int target = start;
            if (key == vk::Up) {
                if (start == 0) break;
                target = LineStart(StepLeft(start));
            } else {
                const int end = LineEnd(caret_);
                if (end >= static_cast<int>(text_.size())) break;
                target = StepRight(end);
            }
            caret_ = std::min(target + column, LineEnd(target));
            break;
        }
        case vk::Delete:
            if (!ReadOnly && caret_ < static_cast<int>(text_.size())) {
                text_.erase(static_cast<size_t>(caret_),
                            static_cast<size_t>(StepRight(caret_) - caret_));
            }
            break;
        default:
            Control::DefaultKeyDown(key, shift);
            break;
    }
}

void RichEdit::DefaultKeyPress(char& ch) {
    if (ReadOnly) return;
    const auto code = static_cast<unsigned char>(ch);
    if (code == 8) {
        const int from = StepLeft(caret_);
        text_.erase(static_cast<size_t>(from), static_cast<size_t>(caret_ - from));
        caret_ = from;
    } else if (code == 13) {
        text_.insert(static_cast<size_t>(caret_), "\r\n");
        caret_ += 2;
    } else if (code >= 32) {
        text_.insert(static_cast<size_t>(caret_), 1, ch);
        ++caret_;
    }
}

}  // namespace velmora::ui

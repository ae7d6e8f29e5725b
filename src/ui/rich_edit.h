// The multi-line text control: the message area and text window, the page
// text and the instructions. Lines are separated by CR LF.
#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

namespace velmora::ui {

enum class TextAlign { Left, Center };

class RichEdit : public Control {
public:
    explicit RichEdit(std::string name);

    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    void Clear() { SetText({}); }

    std::vector<std::string> Lines() const;
    int LineCount() const;
    std::string Line(int index) const;  // "" beyond the last line
    void SetLines(const std::vector<std::string>& lines);
    void AddLine(std::string_view line);

    // Caret position in characters of Text (a line break counts 2).
    int SelStart() const { return caret_; }
    void SetSelStart(int position);
    int CaretLine() const;
    // Asks the front end to bring the caret's line into view.
    void ScrollCaret() { scrolledTo_ = CaretLine(); }
    int ScrolledToLine() const { return scrolledTo_; }

    bool ReadOnly = false;
    bool WordWrap = true;
    bool ScrollBars = false;
    TextAlign Alignment = TextAlign::Left;
    bool Focusable() const override { return true; }

protected:
    // Arrows, Home and End move the caret; Delete removes a character.
    void DefaultKeyDown(int& key, ShiftState shift) override;
    // Characters go in at the caret, Enter breaks the line, Backspace deletes.
    void DefaultKeyPress(char& ch) override;

private:
    int LineStart(int position) const;
    int LineEnd(int position) const;
    int StepLeft(int position) const;
    int StepRight(int position) const;

    std::string text_;
    int caret_ = 0;
    int scrolledTo_ = 0;
};

}  // namespace velmora::ui

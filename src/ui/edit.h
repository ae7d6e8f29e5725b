// The one-line edit control: text (code page 1251), caret and selection, and
// the default behaviour of an edit for the keys no handler consumed.
#pragma once

#include <string>

#include "ui/control.h"

namespace velmora::ui {

class Edit : public Control {
public:
    explicit Edit(std::string name);

    const std::string& Text() const { return text_; }
    // Puts the caret before the first character, with nothing selected.
    void SetText(std::string text);

    // The caret is SelStart: the start of the selection when there is one.
    int SelStart() const;
    int SelLength() const;
    std::string SelText() const;
    // Clamped to the text; the caret ends at the far end of the selection.
    void SetSel(int start, int length);
    void SelectAll() { SetSel(0, static_cast<int>(text_.size())); }

    bool ReadOnly = false;
    bool Focusable() const override { return true; }

protected:
    // Left, Right, Home, End move the caret (Shift extends the selection);
    // Delete removes the selection or the character after the caret.
    void DefaultKeyDown(int& key, ShiftState shift) override;
    // A typed character replaces the selection; Backspace removes the selection
    // or the character before the caret. Nothing changes while read-only.
    void DefaultKeyPress(char& ch) override;

private:
    void MoveCaret(int to, bool extend);
    void ReplaceSelection(std::string_view with);

    std::string text_;
    int anchor_ = 0;
    int caret_ = 0;
};

}  // namespace velmora::ui

// The main window: it sees every key first (key preview), then hands it to
// the focused control, and keeps the focus.
#pragma once

#include <string>

#include "ui/control.h"

namespace velmora::ui {

class Form : public Control {
public:
    explicit Form(std::string name);
    ~Form() override;

    std::string Caption;  // UTF-8, for the window title
    bool KeyPreview = true;

    Control* ActiveControl() const { return focused_; }
    // Moves the focus to a control of this form that can take it: the old
    // control gets OnExit, the new one OnEnter.
    void Focus(Control* control);
    // Drops the focus when the control, or the branch it heads, goes away.
    void ForgetFocus(Control* control);
    // Tab order: the focusable controls in tree order.
    void SelectNext(bool forward);

    // Events from a front end: key down, the character it types, key up.
    void DeliverKeyDown(int key, ShiftState shift);
    void DeliverKeyPress(char ch);
    void DeliverKeyUp(int key, ShiftState shift);

private:
    Control* focused_ = nullptr;
    int focusDepth_ = 0;
};

}  // namespace velmora::ui

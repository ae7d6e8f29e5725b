#include "ui/form.h"

#include <algorithm>
#include <vector>

namespace velmora::ui {
namespace {

void CollectFocusable(Control* c, std::vector<Control*>& out) {
    if (c->CanFocus()) out.push_back(c);
    for (Control* child : c->Children()) CollectFocusable(child, out);
}

bool IsInBranch(const Control* c, const Control* head) {
    for (; c; c = c->Parent()) {
        if (c == head) return true;
    }
    return false;
}

}  // namespace

Form::Form(std::string name) : Control(std::move(name)) {}

Form::~Form() { focused_ = nullptr; }

void Form::Focus(Control* control) {
    if (control == focused_) return;
    if (control && (control->FindForm() != this || !control->CanFocus())) return;
    // OnExit and OnEnter may move the focus again; a bounded chain is enough.
    if (focusDepth_ > 8) return;
    ++focusDepth_;
    Control* old = focused_;
    focused_ = control;
    if (old) CallHook(old->OnExit);
    if (focused_ == control && control) CallHook(control->OnEnter);
    --focusDepth_;
}

void Form::ForgetFocus(Control* control) {
    if (focused_ && IsInBranch(focused_, control)) focused_ = nullptr;
}

void Form::SelectNext(bool forward) {
    std::vector<Control*> order;
    for (Control* child : Children()) CollectFocusable(child, order);
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), focused_);
    size_t next = 0;
    if (it != order.end()) {
        const size_t at = static_cast<size_t>(it - order.begin());
        next = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    }
    Focus(order[next]);
}

void Form::DeliverKeyDown(int key, ShiftState shift) {
    if (KeyPreview) CallHook(OnKeyDown, key, shift);
    if (key == 0) return;
    if (focused_) focused_->KeyDown(key, shift);
    if (key == vk::Tab && !shift.Ctrl && !shift.Alt) SelectNext(!shift.Shift);
}

void Form::DeliverKeyPress(char ch) {
    if (KeyPreview) CallHook(OnKeyPress, ch);
    if (ch == 0) return;
    if (focused_) focused_->KeyPress(ch);
}

void Form::DeliverKeyUp(int key, ShiftState shift) {
    if (KeyPreview) CallHook(OnKeyUp, key, shift);
    if (key == 0) return;
    if (focused_) focused_->KeyUp(key, shift);
}

}  // namespace velmora::ui

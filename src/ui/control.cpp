#include "ui/control.h"

#include <algorithm>

#include "ui/form.h"

namespace velmora::ui {

Control::Control(std::string name) : name_(std::move(name)) {}

Control::~Control() {
    if (Form* form = FindForm()) form->ForgetFocus(this);
    for (Control* child : children_) child->parent_ = nullptr;
    children_.clear();
    // The parent may be half destroyed itself; it is not laid out again.
    Detach(false);
}

void Control::Detach(bool realign) {
    if (!parent_) return;
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    Control* old = parent_;
    parent_ = nullptr;
    if (realign) old->Realign();
}

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    for (Control* p = parent; p; p = p->parent_) {
        if (p == this) return;  // a control cannot hold its own ancestor
    }
    if (Form* form = FindForm()) form->ForgetFocus(this);
    Detach(true);
    parent_ = parent;
    if (parent_) {
        parent_->children_.push_back(this);
        parent_->Realign();
    }
}

Form* Control::FindForm() {
    Control* root = this;
    while (root->parent_) root = root->parent_;
    return dynamic_cast<Form*>(root);
}

void Control::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const Rect next{left, top, left + width, top + height};
    if (next == bounds_) return;
    const int dw = width - bounds_.Width();
    const int dh = height - bounds_.Height();
    bounds_ = next;
    if (dw != 0 || dh != 0) {
        for (Control* child : children_) child->FollowParentResize(dw, dh);
        Realign();
        CallHook(OnResize);
        // An aligned control that grows or shrinks moves its neighbours (and
        // itself: a bottom-aligned one keeps to the bottom).
        Changed();
    }
}

void Control::FollowParentResize(int dw, int dh) {
    if (align_ != Align::None) return;
    int left = Left(), top = Top(), width = Width(), height = Height();
    if (Anchoring.Right) {
        if (Anchoring.Left) {
            width += dw;
        } else {
            left += dw;
        }
    }
    if (Anchoring.Bottom) {
        if (Anchoring.Top) {
            height += dh;
        } else {
            top += dh;
        }
    }
    SetBounds(left, top, width, height);
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (!visible_) {
        if (Form* form = FindForm()) form->ForgetFocus(this);
    }
    Changed();
}

bool Control::Showing() const {
    for (const Control* c = this; c; c = c->parent_) {
        if (!c->visible_) return false;
    }
    return true;
}

void Control::SetAlign(Align align) {
    if (align == align_) return;
    align_ = align;
    Changed();
}

void Control::Changed() {
    if (parent_ && align_ != Align::None) parent_->Realign();
}

void Control::Realign() {
    if (realigning_) return;
    realigning_ = true;
    Rect room{0, 0, ClientWidth(), ClientHeight()};
    for (Control* c : children_) {
        if (!c->visible_) continue;
        switch (c->align_) {
            case Align::Top:
                c->SetBounds(room.Left, room.Top, room.Width(), c->Height());
                room.Top = std::min(room.Top + c->Height(), room.Bottom);
                break;
            case Align::Bottom:
                c->SetBounds(room.Left, room.Bottom - c->Height(), room.Width(), c->Height());
                room.Bottom = std::max(room.Bottom - c->Height(), room.Top);
                break;
            case Align::Left:
                c->SetBounds(room.Left, room.Top, c->Width(), room.Height());
                room.Left = std::min(room.Left + c->Width(), room.Right);
                break;
            case Align::Right:
                c->SetBounds(room.Right - c->Width(), room.Top, c->Width(), room.Height());
                room.Right = std::max(room.Right - c->Width(), room.Left);
                break;
            default:
                break;
        }
    }
    for (Control* c : children_) {
        if (c->visible_ && c->align_ == Align::Client) {
            c->SetBounds(room.Left, room.Top, room.Width(), room.Height());
        }
    }
    realigning_ = false;
}

bool Control::Focused() const {
    const Control* root = this;
    while (root->parent_) root = root->parent_;
    const auto* form = dynamic_cast<const Form*>(root);
    return form && form->ActiveControl() == this;
}

bool Control::CanFocus() const {
    if (!Focusable()) return false;
    for (const Control* c = this; c; c = c->parent_) {
        if (!c->visible_ || !c->Enabled) return false;
    }
    return true;
}

void Control::SetFocus() {
    if (Form* form = FindForm()) form->Focus(this);
}

void Control::KeyDown(int& key, ShiftState shift) {
    CallHook(OnKeyDown, key, shift);
    if (key != 0) DefaultKeyDown(key, shift);
}

void Control::KeyPress(char& ch) {
    CallHook(OnKeyPress, ch);
    if (ch != 0) DefaultKeyPress(ch);
}

void Control::KeyUp(int& key, ShiftState shift) {
    CallHook(OnKeyUp, key, shift);
    if (key != 0) DefaultKeyUp(key, shift);
}

void Control::ContextPopup() {
    bool handled = false;
    CallHook(OnContextPopup, handled);
}

void Control::ClearEvents() {
    OnKeyDown = nullptr;
    OnKeyPress = nullptr;
    OnKeyUp = nullptr;
    OnContextPopup = nullptr;
    EventOwner = nullptr;
}

void Control::DefaultKeyDown(int& key, ShiftState shift) {
    if (key == vk::F10 && shift.Shift) ContextPopup();
}

void Control::DefaultKeyPress(char&) {}

void Control::DefaultKeyUp(int& key, ShiftState) {
    if (key == vk::Apps) ContextPopup();
}

}  // namespace velmora::ui

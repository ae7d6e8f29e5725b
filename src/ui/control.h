// The window's component model without any drawing: a tree of controls with
// bounds, alignment, visibility, fonts and key events. A front end draws it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/geometry.h"
#include "ui/keys.h"

namespace velmora::ui {

class Form;

enum class Align { None, Top, Bottom, Left, Right, Client };

// Which edges of the parent a control keeps its distance to when the parent resizes.
struct Anchors {
    bool Left = true;
    bool Top = true;
    bool Right = false;
    bool Bottom = false;
};

class Control {
public:
    explicit Control(std::string name);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }

    // The tree does not own: whoever creates a control keeps it, and a control
    // leaves the tree when it is destroyed.
    Control* Parent() const { return parent_; }
    void SetParent(Control* parent);
    const std::vector<Control*>& Children() const { return children_; }
    Form* FindForm();

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    int ClientWidth() const { return Width(); }
    int ClientHeight() const { return Height(); }
    const Rect& Bounds() const { return bounds_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible itself and every parent visible.
    bool Showing() const;

    Align GetAlign() const { return align_; }
    void SetAlign(Align align);
    Anchors Anchoring;

    FontInfo Font;
    Colour Color = kBlack;
    bool Enabled = true;

    // Places the aligned children in the client area, in the order they were added.
    void Realign();

    bool Focused() const;
    bool CanFocus() const;
    void SetFocus();
    virtual bool Focusable() const { return false; }

    // Key events reach the hooks first, then the control's default behaviour
    // unless a hook consumed the key (set it to zero).
    void KeyDown(int& key, ShiftState shift);
    void KeyPress(char& ch);
    void KeyUp(int& key, ShiftState shift);
    // The context-menu key or Shift+F10.
    void ContextPopup();

    std::function<void(int& key, ShiftState shift)> OnKeyDown;
    std::function<void(char& ch)> OnKeyPress;
    std::function<void(int& key, ShiftState shift)> OnKeyUp;
    std::function<void(bool& handled)> OnContextPopup;
    std::function<void()> OnEnter;  // got the focus
    std::function<void()> OnExit;   // lost the focus
    std::function<void()> OnResize;

    // Who installed the key hooks, so that it can take them away again.
    const void* EventOwner = nullptr;
    virtual void ClearEvents();

protected:
    virtual void DefaultKeyDown(int& key, ShiftState shift);
    virtual void DefaultKeyPress(char& ch);
    virtual void DefaultKeyUp(int& key, ShiftState shift);
    void Changed();  // the parent may have to realign

private:
    void Detach(bool realign);
    void FollowParentResize(int dw, int dh);

    std::string name_;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    Rect bounds_;
    bool visible_ = true;
    Align align_ = Align::None;
    bool realigning_ = false;
};

// Calls a hook through a copy, so that the hook may replace itself.
template <typename Hook, typename... Args>
void CallHook(const Hook& hook, Args&&... args) {
    if (!hook) return;
    Hook copy = hook;
    copy(std::forward<Args>(args)...);
}

}  // namespace velmora::ui

// TSpLine: the spoken edit line, base of every line of the toolkit. It shows
// its text in the shared edit, speaks each character typed, deleted or passed
// over, and hands its final text to a completion when it closes.
#pragma once

#include <memory>
#include <string>

#include "talkui/toolkit.h"
#include "ui/keys.h"
#include "ui/panel.h"

namespace velmora::talkui {

class TMenuLine;
struct TMenuBlock;

class TSpLine {
public:
    // A slot is the address of a variable or null. Null: the line makes its
    // own object; an empty variable: the line makes the object and stores it
    // there; otherwise the line uses the variable's object. Lines given the
    // shell's variables thus share one edit and one settings record.
    TSpLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
            std::shared_ptr<TSpLinePropBag>* settingsSlot);
    virtual ~TSpLine();
    TSpLine(const TSpLine&) = delete;
    TSpLine& operator=(const TSpLine&) = delete;

    virtual void Show(bool speak);
    virtual void Hide(bool hideControls);
    virtual void HookEvents();
    virtual void KeyDown(int& key, ui::ShiftState shift);
    virtual void KeyPress(char& ch);
    virtual void KeyUp(int& key, ui::ShiftState shift);
    virtual void Reset();
    virtual void Layout();
    // True when the line performed the command.
    virtual bool Command(int code);
    virtual void Accept();
    virtual void Enter(char ch);
    virtual void ContextMenu();
    virtual void Help();

    Toolkit& Kit() const { return kit_; }

    std::shared_ptr<TSpLinePropBag> Settings;
    CompletionFn Completion;
    TSpLine* Parent = nullptr;  // the line active when this one was opened
    std::shared_ptr<ui::Edit> Edit;
    std::string Text;
    ui::Panel& Owner;
    bool EditShown = false;
    bool KeyHeld = false;  // a key went down and has not come up: it acts once
    std::string Title;

protected:
    void SpeakCharName(char c) const;
    // The menu line that shows this line's context block, made once and reused.
    TMenuLine& ContextLine();
    void OpenContext(const std::string& announcement, TMenuBlock& block);
    // The list box a context menu shares; an empty pointer lets it make its own.
    virtual std::shared_ptr<ui::ListBox> SharedList() const { return kit_.List; }

private:
    Toolkit& kit_;
    std::unique_ptr<TMenuLine> context_;
};

// Shows the line with its text; the completion gets the text when it closes.
void OpenLine(TSpLine& line, std::string text, CompletionFn completion);
// Closes the line: its parent shows again, or the edit hides with cue 3.
void CloseLine(TSpLine& line);

// Makes the shared object a slot designates, as the slot rules say.
template <typename T, typename Make>
std::shared_ptr<T> TakeSlot(std::shared_ptr<T>* slot, Make make) {
    if (slot && *slot) return *slot;
    std::shared_ptr<T> made = make();
    if (slot) *slot = made;
    return made;
}

}  // namespace velmora::talkui

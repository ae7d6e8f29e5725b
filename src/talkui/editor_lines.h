// The value editors a menu opens through EditorHook: one line of each kind,
// made on first use on the host panel with the toolkit's shared edit, list
// box and settings, and reused afterwards. The shell installs it.
#pragma once

#include <memory>
#include <string>

#include "talkui/file_line.h"
#include "talkui/list_line.h"
#include "talkui/sp_line.h"

namespace velmora::talkui {

class EditorLines {
public:
    EditorLines(Toolkit& kit, ui::Panel& owner) : kit_(kit), owner_(owner) {}

    // Makes Open the toolkit's EditorHook.
    void Install();
    // 'd' numbers and 's' text in the edit line, 'f' the file navigator on the
    // path, 'l' a list; the editor is a child of the active line and has the focus.
    void Open(char kind, const std::string& title, const std::string& text, CompletionFn completion);

    TSpLine* TextLine() const { return text_.get(); }
    TFileLine* FileLine() const { return file_.get(); }
    TListLine* ListLine() const { return list_.get(); }

private:
    Toolkit& kit_;
    ui::Panel& owner_;
    std::unique_ptr<TSpLine> text_;
    std::unique_ptr<TFileLine> file_;
    std::unique_ptr<TListLine> list_;
};

}  // namespace velmora::talkui

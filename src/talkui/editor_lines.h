// The value editor a menu opens through EditorHook: the file navigator for a
// path ('f'), made on first use on the host panel with the toolkit's shared
// edit, list box and settings, and reused afterwards. The shell installs it.
#pragma once

#include <memory>
#include <string>

#include "talkui/file_line.h"

namespace velmora::talkui {

class EditorLines {
public:
    EditorLines(Toolkit& kit, ui::Panel& owner) : kit_(kit), owner_(owner) {}

    // Makes Open the toolkit's EditorHook.
    void Install();
    // 'f' opens the file navigator on the path as a child of the active line,
    // with the focus; any other kind has no editor and is refused with a cue.
    void Open(char kind, const std::string& title, const std::string& text, CompletionFn completion);

    TFileLine* FileLine() const { return file_.get(); }

private:
    Toolkit& kit_;
    ui::Panel& owner_;
    std::unique_ptr<TFileLine> file_;
};

}  // namespace velmora::talkui

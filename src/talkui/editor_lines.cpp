#include "talkui/editor_lines.h"

namespace velmora::talkui {

void EditorLines::Install() {
    kit_.EditorHook = [this](char kind, const std::string& title, const std::string& text,
                             CompletionFn completion) { Open(kind, title, text, std::move(completion)); };
}

void EditorLines::Open(char kind, const std::string& title, const std::string& text,
                       CompletionFn completion) {
    if (kind != 'f') {
        kit_.Signal(kCueBoundary);  // no editor of that kind
        return;
    }
    if (!file_) file_ = std::make_unique<TFileLine>(kit_, owner_, &kit_.Edit, &kit_.List, &kit_.Settings);
    file_->Reset();
    file_->Parent = kit_.ActiveLine;
    file_->Title = title;
    file_->OpenOn(text, std::move(completion));
    file_->Edit->SetFocus();
}

}  // namespace velmora::talkui

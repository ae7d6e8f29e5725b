#include "talkui/editor_lines.h"

namespace velmora::talkui {

void EditorLines::Install() {
    kit_.EditorHook = [this](char kind, const std::string& title, const std::string& text,
                             CompletionFn completion) { Open(kind, title, text, std::move(completion)); };
}

void EditorLines::Open(char kind, const std::string& title, const std::string& text,
                       CompletionFn completion) {
    TSpLine* parent = kit_.ActiveLine;
    TSpLine* opened = nullptr;
    switch (kind) {
        case 'd':
        case 's':
            if (!text_) text_ = std::make_unique<TSpLine>(kit_, owner_, &kit_.Edit, &kit_.Settings);
            text_->Reset();
            text_->Parent = parent;
            text_->Title = title;
            text_->NumericOnly = kind == 'd';
            OpenLine(*text_, text, std::move(completion));
            opened = text_.get();
            break;
        case 'f':
            if (!file_) {
                file_ = std::make_unique<TFileLine>(kit_, owner_, &kit_.Edit, &kit_.List, &kit_.Settings);
            }
            file_->Reset();
            file_->Parent = parent;
            file_->Title = title;
            file_->OpenOn(text, std::move(completion));
            opened = file_.get();
            break;
        case 'l':
            if (!list_) {
                list_ = std::make_unique<TListLine>(kit_, owner_, &kit_.Edit, &kit_.List, &kit_.Settings);
            }
            list_->Reset();
            list_->Layout();
            list_->Parent = parent;
            list_->Title = title;
            OpenLine(*list_, text, std::move(completion));
            opened = list_.get();
            break;
        default:
            kit_.Signal(kCueBoundary);  // no editor of that kind
            return;
    }
    opened->Edit->SetFocus();
}

}  // namespace velmora::talkui

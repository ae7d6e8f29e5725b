// The menu mirror: what the player can act on now, for a front end that
// shows it as elements of its own (the web page's list a screen reader, or a
// touch screen, moves through), and choosing one of its entries by place.
#include "shell/form1.h"

namespace velmora::shell {

talkui::TListLine* TForm1::ShowingList() const {
    auto* line = dynamic_cast<talkui::TListLine*>(kit_.ActiveLine);
    if (line == nullptr || line->List != kit_.List || !kit_.List->Showing()) return nullptr;
    return line;
}

MenuMirror TForm1::Mirror() const {
    using K = MenuMirror::Kind;
    MenuMirror m;
    if (mode_ == Mode::Question) {
        m.kind = K::Menu;
        m.title = RichEdit2.Text();
        m.entries = StartQuestion::Answers();
        return m;
    }
    if (session_.rules->InWait()) {
        m.kind = K::Wait;
        if (View() == vmPage) m.title = PageText();
        return m;
    }
    switch (View()) {
        case vmPicture:
            m.kind = K::Menu;
            m.title = picture_.Title();
            m.entries = picture_.lines;
            m.active = picture_.Cursor();
            break;
        case vmGame:
            if (talkui::TListLine* line = ShowingList()) {
                m.kind = K::Menu;
                if (line == menu_.get() && menu_->CurrentBlock && menu_->CurrentBlock->Title) {
                    m.title = *menu_->CurrentBlock->Title;
                }
                for (int row = 0; row < line->List->Count(); ++row) m.entries.push_back(line->RowText(row));
                m.active = line->ValidRow(line->Current) ? line->Current : -1;
            } else if (kit_.ActiveLine != nullptr && kit_.Edit->Showing()) {
                m.kind = K::Edit;
                m.title = kit_.Edit->Text();
            }
            break;
        case vmReading:
            m.kind = K::Reading;
            m.entries = RichEdit2.Lines();
            m.active = reader_->ReadingPos();
            break;
        case vmPage:
            break;
    }
    return m;
}

// As a double click on the row: the entry is said, then chosen, as Enter
// chooses it (the player who touched it may not have heard it said).
void TForm1::ChooseRow(int row) {
    if (mode_ == Mode::Question) {
        if (row == 0 || row == 1) question_.Answer(row == 0);
        return;
    }
    if (View() == vmPicture) {
        picture_.Choose(row);
    } else if (View() == vmGame) {
        talkui::TListLine* line = ShowingList();
        if (line == nullptr || !line->ValidRow(row)) return;
        session_.rules->ActionStarts();
        line->DoubleClick(row);
    }
}

}  // namespace velmora::shell

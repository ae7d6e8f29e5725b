#include "talkui/list_line.h"

#include <algorithm>

#include "base/cp1251.h"
#include "talkui/flag_scope.h"
#include "talkui/keyboard_layouts.h"
#include "talkui/prop_bag.h"
#include "talkui/texts.h"

namespace velmora::talkui {
namespace {

ui::ListStyle StyleFor(int listStyle) {
    if (listStyle >= 3) return ui::ListStyle::OwnerDrawVariable;
    if (listStyle == 2) return ui::ListStyle::OwnerDrawFixed;
    return ui::ListStyle::Standard;
}

}  // namespace

TListLine::TListLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
                     std::shared_ptr<ui::ListBox>* listSlot,
                     std::shared_ptr<TSpLinePropBag>* settingsSlot)
    : TSpLine(kit, owner, editSlot, settingsSlot) {
    List = TakeSlot(listSlot, [&] {
        auto list = std::make_shared<ui::ListBox>("ListBox");
        list->SetParent(&owner);
        return list;
    });
    List->SetVisible(false);
    List->Font.Name = "Arial Black";
    List->Font.Charset = ui::kRussianCharset;
    List->Font.Color = ui::kLime;
    List->Font.Size = 12;
    List->Color = ui::kBlack;
    List->Style = StyleFor(Settings->ListStyle);
    TListLine::Reset();
    TListLine::HookEvents();
}

TListLine::~TListLine() {
    if (List->EventOwner == this) List->ClearEvents();
}

void TListLine::Show(bool speak) {
    TSpLine::Show(speak);
    if (!ListShown && Settings->ListStyle != 0) {
        List->SetVisible(true);
        Owner.Notify(2);
        ListShown = true;
    } else if (Settings->ListStyle != 0) {
        List->SetVisible(true);  // a context menu of an edit line may have hidden it
    }
    if (Settings->ListStyle >= 3) ApplyRowHeights();
    if (speak) Filter(Current, 0);
}

void TListLine::Hide(bool hideControls) {
    ListShown = false;
    if (hideControls) List->SetVisible(false);
    TSpLine::Hide(hideControls);
}

void TListLine::HookEvents() {
    TSpLine::HookEvents();
    List->OnKeyDown = [this](int& key, ui::ShiftState shift) { KeyDown(key, shift); };
    List->OnKeyPress = [this](char& ch) { KeyPress(ch); };
    List->OnKeyUp = [this](int& key, ui::ShiftState shift) { KeyUp(key, shift); };
    List->OnContextPopup = [this](bool& handled) {
        ContextMenu();
        handled = true;
    };
    List->OnDrawItem = [this](int row, ui::Rect box, bool selected) {
        return DrawItem(row, box, selected);
    };
    List->OnClick = [this] { Click(List->ItemIndex()); };
    List->OnDblClick = [this] { DoubleClick(List->ItemIndex()); };
    List->EventOwner = this;
}

void TListLine::KeyDown(int& key, ui::ShiftState shift) {
    if (Kit().KeyLock) {
        key = 0;
        return;
    }
    // Typed characters never go into the edit of a list.
    Edit->ReadOnly = false;
    ListKeyDown(key, shift);
    if (Kit().ActiveLine == this) Edit->ReadOnly = true;
}

void TListLine::ListKeyDown(int& key, ui::ShiftState shift) {
    const int count = List->Count();
    const int page = RowHeight > 0 ? std::max(List->Height() / RowHeight, 1) : 1;
    switch (key) {
        case ui::vk::Down:
            MoveBy(1);
            break;
        case ui::vk::Up:
            MoveBy(-1);
            break;
        case ui::vk::Next:
            MoveBy(page);
            break;
        case ui::vk::Prior:
            MoveBy(-page);
            break;
        case ui::vk::End:
            Current = count - 1;
            SelectCurrent(true);
            break;
        case ui::vk::Home:
            Current = count > 0 ? 0 : -1;
            SelectCurrent(true);
            break;
        case ui::vk::Delete:
            if (shift.Ctrl) {
                RunHandler();
            } else {
                ClearSearchAloud();
            }
            break;
        default:
            TSpLine::KeyDown(key, shift);
            return;
    }
    key = 0;
}

// Past either end the cursor stays on the end row, with cue 13, and says it again.
void TListLine::MoveBy(int rows) {
    const int count = List->Count();
    int target = Current + rows;
    if (target > count - 1) {
        target = count - 1;
        Kit().Signal(kCueBoundary);
    } else if (target < 0) {
        target = count > 0 ? 0 : -1;
        Kit().Signal(kCueBoundary);
    }
    Current = target;
    SelectCurrent(true);
}

void TListLine::KeyPress(char& ch) {
    if (Kit().KeyLock || KeyHeld) {
        ch = 0;
        return;
    }
    const auto code = static_cast<unsigned char>(ch);
    if (code > 32) {
        const char typed = ch;
        ch = 0;
        Search += typed;
        if (base::IsCapital1251(typed)) Kit().Signal(kCueCapital);
        Filter(0, typed);
    } else if (code == 8) {
        ch = 0;
        KeyHeld = true;
        if (!Search.empty()) {
            Search.pop_back();
            Filter(Found, 0);
        } else {
            Back();
        }
    } else {
        TSpLine::KeyPress(ch);
    }
}

void TListLine::KeyUp(int& key, ui::ShiftState shift) {
    if (Kit().KeyLock) {
        key = 0;
        return;
    }
    if (key == ui::vk::Home || key == ui::vk::End) {
        KeyHeld = false;
        Kit().Signal(kCueBoundary);
        return;
    }
    TSpLine::KeyUp(key, shift);
}

void TListLine::Reset() {
    TSpLine::Reset();
    Prefix.clear();
    Search.clear();
}

void TListLine::Layout() {
    TSpLine::Layout();
    List->SetBounds(0, 0, Owner.Width(), std::max(Owner.ClientHeight() - Edit->Height(), 0));
    List->Font.Size = Settings->FontSize;
    ui::FontInfo font = List->Font;
    font.Size = Settings->FontSize + 20;
    CursorRowHeight = Kit().Measure->TextHeight(font, "1");
    font.Size = Settings->FontSize;
    RowHeight = Kit().Measure->TextHeight(font, "1");
    List->ItemHeight = RowHeight;
    List->Style = StyleFor(Settings->ListStyle);
}

void TListLine::Accept() {
    Found = Captions.IndexOf(Edit->Text());
    // A plain edit line has no list to show.
    if (Parent && !dynamic_cast<TListLine*>(Parent)) List->SetVisible(false);
    CloseLine(*this);
}

void TListLine::Enter(char ch) {
    Chosen = ValidRow(Current) ? Captions.IndexOf(RowText(Current)) : -1;
    TSpLine::Enter(ch);
}

void TListLine::ContextMenu() { Kit().Tone(300, 100); }

void TListLine::SelectCurrent(bool speak) {
    if (SelectGuard || !ValidRow(Current)) return;
    FlagScope guard(SelectGuard);
    MoveSelection();
    if (Settings->ListStyle >= 3) ApplyRowHeights();
    const std::string row = RowText(Current);
    Edit->SetText(Prefix + row);
    // What is already typed stays unselected.
    const int start = static_cast<int>(Prefix.size() + Search.size());
    Edit->SetSel(start, static_cast<int>(Edit->Text().size()) - start);
    if (speak) {
        std::string said = row;
        Describe(said);
        heard_ = row;
        Kit().Speak(said);
    }
}

int TListLine::HeardRow() const {
    for (int row = 0; heard_ && row < List->Count(); ++row) {
        if (RowText(row) == *heard_) return row;
    }
    return -1;
}

// All rows again. The cursor goes to the row last heard rather than the last
// match, which was perhaps never spoken, and the player hears what happened.
void TListLine::ClearSearchAloud() {
    Search.clear();
    FillRows();
    Current = HeardRow();
    MoveSelection();
    Repaint();
    SelectCurrent(false);
    Kit().Speak(Texts().SearchCleared);
}

std::optional<ui::ItemPaint> TListLine::DrawItem(int row, ui::Rect box, bool selected) {
    return PaintRow(row, box, selected, std::nullopt);
}

std::optional<ui::ItemPaint> TListLine::PaintRow(int row, ui::Rect box, bool selected,
                                                 std::optional<ui::Colour> textColour) {
    if (NoRepaint || !ValidRow(row)) return std::nullopt;
    const TSpLinePropBag& s = *Settings;
    int size = List->Font.Size;
    ui::ItemPaint paint{box, s.Back, {}};
    ui::Colour text = textColour.value_or(s.File);
    if (selected) {
        if (s.ListStyle > 2) size = s.FontSize + 10;
        text = textColour.value_or(s.CursorFont);
        paint.Background = s.Cursor;
    } else if (s.ListStyle > 2) {
        size = s.FontSize;
    }
    paint.Runs.push_back({RowText(row), box, text, size});
    return paint;
}

void TListLine::EmptySearchCue() { Kit().Signal(kCueBoundary); }

void TListLine::Back() { Kit().Signal(kCueBoundary); }

void TListLine::Describe(std::string&) {}

void TListLine::RunHandler() {}

void TListLine::Filter(int requested, char) {
    // Each failed round drops the last typed character, so this ends at the
    // latest when nothing is typed any more.
    bool failed = false;
    for (;;) {
        List->Clear();
        if (Search.empty()) {
            // Letters that matched nothing leave the cursor on the row the
            // player last heard, or on none: never on a row unheard.
            ShowAllRows(requested, failed);
            EmptySearchCue();
            return;
        }
        std::string needle = base::LowerText1251(Search);
        const std::optional<char> alt = OtherLayoutKey(needle.back());
        bool retried = false;
        for (;;) {
            for (int i = 0; i < Captions.Count(); ++i) {
                if (base::LowerText1251(Captions[i].Text).starts_with(needle)) {
                    List->Add(Captions[i].Text, Captions[i].Object);
                    Found = i;
                }
            }
            if (List->Count() > 0) {
                Current = ValidRow(requested) ? requested : 0;
                MoveSelection();
                Repaint();
                SelectCurrent(true);
                if (List->Count() == 1) Kit().Signal(kCueOneMatch);
                return;
            }
            if (retried || !alt) break;
            retried = true;
            needle.back() = *alt;
            Search.back() = *alt;
        }
        Kit().Signal(kCueNoMatch);
        Search.pop_back();
        failed = true;
    }
}

void TListLine::ShowAllRows(int requested, bool toHeard) {
    List->Clear();
    ResetFilter();
    Current = toHeard ? HeardRow() : ValidRow(requested) ? requested : -1;
    MoveSelection();
    Repaint();
    SelectCurrent(false);
}

void TListLine::ResetFilter() {
    FillRows();
    Search.clear();
    Current = -1;
    Found = -1;
}

void TListLine::ApplyRowHeights() {
    if (RowHeight <= 0) return;
    const int top = List->TopIndex();
    const int end = std::min(top + List->Height() / RowHeight, List->Count());
    for (int i = top; i < end; ++i) {
        List->SetItemHeightAt(i, i == Current ? CursorRowHeight : RowHeight);
    }
    Repaint();
}

void TListLine::Click(int row) {
    ClickPending = true;
    // About the double-click time, with events handled meanwhile.
    Kit().Wait(199);
    if (!ClickPending) return;
    ClickPending = false;
    if (Kit().ActiveLine != this || !ValidRow(row)) return;
    Current = row;
    SelectCurrent(true);
}

void TListLine::DoubleClick(int row) {
    ClickPending = false;
    if (!ValidRow(row)) return;
    Current = row;
    SelectCurrent(true);
    KeyHeld = false;
    char enter = '\r';
    KeyPress(enter);
    // No key is down after a mouse click.
    KeyHeld = false;
}

void TListLine::FillRows() {
    List->Clear();
    for (const StringList::Item& item : Captions.Items()) List->Add(item.Text, item.Object);
}

void TListLine::MoveSelection() { List->SetItemIndex(ValidRow(Current) ? Current : -1); }

void TListLine::Repaint() { List->Invalidate(); }

}  // namespace velmora::talkui

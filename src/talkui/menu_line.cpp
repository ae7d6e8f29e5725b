#include "talkui/menu_line.h"

#include <algorithm>

#include "talkui/prop_bag.h"
#include "talkui/texts.h"

namespace velmora::talkui {
namespace {

std::string ValueString(const TMenuEntry& entry) {
    return entry.TextValue ? *entry.TextValue : std::string();
}

int32_t IntOf(const TMenuEntry& entry) { return entry.IntValue ? *entry.IntValue : 0; }

}  // namespace

TMenuLine::TMenuLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
                     std::shared_ptr<ui::ListBox>* listSlot,
                     std::shared_ptr<TSpLinePropBag>* settingsSlot)
    : TListLine(kit, owner, editSlot, listSlot, settingsSlot) {
    Captions.SetSorted(false);
}

TMenuEntry* TMenuLine::RowEntry(int row) const {
    const int32_t object = RowObject(row);
    if (!CurrentBlock || object < 0 || object >= CurrentBlock->EntryCount()) return nullptr;
    return &CurrentBlock->Entries[static_cast<size_t>(object)];
}

void TMenuLine::OpenBlock(TMenuBlock& block) {
    Captions.SetSorted(false);
    Current = -1;
    Depth = 1;
    // Shown at the top, whatever it was entered from before.
    block.Parent = nullptr;
    LoadBlock(block);
    Prefix.clear();
    Handler = nullptr;
    SelectCurrent(true);
    NoRepaint = false;
    Repaint();
    OpenLine(*this, {}, nullptr);
}

void TMenuLine::LoadBlock(TMenuBlock& block) {
    const int32_t remembered = Current;
    ForgetHeard();
    Captions.Clear();
    List->Clear();
    block.Number = 0;
    const int count = block.EntryCount();
    for (int i = 0; i < count; ++i) {
        TMenuEntry& entry = block.Entries[static_cast<size_t>(i)];
        ++block.Number;
        std::string text = *entry.Caption;
        if ((entry.Flags & efCaptionHook) && entry.CaptionHook) {
            const CaptionHookFn hook = entry.CaptionHook;
            hook(*this, entry, text);
        }
        Captions.Add(std::move(text), i);
    }
    ResetFilter();
    CurrentBlock = &block;
    HoldPath();
    block.Count = count;
    Current = remembered < count ? remembered : -1;
    if (Current >= 0) MoveSelection();
    ChoiceMode = false;
}

void TMenuLine::HoldPath() {
    std::vector<std::shared_ptr<TMenuBlock>> held;
    std::vector<const TMenuBlock*> seen;
    // Parents are set as blocks are entered, so a table that links back to an
    // ancestor can make the chain a loop: each block is visited once.
    for (TMenuBlock* b = CurrentBlock; b != nullptr; b = b->Parent) {
        if (std::find(seen.begin(), seen.end(), b) != seen.end()) break;
        seen.push_back(b);
        if (auto shared = b->Shared()) held.push_back(std::move(shared));
    }
    held_ = std::move(held);
}

void TMenuLine::RecordPath() {
    if (Depth >= 1 && Depth <= static_cast<int>(Path.size())) {
        Path[static_cast<size_t>(Depth - 1)] = static_cast<uint8_t>(Current & 0xFF);
    }
}

void TMenuLine::Describe(std::string& text) {
    RecordPath();
    TMenuEntry* entry = ChoiceMode ? nullptr : RowEntry(Current);
    if (!entry) return;
    const ToolkitTexts& t = Texts();
    const std::string description = t.Dot + entry->Description.value_or(std::string());
    switch (entry->Type) {
        case etSubmenu:
        case etCommand:
            text += description;
            break;
        case etSwitch:
            text += IntOf(*entry) != 0 ? t.YesSuffix : t.NoSuffix;
            text += description;
            break;
        case etValue: {
            const std::string value = ValueString(*entry);
            text += t.Value;
            text += value.empty() ? t.EmptyString : value;
            text += t.InputLine;
            if (!entry->Aux.empty() && entry->Aux[0] == 'f') text += t.FilePaths;
            text += description;
            break;
        }
        case etChoice:
            if (const std::string* choice = entry->ChoiceAt(IntOf(*entry))) text += t.Value + *choice;
            text += description;
            break;
        case etAction:
            if (!entry->Aux.empty()) text += t.KeyWord + entry->Aux;
            text += description;
            break;
        default:
            break;
    }
}

bool TMenuLine::HandlerStops(HandlerArg::Kind kind) {
    if (!Handler) return false;
    const MenuHandler handler = Handler;
    const MenuResult result = handler(*this, HandlerArg{kind});
    return result == MenuResult::Stop;
}

void TMenuLine::Back() {
    if (ChoiceMode) {
        if (SavedCaptions) Captions = *SavedCaptions;
        FillRows();
        Current = CurrentBlock ? CurrentBlock->SavedIndex : 0;
        if (!ValidRow(Current)) Current = 0;
        // Off before the entry is said, so that it is said with the value
        // just chosen ("Скорость речи значение 70").
        ChoiceMode = false;
        SelectCurrent(true);
        return;
    }
    if (CurrentBlock && CurrentBlock == HandlerData && HandlerStops(HandlerArg::Back)) return;
    if (!CurrentBlock || !CurrentBlock->Parent) {
        // A menu opened from another line (a context menu) closes back to it;
        // the top of the game's menu only refuses.
        if (Parent) {
            Accept();
        } else {
            Kit().Signal(kCueBoundary);
        }
        return;
    }
    NoRepaint = true;
    TMenuBlock* parent = CurrentBlock->Parent;
    Current = parent->SavedIndex;
    --Depth;
    LoadBlock(*parent);
    const size_t cut = Prefix.size() >= 2 ? Prefix.rfind('\\', Prefix.size() - 2) : std::string::npos;
    Prefix = cut == std::string::npos ? std::string() : Prefix.substr(0, cut + 1);
    SelectCurrent(true);
    NoRepaint = false;
    Repaint();
}

void TMenuLine::Help() {
    if (TMenuEntry* entry = ChoiceMode ? nullptr : RowEntry(Current)) {
        Kit().ChosenEntry = entry;
        Kit().Speak(entry->Description.value_or(std::string()));
        return;
    }
    if (!CurrentBlock) return;
    if (CurrentBlock->Title) Kit().Speak(*CurrentBlock->Title);
}

void TMenuLine::KeyDown(int& key, ui::ShiftState shift) {
    if (key == ui::vk::F1) {
        key = 0;
        Help();
        return;
    }
    TListLine::KeyDown(key, shift);
}

void TMenuLine::KeyPress(char& ch) {
    if (ch != 27) {
        TListLine::KeyPress(ch);
        return;
    }
    // Holding Escape goes back once (a key up under the key lock clears nothing).
    if (KeyHeld) {
        ch = 0;
        return;
    }
    if (!Kit().KeyLock) KeyHeld = true;
    if (HandlerStops(HandlerArg::Escape)) return;
    ch = 0;
    // Escape leaves at once, letters typed or not: emptying them first, it
    // only said the row again and the list stayed. At the top, with nothing
    // to leave, the letters are emptied aloud.
    const bool top = !ChoiceMode && !Parent && (!CurrentBlock || !CurrentBlock->Parent);
    if (!Search.empty() && top) {
        ClearSearchAloud();
        return;
    }
    Search.clear();
    Back();
}

void TMenuLine::KeyUp(int& key, ui::ShiftState shift) {
    if (key == ui::vk::Space) Choose(' ');
    TListLine::KeyUp(key, shift);
}

void TMenuLine::Enter(char ch) { Choose(ch); }

void TMenuLine::RunHandler() {}

std::optional<ui::ItemPaint> TMenuLine::DrawItem(int row, ui::Rect box, bool selected) {
    if (NoRepaint) return std::nullopt;
    const TSpLinePropBag& s = *Settings;
    const ToolkitTexts& t = Texts();
    std::string value;
    std::optional<ui::Colour> colour;
    if (TMenuEntry* entry = ChoiceMode ? nullptr : RowEntry(row)) {
        colour = s.File;
        switch (entry->Type) {
            case etCommand:
            case etAction:
                colour = ui::kYellow;
                break;
            case etSwitch:
                value = IntOf(*entry) != 0 ? t.YesShown : t.NoShown;
                break;
            case etValue:
                value = ValueString(*entry);
                break;
            case etChoice:
                if (const std::string* choice = entry->ChoiceAt(IntOf(*entry))) value = *choice;
                break;
            default:
                break;
        }
    }
    if (selected) colour = s.CursorFont;
    std::optional<ui::ItemPaint> paint = PaintRow(row, box, selected, colour);
    if (paint && !value.empty()) {
        // The value goes in the right third of the row.
        ui::Rect valueBox = box;
        valueBox.Left = box.Right - box.Width() / 3;
        paint->Runs.push_back({value, valueBox, s.Mark, paint->Runs.front().FontSize});
    }
    return paint;
}

}  // namespace velmora::talkui

// Choosing an entry of a talking menu: its hook, then the action of its type.
#include "base/plural.h"
#include "talkui/flag_scope.h"
#include "talkui/menu_line.h"
#include "talkui/texts.h"

namespace velmora::talkui {

void TMenuLine::Choose(char ch) {
    // The entry's block and its parents live until the choice is done, even
    // when a hook builds new blocks or moves the menu elsewhere.
    const std::vector<std::shared_ptr<TMenuBlock>> keep = held_;
    // A key chooses only the entry the player heard last: a cursor that a
    // search moved silently, or none, is answered with what is there.
    if (ch != 0 && !RowHeard(Current)) {
        SayWhatIsHere();
        return;
    }
    Search.clear();
    if (ChoiceMode) {
        ChooseValue();
        return;
    }
    if (Current < 0) {
        Back();
        return;
    }
    TMenuEntry* entry = RowEntry(Current);
    if (!entry) return;
    Kit().ChosenEntry = entry;
    if (entry->OnChoose) {
        const ChooseHook hook = entry->OnChoose;
        MenuResult result = MenuResult::GoOn;
        {
            FlagScope quiet(NoRepaint);
            result = hook(*this, *entry);
        }
        if (result == MenuResult::Accept) {
            Accept();
            return;
        }
        if (result == MenuResult::Stop) return;
    }
    switch (entry->Type) {
        case etSubmenu:
            EnterSubmenu(*entry, ch);
            break;
        case etCommand:
            RunCommand(entry->Code);
            break;
        case etSwitch:
            ToggleSwitch(*entry);
            break;
        case etValue:
            EditValue(*entry);
            break;
        case etChoice:
            ListChoices(*entry);
            break;
        default:
            break;
    }
}

void TMenuLine::SayWhatIsHere() {
    if (ValidRow(Current)) {
        SelectCurrent(true);
        return;
    }
    const bool top = !ChoiceMode && (!CurrentBlock || !CurrentBlock->Parent);
    if (top || List->Count() == 0) {
        Kit().Signal(kCueBoundary);
        return;
    }
    std::string said = ChoiceMode ? std::string() : base::CountOf(List->Count(), Kit().UnitNoun);
    for (int row = 0; row < List->Count(); ++row) {
        said += row == 0 ? (said.empty() ? "" : ": ") : ", ";
        said += RowText(row);
    }
    Kit().Speak(said);
}

void TMenuLine::ChooseValue() {
    const int index = ValidRow(Current) ? Captions.IndexOf(RowText(Current)) : -1;
    // Without a row there is nothing to store, and the value stays.
    if (index >= 0 && ChoiceEntry.IntValue) {
        *ChoiceEntry.IntValue = index;
        if (ChoiceEntry.OnChanged) {
            const ChangedHook changed = ChoiceEntry.OnChanged;
            changed(*this, ChoiceEntry);
        }
    }
    Back();
}

void TMenuLine::EnterSubmenu(TMenuEntry& entry, char ch) {
    TMenuBlock* child = entry.Link;
    if (!child) return;
    const int oldDepth = Depth++;
    if (oldDepth >= 1 && oldDepth <= static_cast<int>(Path.size())) {
        Path[static_cast<size_t>(oldDepth - 1)] = static_cast<uint8_t>(Current & 0xFF);
    }
    if (ValidRow(Current)) CurrentBlock->SavedIndex = Captions.IndexOf(RowText(Current));
    Current = -1;
    child->Parent = CurrentBlock;
    Prefix += *entry.Caption + "\\";
    std::string announcement = ch != 0 ? std::string() : *entry.Caption;
    LoadBlock(*child);
    SelectCurrent(true);
    NoRepaint = false;
    Repaint();
    // The caption and the count are parted by a comma, or the voice reads
    // "Осмотреть3" as one word; the noun agrees with the count.
    auto append = [&announcement](const char* separator, const std::string& text) {
        if (text.empty()) return;
        if (!announcement.empty()) announcement += separator;
        announcement += text;
    };
    if (child->Number != 0) append(", ", base::CountOf(child->Number, Kit().UnitNoun));
    if (child->Title) append(" ", *child->Title);
    Kit().Speak(announcement);
}

void TMenuLine::RunCommand(int32_t code) {
    const int32_t command = code & kCommandMask;
    const bool forLine = (code & kLineCommand) != 0;
    if (Kit().CommandHook) {
        const auto hook = Kit().CommandHook;
        if (hook(command, forLine)) return;
    }
    if (!forLine) return;
    // A command for the line this menu was opened from: the menu closes and
    // the line performs it.
    TSpLine* line = Parent;
    if (!line) {
        Kit().Signal(kCueBoundary);
        return;
    }
    Accept();
    if (!line->Command(command)) Kit().Signal(kCueBoundary);
}

void TMenuLine::ToggleSwitch(TMenuEntry& entry) {
    if (!entry.IntValue) {
        Kit().Signal(kCueBoundary);
        return;
    }
    *entry.IntValue = (*entry.IntValue & 1) == 0 ? 1 : 0;
    if (entry.OnChanged) {
        const ChangedHook changed = entry.OnChanged;
        changed(*this, entry);
    }
    SelectCurrent(true);
    Kit().Speak(*entry.IntValue != 0 ? Texts().Yes : Texts().No);
    Repaint();
}

void TMenuLine::EditValue(TMenuEntry& entry) {
    const char kind = entry.Aux.empty() ? '\0' : entry.Aux[0];
    const std::string value = entry.TextValue ? *entry.TextValue : std::string();
    Kit().Speak(value + " " + entry.Prompt.value_or(std::string()));
    if (!Kit().EditorHook) {
        Kit().Signal(kCueBoundary);
        return;
    }
    TMenuEntry* target = &entry;
    CompletionFn edited = [this, target](const std::string& text) {
        // Escape gives an empty text: the value stays.
        if (text.empty()) return;
        if (target->TextValue) *target->TextValue = text;
        if (target->OnChanged) {
            const ChangedHook changed = target->OnChanged;
            changed(*this, *target);
        }
        Repaint();
    };
    const auto hook = Kit().EditorHook;
    hook(kind, std::string(), value, std::move(edited));
    Edit->SetFocus();
}

void TMenuLine::ListChoices(TMenuEntry& entry) {
    const int count = entry.ChoiceTotal();
    // Back from the choices comes to this entry again.
    if (CurrentBlock && ValidRow(Current)) CurrentBlock->SavedIndex = Captions.IndexOf(RowText(Current));
    Current = entry.IntValue ? *entry.IntValue : -1;
    {
        FlagScope quiet(NoRepaint);
        if (Current < 0 || Current >= count) Current = 0;
        List->Clear();
        SavedCaptions = Captions;
        Captions.Clear();
        for (int i = 0; i < count; ++i) Captions.Add(*entry.ChoiceAt(i));
        FlagScope guard(SelectGuard);
        ChoiceEntry = entry;
        FillRows();
        Search.clear();
        ChoiceMode = true;
    }
    if (count == 0) Kit().Signal(kCueBoundary);
    SelectCurrent(true);
}

}  // namespace velmora::talkui

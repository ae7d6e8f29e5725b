#include "talkui/sp_line.h"

#include <algorithm>

#include "base/cp1251.h"
#include "talkui/context_blocks.h"
#include "talkui/menu_line.h"
#include "talkui/prop_bag.h"
#include "talkui/texts.h"

namespace velmora::talkui {
namespace {

constexpr int kMaxFontSize = 400;

}  // namespace

TSpLine::TSpLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
                 std::shared_ptr<TSpLinePropBag>* settingsSlot)
    : Owner(owner), kit_(kit) {
    kit_.Register(this);
    Edit = TakeSlot(editSlot, [&] {
        auto edit = std::make_shared<ui::Edit>("Edit");
        edit->SetVisible(false);
        edit->SetParent(&owner);
        return edit;
    });
    Settings = TakeSlot(settingsSlot, [&] {
        auto settings = TSpLinePropBag::Create(kit.ProgramFolder);
        settings->FontSize = 18;
        return settings;
    });
    Edit->Color = ui::kBlack;
    Edit->Font.Name = "Arial Black";
    Edit->Font.Charset = ui::kRussianCharset;
    Edit->Font.Color = ui::kAqua;
    TSpLine::Layout();
    TSpLine::Reset();
    TSpLine::HookEvents();
}

TSpLine::~TSpLine() {
    if (Edit->EventOwner == this) Edit->ClearEvents();
    kit_.Unregister(this);
}

void TSpLine::Show(bool) {
    HookEvents();
    Layout();
    // The edit still holds the parent's text only while the parent is the active line.
    if (Parent && kit_.ActiveLine == Parent) Parent->Text = Edit->Text();
    Edit->SetText(Text);
    Edit->ReadOnly = false;
    if (!EditShown) {
        Edit->SetVisible(true);
        Owner.Notify(1);
        EditShown = true;
    }
    Edit->SelectAll();
    kit_.ActiveLine = this;
}

void TSpLine::Hide(bool hideControls) {
    EditShown = false;
    if (hideControls) {
        Owner.Notify(0);
        Edit->SetVisible(false);
    }
}

void TSpLine::HookEvents() {
    Edit->OnKeyDown = [this](int& key, ui::ShiftState shift) { KeyDown(key, shift); };
    Edit->OnKeyPress = [this](char& ch) { KeyPress(ch); };
    Edit->OnKeyUp = [this](int& key, ui::ShiftState shift) { KeyUp(key, shift); };
    Edit->OnContextPopup = [this](bool& handled) {
        ContextMenu();
        handled = true;
    };
    Edit->EventOwner = this;
}

void TSpLine::KeyDown(int& key, ui::ShiftState shift) {
    if (kit_.KeyLock) {
        key = 0;
        return;
    }
    if (key == ui::vk::Capital) kit_.Signal(shift.CapsLockOn ? kCueCapsOn : kCueCapsOff);
    if (key == ui::vk::Delete && !Edit->ReadOnly) {
        // Named like Backspace: what the edit is about to delete.
        const std::string& text = Edit->Text();
        const int caret = Edit->SelStart();
        if (Edit->SelLength() > 1) {
            kit_.Speak(Edit->SelText());
        } else if (caret < static_cast<int>(text.size())) {
            SpeakCharName(text[static_cast<size_t>(caret)]);
        } else {
            kit_.Signal(kCueBoundary);
        }
    }
}

void TSpLine::KeyPress(char& ch) {
    if (kit_.KeyLock || KeyHeld) {
        ch = 0;
        return;
    }
    KeyHeld = true;
    const auto code = static_cast<unsigned char>(ch);
    if (code == 27) {
        ch = 0;
        Edit->SetText({});
        Accept();
    } else if (code == 13) {
        ch = 0;
        Enter('\r');
    } else if (code == 8) {
        // The edit deletes what we name: the selection, or the character before the caret.
        const std::string& text = Edit->Text();
        const int caret = Edit->SelStart();
        if (Edit->SelLength() == 1) {
            SpeakCharName(text[static_cast<size_t>(caret)]);
        } else if (Edit->SelLength() > 1) {
            kit_.Speak(Edit->SelText());
        } else if (!text.empty() && caret > 0) {
            SpeakCharName(text[static_cast<size_t>(caret) - 1]);
        } else {
            kit_.Signal(kCueBoundary);
        }
    } else if (code >= 32) {
        if (base::IsCapital1251(ch)) kit_.Signal(kCueCapital);
        SpeakCharName(ch);
    }
}

void TSpLine::KeyUp(int& key, ui::ShiftState) {
    if (kit_.KeyLock) {
        key = 0;
        return;
    }
    KeyHeld = false;
    const std::string& text = Edit->Text();
    const int length = static_cast<int>(text.size());
    const int p = Edit->SelStart();
    switch (key) {
        case ui::vk::Left:
            if (text.empty()) {
                kit_.Signal(kCueBoundary);
                kit_.Speak(Texts().EmptyLine);
                break;
            }
            if (p < length) {
                const char c = text[static_cast<size_t>(p)];
                SpeakCharName(c);
                if (base::IsCapital1251(c)) kit_.Signal(kCueCapital);
            }
            if (p == 0) kit_.Signal(kCueBoundary);
            break;
        case ui::vk::Right:
            if (text.empty()) {
                kit_.Signal(kCueBoundary);
                kit_.Speak(Texts().EmptyLine);
            } else if (p >= length) {
                kit_.Signal(kCueBoundary);
            } else {
                const char c = text[static_cast<size_t>(p)];
                SpeakCharName(c);
                if (base::IsCapital1251(c)) kit_.Signal(kCueCapital);
            }
            break;
        case ui::vk::Home:
            kit_.Speak(Texts().LineStart);
            break;
        case ui::vk::End:
            kit_.Speak(Texts().LineEnd);
            break;
        default:
            break;
    }
}

void TSpLine::Reset() {
    Text.clear();
    Title.clear();
    Completion = nullptr;
    Parent = nullptr;
}

void TSpLine::Layout() {
    Edit->Font.Size = Settings->FontSize;
    // The edit sizes itself to its font, and sits at the bottom of the owner.
    const int height = kit_.Measure->TextHeight(Edit->Font, "1") + 4;
    Edit->SetBounds(0, std::max(Owner.ClientHeight() - height, 0), Owner.Width(), height);
}

bool TSpLine::Command(int code) {
    switch (code) {
        case 0:
            if (Settings->FontSize < kMaxFontSize) {
                ++Settings->FontSize;
                Layout();
            } else {
                kit_.Signal(kCueBoundary);
            }
            return true;
        case 1:
            if (Settings->FontSize > 1) {
                --Settings->FontSize;
                Layout();
            } else {
                kit_.Signal(kCueBoundary);
            }
            return true;
        case 6:
            kit_.Speak(Edit->Text());
            return true;
        case 11:
            Help();
            return true;
        default:
            return false;
    }
}

void TSpLine::Accept() { CloseLine(*this); }

void TSpLine::Enter(char) { Accept(); }

void TSpLine::ContextMenu() { OpenContext(Texts().LineContext, kit_.Contexts().LineBlock()); }

void TSpLine::Help() { kit_.Speak(Texts().HelpWord); }

void TSpLine::SpeakCharName(char c) const { kit_.Speak(kit_.CharName(c)); }

TMenuLine& TSpLine::ContextLine() {
    if (!context_) {
        std::shared_ptr<ui::Edit> edit = Edit;
        std::shared_ptr<ui::ListBox> list = SharedList();
        std::shared_ptr<TSpLinePropBag> settings = Settings;
        context_ = std::make_unique<TMenuLine>(kit_, Owner, &edit, &list, &settings);
    }
    return *context_;
}

void TSpLine::OpenContext(const std::string& announcement, TMenuBlock& block) {
    kit_.Speak(announcement);
    TMenuLine& menu = ContextLine();
    menu.Parent = this;
    menu.OpenBlock(block);
}

void OpenLine(TSpLine& line, std::string text, CompletionFn completion) {
    line.Completion = std::move(completion);
    line.KeyHeld = false;
    line.Text = std::move(text);
    line.Show(false);
}

void CloseLine(TSpLine& line) {
    Toolkit& kit = line.Kit();
    if (!kit.ActiveLine) return;
    line.Text = line.Edit->Text();
    if (line.Parent) {
        line.Parent->Show(true);
        line.Hide(false);
    } else if (kit.ActiveLine == &line) {
        kit.ActiveLine = nullptr;
        line.Hide(true);
        kit.Signal(kCueLineClosed);
    } else {
        kit.ActiveLine->Parent = nullptr;
        line.Hide(false);
    }
    // Through a copy: the completion may open this line again.
    if (line.Completion) {
        const CompletionFn done = line.Completion;
        done(line.Text);
    }
}

}  // namespace velmora::talkui

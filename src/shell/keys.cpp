// The window's own keys: speed, volume, music, reading, picture screens,
// help and position, and the digit quick-select of the game's menu.

#include "base/file_error.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "talkui/flag_scope.h"
#include "talkui/sp_line.h"

namespace velmora::shell {
namespace {

constexpr int kNumPlus = 107, kNumMinus = 109, kNumMultiply = 106, kNumDivide = 111;
constexpr int kKeyM = 77;
constexpr int kDigit1 = 49, kF2 = 113, kF3 = 114;

int DigitValue(int key) { return key == ui::vk::Digit0 ? 10 : key - ui::vk::Digit0; }

}  // namespace

// Speech rate, music volume and music on or off: true when the key was Ctrl+M.
bool TForm1::SettingKey(int key, ui::ShiftState shift) {
    if (!shift.Ctrl) return false;
    if (key == kNumPlus) SpeedStep(10);
    if (key == kNumMinus) SpeedStep(-10);
    if (key == kNumMultiply) VolumeStep(5);
    if (key == kNumDivide) VolumeStep(-5);
    if (key != kKeyM) return false;
    ToggleMusic();
    return true;
}

// During a wait only the settings keys act (they change nothing in the game,
// and a player slowing down a long narration should not have to sit it out);
// their release ends the wait like any other key.
void TForm1::KeyDownInWait(int key, ui::ShiftState shift) { SettingKey(key, shift); }

// A release that ends a wait, or comes while one runs, reaches no control;
// the key is let go all the same, or the next key would count as held.
void TForm1::KeyUpInWait(int key) {
    rules_->OnKeyUp(key);
    pendingDigit_ = 0;
    kit_.KeyLock = false;
    if (kit_.ActiveLine) kit_.ActiveLine->KeyHeld = false;
}

void TForm1::FormKeyDown(int& key, ui::ShiftState shift) {
    if (SettingKey(key, shift)) {
        key = 0;
        swallowNextChar_ = true;
        return;
    }
    const bool jaws = speech_.Output() == speech::SpeechOutputKind::soJaws;
    if (viewMode_ == vmReading && !jaws) {
        reader_->KeyDown(key);
        return;
    }
    if (viewMode_ != vmGame) return;
    // The talking menu keeps the focus in the game view: Tab would leave the
    // list for a control that speaks nothing. Only the text window of an
    // entry being edited there is left with Tab, which ends the edit.
    if (key == ui::vk::Tab && form_.ActiveControl() != &RichEdit1) {
        key = 0;
        swallowNextChar_ = true;
        pendingDigit_ = 0;
        return;
    }
    // Every digit is the window's quick-select, with modifiers or without:
    // the menu's bookmark keys (Alt, Ctrl, Ctrl+Shift with a digit) never
    // reach it in this program.
    if (ui::IsDigitKey(key)) {
        const int n = DigitValue(key);
        key = 0;
        swallowNextChar_ = true;  // the digit is a choice, not a search letter
        DigitDown(n);
    } else {
        pendingDigit_ = 0;
    }
}

void TForm1::FormKeyPress(char& ch) {
    if (swallowNextChar_) {
        swallowNextChar_ = false;
        ch = 0;
        return;
    }
    if (rules_->waits.waiting) ch = 0;
}

void TForm1::FormKeyUp(int& key, ui::ShiftState) {
    if (rules_->OnKeyUp(key)) {  // the release ended a wait
        key = 0;
        return;
    }
    if (viewMode_ == vmPicture) {
        const int count = static_cast<int>(pictureLines_.size());
        if (key >= kDigit1 && key < kDigit1 + count && key <= ui::vk::Digit9) {
            MainMenuAction(key - kDigit1);
        } else if (key == ui::vk::Down || key == ui::vk::Up) {
            if (count == 0) {
                frontEnd_.Beep();
                return;
            }
            pictureCursor_ += key == ui::vk::Down ? 1 : -1;
            if (pictureCursor_ >= count || pictureCursor_ < 0) {
                pictureCursor_ = pictureCursor_ < 0 ? 0 : count - 1;
                frontEnd_.Beep();
            }
            rules_->SayMessage(pictureLines_[static_cast<size_t>(pictureCursor_)]);
        } else if (key == ui::vk::Return && pictureCursor_ >= 0) {
            MainMenuAction(pictureCursor_);
        }
        return;
    }
    if (viewMode_ != vmGame) return;
    if (key == ui::vk::F1) {
        rules_->SayMessage(texts::HelpText(), true);
    } else if (key == kF2) {
        rules_->SayHeroState();
    } else if (key == kF3) {
        SpeakPosition();
    } else if (ui::IsDigitKey(key)) {
        const int n = DigitValue(key);
        key = 0;
        DigitUp(n);
    }
}

void TForm1::DigitDown(int n) {
    kit_.KeyLock = true;
    if (n == pendingDigit_ || !menu_) return;  // the key repeats while held
    const int entries = menu_->CurrentBlock ? menu_->CurrentBlock->EntryCount() : kit_.List->Count();
    if (entries < n) {
        speech_.PlayCue(13);
        speech_.SayText(texts::Only() + std::to_string(entries) + texts::Items());
        return;
    }
    pendingDigit_ = n;
    if (!menu_->Search.empty()) {
        menu_->Search.clear();
        menu_->Filter(n - 1, 0);
        menu_->SelectCurrent(true);
    } else if (kit_.List->Count() > n - 1) {
        menu_->Current = n - 1;
        menu_->SelectCurrent(true);
    }
}

void TForm1::DigitUp(int n) {
    if (n == pendingDigit_ && menu_) menu_->Enter(0);
    kit_.KeyLock = false;
    pendingDigit_ = 0;
}

void TForm1::SpeedStep(int delta) {
    if (!ini_.SpeedStep(delta)) return;
    speech_.SetSpeechRate(ini_.Speed);
    speech_.PlayCue(13);
    WriteSetting(&MainIni::WriteSpeed);
}

void TForm1::VolumeStep(int delta) {
    if (!ini_.VolumeStep(delta)) return;
    sound_->SetMusicVolume(ini_.MidiVol);
    speech_.PlayCue(13);
    WriteSetting(&MainIni::WriteMidiVol);
}

void TForm1::ToggleMusic() {
    // The retry below waits; Ctrl+M pressed again during that wait is not a
    // second toggle inside the first.
    if (togglingMusic_) return;
    const talkui::FlagScope busy(togglingMusic_);
    speech_.PlayCue(13);
    if (!sound_->MusicPlaying) {
        sound_->PlayMusic(sound_->CurrentMusicFile);
        sound_->SetMusicVolume(sound_->AppliedVolume);
    } else if (!sound_->StopMusic()) {
        rules_->WaitTicks(5);
        sound_->StopMusic();
    }
}

void TForm1::WriteSetting(void (MainIni::*write)() const) {
    try {
        (ini_.*write)();
    } catch (const base::FileError& e) {
        ReportError(e.file(), e.problem());
    }
}

void TForm1::RichEdit2KeyUp(int& key, ui::ShiftState) {
    if (key == ui::vk::Escape && viewMode_ == vmReading) {
        key = 0;
        reader_->Leave();
    }
}

}  // namespace velmora::shell

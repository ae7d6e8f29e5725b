// The window's own keys: speed, volume, music, reading, picture screens,
// help and position, and the digit quick-select of the game's menu.

#include <optional>
#include <string_view>
#include <utility>

#include "base/cues.h"
#include "base/file_error.h"
#include "base/plural.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "talkui/flag_scope.h"
#include "talkui/sp_line.h"

namespace velmora::shell {
namespace {

int DigitValue(int key) { return key == ui::vk::Digit0 ? 10 : key - ui::vk::Digit0; }

// The settings' key as Ctrl gives it (with the numeric pad, or M), or 0. F5
// and F6 (speech slower, faster), F7 and F8 (music quieter, louder) and F9
// (music on or off) are the same keys for every keyboard: most laptops have
// no numeric pad, and the terminal sends none of them with Ctrl.
int SettingOf(int key, ui::ShiftState shift) {
    if (shift.Ctrl && !shift.Alt &&
        (key == ui::vk::Add || key == ui::vk::Subtract || key == ui::vk::Multiply ||
         key == ui::vk::Divide || key == ui::vk::KeyM)) {
        return key;
    }
    if (shift.Ctrl || shift.Alt || shift.Shift || key < ui::vk::F5 || key > ui::vk::F9) return 0;
    static constexpr int kAs[] = {ui::vk::Subtract, ui::vk::Add, ui::vk::Divide, ui::vk::Multiply,
                                  ui::vk::KeyM};
    return kAs[key - ui::vk::F5];
}

// The keys for hearing again and for silence: they change nothing in the
// game, act in every view and during every wait, and their release ends no
// wait (a player going back over a page's narration stays on the page).
bool IsListeningKey(int key) {
    return key == ui::vk::Control || key == ui::vk::F4 || key == ui::vk::F10 ||
           key == ui::vk::F11 || key == ui::vk::F12;
}

}  // namespace

// F4 where the hero is, F10 the last text again, F11 and F12 back and
// forward through what was said. True when the key was one of them and is
// spent. (Ctrl alone, which silences the voice, is seen by CtrlKey.)
bool TForm1::ListeningKey(int key, ui::ShiftState shift) {
    if (key == ui::vk::Control || shift.Ctrl || shift.Alt || !IsListeningKey(key)) return false;
    // Shift+F10 is every desktop's context-menu key: the toolkit's own.
    if (key == ui::vk::F10 && shift.Shift) return false;
    if (key == ui::vk::F4) {
        SayWhereAmI();
    } else {
        session_.speech.Review(key == ui::vk::F11 ? -1 : key == ui::vk::F12 ? 1 : 0);
    }
    return true;
}

// Ctrl pressed and let go with no other key silences the voice: on its
// release, so that Ctrl held for Ctrl+numeric-pad plus (a faster voice during
// a page) neither cuts the page short nor the new rate's word off.
void TForm1::CtrlKey(int key, bool down) {
    if (keys_.CtrlAloneReleased(key, down)) session_.speech.Silence();
}

// Where am I: the screen's title and description as arriving says them, and
// the exits, spending nothing and changing no message the game keeps. On the
// main menu, its title and lines again; elsewhere the last text.
void TForm1::SayWhereAmI() {
    const world::MScreen* screen = session_.gp.hero.currentScreen;
    if (mode_ == Mode::MenuAlone) {
        session_.speech.SayText(texts::Settings());
    } else if (View() == vmGame && screen) {
        std::string text = session_.rules->ArrivalText(*screen, session_.rules->CurrentDescription(*screen));
        const std::string exits = actions_->ExitsPhrase();
        if (!exits.empty()) text += (text.back() == '.' ? " " : ". ") + exits;
        session_.speech.SayText(text);
    } else if (View() == vmPicture) {
        session_.speech.SayText(picture_.Text());
    } else {
        session_.speech.Review(0);
    }
}

// Speech rate, music volume and music on or off: true when the key is spent
// (Ctrl+M and the function keys; Ctrl with the numeric pad goes on to the view).
bool TForm1::SettingKey(int key, ui::ShiftState shift) {
    const int as = SettingOf(key, shift);
    if (as == ui::vk::Add) SpeedStep(10);
    if (as == ui::vk::Subtract) SpeedStep(-10);
    if (as == ui::vk::Multiply) VolumeStep(5);
    if (as == ui::vk::Divide) VolumeStep(-5);
    if (as == ui::vk::KeyM) ToggleMusic();
    return as == ui::vk::KeyM || (as != 0 && !shift.Ctrl);
}

// During a wait only the settings keys act (they change nothing in the game,
// and a player slowing down a long narration should not have to sit it out);
// their release ends the wait like any other key.
void TForm1::KeyDownInWait(int key, ui::ShiftState shift) {
    if (ListeningKey(key, shift)) return;
    if (SettingOf(key, shift) != 0) {
        SettingKey(key, shift);
        return;
    }
    // The pause only spaces the texts for a reader that reads on by itself:
    // the player's key, heard what it answers, is kept for the menu.
    if (!session_.rules->waits.keysCarryOn || ui::IsModifierKey(key)) return;
    carried_.Down(key, shift, View());
}

void TForm1::KeyPressInWait(char ch) {
    carried_.Press(ch);
}

void TForm1::ReplayCarriedKey() {
    if (replaying_) return;  // the outermost replay plays them all, one after another
    const talkui::FlagScope replaying(replaying_);
    while (!session_.rules->InWait() && !closed_) {
        const std::optional<CarriedKeys::Key> carried = carried_.TakeComplete();
        if (!carried) break;
        const CarriedKeys::Key& k = *carried;
        // A pause that ended the game (a death, the main menu) took the key's view with it.
        if (k.view != View()) continue;
        Event e;
        e.kind = Event::Kind::KeyDown;
        e.key = k.key;
        e.shift = k.shift;
        Dispatch(e);
        if (k.ch != 0) {
            e.kind = Event::Kind::KeyPress;
            e.ch = k.ch;
            Dispatch(e);
        }
        e.kind = Event::Kind::KeyUp;
        Dispatch(e);
    }
}

// A release that ends a wait, or comes while one runs, reaches no control;
// the key is let go all the same, or the next key would count as held.
void TForm1::KeyUpInWait(int key) {
    carried_.Up(key);
    if (IsListeningKey(key)) {
        session_.rules->waits.keyHeld = false;
    } else {
        session_.rules->OnKeyUp(key);
    }
    digits_.Forget();
    kit_.KeyLock = false;
    if (kit_.ActiveLine) kit_.ActiveLine->KeyHeld = false;
}

void TForm1::FormKeyDown(int& key, ui::ShiftState shift) {
    // A settings key answers on its way down; its release is not another key.
    keys_.settingKeyDown = SettingOf(key, shift) != 0 ? key : 0;
    if (ListeningKey(key, shift)) {
        keys_.settingKeyDown = key;
        key = 0;
        return;
    }
    if (SettingKey(key, shift)) {
        key = 0;
        keys_.swallowNextChar = true;
        return;
    }
    // A reader that reports no end reads the instructions line by line too,
    // with the arrows: handing the file to another program would leave the
    // player outside the game.
    if (mode_ == Mode::Reading) {
        // Escape leaves on its release; any other key that moves nothing is
        // refused aloud rather than lost in silence.
        if (reader_->KeyDown(key)) {
            key = 0;  // the reader puts the caret on the line it reads
        } else if (key != ui::vk::Escape && !ui::IsModifierKey(key)) {
            if (key == ui::vk::F1) {
                SayKeyHelp();
            } else {
                session_.speech.PlayCue(base::kCueBoundary);
            }
        }
        return;
    }
    if (View() != vmGame) return;
    // The talking menu keeps the focus in the game view: Tab would leave the
    // list for a control that speaks nothing.
    if (key == ui::vk::Tab) {
        key = 0;
        keys_.swallowNextChar = true;
        digits_.Forget();
        return;
    }
    // Every digit is the window's quick-select, with modifiers or without.
    if (ui::IsDigitKey(key)) {
        const int n = DigitValue(key);
        key = 0;
        keys_.swallowNextChar = true;  // the digit is a choice, not a search letter
        digits_.Down(n, menu_.get());
    } else {
        digits_.Forget();
    }
}

void TForm1::FormKeyPress(char& ch) {
    if (keys_.swallowNextChar) {
        keys_.swallowNextChar = false;
        ch = 0;
        return;
    }
    if (session_.rules->waits.waiting) ch = 0;
}

void TForm1::FormKeyUp(int& key, ui::ShiftState) {
    if (session_.rules->OnKeyUp(key)) {  // the release ended a wait
        key = 0;
        return;
    }
    if (keys_.settingKeyDown != 0 && key == keys_.settingKeyDown) {
        keys_.settingKeyDown = 0;
        key = 0;
        return;
    }
    if (mode_ == Mode::Question) {
        question_.KeyUp(key);
        return;
    }
    if (View() == vmPicture) {
        picture_.KeyUp(key);
        return;
    }
    if (View() != vmGame) return;
    if (mode_ == Mode::MenuAlone && (key == ui::vk::F2 || key == ui::vk::F3)) {
        session_.speech.PlayCue(base::kCueBoundary);  // no game to tell of
    } else if (key == ui::vk::F1) {
        SayKeyHelp();
    } else if (key == ui::vk::F2) {
        session_.rules->SayHeroState();
    } else if (key == ui::vk::F3) {
        SpeakPosition();
    } else if (ui::IsDigitKey(key)) {
        const int n = DigitValue(key);
        key = 0;
        digits_.Up(n, menu_.get());
    }
}

void TForm1::SayKeyHelp() {
    using KeyHelp = ShellOptions::KeyHelp;
    const KeyHelp help = session_.options.keyHelp;
    session_.rules->SayMessage(help == KeyHelp::terminal ? texts::TerminalHelpText()
                       : help == KeyHelp::page   ? texts::PageHelpText()
                                                 : texts::HelpText(),
                       true);
}

void TForm1::PictureBack() {
    if (mode_ == Mode::SlotChooser) {
        // The chooser is left as its last line leaves it.
        ShowPictureScreen("menu", texts::MainMenuTitle());
    } else {
        // Back on the main menu after the credits (or anything it said): it
        // is announced again, as it is after the instructions.
        session_.speech.SayText(picture_.Text());
    }
}

// A digit beyond the entries: the refusal cue and how many there are.
void TForm1::SayOnlyCount(int entries) {
    session_.speech.PlayCue(base::kCueBoundary);
    session_.speech.SayText(texts::Only() + base::CountOf(entries, texts::Items()));
}

// A step of the speech rate or the music volume says the new setting, at the
// new rate; at a limit the beep and words say that nothing changed (a beep
// alone is nothing in a terminal without sound, and a silent key would leave
// the player guessing). During a wait only the cue or the beep sounds: words
// would cut off the narration that the wait is for.
void TForm1::SpeedStep(int delta) {
    const bool stepped = session_.ini.SpeedStep(delta);
    if (stepped) session_.speech.SetSpeechRate(session_.ini.Speed);
    SettingStepped(stepped, texts::SpeedIs() + std::to_string(session_.ini.Speed),
                   delta > 0 ? texts::NoFaster() : texts::NoSlower(), &MainIni::WriteSpeed);
}

void TForm1::VolumeStep(int delta) {
    const bool stepped = session_.ini.VolumeStep(delta);
    if (stepped) session_.sound->SetMusicVolume(session_.ini.MidiVol);
    SettingStepped(stepped, texts::VolumeIs() + std::to_string(session_.ini.MidiVol),
                   delta > 0 ? texts::NoLouder() : texts::NoQuieter(), &MainIni::WriteMidiVol);
}

// What the player hears of a step (the setting as it is now, and why it did
// not change at a limit), and the step kept.
void TForm1::SettingStepped(bool stepped, const std::string& setting, const std::string& atLimit,
                            void (MainIni::*write)() const) {
    if (!stepped) {
        frontEnd_.Beep();
        if (!session_.rules->InWait()) session_.speech.SayText(setting + atLimit);
        return;
    }
    settings_.Sync();
    session_.speech.Acknowledge();
    if (!session_.rules->InWait()) session_.speech.SayText(setting);
    WriteSetting(write);
}

void TForm1::ToggleMusic() {
    // The retry below waits; Ctrl+M pressed again during that wait is not a
    // second toggle inside the first.
    if (togglingMusic_) return;
    const talkui::FlagScope busy(togglingMusic_);
    const bool inWait = session_.rules->InWait();
    session_.speech.Acknowledge();
    // Without a sound device nothing can play: starting the music would only
    // report a start that is never heard, and every press would say "off".
    if (!session_.sound->HasDevice()) {
        if (!inWait) session_.speech.SayText(texts::NoSoundForMusic());
        return;
    }
    if (!session_.sound->MusicPlaying) {
        // Music turned on is on for good, also after the settings' switch was off.
        if (!session_.sound->MusicWanted) {
            session_.sound->MusicWanted = session_.ini.Music = true;
            WriteSetting(&MainIni::WriteMusic);
        }
        session_.sound->PlayMusic(session_.sound->CurrentMusicFile);
        session_.sound->SetMusicVolume(session_.sound->AppliedVolume);
    } else if (!session_.sound->StopMusic()) {
        session_.rules->WaitTicks(5);
        session_.sound->StopMusic();
    }
    // What the music now is, not what was asked: a map without music stays silent.
    if (!inWait) {
        session_.speech.SayText(session_.sound->MusicPlaying ? texts::MusicOn() : texts::MusicOff());
    }
    settings_.Sync();
}

void TForm1::WriteSetting(void (MainIni::*write)() const) {
    try {
        (session_.ini.*write)();
    } catch (const base::FileError& e) {
        ReportError(e);
    }
}

void TForm1::RichEdit2KeyUp(int& key, ui::ShiftState) {
    if (key == ui::vk::Escape && mode_ == Mode::Reading) {
        key = 0;
        reader_->Leave();
    }
}

}  // namespace velmora::shell

// Saved-game slots and a new game.
#include "base/cp1251.h"
#include "base/file_error.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "world/game_files.h"
#include "world/link.h"

namespace velmora::shell {

TForm1::SlotResult TForm1::TransferSlot(int32_t n, bool speakError) {
    try {
        if (!slotModeLoad_) {
            world::SaveSlot(gp_, n);
            return SlotResult::Done;
        }
        if (!world::LoadSlot(gp_, n)) return SlotResult::Empty;
    } catch (const base::FileError& e) {
        // A damaged slot or a failed write: the game is as it was.
        const std::string text = ShowError(e.file(), e.problem());
        if (speakError) speech_.SayText(text);
        return SlotResult::Failed;
    }
    rules_->WorldReplaced();
    if (slotModeLoad_) GameStarted(true);  // the loaded game is the one kept from now on
    return SlotResult::Done;
}

void TForm1::ShowLoadedSlot(SlotResult result) {
    if (result == SlotResult::Empty) {
        speech_.SayText(texts::EmptySlot());
        return;
    }
    if (result != SlotResult::Done || !slotModeLoad_) return;
    if (const world::MScreen* s = gp_.hero.currentScreen) {
        rules_->ShowScreenPicture(gp_.hero.CurScrNo, s->ScrFrame);
    }
    rules_->ShowHeroStatus();
    // A game saved on another map brings that map's music; the same map's
    // music plays on (or stays off, if the player stopped it).
    if (rules_->MapMusicFile() != sound_->CurrentMusicFile) rules_->PlayMapMusic();
    SpeakPosition();
}

TForm1::SlotResult TForm1::LoadOrSaveSlot(int32_t n) {
    const SlotResult result = TransferSlot(n, true);
    ShowLoadedSlot(result);
    // A save is confirmed: in silence the player cannot tell it from a lost key.
    if (result == SlotResult::Done && !slotModeLoad_ && n >= 1 && n <= 5) {
        speech_.SayText(texts::Saved() + texts::Slot(n) + ".");
    }
    return result;
}

void TForm1::NewGame() {
    // From the game block a game runs: it is kept in the autosave first.
    KeepGameBeforeLeaving(true);
    try {
        // A new game starts on the first map, and no map takes back a state
        // that an earlier game left in the working files.
        if (world::LoadProjectMap(gp_, 0)) world::ForgetWorkingState(gp_);
    } catch (const base::FileError& e) {
        ReportError(e.file(), e.problem());
    }
    rules_->WorldReplaced();
    world::StartWorld(gp_.map, gp_.hero);
    rules_->EnterMap();
    rules_->ShowHeroStatus();
    GameStarted(false);
}

std::string TForm1::SlotContents(int32_t n) {
    try {
        const std::optional<std::string> title = world::SlotScreenTitle(gp_, n);
        if (!title) return texts::SlotEmpty();
        const std::string_view trimmed = base::TrimBlanks(*title);
        return trimmed.empty() ? texts::SlotTaken() : ", " + std::string(trimmed);
    } catch (const base::FileError&) {
        return texts::SlotDamaged();  // loading it says why
    }
}

void TForm1::SetSlotModeLoad(bool load) { slotModeLoad_ = load; }

void TForm1::LoadOrSaveSlotChosen(int32_t n) { LoadOrSaveSlot(n); }

void TForm1::LeaveToMainMenu() {
    KeepGameBeforeLeaving(false);
    sound_->StopMusic();
    ShowPictureScreen("menu", texts::MainMenuTitle());
    rules_->PlayProjectMusic("menu.mid", sound_->AppliedVolume);
    picture_.Left();
}

}  // namespace velmora::shell

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
            world::SaveSlot(session_.gp, n);
            return SlotResult::Done;
        }
        if (!world::LoadSlot(session_.gp, n)) return SlotResult::Empty;
    } catch (const base::FileError& e) {
        // A damaged slot or a failed write: the game is as it was.
        const std::string text = ShowError(e);
        if (speakError) session_.speech.SayText(text);
        return SlotResult::Failed;
    }
    session_.rules->WorldReplaced();
    if (slotModeLoad_) GameStarted(true);  // the loaded game is the one kept from now on
    return SlotResult::Done;
}

void TForm1::ShowLoadedSlot(SlotResult result) {
    if (result == SlotResult::Empty) {
        session_.speech.SayText(texts::EmptySlot());
        return;
    }
    if (result != SlotResult::Done || !slotModeLoad_) return;
    if (const world::MScreen* s = session_.gp.hero.currentScreen) {
        session_.rules->ShowScreenPicture(session_.gp.hero.CurScrNo, s->ScrFrame);
    }
    session_.rules->ShowHeroStatus();
    // A game saved on another map brings that map's music; the same map's
    // music plays on (or stays off, if the player stopped it).
    if (session_.rules->MapMusicFile() != session_.sound->CurrentMusicFile) session_.rules->PlayMapMusic();
    SpeakPosition();
}

TForm1::SlotResult TForm1::LoadOrSaveSlot(int32_t n) {
    const SlotResult result = TransferSlot(n, true);
    ShowLoadedSlot(result);
    // A save is confirmed: in silence the player cannot tell it from a lost key.
    if (result == SlotResult::Done && !slotModeLoad_ && n >= 1 && n <= 5) {
        session_.speech.SayText(texts::Saved() + texts::Slot(n) + ".");
    }
    return result;
}

void TForm1::NewGame() {
    // From the game block a game runs: it is kept in the autosave first.
    KeepGameBeforeLeaving(true);
    try {
        // A new game starts on the first map, and no map takes back a state
        // that an earlier game left in the working files.
        if (world::LoadProjectMap(session_.gp, 0)) world::ForgetWorkingState(session_.gp);
    } catch (const base::FileError& e) {
        ReportError(e);
    }
    session_.rules->WorldReplaced();
    world::StartWorld(session_.gp.map, session_.gp.hero);
    session_.rules->EnterMap();
    session_.rules->ShowHeroStatus();
    GameStarted(false);
}

std::string TForm1::SlotContents(int32_t n) {
    try {
        const std::optional<std::string> title = world::SlotScreenTitle(session_.gp, n);
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
    session_.sound->StopMusic();
    ShowPictureScreen("menu", texts::MainMenuTitle());
    session_.rules->PlayProjectMusic("menu.mid", session_.sound->AppliedVolume);
    picture_.Left();
}

}  // namespace velmora::shell

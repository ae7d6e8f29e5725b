// The game block: loading and saving in five slots, a new game, leaving.
#include "base/file_error.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "world/game_files.h"
#include "world/link.h"

namespace velmora::shell {

void TForm1::BuildGameBlocks() {
    gameBlock_.Title = std::string();
    gameBlock_.Help = std::string();
    slotBlock_.Title = std::string();
    slotBlock_.Help = std::string();
    auto slotMenu = [this](const std::string& caption, bool load) {
        talkui::TMenuEntry& e = gameBlock_.AddEntry(caption, talkui::etSubmenu);
        e.Link = &slotBlock_;
        e.OnChoose = [this, load](talkui::TMenuLine&, talkui::TMenuEntry&) {
            kit_.UnitNoun = texts::Saves();
            slotModeLoad_ = load;
            return 0;
        };
    };
    slotMenu(texts::LoadGame(), true);
    slotMenu(texts::SaveGame(), false);
    talkui::TMenuEntry& fresh = gameBlock_.AddEntry(texts::NewGame(), talkui::etAction);
    fresh.OnChoose = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        QuietBack(1);
        menu_->Current = -1;
        NewGame();
        return 0;
    };
    talkui::TMenuEntry& leave = gameBlock_.AddEntry(texts::LeaveToMenu(), talkui::etAction);
    leave.OnChoose = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        sound_->StopMusic();
        ShowPictureScreen("menu", texts::MainMenuTitle());
        rules_->PlayProjectMusic("menu.mid", sound_->AppliedVolume);
        pictureCursor_ = -1;
        return 0;
    };
    for (int n = 1; n <= 5; ++n) {
        talkui::TMenuEntry& slot = slotBlock_.AddEntry(texts::Slot(n), talkui::etAction, n);
        slot.OnChoose = [this, n](talkui::TMenuLine&, talkui::TMenuEntry&) {
            QuietBack(2);
            menu_->Current = -1;
            LoadOrSaveSlot(n);
            return 0;
        };
    }
}

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
    SpeakPosition();
}

TForm1::SlotResult TForm1::LoadOrSaveSlot(int32_t n) {
    const SlotResult result = TransferSlot(n, true);
    ShowLoadedSlot(result);
    return result;
}

void TForm1::NewGame() {
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
}

}  // namespace velmora::shell

// The autosave: keeping the running game when the player leaves it in any
// way and at every change of screen or map, and continuing it at the next
// start when the player says so (the question: start_question.cpp). The
// documented game keeps nothing at exit ("the game in progress is not
// stored"); this program keeps it, beside the five slots.
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/own_text.h"
#include "base/paths.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "world/autosave.h"

namespace velmora::shell {
namespace {
namespace own {
VELMORA_OWN_TEXT(KeptForLater, "Игра сохранена, её можно продолжить при следующем запуске.")
VELMORA_OWN_TEXT(KeptTillFirstMove, "Прежняя игра сохранена до первого хода в новой.")
}  // namespace own

}  // namespace

TForm1::PlayedAt TForm1::PlayedNow() const {
    return {session_.rules->worldGeneration, session_.gp.map.mapIndex, session_.gp.hero.CurScrNo};
}

// Saves that a kill interrupted are finished, and its temporary files
// removed, before anything reads a save; what failed, for the player.
std::optional<base::FileError> TForm1::RecoverSavesAtStart() {
    try {
        world::RecoverSaves(session_.gp);
    } catch (const base::FileError& e) {
        return e;
    }
    return std::nullopt;
}

// The question on the start picture, for the companion who watches.
void TForm1::ShowQuestion(const std::string& question) {
    GamePanel.SetVisible(false);
    KinPanel.SetVisible(true);
    Image2.SetAlign(ui::Align::Client);
    if (auto picture = base::FindPath(session_.options.programFolder, "gif\\menu.gif")) {
        LoadPicture(Image2, "Image2", *picture);
    }
    RichEdit2.SetVisible(true);
    RichEdit2.Clear();
    RichEdit2.AddLine(question);
    SetMode(Mode::Question);
}

void TForm1::QuestionAnswered(std::optional<world::Autosave> save) {
    mode_ = Mode::Page;  // answered: the page shows on until what follows
    RichEdit2.Clear();
    RichEdit2.SetVisible(false);
    if (!save) {
        StartAfterPrompt();
        return;
    }
    try {
        world::LoadAutosave(session_.gp, *save);
    } catch (const base::FileError& e) {
        // Nothing of it was applied: the player hears why, then the start
        // goes on as if there were no autosave.
        session_.speech.PendingPrefix = ShowError(e) + ". ";
        StartAfterPrompt();
        return;
    }
    session_.rules->WorldReplaced();
    ShowGameView();
    session_.rules->PlayMapMusic();
    if (const world::MScreen* s = session_.gp.hero.currentScreen) {
        session_.rules->ShowScreenPicture(session_.gp.hero.CurScrNo, s->ScrFrame);
    }
    session_.rules->ShowHeroStatus();
    SpeakPosition();
    GameStarted(false);
    thisGameKept_ = true;
}

void TForm1::StartAfterPrompt() {
    if (session_.options.nomenu) {
        ShowGameView();
        NewGame();
        return;
    }
    session_.rules->PlayPages(0);
    session_.rules->PlayProjectMusic("menu.mid", session_.ini.MidiVol);
    ShowPictureScreen("menu", texts::MainMenuTitle());
}

// A game begins: a loaded one is kept at once (it replaces whatever the
// autosave held); a new one, or one just continued, only once it changes,
// so that starting a new game does not throw away the one kept before.
void TForm1::GameStarted(bool saveNow) {
    gameRunning_ = true;
    leavePending_ = false;
    thisGameKept_ = false;
    savedAt_.reset();
    keptState_.reset();
    if (!saveNow) {
        savedAt_ = PlayedNow();
        keptState_ = world::StateFileBytes(session_.gp, std::string());
    }
}

// The game ended (death, or a script's exit): it is not offered again.
void TForm1::GameEnded() {
    gameRunning_ = false;
    leavePending_ = false;
    try {
        world::ForgetAutosave(session_.gp);
    } catch (const base::FileError& e) {
        ShowError(e);
    }
}

bool TForm1::KeepGame(bool reportAlways) {
    try {
        autosaveWriter_.Write(session_.gp);
    } catch (const base::FileError& e) {
        // A full disk would otherwise be heard at every step: the same
        // failure is spoken once until a save succeeds again.
        const std::string text = ShowError(e);
        if (reportAlways || text != lastAutosaveError_) session_.speech.SayText(text);
        lastAutosaveError_ = text;
        return false;
    }
    lastAutosaveError_.clear();
    savedAt_ = PlayedNow();
    keptState_ = world::StateFileBytes(session_.gp, std::string());
    thisGameKept_ = true;
    return true;
}

// After each event handled at the top level (never inside a wait, which is
// the middle of an action): the arrival's words are already with the voice,
// so the files are written while it speaks.
void TForm1::AutosaveAfterEvent() {
    if (session_.rules->InWait()) return;
    if (leavePending_) {
        leavePending_ = false;
        if (gameRunning_) KeepGame(true);
        return;
    }
    if (!gameRunning_ || closed_) return;
    if (savedAt_ && *savedAt_ == PlayedNow()) return;
    KeepGame(false);
}

// Nothing changed since the game was kept or began (a new game not yet
// played leaves the game kept before it in place).
bool TForm1::UnchangedSinceKept() {
    return savedAt_ && *savedAt_ == PlayedNow() && keptState_ &&
           *keptState_ == world::StateFileBytes(session_.gp, std::string());
}

// Leaving in any way (the menu's exit, the window closed, a signal, a
// terminal that hangs up, a key script used up). Within an action the
// closing ends every wait and the action runs out first: a death in
// progress then ends the game instead of keeping its last moment.
void TForm1::KeepGameOnLeaving() {
    if (!gameRunning_) return;
    if (session_.rules->InWait()) {
        leavePending_ = true;
        return;
    }
    if (UnchangedSinceKept()) return;
    KeepGame(true);
}

// «Новая игра» and «Выход в меню» of the game block keep the game first
// and say so, in one utterance with what follows (the new game's first
// message, the main menu), so that neither cuts the other off.
void TForm1::KeepGameBeforeLeaving(bool newGame) {
    if (!gameRunning_) return;
    // A new game left before it changed anything leaves the game kept
    // before it in place, and says nothing of a save it did not make.
    const bool kept = UnchangedSinceKept() ? thisGameKept_ : KeepGame(true);
    gameRunning_ = false;
    if (kept) session_.speech.PendingPrefix = (newGame ? own::KeptTillFirstMove() : own::KeptForLater()) + " ";
}

}  // namespace velmora::shell

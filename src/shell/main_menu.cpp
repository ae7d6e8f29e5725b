// Picture screens, the main menu and its chooser, and the instructions.

#include "base/cp1251.h"
#include "base/paths.h"
#include "base/project_file.h"
#include "base/project_text.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "world/key_access.h"

namespace fs = std::filesystem;

namespace velmora::shell {

void TForm1::ShowPicture(const std::string& name, const std::string& title, Mode mode) {
    const bool slotChooser = mode == Mode::SlotChooser;
    KinPanel.SetVisible(false);
    RichEdit2.SetVisible(false);
    Image2.SetAlign(ui::Align::Client);
    if (auto picture = base::FindPath(session_.options.programFolder, "gif\\" + name + ".gif")) {
        LoadPicture(Image2, "Image2", *picture);
    }
    picture_.lines.clear();
    // Through the project's file gate: a pipe or a device in place of the
    // menu's text is named to the player (before the title, in one
    // utterance), and the menu shows its title alone.
    try {
        if (auto text = base::ReadProjectText(session_.projectFolder, name + ".txt")) {
            picture_.lines = world::SplitLines(*text);
        }
    } catch (const base::FileError& e) {
        session_.speech.PendingPrefix = ShowError(e) + " ";
    }
    // The main menu's last line is the program's own: the settings. Only
    // after the six lines whose places the main menu's actions are bound to:
    // a shorter menu (or none) keeps its places for them.
    picture_.settingsLine = -1;
    // The adventure chooser is the program's too, after the project's lines
    // whatever their number: a line the menu's text does not have was never
    // bound to an action the player could reach.
    picture_.chooserLine = -1;
    std::vector<std::string>& lines = picture_.lines;
    if (name == "menu" && !slotChooser && chooser_.Offered()) {
        picture_.chooserLine = static_cast<int>(lines.size());
        lines.push_back(texts::ChooseAdventure());
    }
    if (name == "menu" && !slotChooser && lines.size() >= 6 + (picture_.chooserLine >= 0 ? 1u : 0u)) {
        picture_.settingsLine = static_cast<int>(lines.size());
        lines.push_back(texts::Settings());
    }
    // The chooser's first five lines are the slots: each says what it holds.
    if (slotChooser) {
        for (size_t i = 0; i < lines.size() && i < 5; ++i) {
            lines[i] += SlotContents(static_cast<int32_t>(i + 1));
        }
    }
    Image1.SetVisible(false);
    RichEdit1.SetVisible(false);
    GamePanel.SetVisible(false);
    KinPanel.SetVisible(true);
    SetMode(mode);
    picture_.Show(title);
    // A menu is never the standard message that a script's say replaces: after
    // a script ends the game with a line and `exit`, the player still hears it.
    session_.rules->suppressNext = false;
    session_.rules->SayMessage(picture_.Text());
}

void TForm1::ShowSlotChooser() { ShowPicture("gmenu", texts::ChooserTitle(), Mode::SlotChooser); }

void TForm1::MainMenuAction(int index) {
    const bool slotChooser = mode_ == Mode::SlotChooser;
    if (!slotChooser && picture_.chooserLine >= 0 && index == picture_.chooserLine) {
        chooser_.ShowAlone();
        return;
    }
    if (!slotChooser && picture_.settingsLine >= 0 && index == picture_.settingsLine) {
        settings_.ShowAlone();
        return;
    }
    if (slotChooser) {
        mode_ = Mode::Picture;  // chosen: the chooser shows on until what follows
        if (index == 5) {
            ShowPictureScreen("menu", texts::MainMenuTitle());
            return;
        }
        slotModeLoad_ = true;
        const SlotResult result = TransferSlot(index + 1, false);
        if (result == SlotResult::Failed) {
            // A damaged slot starts nothing: the player hears why, then the
            // chooser again, in one utterance so that neither cuts the other off.
            session_.speech.PendingPrefix = RichEdit1.Text() + " ";
            ShowSlotChooser();
            return;
        }
        ShowGameView();
        session_.rules->PlayMapMusic();  // the loaded game's map, not always the first
        ShowLoadedSlot(result);
        if (result == SlotResult::Empty) NewGame();
        return;
    }
    switch (index) {
        case 0:
            ShowGameView();
            NewGame();
            break;
        case 1:
            ShowSlotChooser();
            break;
        case 2:
            reader_->Open();
            break;
        case 3:
            session_.rules->PlayPages(0);
            session_.speech.SetSpeechRate(session_.ini.Speed);
            session_.rules->PlayProjectMusic("menu.mid", session_.ini.MidiVol);
            ShowPictureScreen("menu", texts::MainMenuTitle());
            break;
        case 4:
            session_.speech.SayText(chooser_.AboutText());
            break;
        case 5:
            FormClose();
            break;
        default:
            break;
    }
}

void TForm1::SpeakPosition() {
    const world::MScreen* screen = session_.gp.hero.currentScreen;
    // Blanks at the ends of a title or a message would be heard as pauses
    // and shown as a double space after the colon.
    const std::string_view title = screen ? base::TrimBlanks(screen->Title) : std::string_view();
    session_.rules->SayMessage(texts::ScreenPrefix() + std::string(title) + texts::LastMessage() +
                           std::string(base::TrimBlanks(session_.gp.hero.LastMessage)),
                       true);
}

void TForm1::ShowReadingView() { SetMode(Mode::Reading); }

void TForm1::ReadingLeft() { ShowPictureScreen("menu", texts::MainMenuTitle()); }

}  // namespace velmora::shell

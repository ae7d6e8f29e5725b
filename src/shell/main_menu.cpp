// Picture screens, the main menu and its chooser, and the instructions.
#include <fstream>
#include <iterator>

#include "base/paths.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "world/key_access.h"

namespace fs = std::filesystem;

namespace velmora::shell {

void TForm1::ShowPictureScreen(const std::string& name, const std::string& title) {
    KinPanel.SetVisible(false);
    RichEdit2.SetVisible(false);
    Image2.SetAlign(ui::Align::Client);
    if (auto picture = base::FindPath(options_.programFolder, "gif\\" + name + ".gif")) {
        LoadPicture(Image2, "Image2", *picture);
    }
    pictureLines_.clear();
    if (auto text = base::FindPath(projectFolder_, name + ".txt")) {
        std::ifstream in(*text, std::ios::binary);
        pictureLines_ = world::SplitLines(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    Image1.SetVisible(false);
    RichEdit1.SetVisible(false);
    GamePanel.SetVisible(false);
    KinPanel.SetVisible(true);
    SetView(vmPicture, "picture");
    pictureCursor_ = 0;
    std::string said = title + ": ";
    for (const std::string& line : pictureLines_) said += line + "\r\n";
    // A menu is never the standard message that a script's say replaces: after
    // a script ends the game with a line and `exit`, the player still hears it.
    rules_->suppressNext = false;
    rules_->SayMessage(said);
}

void TForm1::MainMenuAction(int index) {
    if (slotChooser_) {
        slotChooser_ = false;
        if (index == 5) {
            ShowPictureScreen("menu", texts::MainMenuTitle());
            return;
        }
        slotModeLoad_ = true;
        const SlotResult result = TransferSlot(index + 1, false);
        if (result == SlotResult::Failed) {
            // A damaged slot starts nothing: the player hears why, then the
            // chooser again, in one utterance so that neither cuts the other off.
            speech_.PendingPrefix = RichEdit1.Text() + " ";
            slotChooser_ = true;
            ShowPictureScreen("gmenu", texts::ChooserTitle());
            return;
        }
        ShowGameView();
        rules_->PlayProjectMusic("map1.mid", sound_->AppliedVolume);
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
            slotChooser_ = true;
            ShowPictureScreen("gmenu", texts::ChooserTitle());
            break;
        case 2:
            OpenInstructions();
            break;
        case 3:
            rules_->PlayPages(0);
            speech_.SetSpeechRate(speed_);
            rules_->PlayProjectMusic("menu.mid", midiVol_);
            ShowPictureScreen("menu", texts::MainMenuTitle());
            break;
        case 4:
            speech_.SayText(texts::Credits());
            break;
        case 5:
            FormClose();
            break;
        default:
            break;
    }
}

void TForm1::SpeakPosition() {
    const world::MScreen* screen = gp_.hero.currentScreen;
    rules_->SayMessage(texts::ScreenPrefix() + (screen ? screen->Title : std::string()) +
                           texts::LastMessage() + gp_.hero.LastMessage,
                       true);
}

// No speech output here opens files, so the program always reads the
// instructions itself, a line on each end of speech.
void TForm1::OpenInstructions() {
    RichEdit2.SetAlign(ui::Align::Client);
    RichEdit2.Clear();
    if (auto file = base::FindPath(options_.programFolder, "instruct.txt")) {
        std::ifstream in(*file, std::ios::binary);
        RichEdit2.SetLines(world::SplitLines(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
    }
    Image2.SetVisible(false);
    KinPanel.SetVisible(true);
    RichEdit2.SetVisible(true);
    form_.Focus(&RichEdit2);
    SetView(vmReading, "reading");
    readingPos_ = 0;
    readingChars_ = 0;
    ReadInstructionLine();
}

void TForm1::ReadInstructionLine() {
    const int count = RichEdit2.LineCount();
    std::string text = RichEdit2.Line(readingPos_);
    readingChars_ += static_cast<int32_t>(text.size()) + 2;
    while (text.empty() && readingPos_ < count) {
        ++readingPos_;
        text = RichEdit2.Line(readingPos_);
        readingChars_ += static_cast<int32_t>(text.size()) + 2;
    }
    speech_.SayText(text);
}

void TForm1::AdvanceReading() {
    if (readingPos_ < 0 || viewMode_ != vmReading) return;
    ++readingPos_;
    if (readingPos_ >= RichEdit2.LineCount()) {
        speech_.SayText(texts::ReadingEnd());
        readingPos_ = -1;
        return;
    }
    ReadInstructionLine();
    RichEdit2.SetSelStart(readingChars_);
    RichEdit2.ScrollCaret();
    MarkChanged();
}

void TForm1::LeaveInstructions() {
    RichEdit2.SetVisible(false);
    RichEdit2.SetAlign(ui::Align::Bottom);
    RichEdit2.Clear();
    Image2.SetVisible(true);
    readingPos_ = -1;
    ShowPictureScreen("menu", texts::MainMenuTitle());
}

}  // namespace velmora::shell

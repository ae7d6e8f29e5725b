// The program's own menus (the settings, the adventure chooser) alone on the
// game's menu line, as the main menu opens them.
#include "shell/form1.h"
#include "shell/shell_texts.h"

namespace velmora::shell {

void TForm1::ShowMenuAlone(const std::string& title) {
    RichEdit2.SetVisible(false);
    KinPanel.SetVisible(false);
    Image2.SetAlign(ui::Align::Client);
    GamePanel.SetVisible(true);
    Image1.SetVisible(false);
    RichEdit1.SetVisible(true);
    RichEdit1.SetText(title);
    SetMode(Mode::MenuAlone);  // no game shows: F2 and F3 have nothing to tell
}

void TForm1::OpenMenuAlone(talkui::TMenuBlock& block) {
    menu_->OpenBlock(block);
    menu_->HandlerData = &block;
    menu_->Handler = [this](talkui::TMenuLine&, const talkui::HandlerArg& arg) {
        if (arg.kind != talkui::HandlerArg::Back) return talkui::MenuResult::GoOn;
        LeaveMenuAlone();
        return talkui::MenuResult::Stop;
    };
    if (kit_.List->Visible()) form_.Focus(kit_.List.get());
}

void TForm1::LeaveMenuAlone() {
    if (menu_) menu_->Handler = nullptr;
    ShowPictureScreen("menu", texts::MainMenuTitle());
}

}  // namespace velmora::shell

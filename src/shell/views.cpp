// The views the rules show, the game's and the pages, and a click on the
// game's list.
#include <algorithm>

#include "base/encoding.h"
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "talkui/list_line.h"

namespace fs = std::filesystem;

namespace velmora::shell {

int TForm1::ListRowAt(int x, int y) const {
    const ui::ListBox& list = *kit_.List;
    if (!list.Showing()) return -1;
    for (const ui::Control* c = &list; c != nullptr && c != &form_; c = c->Parent()) {
        x -= c->Left();
        y -= c->Top();
    }
    if (x < 0 || y < 0 || x >= list.Width() || y >= list.Height()) return -1;
    for (const auto& [row, box] : list.VisibleRows()) {
        if (y >= box.Top && y < box.Bottom) return row;
    }
    return -1;
}

// A click speaks its row at once, as the arrow keys would, and a double
// click chooses it as Enter does. The toolkit's own click first waits about
// 200 ms for a double click before it speaks; here the front end tells a
// double click apart itself, and a wait of the rules would end at the next
// tick, well before a double click's second press.
void TForm1::ListClick(int x, int y, bool twice) {
    if (View() != vmGame) return;
    auto* line = dynamic_cast<talkui::TListLine*>(kit_.ActiveLine);
    if (line == nullptr || line->List != kit_.List) return;
    const int row = ListRowAt(x, y);
    if (row < 0) return;
    session_.rules->ActionStarts();
    if (twice) {
        line->DoubleClick(row);
    } else {
        line->ClickPending = false;
        line->Current = row;
        line->SelectCurrent(true);
    }
}

// The rules' side of the window.

void TForm1::SetGameText(const std::string& text) {
    RichEdit1.SetText(text);
    MarkChanged();
}

void TForm1::ClearPageText() {
    RichEdit2.Clear();
    MarkChanged();
}

void TForm1::AppendPageLine(const std::string& line) {
    RichEdit2.AddLine(line);
    MarkChanged();
}

std::string TForm1::PageText() const { return RichEdit2.Text(); }
void TForm1::LoadGamePicture(const fs::path& file) { LoadPicture(Image1, "Image1", file); }

// The size as the front end measured it; none when it could not, and the
// rules then leave the picture where it was.
std::optional<rules::PictureSize> TForm1::LoadPagePicture(const fs::path& file) {
    LoadPicture(Image2, "Image2", file);
    const std::optional<WindowSize> size = frontEnd_.MeasurePicture(file);
    if (!size) return std::nullopt;
    // A GIF is at most 65535 pixels each way; the scaled size stays an int.
    constexpr int kMaxSide = 65535;
    return rules::PictureSize{std::clamp(size->width, 0, kMaxSide),
                              std::clamp(size->height, 0, kMaxSide)};
}

void TForm1::ReleasePagePicture() {
    Image2.SetAlign(ui::Align::None);
    MarkChanged();
}

void TForm1::PlacePagePicture(int left, int top, int width, int height) {
    Image2.SetBounds(left, top, width, height);
    MarkChanged();
}

rules::PageLayout TForm1::ShowPageView() {
    SetMode(Mode::Page);
    GamePanel.SetVisible(false);
    KinPanel.SetVisible(true);
    RichEdit2.SetVisible(true);
    const int width = form_.Width();
    rules::PageLayout layout;
    layout.PageScreenWidth = width;
    layout.PageScale = width > 1536 ? 5 : width > 1280 ? 4 : width > 1024 ? 3 : 2;
    layout.windowHeight = form_.Height();
    Image2.SetTop(100);
    RichEdit2.SetHeight(form_.Height() / 4);
    return layout;
}

void TForm1::ShowGameView() {
    RichEdit2.SetVisible(false);
    KinPanel.SetVisible(false);
    Image2.SetAlign(ui::Align::Client);
    GamePanel.SetVisible(true);
    Image1.SetVisible(true);
    RichEdit1.SetVisible(true);
    SetMode(Mode::Game);
    if (menu_) menu_->OpenBlock(actions_->ActionBlock());
    if (kit_.List->Visible()) form_.Focus(kit_.List.get());
}

void TForm1::OpenMainMenu() {
    // Only a death or a script's exit comes here: the game is over.
    GameEnded();
    ShowPictureScreen("menu", texts::MainMenuTitle());
    picture_.Left();
}

void TForm1::ShowHeroStatus(int32_t health, int32_t load, int32_t experience) {
    Label1.Caption = texts::HealthLabel() + std::to_string(health);
    Label2.Caption = texts::LoadLabel() + std::to_string(load);
    Label3.Caption = texts::ExperienceLabel() + std::to_string(experience);
    MarkChanged();
}

std::string TForm1::ShowError(const base::FileError& error) {
    const std::string text = texts::ErrorPrefix() + base::ToCp1251(error.Said());
    RichEdit1.SetText(text);
    MarkChanged();
    return text;
}

void TForm1::ReportError(const base::FileError& error) {
    // The player hears which file failed and why; the game goes on.
    session_.speech.SayText(ShowError(error));
}

}  // namespace velmora::shell

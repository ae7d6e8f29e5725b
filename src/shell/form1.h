// TForm1: the one window of the program and everything it owns — the world,
// the rules, speech, sound, the talking menu — with its start-up, timer,
// views, keys, main menu, action menus and saved-game slots.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "rules/rules.h"
#include "shell/action_menus.h"
#include "shell/adventure_chooser.h"
#include "shell/events.h"
#include "shell/carried_keys.h"
#include "shell/instructions.h"
#include "shell/key_tracker.h"
#include "shell/main_ini.h"
#include "shell/mirror.h"
#include "shell/picture_screen.h"
#include "shell/quick_select.h"
#include "shell/session.h"
#include "shell/settings_menu.h"
#include "shell/shell_mode.h"
#include "shell/start_question.h"
#include "sound/sound_system.h"
#include "speech/speech_router.h"
#include "talkui/menu_block.h"
#include "talkui/menu_line.h"
#include "talkui/toolkit.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/list_box.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"
#include "shell/shell_options.h"
#include "world/autosave.h"
#include "world/game_project.h"

namespace velmora::talkui {
class EditorLines;
}

namespace velmora::shell {

class TForm1 : public rules::RulesView,
               public rules::EventPump,
               private ActionMenus::Host,
               private InstructionsReader::Host,
               private StartQuestion::Host,
               private PictureScreen::Host,
               private SettingsMenu::Host,
               private AdventureChooser::Host {
public:
    // Construction: configuration, the project, the world, sound. Nothing is spoken.
    TForm1(ShellOptions options, EventSource& events, FrontEnd& frontEnd,
           std::unique_ptr<speech::SpeechOutput> speechOutput,
           std::unique_ptr<sound::SoundDriver> soundDriver, sound::SoundObserver* soundObserver);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Runs until no event comes any more or the window is closed.
    void Run();
    // Handles one event; the front end hears Changed() once if anything it
    // shows changed.
    void Dispatch(const Event& event);
    // A timed wait of the rules is counting down, and the ticks it still
    // counts (0 when none runs): a virtual clock skips ahead by them.
    bool TimedWaitRunning() const { return TimedWaitTicksLeft() > 0; }
    int32_t TimedWaitTicksLeft() const;
    bool Closed() const { return closed_; }
    void FormClose();

    // rules::EventPump
    bool DispatchNext() override;
    // rules::RulesView
    void SetGameText(const std::string& text) override;
    void ClearPageText() override;
    void AppendPageLine(const std::string& line) override;
    std::string PageText() const override;
    void LoadGamePicture(const std::filesystem::path& file) override;
    std::optional<rules::PictureSize> LoadPagePicture(const std::filesystem::path& file) override;
    void ReleasePagePicture() override;
    void PlacePagePicture(int left, int top, int width, int height) override;
    rules::PageLayout ShowPageView() override;
    void ShowGameView() override;
    void OpenMainMenu() override;
    void ShowHeroStatus(int32_t health, int32_t load, int32_t experience) override;
    void ReportError(const base::FileError& error) override;

    // Views and the main menu.
    void ShowPictureScreen(const std::string& name, const std::string& title) {
        ShowPicture(name, title, Mode::Picture);
    }
    void MainMenuAction(int index) override;
    void SpeakPosition();

    // Saved-game slots.
    enum class SlotResult { Done, Empty, Failed };
    SlotResult LoadOrSaveSlot(int32_t n);
    void NewGame() override;

    // Read access for tests and front ends.
    world::GameProject& Project() { return session_.gp; }
    rules::Rules& Rules() { return *session_.rules; }
    speech::SpeechRouter& Speech() { return session_.speech; }
    sound::SoundSystem& Sound() { return *session_.sound; }
    talkui::TMenuLine* Menu() { return menu_.get(); }
    ViewMode View() const { return ViewOf(mode_); }
    Mode CurrentMode() const { return mode_; }
    int32_t Speed() const { return session_.ini.Speed; }
    int32_t MidiVol() const { return session_.ini.MidiVol; }
    const MainIni& Settings() const { return session_.ini; }
    ActionMenus& Actions() { return *actions_; }
    InstructionsReader& Instructions() { return *reader_; }
    const std::filesystem::path& ProjectFolder() const { return session_.projectFolder; }
    ui::Form& Form() { return form_; }
    // What the player can act on now, and choosing an entry of it by its
    // place (src/shell/mirror.cpp).
    MenuMirror Mirror() const;

private:
    // A picture screen in its mode: the chooser of saved games says what each slot holds.
    void ShowPicture(const std::string& name, const std::string& title, Mode mode);
    void ShowSlotChooser();
    void BuildComponents();
    void Resize();
    void Configure();
    void OnTimer(int32_t ticks);
    void FirstTick();
    void LoadPicture(ui::Image& image, const char* name, const std::filesystem::path& file);
    // "Ошибка: FILE: problem" into the message area; the text shown.
    std::string ShowError(const base::FileError& error) override;
    // The mode changes; the front end hears of the view it shows.
    void SetMode(Mode mode);
    // Something the front end draws changed; it hears of it once per event.
    void MarkChanged() { dirty_ = true; }
    void FlushChanges();
    // A click on the talking menu's list: the row is selected and spoken,
    // or chosen on a double click. Elsewhere nothing happens.
    void ListClick(int x, int y, bool twice);
    void ChooseRow(int row);
    // The talking list the player is in, when its rows are showing.
    talkui::TListLine* ShowingList() const;
    int ListRowAt(int x, int y) const;

    // Keys.
    bool SettingKey(int key, ui::ShiftState shift);
    void KeyDownInWait(int key, ui::ShiftState shift);
    void KeyPressInWait(char ch);
    void KeyUpInWait(int key);
    // Keys carried over a script's pause (see rules::WaitFlags::keysCarryOn):
    // played in their order as soon as nothing waits any more, each in the
    // view it was pressed in.
    void ReplayCarriedKey();
    void FormKeyDown(int& key, ui::ShiftState shift);
    void FormKeyPress(char& ch);
    void FormKeyUp(int& key, ui::ShiftState shift);
    void RichEdit2KeyUp(int& key, ui::ShiftState shift);
    bool ListeningKey(int key, ui::ShiftState shift);
    void CtrlKey(int key, bool down);
    void SayWhereAmI();
    // PictureScreen::Host
    void SayKeyHelp() override;
    void SayOnlyCount(int entries) override;
    void SayLine(const std::string& line) override { session_.rules->SayMessage(line); }
    void PictureBack() override;
    void Beep() override { frontEnd_.Beep(); }
    void SpeedStep(int delta);
    void VolumeStep(int delta);
    void SettingStepped(bool stepped, const std::string& setting, const std::string& atLimit,
                        void (MainIni::*write)() const);
    void ToggleMusic();
    // SettingsMenu::Host
    void WriteSetting(void (MainIni::*write)() const) override;

    // InstructionsReader::Host
    void ShowReadingView() override;
    bool InReadingView() const override { return mode_ == Mode::Reading; }
    void ReadingLeft() override;
    void ReadingMoved() override { MarkChanged(); }

    // Saved-game slots: the files, then what the player hears of a load. A
    // failure is shown, and spoken unless the caller speaks it itself.
    SlotResult TransferSlot(int32_t n, bool speakError);
    void ShowLoadedSlot(SlotResult result);

    // StartQuestion::Host (src/shell/autosave.cpp)
    void ShowQuestion(const std::string& question) override;
    void QuestionAnswered(std::optional<world::Autosave> save) override;

    // ActionMenus::Host
    void SetSlotModeLoad(bool load) override;
    void LoadOrSaveSlotChosen(int32_t n) override;
    void LeaveToMainMenu() override;
    std::string SlotContents(int32_t n) override;
    talkui::TMenuBlock& SettingsBlock() override { return settings_.Block(); }
    void SettingsOpening() override { settings_.Opening(); }

    // A menu of the program's own (settings, the adventures) on the game's
    // menu line, its title where the game's text is, no game picture
    // (src/shell/menu_alone.cpp).
    talkui::TMenuLine* MenuLine() override { return menu_.get(); }
    void ShowMenuAlone(const std::string& title) override;
    void OpenMenuAlone(talkui::TMenuBlock& block) override;
    void LeaveMenuAlone() override;

    // AdventureChooser::Host: another adventure played in this run (src/shell/form1.cpp).
    void LeaveForAnotherAdventure() override;
    void StartAnotherAdventure(std::string said) override;

    EventSource& events_;
    FrontEnd& frontEnd_;

    // Components, named as the window's designer named them.
    ui::Form form_{"Form1"};
    ui::Panel GamePanel{"GamePanel"};
    ui::Panel ImagePanel{"ImagePanel"};
    ui::Image Image1{"Image1"};
    ui::Panel MenuPanel{"MenuPanel"};
    ui::RichEdit RichEdit1{"RichEdit1"};
    ui::Panel RightPanel{"RightPanel"};
    ui::Panel IndiPanel{"IndiPanel"};
    ui::Image Image3{"Image3"};
    ui::Label Label1{"Label1"};
    ui::Label Label2{"Label2"};
    ui::Label Label3{"Label3"};
    ui::Panel IkPanel{"IkPanel"};
    ui::Panel KinPanel{"KinPanel"};
    ui::Image Image2{"Image2"};
    ui::RichEdit RichEdit2{"RichEdit2"};

    Session session_;
    std::unique_ptr<speech::SpeechOutput> pendingOutput_;
    talkui::Toolkit kit_;
    // Before the menu line, which may still hold their blocks.
    SettingsMenu settings_{static_cast<SettingsMenu::Host&>(*this), session_, kit_};
    AdventureChooser chooser_{static_cast<AdventureChooser::Host&>(*this), session_, kit_};
    // Before the menu line: it goes after the line that may still hold its blocks.
    std::unique_ptr<ActionMenus> actions_;
    std::unique_ptr<talkui::TMenuLine> menu_;
    std::unique_ptr<talkui::EditorLines> editors_;

    // Shell state.
    Mode mode_ = Mode::Starting;
    bool closed_ = false;
    std::string keyboardLayout_;
    PictureScreen picture_{static_cast<PictureScreen::Host&>(*this), session_.speech};
    bool slotModeLoad_ = false;
    QuickSelect digits_{kit_, [this](int entries) { SayOnlyCount(entries); }};
    bool togglingMusic_ = false;
    KeyTracker keys_;
    CarriedKeys carried_;
    bool replaying_ = false;
    std::optional<base::FileError> startupError_;

    // What the toolkit shows in its shared edit and list, as last drawn: the
    // talking lines change them on their own, so they are compared, not told.
    struct ToolkitShown {
        const ui::Control* focus = nullptr;
        std::string editText;
        int selStart = 0, selLength = 0;
        bool editShowing = false, listShowing = false;
        int rows = 0, itemIndex = -1, topIndex = 0, paintRequests = 0;
        bool operator==(const ToolkitShown&) const = default;
    };
    ToolkitShown ShownByToolkit() const;
    bool dirty_ = false;
    ToolkitShown lastShown_;

    std::unique_ptr<InstructionsReader> reader_;

    // The autosave. The running game is kept in Saves/autosave.sav after
    // every action that changed its screen, map or world, and when the
    // player leaves it in any way; the next start offers to continue it.
    // (src/shell/autosave.cpp)
    struct PlayedAt {
        uint64_t generation = 0;
        int32_t map = 0;
        int32_t screen = 0;
        bool operator==(const PlayedAt&) const = default;
    };
    PlayedAt PlayedNow() const;
    std::optional<base::FileError> RecoverSavesAtStart();
    void StartAfterPrompt();             // the introduction and main menu, or -nomenu's game
    void GameStarted(bool saveNow);
    void GameEnded();
    bool KeepGame(bool reportAlways);    // writes the autosave; false when it failed
    void AutosaveAfterEvent();
    void KeepGameOnLeaving();
    bool UnchangedSinceKept();
    // Keeps a running game, and says so, before a new game or the main menu.
    void KeepGameBeforeLeaving(bool newGame);
    world::AutosaveWriter autosaveWriter_;
    StartQuestion question_{static_cast<StartQuestion::Host&>(*this), session_.gp, session_.speech};
    bool gameRunning_ = false;
    // The state as last kept (or as the game began): leaving writes only a change.
    std::optional<world::StateBytes> keptState_;
    bool leavePending_ = false;
    bool thisGameKept_ = false;  // the autosave holds this game, not one before it
    std::optional<PlayedAt> savedAt_;
    std::string lastAutosaveError_;
};

}  // namespace velmora::shell

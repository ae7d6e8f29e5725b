// Start-up, the timer, the views and the window's side of the rules.
#include "shell/form1.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "base/cp1251.h"
#include "base/cues.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "shell/shell_texts.h"
#include "talkui/editor_lines.h"
#include "talkui/list_line.h"
#include "talkui/prop_bag.h"
#include "world/game_files.h"
#include "world/link.h"

namespace fs = std::filesystem;

namespace velmora::shell {

TForm1::TForm1(ShellOptions options, EventSource& events, FrontEnd& frontEnd,
               std::unique_ptr<speech::SpeechOutput> speechOutput,
               std::unique_ptr<sound::SoundDriver> soundDriver,
               sound::SoundObserver* soundObserver)
    : events_(events),
      frontEnd_(frontEnd),
      session_(std::move(options)),
      pendingOutput_(std::move(speechOutput)) {
    BuildComponents();
    reader_ = std::make_unique<InstructionsReader>(static_cast<InstructionsReader::Host&>(*this), session_.speech, form_, KinPanel, Image2,
                                                   RichEdit2, session_.options.programFolder);
    session_.gp.folders.program = session_.options.programFolder;
    Configure();
    reader_->SetProjectFolder(session_.projectFolder);
    session_.sound = std::make_unique<sound::SoundSystem>(
        session_.projectFolder, session_.options.programFolder / "Media", std::move(soundDriver),
        [this](int ticks) { session_.rules->WaitTicks(ticks); });
    session_.sound->observer = soundObserver;
    if (session_.options.signals) session_.options.signals->Attach(session_.sound.get());
    session_.rules = std::make_unique<rules::Rules>(session_.gp, session_.speech, *session_.sound, *this, *this);
    session_.rules->random.seed(session_.options.seed ? *session_.options.seed
                                      : static_cast<uint32_t>(std::chrono::system_clock::now()
                                                                  .time_since_epoch()
                                                                  .count()));
    world::StartWorld(session_.gp.map, session_.gp.hero);
    session_.sound->InitSound();
    actions_ = std::make_unique<ActionMenus>(static_cast<ActionMenus::Host&>(*this), session_.gp, *session_.rules, session_.speech, kit_);
    session_.speech.onSpeechEnding = [this] {
        if (session_.rules->waits.waiting) session_.sound->PlayEffect(2);
    };
    session_.speech.onSpeechEnded = [this] { reader_->SpeechEnded(); };
}

TForm1::~TForm1() {
    if (session_.options.signals) session_.options.signals->Attach(nullptr);
}

void TForm1::BuildComponents() {
    kit_.Measure = &frontEnd_.TextMeasure();
    const WindowSize size = frontEnd_.InitialWindowSize();
    form_.SetBounds(0, 0, size.width, size.height);
    form_.OnKeyDown = [this](int& key, ui::ShiftState shift) { FormKeyDown(key, shift); };
    form_.OnKeyPress = [this](char& ch) { FormKeyPress(ch); };
    form_.OnKeyUp = [this](int& key, ui::ShiftState shift) { FormKeyUp(key, shift); };
    GamePanel.SetParent(&form_);
    GamePanel.SetAlign(ui::Align::Client);
    GamePanel.SetVisible(false);
    ImagePanel.SetParent(&GamePanel);
    ImagePanel.SetAlign(ui::Align::Top);
    Image1.SetParent(&ImagePanel);
    MenuPanel.SetParent(&GamePanel);
    MenuPanel.SetAlign(ui::Align::Client);
    RightPanel.SetParent(&MenuPanel);
    RightPanel.SetAlign(ui::Align::Right);
    RichEdit1.SetParent(&MenuPanel);
    RichEdit1.SetAlign(ui::Align::Client);
    // Fonts in points at 96 dots per inch: 23 pixels are 17 points, 30 are 22.
    RichEdit1.Font = {"Arial Black", ui::kRussianCharset, 17, ui::kLime, false};
    RichEdit1.ScrollBars = true;
    IndiPanel.SetParent(&RightPanel);
    IndiPanel.SetAlign(ui::Align::Top);
    IndiPanel.SetHeight(46);
    Image3.SetParent(&IndiPanel);
    Image3.SetAlign(ui::Align::Top);
    Image3.SetHeight(26);
    // Each number with its name, for the companion who reads them: in a
    // smaller type, so that "Здоровье 100" fits a third of the strip.
    for (ui::Label* l : {&Label1, &Label2, &Label3}) {
        l->SetParent(&IndiPanel);
        l->Font = {"MS Sans Serif", ui::kDefaultCharset, 12, ui::kAqua, false};
        l->SetBounds(0, 26, 60, 20);
    }
    IkPanel.SetParent(&RightPanel);
    IkPanel.SetAlign(ui::Align::Client);
    kit_.Edit = std::make_shared<ui::Edit>("Edit1");
    kit_.Edit->SetParent(&IkPanel);
    kit_.List = std::make_shared<ui::ListBox>("ListBox1");
    kit_.List->SetParent(&IkPanel);
    KinPanel.SetParent(&form_);
    KinPanel.SetAlign(ui::Align::Client);
    Image2.SetParent(&KinPanel);
    Image2.SetAlign(ui::Align::Client);
    RichEdit2.SetParent(&KinPanel);
    RichEdit2.SetAlign(ui::Align::Bottom);
    RichEdit2.SetHeight(49);
    RichEdit2.SetVisible(false);
    RichEdit2.ReadOnly = true;
    RichEdit2.Alignment = ui::TextAlign::Center;
    RichEdit2.Font = {"Monotype Corsiva", ui::kRussianCharset, 22, ui::kFuchsia, true};
    RichEdit2.OnKeyUp = [this](int& key, ui::ShiftState shift) { RichEdit2KeyUp(key, shift); };
    Resize();
}

void TForm1::Resize() {
    // A control's new size moves only its own children: the panels beside
    // it are laid out again by hand, or the menu's panel would keep the
    // place it had at width 0 (off the right edge of the window).
    ImagePanel.SetHeight(form_.Height() / 2);
    GamePanel.Realign();
    RightPanel.SetWidth(form_.Width() / 3);
    MenuPanel.Realign();
    Image1.SetBounds(10, 10, ImagePanel.Width() - 20, ImagePanel.Height() - 20);
    const int w = IndiPanel.Width();
    int third = 0;
    for (ui::Label* l : {&Label1, &Label2, &Label3}) {
        l->SetBounds(w * third / 3 + 4, 26, std::max(w / 3 - 8, 1), 20);
        ++third;
    }
    kit_.List->SetBounds(0, 0, IkPanel.Width(), IkPanel.Height() - kit_.Edit->Height());
    kit_.Edit->SetBounds(0, IkPanel.Height() - kit_.Edit->Height(), IkPanel.Width(),
                         kit_.Edit->Height());
    MarkChanged();
}

// main.ini, the project (or Projects\Default), the project folder, and
// where its saved games go. Runs again when the player chooses another
// adventure: the records are refilled, never replaced.
void TForm1::Configure() {
    session_.ini.Read();
    startupError_.reset();
    session_.gp.folders.projects.clear();
    const std::string current = chooser_.Current();
    // Another adventure than the one that ships, named on the command line
    // (it wins for this run) or by main.ini, is played from its own folder,
    // as --project plays it: the same folder gives the same saves, however
    // it was reached.
    std::optional<ProjectChoice> choice = session_.options.project;
    if (!choice) choice = chooser_.ChosenProject(current);
    chooser_.SetShippedPlaying(!choice);
    session_.projectPath = choice ? choice->path : current;
    const std::string prefix = session_.projectPath.empty() ? std::string() : session_.projectPath + "\\";
    session_.gp.folders.projectPath = prefix;
    if (choice) session_.gp.folders.projects = choice->root;
    bool loaded = false;
    if (base::FindPath(session_.gp.folders.ProjectsRoot(), prefix + "game.ini")) {
        try {
            loaded = world::LoadProject(session_.gp);
        } catch (const base::FileError& e) {
            // A damaged project is reported once speech is open.
            startupError_ = e;
        }
    }
    if (!loaded && !startupError_) {
        chooser_.SetShippedPlaying(true);
        session_.gp.folders.projects.clear();
        session_.projectPath = "Projects\\Default";
        session_.gp.folders.projectPath = session_.projectPath + "\\";
        std::error_code ec;  // a read-only game root keeps an empty world all the same
        if (auto folder = base::PathForWriting(session_.options.programFolder, session_.projectPath)) {
            fs::create_directories(*folder, ec);
        }
        // The adventure that ships in Default is loaded too, so that its
        // introduction and menu play at the first start.
        try {
            world::LoadProject(session_.gp);
        } catch (const base::FileError& e) {
            startupError_ = e;
        }
    }
    auto found = base::FindPath(session_.gp.folders.ProjectsRoot(), session_.gp.folders.projectPath);
    session_.projectFolder = found ? *found : session_.gp.folders.ProjectsRoot() / base::PathOf1251(session_.projectPath);
    // Each adventure keeps its own slots and autosave; the one that ships
    // keeps them where they always were, so no player's saves move.
    session_.gp.folders.state = session_.options.stateFolder;
    if (!chooser_.ShippedPlaying()) {
        const fs::path name = session_.projectFolder.filename();
        session_.gp.folders.state = session_.options.stateFolder / "ProjectSaves" / (name.empty() ? fs::path("project") : name);
        std::error_code ec;
        fs::create_directories(session_.gp.folders.state, ec);
    }
}

void TForm1::LeaveForAnotherAdventure() {
    KeepGameOnLeaving();
    gameRunning_ = false;
    // Left: the menu line shows on, as the game's, until what the new one starts with.
    if (mode_ == Mode::MenuAlone) mode_ = Mode::Game;
    if (menu_) menu_->Handler = nullptr;
    session_.sound->StopMusic();
}

// The configuration, the project and the world again, the autosave's and
// the question's memory of the game left forgotten.
void TForm1::StartAnotherAdventure(std::string said) {
    autosaveWriter_ = world::AutosaveWriter();
    question_.Forget();
    keptState_.reset();
    savedAt_.reset();
    thisGameKept_ = false;
    leavePending_ = false;
    Configure();
    reader_->SetProjectFolder(session_.projectFolder);
    session_.sound->SetProjectFolder(session_.projectFolder);
    session_.rules->WorldReplaced();
    world::StartWorld(session_.gp.map, session_.gp.hero);
    // As at a start: what could not be read is said before anything else.
    if (startupError_) said += ShowError(*startupError_) + ". ";
    startupError_.reset();
    if (auto saves = RecoverSavesAtStart()) said += ShowError(*saves) + ". ";
    if (!said.empty()) session_.speech.PendingPrefix = said;
    if (question_.Offer()) return;
    StartAfterPrompt();
}

void TForm1::Run() {
    while (!closed_ && DispatchNext()) {
    }
}

bool TForm1::DispatchNext() {
    if (closed_) return false;
    // What a running action changed so far is drawn before it waits.
    FlushChanges();
    const std::optional<Event> event = events_.Next();
    if (!event) return false;
    Dispatch(*event);
    return true;
}

void TForm1::Dispatch(const Event& e) {
    using K = Event::Kind;
    switch (e.kind) {
        case K::Tick:
            OnTimer(e.ticks);
            break;
        // While the rules wait, a key only ends the wait: it never chooses,
        // walks, jumps to a bookmark or types, so nothing can start a second
        // action inside the first one.
        case K::KeyDown:
            // Only the character of the keystroke that set it is eaten: a key
            // that types none (Ctrl+M on Linux) must not eat the next key's.
            keys_.swallowNextChar = false;
            CtrlKey(e.key, true);
            session_.rules->OnKeyDown(e.key);
            keys_.Down(e.key, session_.rules->InWait(), View());
            if (session_.rules->InWait()) {
                KeyDownInWait(e.key, e.shift);
            } else {
                session_.rules->ActionStarts();
                form_.DeliverKeyDown(e.key, e.shift);
            }
            break;
        case K::KeyPress:
            if (!session_.rules->InWait()) {
                form_.DeliverKeyPress(e.ch);
            } else {
                KeyPressInWait(e.ch);
            }
            break;
        case K::KeyUp:
            keys_.swallowNextChar = false;
            CtrlKey(e.key, false);
            // A key pressed during a wait belongs to it, even when the wait
            // ended by itself (its time, the voice) before the key came up:
            // a digit pressed during the death's pages must not choose in
            // the main menu that follows them.
            if (session_.rules->InWait() || keys_.TakeDownInWait(e.key) || keys_.ReleasedInOtherView(e.key, View())) {
                KeyUpInWait(e.key);
            } else {
                form_.DeliverKeyUp(e.key, e.shift);
            }
            break;
        case K::SpeechEnded:
            session_.speech.Handle(speech::SpeechEvent::SpeechEnded);
            break;
        case K::VoiceStopped:
            session_.speech.Handle(speech::SpeechEvent::VoiceStopped);
            break;
        case K::MusicEnded:
            session_.sound->Handle(sound::SoundEvent::MusicFinished);
            break;
        case K::Quit:
            // Every wait ends with it: no event is dispatched once closed.
            FormClose();
            break;
        case K::Resize:
            form_.SetBounds(0, 0, e.width, e.height);
            Resize();
            break;
        case K::MouseClick:
        case K::MouseDoubleClick:
            // Like a key during a wait, a click then does nothing at all.
            if (!session_.rules->InWait()) ListClick(e.x, e.y, e.kind == K::MouseDoubleClick);
            break;
        case K::ChooseRow:
            if (!session_.rules->InWait()) ChooseRow(e.row);
            break;
    }
    FlushChanges();
    AutosaveAfterEvent();
    ReplayCarriedKey();
}

int32_t TForm1::TimedWaitTicksLeft() const { return session_.rules->TimedWaitTicksLeft(); }

TForm1::ToolkitShown TForm1::ShownByToolkit() const {
    const ui::Edit& edit = *kit_.Edit;
    const ui::ListBox& list = *kit_.List;
    return {form_.ActiveControl(), edit.Text(),      edit.SelStart(),  edit.SelLength(),
            edit.Showing(),        list.Showing(),   list.Count(),     list.ItemIndex(),
            list.TopIndex(),       list.PaintRequests()};
}

void TForm1::FlushChanges() {
    if (closed_) return;  // nothing is drawn any more
    if (!dirty_ && ShownByToolkit() == lastShown_) return;
    dirty_ = false;
    frontEnd_.Changed();
    // After the front end drew (and took the list's repaint requests).
    lastShown_ = ShownByToolkit();
}

void TForm1::OnTimer(int32_t ticks) {
    if (mode_ == Mode::Starting) FirstTick();
    const std::string layout = frontEnd_.KeyboardLayout();
    if (layout != keyboardLayout_) {
        keyboardLayout_ = layout;
        session_.speech.PlayCue(layout.find("409") != std::string::npos   ? base::kCueLayoutEnglish
                        : layout.find("419") != std::string::npos ? base::kCueLayoutRussian
                                                                  : base::kCueLayoutOther);
    }
    session_.rules->OnTick(ticks);
}

void TForm1::FirstTick() {
    mode_ = Mode::Picture;  // the start's own screen until its pages or menu show
    session_.speech.OpenSpeech(std::move(pendingOutput_));
    kit_.SpeakHook = [this](const std::string& text) { session_.speech.SayText(text); };
    kit_.SignalHook = [this](int cue) { session_.speech.PlayCue(cue); };
    kit_.BeepHook = [this] { frontEnd_.Beep(); };
    kit_.ToneHook = [this](int hz, int ms) { frontEnd_.Tone(hz, ms); };
    kit_.WaitHook = [this](int ms) { session_.rules->WaitTicks(ms / 100); };
    kit_.CommandHook = [](int, bool forLine) { return !forLine; };
    kit_.ProgramFolder = session_.options.stateFolder;
    MarkChanged();  // the menu, its edit and list, the indicator strip
    keyboardLayout_ = frontEnd_.KeyboardLayout();
    if (!menu_) {
        menu_ = std::make_unique<talkui::TMenuLine>(kit_, IkPanel, &kit_.Edit, &kit_.List,
                                                    &kit_.Settings);
        actions_->AttachMenu(*menu_);
    }
    editors_ = std::make_unique<talkui::EditorLines>(kit_, IkPanel);
    editors_->Install();
    if (auto indi = base::FindPath(session_.options.programFolder, "gif\\indi.gif")) {
        LoadPicture(Image3, "Image3", *indi);
    }
    session_.speech.SetSpeechRate(session_.ini.Speed);
    session_.sound->AppliedVolume = session_.ini.MidiVol;
    session_.sound->MusicWanted = session_.ini.Music;
    // Settings that could not be read (the defaults stand), a damaged
    // project and saves that could not be recovered, in one utterance: a
    // second would cut the first off.
    std::vector<base::FileError> problems;
    if (session_.ini.Problem) problems.push_back(*session_.ini.Problem);
    if (kit_.Settings && kit_.Settings->LoadProblem) problems.push_back(*kit_.Settings->LoadProblem);
    if (startupError_) problems.push_back(*std::exchange(startupError_, std::nullopt));
    if (auto saves = RecoverSavesAtStart()) problems.push_back(*saves);
    if (!problems.empty()) {
        std::string said;
        for (const base::FileError& e : problems) {
            said += (said.empty() ? "" : ". ") + ShowError(e);
        }
        RichEdit1.SetText(said);
        session_.speech.SayText(said);
    }
    // A game left running last time is offered first, in one key. -nomenu
    // starts a new game at once, as it always did: it is what scripts and
    // authors use to get the first screen every time, and the autosave is
    // kept until the new game changes something.
    if (!session_.options.nomenu && question_.Offer()) return;
    StartAfterPrompt();
}

void TForm1::FormClose() {
    if (closed_) return;
    KeepGameOnLeaving();
    session_.sound->StopMusic();
    session_.sound->SetMusicVolume(0);
    closed_ = true;
}

void TForm1::LoadPicture(ui::Image& image, const char* name, const fs::path& file) {
    image.LoadPicture(file);
    frontEnd_.PictureLoaded(name, file);
    MarkChanged();
}

void TForm1::SetMode(Mode mode) {
    mode_ = mode;
    frontEnd_.ViewChanged(ViewName(ViewOf(mode)));
    MarkChanged();
}

}  // namespace velmora::shell

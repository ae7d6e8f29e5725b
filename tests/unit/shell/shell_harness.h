// The whole shell on a small project in a temporary game root, driven by a
// queue of events and heard through a recording speech output.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "shell/form1.h"
#include "sound/sound_driver.h"
#include "speech/speech_output.h"
#include "ui/keys.h"
#include "unit/test_folder.h"

namespace velmora::shell::test {

inline std::string Ru(const std::string& utf8) { return base::Utf8ToCp1251(utf8); }

// Lines of a plain key-line file, written in the game's code page.
inline std::string KeyLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += Ru(line) + "\r\n";
    return text;
}

// The lines with more lines added; a line of `more` whose key is already
// there takes that line's place.
inline std::vector<std::string> Joined(std::vector<std::string> lines,
                                       const std::vector<std::string>& more) {
    for (const std::string& line : more) {
        const std::string key = line.substr(0, line.find('=') + 1);
        auto same = std::find_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.rfind(key, 0) == 0; });
        if (same != lines.end()) {
            *same = line;
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

// Events given before the run; when they are used up, none come any more.
class QueuedEvents : public EventSource {
public:
    std::optional<Event> Next() override {
        std::deque<Event>& from = !posted.empty() ? posted : queue;
        if (from.empty()) return std::nullopt;
        const Event e = from.front();
        from.pop_front();
        return e;
    }
    void Post(const Event& e) override { posted.push_back(e); }

    void Down(int key, char ch = 0, ui::ShiftState shift = {}) {
        queue.push_back({Event::Kind::KeyDown, key, shift});
        if (ch != 0) queue.push_back({Event::Kind::KeyPress, 0, {}, ch});
    }
    void Up(int key, ui::ShiftState shift = {}) { queue.push_back({Event::Kind::KeyUp, key, shift}); }
    void Press(int key, char ch = 0, ui::ShiftState shift = {}) {
        Down(key, ch, shift);
        Up(key, shift);
    }
    void Digit(int n) { Press('0' + n, static_cast<char>('0' + n)); }
    void Ticks(int32_t n) { queue.push_back(Event::Ticks(n)); }

    std::deque<Event> queue;
    std::deque<Event> posted;
};

// Each text is written down and ends at once, as a reader program reports it
// (or, with endsAtOnce cleared, when a test queues the end of speech; with
// noEnd, as a screen reader that never reports one hears it).
class HeardSpeech : public speech::SpeechOutput {
public:
    HeardSpeech(std::vector<std::string>& heard, QueuedEvents& events, const bool& endsAtOnce,
                bool noEnd = false)
        : heard_(heard), events_(events), endsAtOnce_(endsAtOnce), noEnd_(noEnd) {}
    speech::SpeechOutputKind Kind() const override {
        return noEnd_ ? speech::SpeechOutputKind::soJaws : speech::SpeechOutputKind::soReader;
    }
    void Speak(const std::string& text) override {
        heard_.push_back(base::Cp1251ToUtf8(text));
        if (endsAtOnce_ && !noEnd_) events_.Post({Event::Kind::SpeechEnded});
    }
    void SpeakAgain(const std::string& text) override {
        heard_.push_back("again " + base::Cp1251ToUtf8(text));
        if (endsAtOnce_ && !noEnd_) events_.Post({Event::Kind::SpeechEnded});
    }
    void AudioReset() override { heard_.push_back("silence"); }
    void Cue(int number) override { heard_.push_back("cue " + std::to_string(number)); }
    void SetRate(int rate) override { heard_.push_back("rate " + std::to_string(rate)); }
    bool EndsAtOnce() const override { return endsAtOnce_ && !noEnd_; }

private:
    std::vector<std::string>& heard_;
    QueuedEvents& events_;
    const bool& endsAtOnce_;
    const bool noEnd_;
};

// Writes down what the shell asks of it, and answers as it is told.
class RecordingFrontEnd : public FrontEnd {
public:
    void PictureLoaded(const char* component, const std::filesystem::path& file) override {
        calls.push_back(std::string("picture ") + component + " " + file.filename().string());
    }
    void ViewChanged(const char* view) override { calls.push_back(std::string("view ") + view); }
    void Beep() override { calls.push_back("beep"); }
    void Tone(int hz, int ms) override {
        calls.push_back("tone " + std::to_string(hz) + " " + std::to_string(ms));
    }
    // Asked on every timer tick.
    std::string KeyboardLayout() override {
        if (onTick) onTick();
        return layout;
    }
    WindowSize InitialWindowSize() override { return windowSize; }
    std::optional<WindowSize> MeasurePicture(const std::filesystem::path&) override {
        return pictureSize;
    }
    void Changed() override { ++changed; }

    std::vector<std::string> calls;
    std::string layout = "00000419";
    WindowSize windowSize{1920, 1080};
    std::optional<WindowSize> pictureSize = WindowSize{640, 480};
    int changed = 0;
    std::function<void()> onTick;
};

// A control of the window by its designer's name, or null.
inline ui::Control* FindControl(ui::Control& in, const std::string& name) {
    if (in.Name() == name) return &in;
    for (ui::Control* child : in.Children()) {
        if (ui::Control* found = FindControl(*child, name)) return found;
    }
    return nullptr;
}

// A gate (north to a yard) with a stone and a key lying there; more lines of
// the map or of game.ini may be given (a yard's OnEnter, commands, intros).
struct ShellFixture {
    velmora::test::TestFolder root;
    QueuedEvents events;
    RecordingFrontEnd frontEnd;
    std::vector<std::string> heard;
    bool speechEndsAtOnce = true;
    bool speechReportsNoEnd = false;  // a screen reader's way: no end is ever reported
    bool terminalKeys = false;  // the player is in a terminal
    std::filesystem::path stateFolder;  // empty: the game root
    std::optional<ProjectChoice> project;  // as --project names one
    ShellOptions::SpeechChoices speechChoices;  // what the settings offer of voices and outputs
    std::unique_ptr<TForm1> form;

    explicit ShellFixture(const std::string& stoneOnExam, int32_t health = 12,
                          const std::vector<std::string>& moreMap = {},
                          const std::vector<std::string>& moreGame = {}) {
        root.Write("Projects/Default/game.ini",
                   KeyLines(Joined({"GameInitHealth=" + std::to_string(health), "GameGoDecHealth=2",
                                    "GameNotInterCnt=1", "GameNotInter0=Ничего интересного.",
                                    "GameDeathCnt=1", "GameDeath0=Силы оставили тебя."},
                                   moreGame)));
        root.Write("Projects/Default/map1.ini",
                   KeyLines(Joined({"MapFirstMessage=Ты у ворот.", "MapScrCount=2", "Scr0no=0",
                             "Scr0Title=Ворота", "Scr0North=-1", "Scr0South=-2", "Scr0East=-2",
                             "Scr0West=-2", "Scr1no=1", "Scr1Title=Двор", "Scr1y=1",
                             "Scr1North=-2", "Scr1South=-1", "Scr1East=-2", "Scr1West=-2",
                             "MapObjCount=2", "Obj0no=0", "Obj0Title=камень", "Obj0ScrWhere=0",
                             "Obj0Visible=1", "Obj0OnExam=" + stoneOnExam, "Obj1no=1",
                             "Obj1Title=ключ", "Obj1ScrWhere=0", "Obj1Visible=1",
                             "Obj1Takable=1", "Obj1Weight=1"},
                                   moreMap)));
        root.Write("Projects/Default/menu.txt", KeyLines({"Новая игра", "Выход"}));
        events.queue.push_back({Event::Kind::Tick});  // the first tick starts the game
    }

    // Plays every queued event; the game starts at once (no menu).
    void Play() {
        if (!form) {
            ShellOptions options;
            options.programFolder = root.path();
            options.stateFolder = stateFolder.empty() ? root.path() : stateFolder;
            options.nomenu = true;
            options.project = project;
            if (terminalKeys) options.keyHelp = shell::ShellOptions::KeyHelp::terminal;
            options.speechChoices = speechChoices;
            options.seed = 1;
            form = std::make_unique<TForm1>(options, events, frontEnd,
                                            std::make_unique<HeardSpeech>(heard, events, speechEndsAtOnce,
                                                                          speechReportsNoEnd),
                                            std::make_unique<sound::NoneDriver>(), nullptr);
        }
        form->Run();
    }

    // What was heard, one line each, for failure messages.
    std::string Heard() const {
        std::string text;
        for (const std::string& line : heard) text += line + "\n";
        return text;
    }

    // What was heard after the last time the text was heard (all of it when never).
    std::vector<std::string> HeardAfter(const std::string& text) const {
        auto it = std::find(heard.rbegin(), heard.rend(), text);
        return std::vector<std::string>(it.base(), heard.end());
    }

    int Count(const std::string& text) const {
        int n = 0;
        for (const std::string& line : heard) n += line == text ? 1 : 0;
        return n;
    }
};

}  // namespace velmora::shell::test

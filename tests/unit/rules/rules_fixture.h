// A small world in a temporary game root, with recording speech, sound and
// view, and a scripted event queue on a virtual clock.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "rules/rules.h"
#include "unit/sound/recording_driver.h"
#include "unit/test_folder.h"
#include "world/link.h"

namespace velmora::rules::test {

inline std::string Ru(const std::string& utf8) { return base::Utf8ToCp1251(utf8); }

// Everything the player would see or hear, in order, as readable lines.
struct Transcript {
    std::vector<std::string> lines;
    void Add(const std::string& line) { lines.push_back(line); }
    // The lines that start with prefix, without it.
    std::vector<std::string> With(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : lines) {
            if (l.rfind(prefix, 0) == 0) out.push_back(l.substr(prefix.size()));
        }
        return out;
    }
};

class RecordingSpeech : public speech::SpeechOutput {
public:
    explicit RecordingSpeech(Transcript& t) : t_(t) {}
    speech::SpeechOutputKind Kind() const override { return speech::SpeechOutputKind::soReader; }
    void Speak(const std::string& text) override { t_.Add("say " + base::Cp1251ToUtf8(text)); }
    void Cue(int n) override { t_.Add("cue " + std::to_string(n)); }
    void SetRate(int r) override { t_.Add("rate " + std::to_string(r)); }

private:
    Transcript& t_;
};

class RecordingView : public RulesView {
public:
    explicit RecordingView(Transcript& t) : t_(t) {}
    void SetGameText(const std::string& text) override {
        gameText = text;
        t_.Add("text " + base::Cp1251ToUtf8(text));
    }
    void ClearPageText() override { pageText.clear(); }
    void AppendPageLine(const std::string& line) override {
        pageText += (pageText.empty() ? "" : "\r\n") + line;
    }
    std::string PageText() const override { return pageText; }
    void LoadGamePicture(const std::filesystem::path& file) override {
        t_.Add("picture " + file.filename().string());
    }
    std::optional<PictureSize> LoadPagePicture(const std::filesystem::path& file) override {
        t_.Add("page picture " + file.filename().string());
        return pictureSize;
    }
    void ReleasePagePicture() override {}
    void PlacePagePicture(int left, int top, int width, int height) override {
        t_.Add("place " + std::to_string(left) + " " + std::to_string(top) + " " +
               std::to_string(width) + " " + std::to_string(height));
    }
    PageLayout ShowPageView() override {
        t_.Add("page view");
        return layout;
    }
    void ShowGameView() override { t_.Add("game view"); }
    void OpenMainMenu() override { t_.Add("main menu"); }
    void ShowHeroStatus(int32_t h, int32_t l, int32_t e) override {
        status = std::to_string(h) + " " + std::to_string(l) + " " + std::to_string(e);
    }
    void ReportError(const base::FileError& error) override {
        t_.Add("error " + error.Said().str());
    }

    std::string gameText;
    std::string pageText;
    std::string status;
    std::optional<PictureSize> pictureSize = PictureSize{100, 50};
    PageLayout layout{2.0, 1024, 768};

private:
    Transcript& t_;
};

// Events a test queues: key presses and releases, ticks, ends of speech.
class ScriptedEvents : public EventPump {
public:
    enum Kind { KeyDown, KeyUp, Tick, SpeechEnd };
    struct Event {
        Kind kind;
        int key;
    };
    bool DispatchNext() override {
        if (queue.empty()) return false;
        const Event e = queue.front();
        queue.pop_front();
        ++dispatched;
        switch (e.kind) {
            case KeyDown: rules->OnKeyDown(e.key); break;
            case KeyUp: rules->OnKeyUp(e.key); break;
            case Tick: ++ticks; rules->OnTick(); break;
            case SpeechEnd: speech->OnSpeechEnd(); break;
        }
        return true;
    }
    void Key(int key = 13) {
        queue.push_back({KeyDown, key});
        queue.push_back({KeyUp, key});
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) queue.push_back({Tick, 0});
    }
    std::deque<Event> queue;
    Rules* rules = nullptr;
    speech::SpeechRouter* speech = nullptr;
    int ticks = 0;
    int dispatched = 0;
};

struct RulesFixture {
    velmora::test::TestFolder root;
    world::GameProject gp;
    Transcript transcript;
    speech::SpeechRouter speech;
    sound::test::RecordingDriver* soundLog = nullptr;
    std::unique_ptr<sound::SoundSystem> sound;
    RecordingView view{transcript};
    ScriptedEvents events;
    std::unique_ptr<Rules> rules;

    RulesFixture() {
        root.Write("Projects/Test/game.ini", "");
        for (const char* name : {"chimes.wav", "start.wav", "recycle.wav", "show.wav"}) {
            root.Write(std::string("Media/") + name, "RIFF");
        }
        gp.folders.program = root.path();
        gp.folders.state = root.path();
        gp.folders.projectPath = "Projects\\Test\\";
        speech.OpenSpeech(std::make_unique<RecordingSpeech>(transcript));
        auto driver = std::make_unique<sound::test::RecordingDriver>(true);
        soundLog = driver.get();
        sound = std::make_unique<sound::SoundSystem>(root.path() / "Projects/Test",
                                                     root.path() / "Media", std::move(driver),
                                                     [this](int n) { rules->WaitTicks(n); });
        sound->InitSound();
        soundLog->Take();
        rules = std::make_unique<Rules>(gp, speech, *sound, view, events);
        rules->random.seed(7);
        events.rules = rules.get();
        events.speech = &speech;
    }

    world::MScreen& AddScreen(int32_t no, const std::string& title, int32_t x = 0, int32_t y = 0) {
        auto s = std::make_unique<world::MScreen>();
        s->no = no;
        s->Title = Ru(title);
        s->x = x;
        s->y = y;
        s->North = s->South = s->East = s->West = world::kExitNone;
        gp.map.screens.push_back(std::move(s));
        gp.map.ScrCount = static_cast<int32_t>(gp.map.screens.size());
        return *gp.map.screens.back();
    }
    world::MObj& AddObject(int32_t no, const std::string& title, int32_t where, int32_t weight = 1) {
        auto o = std::make_unique<world::MObj>();
        o->no = no;
        o->Title = Ru(title);
        o->ScrWhere = where;
        o->Visible = 1;
        o->Weight = weight;
        gp.map.objects.push_back(std::move(o));
        gp.map.ObjCount = static_cast<int32_t>(gp.map.objects.size());
        return *gp.map.objects.back();
    }
    world::MScript& AddCommand(int32_t no, int32_t obj1, int32_t obj2,
                               std::vector<std::string> script) {
        auto c = std::make_unique<world::MScript>();
        c->no = no;
        c->cScr = -2;
        c->cObj1 = obj1;
        c->cObj2 = obj2;
        c->cObj1Carry = 0;
        c->script = std::move(script);
        gp.map.commands.push_back(std::move(c));
        gp.map.CmdCount = static_cast<int32_t>(gp.map.commands.size());
        return *gp.map.commands.back();
    }
    // Links the world and puts the hero on the screen at `position`.
    void Start(int32_t position = 0) {
        world::LinkWorld(gp.map, gp.hero);
        gp.hero.CurScrNo = position;
        world::PlaceHero(gp.map, gp.hero);
    }
    // Runs script lines (joined) as an event script.
    bool RunLines(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) text += Ru(l) + "\r\n";
        return rules->RunScript(text);
    }
    std::vector<std::string> Said() const { return transcript.With("say "); }
    std::vector<std::string> Sounds() { return soundLog->Take(); }
};

}  // namespace velmora::rules::test

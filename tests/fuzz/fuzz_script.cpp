// Runs arbitrary script text against a small world: nothing may crash, hang,
// or grow without bound, whatever the script says.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "rules/rules.h"
#include "speech/simple_outputs.h"
#include "world/key_access.h"
#include "world/link.h"

using namespace velmora;

namespace {

class NullView : public rules::RulesView {
public:
    void SetGameText(const std::string&) override {}
    void ClearPageText() override { page_.clear(); }
    void AppendPageLine(const std::string& line) override {
        if (page_.size() < 1 << 20) page_ += line + "\r\n";
    }
    std::string PageText() const override { return page_; }
    void LoadGamePicture(const std::filesystem::path&) override {}
    std::optional<rules::PictureSize> LoadPagePicture(const std::filesystem::path&) override {
        return rules::PictureSize{640, 480};
    }
    void ReleasePagePicture() override {}
    void PlacePagePicture(int, int, int, int) override {}
    rules::PageLayout ShowPageView() override { return {1.5, 1024, 768}; }
    void ShowGameView() override {}
    void OpenMainMenu() override {}
    void ShowHeroStatus(int32_t, int32_t, int32_t) override {}
    void ReportError(const base::FileError&) override {}

private:
    std::string page_;
};

// A few events, then none: waits end instead of blocking.
class FewEvents : public rules::EventPump {
public:
    bool DispatchNext() override {
        if (left_ == 0) return false;
        --left_;
        if (left_ % 2 == 0) {
            rules->OnKeyUp(13);
        } else {
            rules->OnTick();
        }
        return true;
    }
    rules::Rules* rules = nullptr;

private:
    int left_ = 50;
};

std::filesystem::path Root() {
    static const std::filesystem::path root = [] {
        const char* tmp = std::getenv("TMPDIR");
        auto dir = std::filesystem::path(tmp ? tmp : "/tmp") / "velmora-fuzz-script";
        std::filesystem::create_directories(dir / "Projects" / "Test");
        return dir;
    }();
    return root;
}

void AddScreen(world::MMap& map, int32_t no, const char* title, int32_t x, int32_t y) {
    auto s = std::make_unique<world::MScreen>();
    s->no = no;
    s->Title = title;
    s->x = x;
    s->y = y;
    s->Scripts.lines = {"say one\r\ncall 2", "call 1", "force 1"};
    s->Messages.lines = {"m1"};
    s->OnAnyAct = "state 2";
    map.screens.push_back(std::move(s));
    map.ScrCount = static_cast<int32_t>(map.screens.size());
}

void AddObject(world::MMap& map, int32_t no, const char* title, int32_t where) {
    auto o = std::make_unique<world::MObj>();
    o->no = no;
    o->Title = title;
    o->ScrWhere = where;
    o->Visible = 1;
    o->OnTake = "say taken";
    o->OnDrop = "take key";
    map.objects.push_back(std::move(o));
    map.ObjCount = static_cast<int32_t>(map.objects.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    world::GameProject gp;
    gp.folders.program = Root();
    gp.folders.state = Root();
    gp.folders.projectPath = "Projects\\Test\\";
    AddScreen(gp.map, 0, "yard", 0, 0);
    AddScreen(gp.map, 3, "tower", 0, 1);
    AddObject(gp.map, 0, "key", -1);
    AddObject(gp.map, 1, "door", 0);
    gp.game.Intros.lines = {"text\r\n#page 3\r\n#wait 2\r\n#image a.gif\r\n#vol 30"};
    gp.game.Death.lines = {"dead"};
    world::StartWorld(gp.map, gp.hero);
    gp.hero.Health = 50;

    speech::SpeechRouter speech;
    speech.OpenSpeech(std::make_unique<speech::NoneOutput>(nullptr));
    rules::Rules* current = nullptr;
    sound::SoundSystem sound(Root() / "Projects/Test", Root() / "Media", nullptr,
                             [&](int ticks) { current->WaitTicks(ticks); });
    NullView view;
    FewEvents events;
    rules::Rules rules(gp, speech, sound, view, events);
    current = &rules;
    events.rules = &rules;
    // Small limits: an input that loops is cut short, so thousands run a second.
    rules.statementBudget = 500;
    rules.mapChangeBudget = 2;
    rules.AuthorNote = [](const std::string&) {};

    const std::string script(reinterpret_cast<const char*>(data), size);
    auto command = std::make_unique<world::MScript>();
    command->script = world::SplitLines(script);
    rules.RunScript(script);
    rules.TryCommand(*command);
    gp.map.screens[0]->Scripts.lines.push_back(script);
    rules.RunScript("call 4");
    return 0;
}

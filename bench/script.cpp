// What one long script costs the runner: 10,000 lines of the statements and
// conditions authors use most, run as one action (the limit on statements
// per action lifted), on a world of a few screens and objects. Speech, the
// view and sound record nothing, so the figure is the runner's own work.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "rules/rules.h"
#include "sound/sound_system.h"
#include "speech/speech_router.h"
#include "temp_folder.h"
#include "world/game_project.h"
#include "world/link.h"

namespace {

using namespace velmora;

class QuietView : public rules::RulesView {
  public:
    void SetGameText(const std::string&) override {}
    void ClearPageText() override {}
    void AppendPageLine(const std::string&) override {}
    std::string PageText() const override { return {}; }
    void LoadGamePicture(const std::filesystem::path&) override {}
    std::optional<rules::PictureSize> LoadPagePicture(const std::filesystem::path&) override {
        return std::nullopt;
    }
    void ReleasePagePicture() override {}
    void PlacePagePicture(int, int, int, int) override {}
    rules::PageLayout ShowPageView() override { return {}; }
    void ShowGameView() override {}
    void OpenMainMenu() override {}
    void ShowHeroStatus(int32_t, int32_t, int32_t) override {}
    void ReportError(const base::FileError&) override {}
};

class NoEvents : public rules::EventPump {
  public:
    bool DispatchNext() override { return false; }
};

// Twenty lines that cycle: object statements, exits, states, counters,
// blocks with each condition, and a said line.
std::vector<std::string> Script(int lines) {
    const std::vector<std::string> cycle = {
        "show ключ",       "hide ключ",
        "takeable ключ",   "notakeable ключ",
        "setostat ключ 2", "if ostat ключ 2",
        "state 1",         "endif",
        "open n",          "close n",
        "force 0",         "if carry ключ",
        "notexam ключ",    "else",
        "state 0",         "endif",
        "if curss 0",      "say Тихо.",
        "endif",           "health 0",
    };
    std::vector<std::string> script;
    script.reserve(static_cast<size_t>(lines));
    for (int i = 0; i < lines; ++i) {
        script.push_back(base::Utf8ToCp1251(cycle[static_cast<size_t>(i) % cycle.size()]));
    }
    return script;
}

void BM_RunScript10000Lines(benchmark::State& state) {
    bench::TempFolder root;
    world::GameProject gp;
    gp.folders.program = root.path();
    gp.folders.state = root.path();
    for (int i = 0; i < 4; ++i) {
        auto s = std::make_unique<world::MScreen>();
        s->no = i;
        // Built apart and moved in: GCC 12 at -O3 takes a literal assigned to
        // the title for an overlapping copy.
        std::string title(1, 's');
        title += std::to_string(i);
        s->Title = std::move(title);
        s->x = i;
        s->North = s->South = s->East = s->West = world::kExitNone;
        gp.map.screens.push_back(std::move(s));
    }
    for (int i = 0; i < 8; ++i) {
        auto o = std::make_unique<world::MObj>();
        o->no = i + 1;
        o->Title = i == 7 ? base::Utf8ToCp1251("ключ") : std::string("o").append(std::to_string(i));
        o->ScrWhere = 0;
        o->Visible = 1;
        o->Weight = 1;
        gp.map.objects.push_back(std::move(o));
    }
    gp.map.ScrCount = static_cast<int32_t>(gp.map.screens.size());
    gp.map.ObjCount = static_cast<int32_t>(gp.map.objects.size());
    gp.hero.Health = 50;
    world::LinkWorld(gp.map, gp.hero);
    gp.hero.CurScrNo = 0;
    world::PlaceHero(gp.map, gp.hero);

    speech::SpeechRouter speech;
    sound::SoundSystem sound(root.path(), root.path(), nullptr, nullptr);
    QuietView view;
    NoEvents events;
    rules::Rules rules(gp, speech, sound, view, events);
    rules.statementBudget = 1'000'000;
    world::MScript owner;
    const std::vector<std::string> script = Script(10000);
    for (auto _ : state) {
        rules.ActionStarts();
        benchmark::DoNotOptimize(rules.RunBlock(owner, script));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(script.size()));
}
BENCHMARK(BM_RunScript10000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// What the autosave costs the player: one autosave (the hero, the current
// map's state and the working state of the other maps, fsynced, renamed and
// the folder fsynced) on the shipped adventure and on a generated project of
// 5,000 screens, 5,000 objects and 1,000 commands on each of two maps; the
// same for a slot save and a change of map's working state. Then, in the
// shell on the large project, a walk to the next screen: the time from the
// key to the arrival's words reaching the speech output, and to the end of
// the key's handling, autosave included. The autosave runs after the words
// are handed over, so the voice never waits for the disk.
//
//   autosave [--game DIR] [--rounds R]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "shell/form1.h"
#include "sound/sound_driver.h"
#include "speech/speech_output.h"
#include "shell_stubs.h"
#include "temp_folder.h"
#include "world/autosave.h"
#include "world/game_files.h"
#include "world/link.h"

#ifndef VELMORA_GAME_DIR
#define VELMORA_GAME_DIR "game"
#endif

namespace {

namespace fs = std::filesystem;
using namespace velmora;
using bench::PostedEvents;
using bench::QuietFrontEnd;
using bench::TempFolder;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kScreens = 5000;
constexpr int kObjects = 5000;
constexpr int kCommands = 1000;
constexpr int kWidth = 100;

void WriteLines(const fs::path& file, const std::vector<std::string>& utf8Lines) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : utf8Lines) out << base::Utf8ToCp1251(line) << "\r\n";
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::string> LargeMap(int k) {
    std::vector<std::string> m = {"MapTitle=Подземелье " + std::to_string(k),
                                  "MapFirstMessage=Ты спускаешься в подземелье.",
                                  "MapScrCount=" + std::to_string(kScreens)};
    for (int i = 0; i < kScreens; ++i) {
        const std::string s = "Scr" + std::to_string(i);
        const int x = i % kWidth, y = i / kWidth;
        m.push_back(s + "no=" + std::to_string(i));
        m.push_back(s + "x=" + std::to_string(x));
        m.push_back(s + "y=" + std::to_string(y));
        m.push_back(s + "Title=Зал " + std::to_string(i));
        m.push_back(s + "DescrCnt=2");
        m.push_back(s + "Descr0=Сырые каменные стены покрыты мхом, с потолка капает вода.");
        m.push_back(s + "Descr1=Где-то вдалеке слышен глухой гул.");
        m.push_back(s + "North=" + std::string(y > 0 ? "-1" : "-2"));
        m.push_back(s + "South=" + std::string(i + kWidth < kScreens ? "-1" : "-2"));
        m.push_back(s + "West=" + std::string(x > 0 ? "-1" : "-2"));
        m.push_back(s + "East=" + std::string(x + 1 < kWidth ? "-1" : "-2"));
    }
    m.push_back("MapObjCount=" + std::to_string(kObjects));
    for (int j = 0; j < kObjects; ++j) {
        const std::string o = "Obj" + std::to_string(j);
        m.push_back(o + "no=" + std::to_string(j));
        m.push_back(o + "Title=ключ " + std::to_string(j));
        m.push_back(o + "ScrWhere=" + std::to_string((j * 7919) % kScreens + (j * 7919 % kScreens == 0)));
        m.push_back(o + "Visible=1");
        m.push_back(o + "Takable=1");
        m.push_back(o + "Weight=1");
    }
    m.push_back("MapCmdCount=" + std::to_string(kCommands));
    for (int c = 0; c < kCommands; ++c) {
        const std::string s = "Cmd" + std::to_string(c);
        m.push_back(s + "no=" + std::to_string(c));
        m.push_back(s + "cObj1=" + std::to_string(c));
        m.push_back(s + "cObj2=" + std::to_string(c + 1));
        m.push_back(s + "Enabled=1");
    }
    return m;
}

void WriteLargeProject(const fs::path& root) {
    const fs::path project = root / "Projects/Default";
    WriteLines(project / "game.ini", {"GameInitHealth=100", "GameGoDecHealth=0"});
    WriteLines(project / "map1.ini", LargeMap(1));
    WriteLines(project / "map2.ini", LargeMap(2));
    WriteLines(project / "menu.txt", {"Новая игра", "Выход"});
}

struct Figures {
    std::vector<double> ms;
    void Add(double v) { ms.push_back(v); }
    void Print(const char* what) {
        std::sort(ms.begin(), ms.end());
        const auto at = [this](double q) {
            return ms.empty() ? 0.0 : ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)];
        };
        std::printf("  %-46s n=%-4zu p50 %8.2f ms   p90 %8.2f ms   max %8.2f ms\n", what, ms.size(), at(0.5),
                    at(0.9), at(1.0));
    }
};

template <typename F>
double Time(F&& f) {
    const Clock::time_point start = Clock::now();
    f();
    return Millis(Clock::now() - start).count();
}

// The files of a game in play: a working state left on the first map.
void Measure(const char* title, const fs::path& root, int rounds) {
    world::GameProject gp;
    gp.folders.program = root;
    gp.folders.state = root;
    gp.folders.projectPath = "Projects\\Default\\";
    double load = Time([&] {
        if (!world::LoadProject(gp)) throw std::runtime_error("no project in " + root.string());
    });
    world::StartWorld(gp.map, gp.hero);
    double change = Time([&] { world::ChangeMap(gp, 1); });
    world::AutosaveWriter writer;
    Figures autosave, packOnly, slot, working;
    for (int r = 0; r < rounds; ++r) {
        gp.hero.Level = r;  // a change, as a step would make
        autosave.Add(Time([&] { writer.Write(gp); }));
        packOnly.Add(Time([&] { (void)world::StateFileBytes(gp, std::string()); }));
        slot.Add(Time([&] { world::SaveSlot(gp, 1 + r % 5); }));
        working.Add(Time([&] { world::TransferGameFiles(gp, root, world::kWorkingStatePrefix, true, false); }));
    }
    std::error_code ec;
    const auto size = fs::file_size(root / "Saves/autosave.sav", ec);
    std::printf("%s: project loaded in %.1f ms, first change of map %.1f ms, autosave %ju bytes\n", title, load,
                change, static_cast<uintmax_t>(size));
    autosave.Print("one autosave (both files, working state, fsync)");
    packOnly.Print("  of it, the state made into bytes");
    slot.Print("a slot save (two files as one unit)");
    working.Print("the working state of a change of map");
}

class StampingSpeech : public speech::SpeechOutput {
public:
    explicit StampingSpeech(shell::EventSource& events) : events_(events) {}
    speech::SpeechOutputKind Kind() const override { return speech::SpeechOutputKind::soReader; }
    void Speak(const std::string& text) override {
        if (!arrival && text.rfind(base::Utf8ToCp1251("Экран:"), 0) == 0) arrival = Clock::now();
        events_.Post({shell::Event::Kind::SpeechEnded});
    }
    void Cue(int) override {}
    void SetRate(int) override {}
    std::optional<Clock::time_point> arrival;

private:
    shell::EventSource& events_;
};

void MeasureWalk(const fs::path& root, int rounds) {
    PostedEvents events;
    QuietFrontEnd frontEnd;
    shell::ShellOptions options;
    options.programFolder = root;
    options.stateFolder = root;
    options.nomenu = true;
    options.seed = 1;
    auto speech = std::make_unique<StampingSpeech>(events);
    StampingSpeech* said = speech.get();
    shell::TForm1 form(options, events, frontEnd, std::move(speech), std::make_unique<sound::NoneDriver>(), nullptr);
    events.Post(shell::Event::Ticks(1));
    form.Run();
    auto key = [&](int code) {
        form.Dispatch({shell::Event::Kind::KeyDown, code});
        form.Dispatch({shell::Event::Kind::KeyUp, code});
        form.Run();
    };
    Figures toWords, toDone;
    int silent = 0;
    for (int r = 0; r < rounds; ++r) {
        key('1');  // «Идти»: the directions
        said->arrival.reset();
        // East on even rounds, back west on odd ones: the last direction
        // named is always the way back or on.
        const int choice = form.Menu() && form.Menu()->CurrentBlock ? form.Menu()->CurrentBlock->EntryCount() : 1;
        const int digit = '0' + std::min(choice, 9);
        const Clock::time_point start = Clock::now();
        form.Dispatch({shell::Event::Kind::KeyDown, digit});
        form.Dispatch({shell::Event::Kind::KeyUp, digit});
        const Clock::time_point done = Clock::now();
        form.Run();
        if (!said->arrival) {
            ++silent;
            continue;
        }
        toWords.Add(Millis(*said->arrival - start).count());
        toDone.Add(Millis(done - start).count());
    }
    std::printf("the shell on the large project, a walk to the next screen (%d without arrival):\n", silent);
    toWords.Print("key to the arrival's words at the speech output");
    toDone.Print("key to its handling done, autosave included");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        fs::path game = VELMORA_GAME_DIR;
        int rounds = 30;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--game" && i + 1 < argc) {
                game = argv[++i];
            } else if (arg == "--rounds" && i + 1 < argc) {
                rounds = std::max(1, std::atoi(argv[++i]));
            } else {
                std::fprintf(stderr, "usage: autosave [--game DIR] [--rounds R]\n");
                return 2;
            }
        }
        {
            TempFolder shipped;
            fs::copy(game, shipped.path(), fs::copy_options::recursive);
            Measure("the shipped adventure", shipped.path(), rounds);
        }
        TempFolder large;
        WriteLargeProject(large.path());
        Measure("a generated project, 5,000 screens on each of two maps", large.path(), rounds);
        TempFolder walk;
        WriteLargeProject(walk.path());
        MeasureWalk(walk.path(), rounds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "autosave: %s\n", e.what());
        return 1;
    }
    return 0;
}

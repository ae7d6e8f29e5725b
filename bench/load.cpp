// What a player waits for with a large adventure: the load at start-up, a
// save, a restore. Also what the hash index of the key lines is worth: the
// same lookups done by scanning from the first line, as a plain list would.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/cp1251.h"
#include "temp_folder.h"
#include "base/encoding.h"
#include "base/file_io.h"
#include "base/project_file.h"
#include "world/game_files.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora;
using bench::TempFolder;

constexpr int kScreens = 5000;
constexpr int kObjects = 20000;
constexpr int kCommands = 5000;
constexpr int kGridWidth = 100;  // 100 x 50 cells: the map keeps its grid
constexpr int kSlot = 1;
// Lookups timed by linear scan; the rest is extrapolated from them.
constexpr size_t kLinearSample = 1000;

std::string Ru(std::string_view utf8) { return base::Utf8ToCp1251(utf8); }

// Sentences of the length and letters that authors write.
std::string Sentence(int seed, int count) {
    static const std::vector<std::string> kPhrases = {
        Ru("Сырые каменные стены покрыты зелёным мхом, с потолка капает вода."),
        Ru("Где-то вдалеке слышен глухой гул, будто работает огромная машина."),
        Ru("В углу стоит старый сундук, окованный ржавым железом."),
        Ru("Узкий коридор уходит на север, откуда тянет холодным сквозняком."),
        Ru("Под ногами хрустит битое стекло и обломки глиняной посуды."),
        Ru("На стене висит выцветший гобелен с изображением охоты на оленя."),
        Ru("Свет факела выхватывает из темноты ступени винтовой лестницы."),
        Ru("Пахнет сыростью, старыми книгами и чем-то едва уловимо сладким."),
    };
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += kPhrases[static_cast<size_t>(seed + i * 3) % kPhrases.size()];
    }
    return text;
}

std::string Numbered(std::string_view utf8, int n) { return Ru(utf8) + " " + std::to_string(n); }

// The exit a screen's builder would pick: mostly through the grid, some
// explicit, some walled off.
int32_t Exit(int i, int neighbour, bool inside) {
    if (!inside) return world::kExitNone;
    if (i % 7 == 0) return neighbour;
    return world::kExitByGrid;
}

std::unique_ptr<world::MScreen> MakeScreen(int i) {
    auto s = std::make_unique<world::MScreen>();
    const int x = i % kGridWidth;
    const int y = i / kGridWidth;
    s->no = i;
    s->x = x;
    s->y = y;
    s->Title = Numbered("Подземный зал", i);
    for (int d = 0; d < 3; ++d) s->Descr.lines.push_back(Sentence(i + d, 2 + d % 2));
    s->DescrOnState = i % 3;
    s->North = Exit(i, i - kGridWidth, y > 0);
    s->South = Exit(i, i + kGridWidth, i + kGridWidth < kScreens);
    s->West = Exit(i, i - 1, x > 0);
    s->East = Exit(i, i + 1, x + 1 < kGridWidth && i + 1 < kScreens);
    if (i % 10 == 0) s->AltN = Ru("Дверь заперта.");
    s->Messages.lines.push_back(Sentence(i, 1));
    s->Scripts.lines.push_back("if have(" + std::to_string(i % kObjects) + ") then say(" +
                               Ru("\"Ключ подходит.\"") + ")");
    s->Scripts.lines.push_back("setstate(" + std::to_string(i) + ", 1)");
    s->OnEnter = "say(" + Ru("\"Вы входите.\"") + ")";
    if (i % 5 == 0) s->OnRest = "health(-1)";
    return s;
}

std::unique_ptr<world::MObj> MakeObject(int j) {
    auto o = std::make_unique<world::MObj>();
    o->no = j;
    o->Title = Numbered("Ржавый ключ", j);
    o->Descr.lines.push_back(Sentence(j, 1));
    if (j % 2 == 0) o->Descr.lines.push_back(Sentence(j + 1, 1));
    o->ScrWhere = static_cast<int32_t>((int64_t{j} * 7919) % kScreens);
    o->Visible = 1;
    o->Takable = j % 4 != 0;
    o->Weight = 1 + j % 5;
    if (j % 3 == 0) o->OnExam = "say(" + Ru("\"На нём выбиты буквы.\"") + ")";
    return o;
}

std::unique_ptr<world::MScript> MakeCommand(int k) {
    auto c = std::make_unique<world::MScript>();
    c->no = k;
    c->Title = Numbered("открыть сундук", k);
    c->Message = Sentence(k, 1);
    c->cScr = k % kScreens;
    c->cObj1 = (k * 4) % kObjects;
    c->cObj2 = (k * 4 + 1) % kObjects;
    c->script = {"if state(" + std::to_string(c->cObj1) + ") = 0 then",
                 "  setstate(" + std::to_string(c->cObj1) + ", 1)",
                 "say(" + Ru("\"Крышка со скрипом открывается.\"") + ")"};
    return c;
}

// Writes game.ini and map1.ini the way the program writes a project: scrambled.
void WriteProject(const fs::path& root) {
    world::GameProject gp;
    gp.folders = {root, root, "", {}};
    world::MMap& m = gp.map;
    m.Title = Ru("Подземелья Велморы");
    m.Author = Ru("Бенчмарк");
    m.FirstMessage = Sentence(0, 3);
    for (int i = 0; i < kScreens; ++i) m.screens.push_back(MakeScreen(i));
    for (int j = 0; j < kObjects; ++j) m.objects.push_back(MakeObject(j));
    for (int k = 0; k < kCommands; ++k) m.commands.push_back(MakeCommand(k));
    m.ScrCount = m.ScrMaxNumber = kScreens;
    m.ObjCount = m.ObjMaxNumber = kObjects;
    m.CmdCount = m.CmdMaxNumber = kCommands;
    world::MGame& g = gp.game;
    for (world::MessageList* list : {&g.NotInter, &g.Ok, &g.IHaveNot, &g.ICant, &g.ITake,
                                     &g.IDrop, &g.NoGo, &g.StdRest, &g.Death, &g.Intros}) {
        for (int i = 0; i < 4; ++i) list->lines.push_back(Sentence(i, 1));
    }
    world::TransferGameFiles(gp, root, "", false, false);
}

// A key-line file held as a plain list of lines: every lookup scans from the
// first line, which is what the index in TMyIniList exists to avoid.
class LinearKeyLines {
public:
    explicit LinearKeyLines(std::string_view fileBytes) : text_(world::PlainKeyLines(std::string(fileBytes))) {
        const std::string_view text = text_;
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r' && text[i] != '\n') continue;
            AddLine(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        if (start < text.size()) AddLine(text.substr(start));
    }

    bool Find(std::string_view name, std::string_view& value) const {
        for (const Line& line : lines_) {
            if (line.named && base::EqualsNoCase1251(line.name, name)) {
                value = line.value;
                return true;
            }
        }
        return false;
    }

    // The names in file order: a full load asks for each of them once.
    std::vector<std::string_view> Names() const {
        std::vector<std::string_view> names;
        for (const Line& line : lines_) {
            if (line.named) names.push_back(line.name);
        }
        return names;
    }

private:
    struct Line {
        bool named;
        std::string_view name;
        std::string_view value;
    };

    void AddLine(std::string_view line) {
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            lines_.push_back({false, line, {}});
        } else {
            lines_.push_back({true, line.substr(0, eq), line.substr(eq + 1)});
        }
    }

    std::string text_;
    std::vector<Line> lines_;
};

// Everything the benchmarks share, made once.
struct Fixture {
    TempFolder folder;
    fs::path mapFile;
    std::string mapBytes;
    size_t gameBytes = 0;
    std::vector<std::string_view> names;  // point into `linear`
    std::unique_ptr<LinearKeyLines> linear;
    world::TMyIniList indexed;
    world::GameProject gp;

    Fixture() {
        WriteProject(folder.path());
        mapFile = folder.path() / "map1.ini";
        mapBytes = base::ReadCheckedFile(mapFile, base::FileKind::Text);
        gameBytes = base::ReadCheckedFile(folder.path() / "game.ini", base::FileKind::Text).size();
        linear = std::make_unique<LinearKeyLines>(mapBytes);
        names = linear->Names();
        indexed = world::TMyIniList::FromFileBytes(mapBytes);
        gp.folders = {folder.path(), folder.path(), "", {}};
        if (!world::LoadProject(gp)) throw std::runtime_error("the generated project is missing");
        world::StartWorld(gp.map, gp.hero);
        world::SaveSlot(gp, kSlot);
    }
};

Fixture* fixture = nullptr;

void FullLoad(benchmark::State& state) {
    // Loads into the same project every time, so freeing the records of the
    // previous load is part of the cost, as it is in the program.
    world::GameProject& gp = fixture->gp;
    for (auto _ : state) {
        if (!world::LoadProject(gp)) state.SkipWithError("project missing");
        benchmark::DoNotOptimize(world::LinkWorld(gp.map, gp.hero));
    }
    if (gp.map.screens.size() != kScreens || gp.map.objects.size() != kObjects ||
        gp.map.commands.size() != kCommands) {
        state.SkipWithError("the load lost records");
    }
}

void SaveState(benchmark::State& state) {
    for (auto _ : state) world::SaveSlot(fixture->gp, kSlot);
}

void LoadState(benchmark::State& state) {
    for (auto _ : state) {
        if (!world::LoadSlot(fixture->gp, kSlot)) state.SkipWithError("slot missing");
    }
}

// The first step of a full load for the map file: its lines read and indexed.
void ReadAndIndex(benchmark::State& state) {
    for (auto _ : state) {
        auto lines = world::TMyIniList::FromFileBytes(
            base::ReadCheckedFile(fixture->mapFile, base::FileKind::Text));
        benchmark::DoNotOptimize(lines);
    }
}

// Every name of the map file once, through the index.
void IndexedLookups(benchmark::State& state) {
    for (auto _ : state) {
        size_t found = 0;
        std::string_view value;
        for (std::string_view name : fixture->names) found += fixture->indexed.Find(name, value);
        benchmark::DoNotOptimize(found);
    }
}

// Reading the map file into the plain list: the part of a linear load that is not lookups.
void LinearParse(benchmark::State& state) {
    for (auto _ : state) {
        LinearKeyLines lines(base::ReadCheckedFile(fixture->mapFile, base::FileKind::Text));
        benchmark::DoNotOptimize(lines);
    }
}

// Evenly spread names of the map file, each by a scan from the first line.
void LinearScanSample(benchmark::State& state) {
    const std::vector<std::string_view>& names = fixture->names;
    const size_t step = std::max<size_t>(1, names.size() / kLinearSample);
    for (auto _ : state) {
        size_t found = 0;
        std::string_view value;
        for (size_t i = 0; i < names.size(); i += step) {
            found += fixture->linear->Find(names[i], value);
        }
        benchmark::DoNotOptimize(found);
    }
}

size_t SampleSize() {
    const size_t step = std::max<size_t>(1, fixture->names.size() / kLinearSample);
    return (fixture->names.size() + step - 1) / step;
}

// Google Benchmark's table, with each benchmark's time kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") continue;
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            ms_[run.run_name.function_name] = seconds * 1e3;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Milliseconds per iteration, or a negative number when the benchmark did not run.
    double Ms(const std::string& name) const {
        const auto it = ms_.find(name);
        return it == ms_.end() ? -1.0 : it->second;
    }

private:
    std::map<std::string, double> ms_;
};

void PrintSummary(const SummaryReporter& r) {
    const double full = r.Ms("FullLoad");
    const double save = r.Ms("SaveState");
    const double load = r.Ms("LoadState");
    const double indexed = r.Ms("IndexedLookups");
    const double parse = r.Ms("LinearParse");
    const double sample = r.Ms("LinearScanSample");
    const size_t lookups = fixture->names.size();
    const size_t sampled = SampleSize();

    auto figure = [](double ms) {
        if (ms < 0) return std::string("not run");
        char text[32];
        std::snprintf(text, sizeof text, "%.1f ms", ms);
        return std::string(text);
    };
    std::printf("\nSummary (%d screens, %d objects, %d commands; map1.ini %zu bytes, %zu keys;"
                " game.ini %zu bytes)\n",
                kScreens, kObjects, kCommands, fixture->mapBytes.size(), lookups,
                fixture->gameBytes);
    std::printf("  full load (LoadProject + LinkWorld): %s  (goal: under 100 ms: %s)\n",
                figure(full).c_str(), full >= 0 && full < 100 ? "met" : "NOT met");
    std::printf("  state save (SaveSlot):               %s  (both files flushed to disk)\n",
                figure(save).c_str());
    std::printf("  state load (LoadSlot):               %s\n", figure(load).c_str());
    std::printf("  map1.ini read and indexed:           %s  (part of the full load)\n",
                figure(r.Ms("ReadAndIndex")).c_str());
    std::printf("  all map keys through the index:      %s\n", figure(indexed).c_str());
    if (sample < 0 || parse < 0 || full <= 0) return;
    const double scanned = sample * static_cast<double>(lookups) / static_cast<double>(sampled);
    const double linearLoad = parse + scanned;
    std::printf("  all map keys by linear scan:         %.0f ms  (EXTRAPOLATED from %zu of %zu"
                " lookups)\n",
                scanned, sampled, lookups);
    std::printf("  linear-scan load (read + split + lookups, records not even built):"
                " %.0f ms (extrapolated)\n",
                linearLoad);
    std::printf("  ratio linear-scan load / full load:  %.0fx  (goal: at least 100x: %s)\n",
                linearLoad / full, linearLoad >= 100 * full ? "met" : "NOT met");
    if (indexed > 0) {
        std::printf("  ratio per lookup, linear / indexed:  %.0fx\n", scanned / indexed);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture shared;
    fixture = &shared;

    benchmark::RegisterBenchmark("FullLoad", FullLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("SaveState", SaveState)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LoadState", LoadState)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadAndIndex", ReadAndIndex)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("IndexedLookups", IndexedLookups)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LinearParse", LinearParse)->Unit(benchmark::kMillisecond);
    // One pass already takes long enough to time well.
    benchmark::RegisterBenchmark("LinearScanSample", LinearScanSample)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}

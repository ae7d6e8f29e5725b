// Damaged or hostile adventure projects: a game.ini and a map1.ini cut from the
// input. A load either succeeds or throws FileError; a project that loaded must
// save its state and get exactly that state back, from a slot and across a map
// change. Crashes, leaks and undefined behaviour show up through the sanitizers.
#include <stdlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/cp1251.h"
#include "base/file_error.h"
#include "world/game_files.h"
#include "world/game_project.h"
#include "world/key_access.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora;

// Everything before it is game.ini, everything after it map1.ini.
constexpr std::string_view kSeparator = "\n@@map1.ini@@\n";
// Lookups by number are checked on this many records only: a walk back over
// unordered numbers may take as long as the list.
constexpr size_t kCheckedNumbers = 64;
// Counts up to the loader's limit are valid, but tens of thousands of empty
// records or list items only run the same code ever more slowly. Counts past
// the limit still go to the loader, which must refuse them.
constexpr int32_t kFuzzedCountLimit = 1000;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_project: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

// One folder for the whole run, under TMPDIR: each input is written over the last.
class RunFolder {
public:
    RunFolder() {
        std::string pattern = (fs::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot create a temporary folder");
        path_ = pattern;
    }
    ~RunFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& Root() {
    static const RunFolder folder;
    return folder.path();
}

bool HasSlowCount(std::string_view fileBytes) {
    const world::TMyIniList lines = world::TMyIniList::FromFileBytes(std::string(fileBytes));
    for (size_t i = 0; i < lines.LineCount(); ++i) {
        const std::string_view line = lines.Line(i);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string name = base::LowerText1251(line.substr(0, eq));
        if (!name.ends_with("count") && !name.ends_with("cnt")) continue;
        const int32_t count = world::ParseInt32(line.substr(eq + 1), 0);
        if (count > kFuzzedCountLimit && count <= world::kMaxCount) return true;
    }
    return false;
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) Fail("cannot write an input file");
}

// Everything a saved state carries.
struct State {
    std::array<int32_t, 6> counts{};
    std::vector<std::array<int32_t, 7>> screens;
    std::vector<std::array<int32_t, 6>> objects;
    std::vector<std::array<int32_t, 2>> commands;
    std::array<int32_t, 5> hero{};
    std::string lastMessage;
    std::array<int32_t, 3> vars{};
    std::string waitedCommand;

    bool operator==(const State&) const = default;
};

State Snapshot(const world::GameProject& gp) {
    const world::MMap& m = gp.map;
    State s;
    s.counts = {m.ScrCount, m.ScrMaxNumber, m.ObjCount, m.ObjMaxNumber, m.CmdCount, m.CmdMaxNumber};
    for (const auto& r : m.screens) {
        s.screens.push_back(
            {r->State, r->ScrFrame, r->Descr.cursor, r->North, r->South, r->East, r->West});
    }
    for (const auto& o : m.objects) {
        s.objects.push_back({o->NotExam, o->State, o->ScrWhere, o->Takable, o->Visible, o->Weight});
    }
    for (const auto& c : m.commands) s.commands.push_back({c->used, c->Enabled});
    const world::THero& h = gp.hero;
    s.hero = {h.Health, h.BagFull, h.Level, h.CurScrNo, h.fRest};
    s.lastMessage = h.LastMessage;
    s.vars = {gp.vars.glob_forced, gp.vars.glob_goingto, gp.vars.glob_waited_act};
    s.waitedCommand = gp.vars.glob_waited_act_cmd;
    return s;
}

// A text the escaping keeps as it is: no control characters.
std::string Keepable(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 32) out += c;
    }
    return out;
}

// Play would have changed these; any numbers will do, and the project's own
// give the fuzzer a hand in choosing them.
void Play(world::GameProject& gp) {
    world::MMap& m = gp.map;
    for (auto& s : m.screens) {
        s->State = s->x;
        s->ScrFrame = s->y;
        s->Descr.cursor = s->no;
    }
    for (auto& o : m.objects) {
        o->NotExam = o->Weight;
        o->State = o->no;
    }
    for (auto& c : m.commands) c->used = c->cObj2;
    gp.hero.Health = m.StartScr;
    gp.hero.BagFull = m.ObjMaxNumber;
    gp.hero.Level = m.CmdMaxNumber;
    gp.hero.fRest = m.ScrMaxNumber;
    gp.hero.LastMessage = Keepable(m.Author);
    gp.vars.glob_forced = m.ScrCount;
    gp.vars.glob_goingto = m.ObjCount;
    gp.vars.glob_waited_act = m.CmdCount;
    gp.vars.glob_waited_act_cmd = Keepable(m.Title);
}

// Everything a load must bring back, overwritten.
void Forget(world::GameProject& gp) {
    for (auto& s : gp.map.screens) {
        s->State = s->ScrFrame = s->Descr.cursor = 7;
        s->North = s->South = s->East = s->West = 7;
    }
    for (auto& o : gp.map.objects) {
        o->NotExam = o->State = o->ScrWhere = o->Takable = o->Visible = o->Weight = 7;
    }
    for (auto& c : gp.map.commands) c->used = c->Enabled = 7;
    gp.hero.Health = gp.hero.BagFull = gp.hero.Level = gp.hero.fRest = 7;
    gp.hero.LastMessage = "forgotten";
    gp.vars = {7, 7, 7, "forgotten"};
}

template <typename Record, typename IndexOf>
void CheckNumbers(const world::MMap& m, const std::vector<std::unique_ptr<Record>>& records,
                  IndexOf indexOf) {
    for (size_t i = 0; i < records.size() && i < kCheckedNumbers; ++i) {
        const int32_t number = records[i]->no;
        const int32_t at = indexOf(m, number);
        if (number < 0) {
            Check(at == number, "a negative number does not come back unchanged");
        } else if (at != -1) {
            Check(at >= 0 && static_cast<size_t>(at) < records.size() &&
                      records[static_cast<size_t>(at)]->no == number,
                  "a lookup by number gives a record with another number");
        }
    }
}

// The derived lists point at live records that belong where they are.
void CheckLinks(const world::GameProject& gp) {
    const world::MMap& m = gp.map;
    if (!m.grid.empty()) {
        Check(m.grid.size() == static_cast<size_t>(int64_t{m.gridWidth} * m.gridHeight),
              "the grid has another size than its width and height");
        for (int32_t cell : m.grid) {
            Check(cell >= -1 && cell < static_cast<int64_t>(m.screens.size()),
                  "a grid cell names no screen");
        }
    }
    for (const auto& s : m.screens) {
        for (const world::MObj* o : s->objectsHere) {
            Check(o->Visible != 0 && o->ScrWhere >= 0,
                  "a screen holds an object that is elsewhere");
        }
        const int32_t x = s->x;
        const int32_t y = s->y;
        const int32_t at = world::CellAt(m, x, y);
        Check(at >= world::kExitNone && at < static_cast<int64_t>(m.screens.size()),
              "CellAt gives no screen position");
    }
    for (const world::MObj* o : gp.hero.carried) {
        Check(o->Visible != 0 && o->ScrWhere == world::kCarried,
              "the hero carries a placed object");
    }
    for (const auto& o : m.objects) {
        for (const world::MScript* c : o->objectCommands) {
            Check(c->cObj1 == o->no, "an object holds a command of another object");
        }
    }
    CheckNumbers(m, m.screens, world::ScreenIndexOf);
    CheckNumbers(m, m.objects, world::ObjectIndexOf);
    CheckNumbers(m, m.commands, world::CommandIndexOf);
    if (gp.hero.currentScreen != nullptr) {
        Check(gp.hero.CurScrNo >= 0 && static_cast<size_t>(gp.hero.CurScrNo) < m.screens.size() &&
                  m.screens[static_cast<size_t>(gp.hero.CurScrNo)].get() == gp.hero.currentScreen,
              "the hero stands on another screen than CurScrNo names");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find(kSeparator);
    const std::string_view game = input.substr(0, cut);
    const std::string_view map =
        cut == std::string_view::npos ? std::string_view() : input.substr(cut + kSeparator.size());
    if (HasSlowCount(game) || HasSlowCount(map)) return 0;
    const fs::path& root = Root();
    std::error_code ec;
    fs::remove_all(root / "Saves", ec);
    fs::remove(root / "map1.ini", ec);
    WriteBytes(root / "game.ini", game);
    // Both maps exist (the first may be empty): a map the project lacks
    // cannot be entered, and the map is left for the second and entered again.
    WriteBytes(root / "map1.ini", cut != std::string_view::npos ? map : std::string_view());
    WriteBytes(root / "map2.ini", "MapTitle=second\r\n");

    world::GameProject gp;
    gp.folders = {root, root, "", {}};
    try {
        Check(world::LoadProject(gp), "LoadProject does not find game.ini");
    } catch (const base::FileError&) {
        return 0;  // a damaged project, refused as it should be
    }
    world::StartWorld(gp.map, gp.hero);
    CheckLinks(gp);
    Play(gp);
    const State played = Snapshot(gp);
    try {
        world::SaveSlot(gp, 1);
        Forget(gp);
        Check(world::LoadSlot(gp, 1), "a slot just saved reads as empty");
        Check(Snapshot(gp) == played, "a loaded slot differs from the state saved");
        CheckLinks(gp);
        world::ChangeMap(gp, 1);
        CheckLinks(gp);
        world::ChangeMap(gp, 0);
        Check(Snapshot(gp) == played, "leaving the map and coming back changes its state");
        CheckLinks(gp);
    } catch (const base::FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fail("the game cannot take back a state it saved itself");
    }
    return 0;
}

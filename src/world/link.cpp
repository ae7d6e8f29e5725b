#include "world/link.h"

#include <algorithm>
#include <limits>

namespace velmora::world {
namespace {

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::min<int64_t>(v, std::numeric_limits<int32_t>::max()));
}

// Numbers ascend with the position and are never below it, so the search
// starts where the number would stand without gaps and walks back.
template <typename Record>
int32_t IndexOfNumber(const std::vector<std::unique_ptr<Record>>& records, int32_t count,
                      int32_t number) {
    const int64_t size = std::min<int64_t>(count, static_cast<int64_t>(records.size()));
    if (size <= 0 || number < 0) return number;
    int64_t n = std::min<int64_t>(size - 1, number);
    while (records[static_cast<size_t>(n)]->no > number && n > 0) --n;
    return records[static_cast<size_t>(n)]->no == number ? static_cast<int32_t>(n) : -1;
}

// The lookups give a number back unchanged for an empty list; only a position
// inside the list names a record.
template <typename Record>
Record* RecordAt(const std::vector<std::unique_ptr<Record>>& records, int32_t at) {
    if (at < 0 || static_cast<size_t>(at) >= records.size()) return nullptr;
    return records[static_cast<size_t>(at)].get();
}

}  // namespace

bool BuildMapGrid(MMap& map) {
    map.grid.clear();
    map.gridMinX = map.gridMaxX = map.gridMinY = map.gridMaxY = 0;
    for (const auto& s : map.screens) {
        map.gridMinX = std::min(map.gridMinX, s->x);
        map.gridMaxX = std::max(map.gridMaxX, s->x);
        map.gridMinY = std::min(map.gridMinY, s->y);
        map.gridMaxY = std::max(map.gridMaxY, s->y);
    }
    const int64_t width = int64_t{map.gridMaxX} - map.gridMinX + 1;
    const int64_t height = int64_t{map.gridMaxY} - map.gridMinY + 1;
    map.gridWidth = ClampToInt32(width);
    map.gridHeight = ClampToInt32(height);
    if (width > kMaxGridCells || height > kMaxGridCells || width * height > kMaxGridCells) {
        return false;
    }
    map.grid.assign(static_cast<size_t>(width * height), -1);
    for (size_t i = 0; i < map.screens.size(); ++i) {
        const MScreen& s = *map.screens[i];
        const int64_t cell = (int64_t{s.y} - map.gridMinY) * width + (int64_t{s.x} - map.gridMinX);
        map.grid[static_cast<size_t>(cell)] = static_cast<int32_t>(i);
    }
    return true;
}

int32_t CellAt(const MMap& map, int32_t x, int32_t y) {
    if (map.grid.empty()) return kExitNone;
    if (x < map.gridMinX || x > map.gridMaxX || y < map.gridMinY || y > map.gridMaxY) {
        return kExitNone;
    }
    const int64_t cell =
        (int64_t{y} - map.gridMinY) * map.gridWidth + (int64_t{x} - map.gridMinX);
    return map.grid[static_cast<size_t>(cell)];
}

int32_t ScreenIndexOf(const MMap& map, int32_t number) {
    return IndexOfNumber(map.screens, map.ScrCount, number);
}

int32_t ObjectIndexOf(const MMap& map, int32_t number) {
    return IndexOfNumber(map.objects, map.ObjCount, number);
}

int32_t CommandIndexOf(const MMap& map, int32_t number) {
    return IndexOfNumber(map.commands, map.CmdCount, number);
}

MScreen* ScreenByNumber(const MMap& map, int32_t number) {
    return RecordAt(map.screens, ScreenIndexOf(map, number));
}

MObj* ObjectByNumber(const MMap& map, int32_t number) {
    return RecordAt(map.objects, ObjectIndexOf(map, number));
}

MScript* CommandByNumber(const MMap& map, int32_t number) {
    return RecordAt(map.commands, CommandIndexOf(map, number));
}

void PlaceObjects(MMap& map, THero& hero) {
    for (auto& s : map.screens) s->objectsHere.clear();
    hero.carried.clear();
    for (auto& o : map.objects) {
        if (o->Visible == 0) continue;
        if (o->ScrWhere == kCarried) {
            hero.carried.push_back(o.get());
        } else if (o->ScrWhere >= 0) {
            if (MScreen* s = ScreenByNumber(map, o->ScrWhere)) s->objectsHere.push_back(o.get());
        }
    }
}

void AttachCommands(MMap& map) {
    for (auto& o : map.objects) o->objectCommands.clear();
    for (auto& c : map.commands) {
        if (c->cObj1 < 0) continue;
        if (MObj* o = ObjectByNumber(map, c->cObj1)) o->objectCommands.push_back(c.get());
    }
}

bool LinkWorld(MMap& map, THero& hero) {
    const bool grid = BuildMapGrid(map);
    PlaceObjects(map, hero);
    AttachCommands(map);
    return grid;
}

bool StartWorld(MMap& map, THero& hero) {
    const bool grid = LinkWorld(map, hero);
    hero.CurScrNo = 0;
    PlaceHero(map, hero);
    return grid;
}

void ResetHero(THero& hero, const MGame& game) {
    hero.Health = game.InitHealth;
    hero.BagFull = 0;
    hero.Level = 0;
    hero.fRest = 0;
}

void PlaceHero(const MMap& map, THero& hero) {
    const bool valid = hero.CurScrNo >= 0 && static_cast<size_t>(hero.CurScrNo) < map.screens.size();
    hero.currentScreen = valid ? map.screens[static_cast<size_t>(hero.CurScrNo)].get() : nullptr;
}

}  // namespace velmora::world

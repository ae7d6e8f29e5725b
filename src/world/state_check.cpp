#include "world/state_check.h"

#include <optional>
#include <string_view>

#include "base/file_error.h"
#include "world/key_access.h"

namespace velmora::world {
namespace {

class Checker {
public:
    Checker(const TMyIniList& lines, const std::string& fileName)
        : lines_(lines), fileName_(fileName) {}

    std::string_view Value(const std::string& name) const {
        std::string_view value;
        if (!lines_.Find(name, value)) Fail("нет строки " + name);
        return value;
    }
    int32_t Int(const std::string& name) const {
        const std::string_view value = Value(name);
        const std::optional<int32_t> n = TryParseInt32(value);
        if (!n) Fail("в строке " + name + "=" + std::string(value) + " не число");
        return *n;
    }
    void Ints(const std::string& section, std::initializer_list<const char*> keys) const {
        for (const char* key : keys) Int(section + key);
    }
    // A count of records that the map must have at least. A negative count
    // (a project may give one, and the game writes it back as it is) names
    // no records.
    int32_t Count(const char* key, size_t have, const char* what) const {
        const std::string name = std::string("Map") + key;
        const int32_t saved = Int(name);
        if (saved < 0) return 0;
        if (saved > static_cast<int64_t>(have)) {
            Fail(std::string("в сохранённой игре ") + what + " " + std::to_string(saved) +
                 ", а на карте только " + std::to_string(have));
        }
        return saved;
    }
    [[noreturn]] void Fail(const std::string& problem) const {
        throw base::FileError(fileName_, problem);
    }

private:
    const TMyIniList& lines_;
    const std::string& fileName_;
};

}  // namespace

bool HoldsNoLines(const TMyIniList& lines) {
    for (size_t i = 0; i < lines.LineCount(); ++i) {
        if (!lines.Line(i).empty()) return false;
    }
    return true;
}

void CheckSavedHero(const TMyIniList& lines, const std::string& fileName, const MMap& map) {
    const Checker c(lines, fileName);
    c.Ints("Hero", {"Health", "BagFull", "Level"});
    const int32_t at = c.Int("HeroCurScrNo");
    c.Int("HerofRest");
    c.Value("HeroLastMessage");
    if (!map.screens.empty() && (at < 0 || static_cast<size_t>(at) >= map.screens.size())) {
        c.Fail("герой стоит на экране " + std::to_string(at) + ", а на карте экраны от 0 до " +
               std::to_string(map.screens.size() - 1));
    }
}

void CheckSavedMap(const TMyIniList& lines, const std::string& fileName, const MMap& map) {
    const Checker c(lines, fileName);
    c.Ints("Map", {"glob_forced", "glob_goingto", "glob_waited_act"});
    c.Value("Mapglob_waited_act_cmd");
    const int32_t screens = c.Count("ScrCount", map.screens.size(), "экранов");
    for (int32_t i = 0; i < screens; ++i) {
        c.Ints("Scr" + std::to_string(i),
               {"State", "ScrFrame", "Descr.notfirst", "North", "South", "East", "West"});
    }
    const int32_t objects = c.Count("ObjCount", map.objects.size(), "предметов");
    for (int32_t i = 0; i < objects; ++i) {
        c.Ints("Obj" + std::to_string(i),
               {"NotExam", "State", "ScrWhere", "Takable", "Visible", "Weight"});
    }
    const int32_t commands = c.Count("CmdCount", map.commands.size(), "команд");
    for (int32_t i = 0; i < commands; ++i) c.Ints("Cmd" + std::to_string(i), {"used", "Enabled"});
}

}  // namespace velmora::world

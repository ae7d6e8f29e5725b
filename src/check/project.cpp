#include "check/project.h"

#include "base/encoding.h"
#include "base/paths.h"

namespace velmora::check {

const LoadedMap* Project::MapByNumber(int64_t k) const {
    for (const LoadedMap& m : maps) {
        if (m.number == k) return &m;
    }
    return nullptr;
}

const world::MGame* Project::Game() const {
    for (const LoadedMap& m : maps) {
        if (m.gp) return &m.gp->game;
    }
    return nullptr;
}

bool Project::HasFile(std::string_view relative, base::FileKind kind) const {
    const base::GatedFile gated = base::GateFile(dir, relative, kind);
    if (!gated.Refused()) return gated.Found();
    if (report != nullptr && refusedTold.insert(gated.error->file()).second) {
        report->Error(gated.error->file(), "", gated.error->problem() + ": игра его не откроет");
    }
    return true;
}

bool Project::HasSoundFile(std::string_view name) const {
    return sound && !sound->ResolveSoundFile(name).empty();
}

bool Project::HasMusicFile(std::string_view name) const {
    return sound && !sound->ProjectFile(name).empty();
}

std::string Shown(std::string_view text1251) {
    // A report quotes a line, never a whole hostile one.
    constexpr size_t kMostShown = 200;
    if (text1251.size() > kMostShown) {
        return base::Cp1251ToUtf8(text1251.substr(0, kMostShown)) + "...";
    }
    return base::Cp1251ToUtf8(text1251);
}

std::string Quoted(std::string_view text1251) {
    return "«" + Shown(text1251) + "»";
}

}  // namespace velmora::check

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
    TellRefused(*gated.error);
    return true;
}

void Project::TellRefused(const base::FileError& error) const {
    if (report != nullptr && refusedTold.insert(error.file()).second) {
        report->Error(error.file(), "", error.problem() + ": игра его не откроет");
    }
}

bool Project::FoundBySound(const std::function<bool()>& lookup) const {
    if (!sound) return false;
    // The game's own lookup, and the gate's reason it would speak.
    std::optional<base::FileError> refused;
    sound->onRefused = [&refused](const base::FileError& e) {
        if (!refused) refused = e;
    };
    const bool found = lookup();
    sound->onRefused = nullptr;
    if (found || !refused) return found;
    TellRefused(*refused);
    return true;
}

bool Project::HasSoundFile(std::string_view name) const {
    return FoundBySound([&] { return !sound->ResolveSoundFile(name).empty(); });
}

bool Project::HasMusicFile(std::string_view name) const {
    return FoundBySound([&] { return !sound->ProjectFile(name).empty(); });
}

std::string Shown(std::string_view text1251) {
    // A report quotes a line, never a whole hostile one.
    constexpr size_t kMostShown = 200;
    if (text1251.size() > kMostShown) {
        return base::Cp1251ToUtf8(text1251.substr(0, kMostShown)) + "...";
    }
    return base::Cp1251ToUtf8(text1251);
}

std::string ShownPath(std::string_view name1251) {
    std::string name(name1251);
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    return Shown(name);
}

std::string Quoted(std::string_view text1251) {
    return "«" + Shown(text1251) + "»";
}

}  // namespace velmora::check

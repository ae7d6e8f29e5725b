#include "frontend/sdl/picture_cache.h"

#include <string>

#include "base/picture_header.h"
#include "base/project_file.h"

namespace velmora::frontend::sdl {

namespace {

// A picture's bytes as the gate lets them through; none when it refuses the
// file. SDL_image is never handed a path, so it opens nothing unchecked.
// Only pictures whose size the gate could read from the header are decoded:
// SDL_image knows more formats, any of which could claim any size.
std::optional<std::string> PictureBytes(const std::filesystem::path& file) {
    try {
        std::string bytes = base::ReadCheckedFile(file, base::FileKind::Picture);
        if (!base::ReadPictureHeader(bytes)) return std::nullopt;
        return bytes;
    } catch (const base::FileError&) {
        return std::nullopt;
    }
}

SDL_RWops* FromMemory(const std::string& bytes) {
    return SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
}

// Browsers play delays of 10 ms and less at 100 ms; so do we.
int FrameDelay(int ms) { return ms <= 10 ? 100 : ms; }

}  // namespace

PictureCache::Entry PictureCache::Load(const std::filesystem::path& file, Clock::time_point now) {
    Entry entry;
    entry.start = now;
    const auto bytes = PictureBytes(file);
    if (!bytes) return entry;
    AnimationPtr anim;
    if (SDL_RWops* rw = FromMemory(*bytes)) anim.reset(IMG_LoadAnimation_RW(rw, 1));
    if (anim && anim->count > 0) {
        for (int i = 0; i < anim->count; ++i) {
            TexturePtr t(SDL_CreateTextureFromSurface(renderer_, anim->frames[i]));
            if (!t) continue;
            const int delay = anim->delays ? FrameDelay(anim->delays[i]) : 100;
            entry.frames.push_back({std::move(t), delay});
            entry.loopMs += delay;
        }
        return entry;
    }
    SurfacePtr still;
    if (SDL_RWops* rw = FromMemory(*bytes)) still.reset(IMG_Load_RW(rw, 1));
    if (!still) return entry;
    if (TexturePtr t{SDL_CreateTextureFromSurface(renderer_, still.get())}) {
        entry.frames.push_back({std::move(t), 100});
        entry.loopMs = 100;
    }
    return entry;
}

SDL_Texture* PictureCache::FrameAt(const std::filesystem::path& file, Clock::time_point now,
                                   std::optional<Clock::time_point>* nextChange) {
    if (file.empty()) return nullptr;
    auto it = entries_.find(file);
    if (it == entries_.end()) it = entries_.emplace(file, Load(file, now)).first;
    Entry& e = it->second;
    e.used = true;
    if (e.frames.empty()) return nullptr;
    if (e.frames.size() == 1) return e.frames.front().texture.get();
    using std::chrono::milliseconds;
    const auto elapsed = std::chrono::duration_cast<milliseconds>(now - e.start).count();
    const long long cycle = elapsed / e.loopMs;
    long long into = elapsed % e.loopMs;
    long long frameEnd = 0;
    for (const Frame& f : e.frames) {
        frameEnd += f.delayMs;
        if (into < frameEnd) {
            const auto change = e.start + milliseconds(cycle * e.loopMs + frameEnd);
            if (nextChange && (!*nextChange || change < **nextChange)) *nextChange = change;
            return f.texture.get();
        }
    }
    return e.frames.back().texture.get();
}

void PictureCache::EndFrame() {
    std::erase_if(entries_, [](const auto& entry) { return !entry.second.used; });
    for (auto& [file, entry] : entries_) entry.used = false;
}

std::optional<shell::WindowSize> PictureCache::Measure(const std::filesystem::path& file) {
    const auto bytes = PictureBytes(file);
    if (!bytes) return std::nullopt;
    SDL_RWops* rw = FromMemory(*bytes);
    if (!rw) return std::nullopt;
    SurfacePtr s(IMG_Load_RW(rw, 1));
    if (!s) return std::nullopt;
    return shell::WindowSize{s->w, s->h};
}

}  // namespace velmora::frontend::sdl

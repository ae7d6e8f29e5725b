#include "frontend/sdl/text_cache.h"

#include "base/utf8.h"

namespace velmora::frontend::sdl {

TextCache::Drawn TextCache::Get(TTF_Font* font, std::string_view text1251, ui::Colour colour) {
    if (!font || text1251.empty()) return {};
    Key key{font, colour, std::string(text1251)};
    auto found = entries_.find(key);
    if (found == entries_.end()) {
        Entry entry;
        SurfacePtr surface(TTF_RenderUTF8_Blended(font, base::ToUtf8(text1251).c_str(), ToSdl(colour)));
        if (surface) {
            entry.texture.reset(SDL_CreateTextureFromSurface(renderer_, surface.get()));
            entry.width = surface->w;
            entry.height = surface->h;
        }
        // A failure is kept too, so it is not tried again every frame.
        found = entries_.emplace(std::move(key), std::move(entry)).first;
    }
    Entry& e = found->second;
    e.used = true;
    if (!e.texture) return {};
    return {e.texture.get(), e.width, e.height};
}

void TextCache::EndFrame() {
    std::erase_if(entries_, [](const auto& entry) { return !entry.second.used; });
    for (auto& [key, entry] : entries_) entry.used = false;
}

}  // namespace velmora::frontend::sdl

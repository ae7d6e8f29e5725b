// Rendered texts kept as textures from one frame to the next: most frames
// (an animation's, a caret's) show the same texts again, and rendering
// them afresh each time was most of an idle window's work.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "frontend/sdl/sdl_handles.h"
#include "ui/control.h"

namespace velmora::frontend::sdl {

// A colour of the component model (0x00BBGGRR) as SDL's, opaque.
inline SDL_Color ToSdl(ui::Colour c) {
    return SDL_Color{static_cast<Uint8>(c & 0xFF), static_cast<Uint8>((c >> 8) & 0xFF),
                     static_cast<Uint8>((c >> 16) & 0xFF), 255};
}

class TextCache {
public:
    explicit TextCache(SDL_Renderer* renderer) : renderer_(renderer) {}

    struct Drawn {
        SDL_Texture* texture = nullptr;
        int width = 0;
        int height = 0;
    };
    // 1251 text in a font and colour; no texture for empty text or when
    // rendering fails. Valid until the next EndFrame.
    Drawn Get(TTF_Font* font, std::string_view text1251, ui::Colour colour);
    // What this frame did not use is freed.
    void EndFrame();
    size_t Size() const { return entries_.size(); }

private:
    using Key = std::tuple<TTF_Font*, ui::Colour, std::string>;
    struct Entry {
        TexturePtr texture;
        int width = 0;
        int height = 0;
        bool used = true;
    };
    SDL_Renderer* renderer_;
    std::map<Key, Entry, std::less<>> entries_;
};

}  // namespace velmora::frontend::sdl

// Owning handles of SDL objects: each is released by its own SDL function.
#pragma once

#include <memory>

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

namespace velmora::frontend::sdl {

struct SdlDeleter {
    void operator()(SDL_Window* p) const { SDL_DestroyWindow(p); }
    void operator()(SDL_Renderer* p) const { SDL_DestroyRenderer(p); }
    void operator()(SDL_Texture* p) const { SDL_DestroyTexture(p); }
    void operator()(SDL_Surface* p) const { SDL_FreeSurface(p); }
    void operator()(TTF_Font* p) const { TTF_CloseFont(p); }
    void operator()(IMG_Animation* p) const { IMG_FreeAnimation(p); }
};

using WindowPtr = std::unique_ptr<SDL_Window, SdlDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, SdlDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, SdlDeleter>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlDeleter>;
using FontPtr = std::unique_ptr<TTF_Font, SdlDeleter>;
using AnimationPtr = std::unique_ptr<IMG_Animation, SdlDeleter>;

}  // namespace velmora::frontend::sdl
